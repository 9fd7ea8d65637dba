// Types into a name field through the real window: opens the SDL window
// titled "TypeCheck", sets up a field of 16 bytes with story flag 80 as the
// name entry does, and runs the window's messages until Enter or Esc ends
// the field (or 20 seconds pass). Prints "ready" once the window is up,
// "focused" when it has the keyboard, and then the field's text as hex bytes.
//
//   type_check_sdl simp|dvd     (under Xvfb: xdotool type into the window)
#include <cstdio>
#include <cstring>

#include "base/edition.h"
#include "base/game_state.h"
#include "base/text_convert.h"
#include "platform/plat_clock.h"
#include "platform/plat_display.h"
#include "shell/messages.h"
#include "shell/window.h"
#include "world/dialog/text_record.h"
#include "world/story_flags.h"

EditionFacts gEdition = {
    kEditionTraditional, false, 136, "\xB2\xD3\xA9\xFA\xC5\xE9", 0x0700, "type check", "",
};

int main(int argc, char** argv) {
    const bool simplified = argc > 1 && std::strcmp(argv[1], "simp") == 0;
    gEdition.kind = simplified ? kEditionSimplified : kEditionTraditional;
    gEdition.convertText = simplified;
    if (!PlatDisplayOpen("TypeCheck", 320, 80, false)) {
        std::printf("no window\n");
        return 2;
    }
    SendMessage(kWmCreate, 0, 0); // the edition's table and typing code set
    cTextRecord field;
    gEditField = field.Create("", 16, 0, 0);
    SetFlag(kFlagEditField);
    std::printf("ready\n");
    std::fflush(stdout);
    const uint32_t start = PlatTicks();
    ShellMessage m{};
    while (field.GetState() == kTextEditing && PlatTicks() - start < 20000) {
        if (!PeekMessage()) {
            PlatWaitEvent(10);
            continue;
        }
        if (!GetMessage(&m)) break;
        if (m.message == kWmActivateApp && m.wParam == 1) {
            std::printf("focused\n");
            std::fflush(stdout);
        }
        WndProc(m.message, m.wParam, m.lParam);
    }
    for (const char* p = field.Text(); *p; ++p) std::printf("%02X", static_cast<unsigned char>(*p));
    std::printf("\n");
    field.Destroy();
    FreeBig5ToGbTable();
    PlatDisplayClose();
    return field.GetState() == kTextEditing ? 3 : 0;
}
