// Controls of the headless back-end, for tests and recorded runs.
#pragma once
#include <cstdint>

void HeadlessAdvanceClock(uint32_t ms);
void HeadlessResetClock();
