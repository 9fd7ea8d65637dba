// Fuzz target: a talk dialog's operands and text as a script gives them
// (SetupDialog, ReplaceItemNames with the item and nick-name codes,
// MatchPrefix).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "base/nick_names.h"
#include "draw/dialog_node.h"
#include "world/role/dialog_setup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InitNickNames();
    DialogNode node{};
    uint32_t mode = size ? uint32_t(data[0] % 3) : 0;
    if (size > 1 && (data[1] & 1)) mode |= kDialogOneLine;
    SetupDialog(&node, data, size, "caption", mode, 0, 0);
    char buffer[kDialogTextBytes] = {};
    std::memcpy(buffer, data, size < sizeof buffer - 1 ? size : sizeof buffer - 1);
    ReplaceItemNames(buffer);
    MatchPrefix(buffer, "%1", "name", sizeof buffer);
    FreeTalkHistory();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    const std::string seeds[] = {
        std::string("\xFD\xFF\x01\x00", 4) + "Hello%Lthere%Q",
        std::string("\xFD\xFF\x01\x00", 4) + "Take %T12. now%Q",
        std::string("\xFD\xFF\x01\x00\x10\x00\x20\x00\x05\x00\x03\x00", 12) + "\xA5%T1.%Q",
        std::string("\xFD\xFF\x01\x00", 4) + "%M11., %M23.%M3%M33.!%Q",
    };
    int n = 0;
    for (const std::string& s : seeds) std::ofstream(dir + "/dialog" + std::to_string(n++), std::ios::binary) << s;
}
