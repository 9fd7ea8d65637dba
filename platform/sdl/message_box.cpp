// Message boxes on the desktop. With no window system to show them on, the
// text goes to stderr and the box answers with its default (first) button,
// so a box never stops a run that nobody can see.
#include "platform/plat_system.h"
#include "platform/posix/posix.h"
#include "platform/sdl/sdl_window.h"

#include <csignal>
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

// While the game holds the mouse (relative mode, or a window grab) a box
// cannot be clicked: the hold is let go while the box shows and taken again
// after it closes.
class MouseHoldPause {
public:
    MouseHoldPause() : window_(SdlGameWindow()) {
        if (window_ == nullptr) return; // no window: SDL's video may be down
        relative_ = SDL_GetRelativeMouseMode();
        grabbed_ = SDL_GetWindowGrab(window_);
        cursor_ = SDL_ShowCursor(SDL_QUERY);
        if (relative_) SDL_SetRelativeMouseMode(SDL_FALSE);
        if (grabbed_) SDL_SetWindowGrab(window_, SDL_FALSE);
        SDL_ShowCursor(SDL_ENABLE);
    }
    ~MouseHoldPause() {
        if (window_ == nullptr || window_ != SdlGameWindow()) return;
        SDL_ShowCursor(cursor_);
        if (grabbed_) SDL_SetWindowGrab(window_, SDL_TRUE);
        if (relative_) SDL_SetRelativeMouseMode(SDL_TRUE);
    }
    MouseHoldPause(const MouseHoldPause&) = delete;
    MouseHoldPause& operator=(const MouseHoldPause&) = delete;

private:
    SDL_Window* window_;
    SDL_bool relative_ = SDL_FALSE;
    SDL_bool grabbed_ = SDL_FALSE;
    int cursor_ = SDL_ENABLE;
};

// While a box is up the program takes no window events, so the quit that
// SDL makes of SIGTERM or Ctrl+C would wait for the box to be answered (and
// a box shown again at once would keep it waiting for ever). For as long as
// the box shows, either signal ends the program at once, as it would without
// a handler; a signal the program was started to ignore stays ignored. What
// the player owns is safe: saves and settings are written whole or not at all.
class EndOnSignalWhileShown {
public:
    EndOnSignalWhileShown() {
        Take(SIGINT, &oldInt_, &tookInt_);
        Take(SIGTERM, &oldTerm_, &tookTerm_);
    }
    ~EndOnSignalWhileShown() {
        if (tookInt_) sigaction(SIGINT, &oldInt_, nullptr);
        if (tookTerm_) sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    EndOnSignalWhileShown(const EndOnSignalWhileShown&) = delete;
    EndOnSignalWhileShown& operator=(const EndOnSignalWhileShown&) = delete;

private:
    static void EndNow(int signal) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
    static void Take(int signal, struct sigaction* old, bool* took) {
        if (sigaction(signal, nullptr, old) != 0 || old->sa_handler == SIG_IGN) return;
        struct sigaction now {};
        now.sa_handler = EndNow;
        sigemptyset(&now.sa_mask);
        *took = sigaction(signal, &now, nullptr) == 0;
    }
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
    bool tookInt_ = false;
    bool tookTerm_ = false;
};

} // namespace

int (*gSdlShowMessageBox)(const SDL_MessageBoxData* box, int* pressed) = SDL_ShowMessageBox;

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
    int shown = 0;
    {
        MouseHoldPause pause;
        EndOnSignalWhileShown signals;
        shown = gSdlShowMessageBox(&box, &pressed);
    }
    if (shown != 0) {
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
