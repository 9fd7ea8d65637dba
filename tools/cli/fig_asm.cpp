// Assembles battle scripts into "figtalk.dat", or prints the source of one
// (docs/battle-script.md).
//
//   fig_asm asm <source> <figtalk.dat>   warnings and errors on standard error
//   fig_asm dis <figtalk.dat>            the source on standard output
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/edition.h"
#include "tools/fig_asm.h"
#include "tools/file_writer.h"

// The command draws no text; the edition only names the font it never opens.
EditionFacts gEdition = {
    kEditionTraditional, false, 136, "\xB2\xD3\xA9\xFA\xC5\xE9", 0x0700, "fig_asm", "",
};

namespace {

bool ReadWhole(const char* path, std::string* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

int Usage() {
    std::fprintf(stderr, "usage: fig_asm asm <source> <figtalk.dat>\n       fig_asm dis <figtalk.dat>\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string mode = argv[1];
    std::string text;
    if (!ReadWhole(argv[2], &text)) {
        std::fprintf(stderr, "fig_asm: cannot read %s\n", argv[2]);
        return 1;
    }
    if (mode == "dis" && argc == 3) {
        std::fputs(DisassembleFigTalk(std::vector<uint8_t>(text.begin(), text.end())).c_str(), stdout);
        return 0;
    }
    if (mode != "asm" || argc != 4) return Usage();
    std::vector<uint8_t> bytes;
    std::string error;
    std::vector<std::string> warnings;
    const bool ok = AssembleFigTalk(text, &bytes, &error, &warnings);
    for (const std::string& w : warnings) std::fprintf(stderr, "%s: warning: %s\n", argv[2], w.c_str());
    if (!ok) {
        std::fprintf(stderr, "%s: %s\n", argv[2], error.c_str());
        return 1;
    }
    if (!WriteBytesToFile(argv[3], bytes)) {
        std::fprintf(stderr, "fig_asm: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
