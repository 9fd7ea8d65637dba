#include "shell/messages.h"

#include "base/input.h"
#include "platform/plat_display.h"
#include "shell/window.h"

#include <deque>

namespace {
std::deque<ShellMessage> gQueue;

uint32_t KeyParam(int scanCode) { return (static_cast<uint32_t>(scanCode) & 0xFF) << 16; }
} // namespace

uint32_t VirtualKeyOf(int scanCode) {
    switch (scanCode) {
    case kScanEsc: return kVkEscape;
    case kScanEnter: return kVkReturn;
    case kScanP: return kVkP;
    case kScanF8: return kVkF8;
    case kScanBackspace: return kVkBack;
    case kScanHome: return kVkHome;
    case kScanEnd: return kVkEnd;
    case kScanLeft: return kVkLeft;
    case kScanRight: return kVkRight;
    case kScanDelete: return kVkDelete;
    default: return 0;
    }
}

bool TranslateEvent(const PlatEvent& e, ShellMessage* out) {
    switch (e.kind) {
    case kPlatEventQuit: *out = {kWmClose, 0, 0}; return true;
    case kPlatEventActivate: *out = {kWmActivateApp, e.value ? 1u : 0u, 0}; return true;
    case kPlatEventMinimise: *out = {kWmSize, e.value ? kSizeMinimized : kSizeRestored, 0}; return true;
    case kPlatEventKeyDown:
        if (e.alt && e.value == kScanEnter)
            *out = {kWmSysKeyDown, kVkReturn, KeyParam(e.value)};
        else
            *out = {kWmKeyDown, VirtualKeyOf(e.value), KeyParam(e.value)};
        return true;
    case kPlatEventKeyUp: *out = {kWmKeyUp, VirtualKeyOf(e.value), KeyParam(e.value)}; return true;
    case kPlatEventText:
        // A single byte is a character message; a two-byte character comes
        // whole as the input method's message, and one without a form in the
        // typing code set as that message with code 0 (the field refuses it).
        if (e.value >= 0 && e.value <= 0xFF)
            *out = {kWmChar, static_cast<uint32_t>(e.value), 0};
        else
            *out = {kWmImeChar, e.value > 0xFF ? static_cast<uint32_t>(e.value) & 0xFFFF : 0u, 0};
        return true;
    default: return false;
    }
}

void PostMessage(uint32_t message, uint32_t wParam, uint32_t lParam) { gQueue.push_back({message, wParam, lParam}); }

void PostQuitMessage(int code) { PostMessage(kWmQuit, static_cast<uint32_t>(code), 0); }

bool PeekMessage() {
    PlatEvent e{};
    ShellMessage m{};
    while (PlatPollEvent(&e))
        if (TranslateEvent(e, &m)) gQueue.push_back(m);
    return !gQueue.empty();
}

bool GetMessage(ShellMessage* out) {
    if (gQueue.empty()) {
        *out = {0, 0, 0};
        return true;
    }
    *out = gQueue.front();
    gQueue.pop_front();
    return out->message != kWmQuit;
}

uint32_t SendMessage(uint32_t message, uint32_t wParam, uint32_t lParam) { return WndProc(message, wParam, lParam); }

void ResetMessages() { gQueue.clear(); }
