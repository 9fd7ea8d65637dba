#include "battle/script/fig_ops.h"

#include <cstring>

namespace {
constexpr uint16_t kSpeech = 253;   // a dialogue text: 255 bytes with the marker
constexpr uint16_t kName = 30;      // a speaker name: 32 bytes with the marker
constexpr uint16_t kMusic = 253;    // a music file name
}  // namespace

const FigOpInfo kFigOps[kFigOpCount] = {
    {-1, "end", "", 2, 0},
    {1, "fight", "w", 4, 0},
    {2, "say", "rs", 0, kSpeech},
    {3, "frame", "", 2, 0},
    {4, "dlgoption", "w", 4, 0},
    {5, "movehome", "rww", 8, 0},
    {6, "wait", "w", 4, 0},
    {8, "iflife", "rwwtp", 14, 0},
    {9, "attack", "rr", 6, 0},
    {10, "down", "r", 4, 0},
    {11, "frontact", "rw", 6, 0},
    {12, "win", "", 2, 0},
    {13, "movey", "rw", 6, 0},
    {14, "ifdefeated", "vt", 0, 0},
    {15, "setstatus", "rw", 6, 0},
    {16, "loop", "wt", 8, 0},
    {17, "nop", "", 2, 0},
    {18, "clearstatus", "rw", 6, 0},
    {19, "randjump", "l", 0, 0},
    {20, "turn", "r", 4, 0},
    {21, "playact", "rw", 6, 0},
    {22, "shiftx", "w", 4, 0},
    {23, "use", "wrr", 8, 0},
    {24, "tobattle", "w", 4, 0},
    {25, "endfight", "", 2, 0},
    {26, "actnow", "rw", 6, 0},
    {27, "scriptact", "rw", 6, 0},
    {28, "gauges", "rwww", 10, 0},
    {29, "hold", "r", 4, 0},
    {30, "sfx", "w", 4, 0},
    {31, "choice", "l", 0, 0},
    {33, "headin", "wwww", 10, 0},
    {34, "headout", "ww", 6, 0},
    {35, "style", "", 2, 0},
    {36, "areaon", "wwwwwww", 16, 0},
    {37, "areaoff", "ww", 6, 0},
    {39, "curve", "rwwwwwwwwww", 24, 0},
    {40, "center", "w", 4, 0},
    {41, "opening", "w", 4, 0},
    {42, "name", "s", 0, kName},
    {43, "forcewin", "", 2, 0},
    {44, "note", "rs", 0, kSpeech},
    {45, "mirror", "", 2, 0},
    {46, "setflag", "w", 4, 0},
    {47, "clearflag", "w", 4, 0},
    {48, "ifflag", "wt", 8, 0},
    {49, "partyleaves", "", 2, 0},
    {50, "home", "r", 4, 0},
    {51, "defeatfx", "rw", 6, 0},
    {52, "stats", "rwww", 10, 0},
    {53, "spoil", "w", 4, 0},
    {54, "monattack", "wrr", 8, 0},
    {55, "addmagic", "rw", 6, 0},
    {56, "carried", "rwwwwww", 16, 0},
    {57, "background1", "", 2, 0},
    {58, "counter", "r", 4, 0},
    {59, "bubble", "rs", 0, kSpeech},
    {60, "music", "s", 0, kMusic},
    {61, "ifnoalt", "vt", 0, 0},
    {62, "tint", "wwwwwww", 16, 0},
    {63, "waittint", "", 2, 0},
    {64, "waitframe", "rw", 6, 0},
    {65, "ifitem", "wwt", 10, 0},
    {66, "takeitem", "ww", 6, 0},
    {67, "strong", "", 2, 0},
    {68, "place", "rww", 8, 0},
    {69, "defeatends", "", 2, 0},
    {70, "level", "rw", 6, 0},
    {71, "forcelose", "", 2, 0},
    {72, "background", "wwww", 10, 0},
    {73, "panx", "ww", 6, 0},
    {74, "elements", "rwwwww", 14, 0},
    {75, "attackitems", "rwwww", 12, 0},
    {76, "restore", "r", 4, 0},
    {77, "option40", "", 2, 0},
    {78, "capture", "rr", 6, 0},
    {79, "damage", "rwww", 10, 0},
    {80, "reload", "rw", 6, 0},
    {81, "ifevent", "wt", 8, 0},
    {82, "shake", "w", 4, 0},
    {83, "option200", "", 2, 0},
    {84, "repeat", "w", 4, 0},
    {85, "ifrandom", "wwt", 10, 0},
    {86, "levelup", "rw", 6, 0},
    {87, "addsilver", "w", 4, 0},
    {88, "paysilver", "wt", 8, 0},
    {89, "option800", "", 2, 0},
};

const FigOpInfo* FindFigOp(int16_t op) {
    for (const FigOpInfo& i : kFigOps)
        if (i.op == op) return &i;
    return nullptr;
}

const FigOpInfo* FindFigOpByName(const char* name) {
    for (const FigOpInfo& i : kFigOps)
        if (std::strcmp(i.name, name) == 0) return &i;
    return nullptr;
}

long FindFigTextEnd(const uint8_t* p, size_t size, size_t limit) {
    for (size_t i = 0; i + 1 < size && i <= limit; ++i)
        if (p[i] == '%' && p[i + 1] == 'Q') return long(i);
    return -1;
}

uint32_t FigInstrLength(const uint8_t* code, size_t size, size_t at) {
    if (at + 2 > size || at + 2 < at) return 0;
    const auto word = [&](size_t p) { return int16_t(uint16_t(code[p] | code[p + 1] << 8)); };
    const FigOpInfo* info = FindFigOp(word(at));
    if (!info) return 0;
    size_t p = at + 2;
    for (const char* sig = info->operands; *sig; ++sig) {
        switch (*sig) {
        case 't':
            p += 4;
            break;
        case 's': {
            if (p > size) return 0;
            const long end = FindFigTextEnd(code + p, size - p, info->maxText);
            if (end < 0) return 0;
            p += size_t(end) + 2;
            break;
        }
        case 'l':
        case 'v': {
            const size_t step = *sig == 'l' ? 4 : 2;
            for (;;) {
                if (p + 2 > size) return 0;
                if (word(p) == kFigListEnd) break;
                p += step;
            }
            p += 2;
            break;
        }
        default:
            p += 2;
        }
        if (p > size) return 0;
    }
    // A party counter-attack reads its target from the word after it.
    if (info->op == kFigOpCounter && word(at + 2) >= 20) p += 2;
    return p <= size ? uint32_t(p - at) : 0;
}
