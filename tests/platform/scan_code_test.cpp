#include "platform/posix/posix.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct ScanCase {
    const char* key;
    int usage; // USB HID usage, SDL's scancode number
    uint8_t code;
};

const ScanCase kScanCases[] = {
    {"Esc", 41, 0x01},        {"1", 30, 0x02},          {"0", 39, 0x0B},         {"Enter", 40, 0x1C},
    {"Space", 44, 0x39},      {"F1", 58, 0x3B},         {"F10", 67, 0x44},       {"F11", 68, 0x57},
    {"F12", 69, 0x58},        {"Up", 82, 0xC8},         {"Down", 81, 0xD0},      {"Left", 80, 0xCB},
    {"Right", 79, 0xCD},      {"KeypadEnter", 88, 0x9C}, {"LCtrl", 224, 0x1D},   {"RCtrl", 228, 0x9D},
    {"LAlt", 226, 0x38},      {"RAlt", 230, 0xB8},      {"LShift", 225, 0x2A},   {"RShift", 229, 0x36},
    {"Home", 74, 0xC7},       {"End", 77, 0xCF},        {"PgUp", 75, 0xC9},      {"PgDn", 78, 0xD1},
    {"Insert", 73, 0xD2},     {"Delete", 76, 0xD3},     {"A", 4, 0x1E},          {"P", 19, 0x19},
    {"Q", 20, 0x10},          {"Z", 29, 0x2C},          {"M", 16, 0x32},         {"Keypad7", 95, 0x47},
    {"Keypad0", 98, 0x52},    {"KeypadMinus", 86, 0x4A}, {"KeypadSlash", 84, 0xB5}, {"Tab", 43, 0x0F},
    {"Backspace", 42, 0x0E},  {"Pause", 72, 0xC5},
};

TEST(ScanCodes, SpotChecks) {
    for (const ScanCase& c : kScanCases) EXPECT_EQ(PlatScanCodeFromUsbUsage(c.usage), c.code) << c.key;
}

TEST(ScanCodes, UnknownUsagesHaveNoCode) {
    for (int usage : {-1, 0, 1, 3, 116, 255, 512, 100000}) EXPECT_EQ(PlatScanCodeFromUsbUsage(usage), 0) << usage;
}

// Two keys on one code would make one key of the settings stand for both.
// Only the ISO key left of Return shares with backslash, and the two mute keys.
TEST(ScanCodes, NoTwoKeysShareACodeBeyondTheKnownPairs) {
    std::set<uint8_t> seen;
    int shared = 0;
    for (int usage = 0; usage < 512; ++usage) {
        uint8_t code = PlatScanCodeFromUsbUsage(usage);
        if (code == 0) continue;
        if (!seen.insert(code).second) ++shared;
    }
    EXPECT_EQ(shared, 2);
}

} // namespace
