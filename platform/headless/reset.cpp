// One reset for the whole headless back-end.
#include "platform/headless/headless.h"

void HeadlessReset() {
    HeadlessResetClock();
    HeadlessResetSystem();
    HeadlessResetDisplay();
    HeadlessResetInput();
}
