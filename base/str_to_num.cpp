#include "base/str_to_num.h"

namespace {
constexpr int kMaxDigits = 9;
} // namespace

int StrToNum(const char* text, int32_t* out) {
    if (!text || !out) return 0;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    int32_t value = 0;
    int digits = 0;
    for (; *text; ++text, ++digits) {
        if (*text < '0' || *text > '9' || digits == kMaxDigits) return 0;
        value = value * 10 + (*text - '0');
    }
    if (digits == 0) return 0;
    *out = negative ? -value : value;
    return 1;
}
