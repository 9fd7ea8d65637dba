// The window's messages: the platform's events turned into the messages the
// window procedure handles, a queue for posted ones, and sending.
#pragma once
#include <cstdint>

enum : uint32_t {
    kWmCreate = 0x0001,
    kWmDestroy = 0x0002,
    kWmSize = 0x0005,
    kWmClose = 0x0010,
    kWmQuit = 0x0012,
    kWmActivateApp = 0x001C,
    kWmKeyDown = 0x0100,
    kWmKeyUp = 0x0101,
    kWmChar = 0x0102,
    kWmSysKeyDown = 0x0104,
    kWmSysCommand = 0x0112,
    kWmImeChar = 0x0286,  // a whole two-byte character, lead byte in bits 8..15
    kWmUser4 = 0x0404, // the launcher and the game's start-up
};
// wParam of kWmSize.
enum : uint32_t {
    kSizeRestored = 0,
    kSizeMinimized = 1,
    kSizeMaximized = 2,
    kSizeMaxShow = 3,
    kSizeMaxHide = 4,
};
// System commands the window swallows.
enum : uint32_t {
    kScMouseMenu = 0xF090,
    kScTaskList = 0xF130,
    kScScreenSave = 0xF140,
    kScMonitorPower = 0xF170,
};
// Virtual keys of the keys the window acts on (wParam of key messages; the
// scan code is in bits 16..23 of lParam).
enum : uint32_t {
    kVkBack = 0x08,
    kVkReturn = 0x0D,
    kVkEscape = 0x1B,
    kVkEnd = 0x23,
    kVkHome = 0x24,
    kVkLeft = 0x25,
    kVkRight = 0x27,
    kVkDelete = 0x2E,
    kVkP = 0x50,
    kVkF8 = 0x77,
};

struct ShellMessage {
    uint32_t message;
    uint32_t wParam;
    uint32_t lParam;
};

// The virtual key of a scan code, 0 for keys the window does not name.
uint32_t VirtualKeyOf(int scanCode);
// The message a platform event becomes; false for events that have none.
struct PlatEvent;
bool TranslateEvent(const PlatEvent& event, ShellMessage* out);

void PostMessage(uint32_t message, uint32_t wParam, uint32_t lParam);
void PostQuitMessage(int code);
// Moves waiting platform events into the queue; true when a message waits.
bool PeekMessage();
// Takes the first message; false when it is kWmQuit (its wParam is the code).
bool GetMessage(ShellMessage* out);
// Hands the message to the window procedure at once.
uint32_t SendMessage(uint32_t message, uint32_t wParam, uint32_t lParam);

void ResetMessages();
