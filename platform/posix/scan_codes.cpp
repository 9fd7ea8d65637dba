// USB HID keyboard usages (SDL's scancode numbers) to PC set-1 scan codes,
// the numbering the game's key tests and the settings file use. Extended
// keys carry 0x80 (Up 0xC8, keypad Enter 0x9C, right Ctrl 0x9D).
#include "platform/posix/posix.h"

namespace {

struct UsageCode {
    int usage;
    uint8_t code;
};

// Keys outside the letters and digits, which follow below as runs.
constexpr UsageCode kUsageCodes[] = {
    {40, 0x1C},  // Return
    {41, 0x01},  // Escape
    {42, 0x0E},  // Backspace
    {43, 0x0F},  // Tab
    {44, 0x39},  // Space
    {45, 0x0C},  // -
    {46, 0x0D},  // =
    {47, 0x1A},  // [
    {48, 0x1B},  // ]
    {49, 0x2B},  // backslash
    {50, 0x2B},  // the key left of Return on ISO boards sits where backslash is
    {51, 0x27},  // ;
    {52, 0x28},  // '
    {53, 0x29},  // `
    {54, 0x33},  // ,
    {55, 0x34},  // .
    {56, 0x35},  // /
    {57, 0x3A},  // Caps Lock
    {68, 0x57},  // F11
    {69, 0x58},  // F12
    {70, 0xB7},  // Print Screen
    {71, 0x46},  // Scroll Lock
    {72, 0xC5},  // Pause
    {73, 0xD2},  // Insert
    {74, 0xC7},  // Home
    {75, 0xC9},  // Page Up
    {76, 0xD3},  // Delete
    {77, 0xCF},  // End
    {78, 0xD1},  // Page Down
    {79, 0xCD},  // Right
    {80, 0xCB},  // Left
    {81, 0xD0},  // Down
    {82, 0xC8},  // Up
    {83, 0x45},  // Num Lock
    {84, 0xB5},  // keypad /
    {85, 0x37},  // keypad *
    {86, 0x4A},  // keypad -
    {87, 0x4E},  // keypad +
    {88, 0x9C},  // keypad Enter
    {89, 0x4F},  // keypad 1
    {90, 0x50},  // keypad 2
    {91, 0x51},  // keypad 3
    {92, 0x4B},  // keypad 4
    {93, 0x4C},  // keypad 5
    {94, 0x4D},  // keypad 6
    {95, 0x47},  // keypad 7
    {96, 0x48},  // keypad 8
    {97, 0x49},  // keypad 9
    {98, 0x52},  // keypad 0
    {99, 0x53},  // keypad .
    {100, 0x56}, // the extra key left of Z on ISO boards
    {101, 0xDD}, // Application (menu)
    {102, 0xDE}, // Power
    {103, 0x8D}, // keypad =
    {104, 0x64}, // F13
    {105, 0x65}, // F14
    {106, 0x66}, // F15
    {127, 0xA0}, // Mute
    {128, 0xB0}, // Volume Up
    {129, 0xAE}, // Volume Down
    {133, 0xB3}, // keypad ,
    {135, 0x73}, // Ro
    {136, 0x70}, // Kana
    {137, 0x7D}, // Yen
    {138, 0x79}, // Convert
    {139, 0x7B}, // No Convert
    {224, 0x1D}, // left Ctrl
    {225, 0x2A}, // left Shift
    {226, 0x38}, // left Alt
    {227, 0xDB}, // left Windows
    {228, 0x9D}, // right Ctrl
    {229, 0x36}, // right Shift
    {230, 0xB8}, // right Alt
    {231, 0xDC}, // right Windows
    {258, 0x99}, // next track
    {259, 0x90}, // previous track
    {260, 0xA4}, // stop
    {261, 0xA2}, // play / pause
    {262, 0xA0}, // mute
    {263, 0xED}, // media select
    {265, 0xEC}, // mail
    {266, 0xA1}, // calculator
    {267, 0xEB}, // my computer
    {268, 0xE5}, // web search
    {269, 0xB2}, // web home
    {270, 0xEA}, // web back
    {271, 0xE9}, // web forward
    {272, 0xE8}, // web stop
    {273, 0xE7}, // web refresh
    {274, 0xE6}, // web favourites
    {282, 0xDF}, // sleep
};

// Letters A..Z (usages 4..29) by their place on the PC keyboard.
constexpr uint8_t kLetterCodes[26] = {
    0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
    0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C,
};

} // namespace

uint8_t PlatScanCodeFromUsbUsage(int usage) {
    if (usage >= 4 && usage <= 29) return kLetterCodes[usage - 4];
    if (usage >= 30 && usage <= 39) return static_cast<uint8_t>(0x02 + (usage - 30)); // 1..9, 0
    if (usage >= 58 && usage <= 67) return static_cast<uint8_t>(0x3B + (usage - 58)); // F1..F10
    for (const UsageCode& entry : kUsageCodes) {
        if (entry.usage == usage) return entry.code;
    }
    return 0;
}
