// Message boxes on the desktop. With no window system to show them on, the
// text goes to stderr and the box answers with its default (first) button,
// so a box never stops a run that nobody can see.
#include "platform/plat_system.h"
#include "platform/posix/posix.h"
#include "platform/sdl/sdl_window.h"

#include <cstdio>
#include <string>

namespace {

uint32_t IconFlags(uint32_t style) {
    switch (style & 0xF0) {
    case kMsgIconError: return SDL_MESSAGEBOX_ERROR;
    case kMsgIconWarning: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
    }
}

} // namespace

int PlatMessageBox(const char* text, const char* caption, uint32_t style) {
    std::string body = PosixBig5ToUtf8(text != nullptr ? text : "");
    std::string title = PosixBig5ToUtf8(caption != nullptr ? caption : "");

    int results[3];
    int count = PosixMessageButtons(style, results);
    SDL_MessageBoxButtonData buttons[3] = {};
    for (int i = 0; i < count; ++i) {
        buttons[i].buttonid = results[i];
        buttons[i].text = PosixMessageButtonLabel(results[i]);
        if (i == 0) buttons[i].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (results[i] == kMsgResultCancel || count == 1) buttons[i].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    }

    SDL_MessageBoxData box = {};
    box.flags = IconFlags(style) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    box.window = SdlGameWindow();
    box.title = title.c_str();
    box.message = body.c_str();
    box.numbuttons = count;
    box.buttons = buttons;

    int pressed = -1;
    if (SDL_ShowMessageBox(&box, &pressed) != 0) {
        std::fprintf(stderr, "[%s] %s\n", title.c_str(), body.c_str());
        return results[0];
    }
    // Closing the box without a button counts as its escape answer; a box
    // with no Cancel takes its last button (No, Ignore), never a Yes.
    if (pressed < 0) {
        for (int i = 0; i < count; ++i) {
            if (buttons[i].flags & SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT) return results[i];
        }
        return results[count - 1];
    }
    return pressed;
}
