// Dialog texts come from the story scripts: any bytes, laid out, typed,
// paged and closed by the message dialog, with page-turn requests and option
// picks made from the input as the player would make them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

#include "draw/dialog_node.h"
#include "world/dialog/dlg_message.h"
#include "world/story_flags.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    auto* node = new DialogNode{};
    node->width = data[0] * 3 - 100;   // also wider and taller than the canvas
    node->height = data[1] * 2 - 60;
    node->flags = uint32_t(data[2]) << 3; // 0x8 .. 0x400
    node->autoTime = 1;
    node->typeDelay = data[2] & 3;
    const size_t n = std::min(size - 3, kDialogTextBytes - 1);
    std::memcpy(node->text, data + 3, n);
    std::memcpy(node->caption, data + 3, std::min(n, kDialogCaptionBytes)); // maybe without a terminator
    gDialogList = node;
    for (int frame = 0; frame < 200 && gDialogList; ++frame) {
        gPageTurnRequest = (frame % 7 == 0) ? 1 + (frame & 1) : 0;
        if (frame % 11 == 0) gEventRects.words[0] = uint32_t(frame / 11);
        if (frame % 13 == 0) FreeEventRects();
        DlgMessage();
    }
    FreeDialogList();
    FreeEventRects();
    ResetDlgMessage();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    const std::string seeds[] = {
        std::string("\x40\x20\x01") + "HELLO%NWORLD%PNEXT%Q",
        std::string("\x30\x30\x00") + "%C3A%D5B%G1C%S2D%KE%LF%Q",
        std::string("\x50\x40\x04") + "GO?%N%BYES.%N%BNO.%PAFTER%Q",
        std::string("\x20\x10\x00") + "%A12.\xA4\xA4\xA4\xE5%Cz%S\xFF%B%Q",
    };
    int i = 0;
    for (const std::string& s : seeds) std::ofstream(dir + "/dlg" + std::to_string(i++), std::ios::binary) << s;
}
