// Signed decimal numbers in script texts ("%A" sound codes, item codes).
#pragma once
#include <cstdint>

// An optional leading '+' or '-', then 1 to 9 decimal digits, then the end of
// the text. Writes the value and returns 1; anything else returns 0 and
// leaves out alone.
int StrToNum(const char* text, int32_t* out);
