#include "world/script/path_ops.h"

#include <cstring>

const PathOpInfo kPathOps[kPathOpCount] = {
    {"restart", 1, -1, kShapeFixed, 0},        // 0
    {"end", 1, -1, kShapeFixed, 0},            // 1
    {"qq", 2, -1, kShapeFixed, 0},             // 2
    {"dir", 2, -1, kShapeFixed, 0},            // 3
    {"setwait", 2, -1, kShapeFixed, 0},        // 4
    {"wait", 1, -1, kShapeFixed, 0},           // 5
    {"waitanimate", 1, -1, kShapeFixed, 0},    // 6
    {"walkto", 3, -1, kShapeFixed, 0},         // 7 cell x, cell y
    {"arrive", 1, -1, kShapeFixed, 0},         // 8
    {"waitclock", 2, -1, kShapeFixed, 0},      // 9 t
    {"ifclock", 4, 2, kShapeFixed, 0},         // 10 t, target
    {"setclock", 2, -1, kShapeFixed, 0},       // 11 v
    {"jump", 3, 1, kShapeFixed, 0},            // 12 target
    {"ifflag", 4, 2, kShapeFixed, 0},          // 13 flag, target
    {"ifnotflag", 4, 2, kShapeFixed, 0},       // 14 flag, target
    {"ifallflags", 0, -1, kShapeFlagList, 0},  // 15 flags.., target
    {"ifanyflag", 0, -1, kShapeFlagList, 0},   // 16 flags.., target
    {"setflag", 2, -1, kShapeFixed, 0},        // 17
    {"clearflag", 2, -1, kShapeFixed, 0},      // 18
    {"setvar", 3, -1, kShapeFixed, 0},         // 19 var, v
    {"addvar", 3, -1, kShapeFixed, 0},         // 20
    {"subvar", 3, -1, kShapeFixed, 0},         // 21
    {"ifvaratleast", 5, 3, kShapeFixed, 0},    // 22 var, v, target
    {"ifvaratmost", 5, 3, kShapeFixed, 0},     // 23
    {"restartrole", 2, -1, kShapeFixed, 0},    // 24 G
    {"ifclocksince", 4, 2, kShapeFixed, 0},    // 25 n, target
    {"markclock", 1, -1, kShapeFixed, 0},      // 26
    {"hide", 2, -1, kShapeFixed, 0},           // 27 G
    {"show", 2, -1, kShapeFixed, 0},           // 28 G
    {"place", 3, -1, kShapeFixed, 0},          // 29 cell x, cell y
    {"randomwalk", 1, -1, kShapeFixed, 0},     // 30
    {"act", 4, -1, kShapeFixed, 0},            // 31 act, qq, dir
    {"sound", 2, -1, kShapeFixed, 0},          // 32
    {"follow", 2, -1, kShapeFixed, 0},         // 33 G
    {"say", 0, -1, kShapeText, 0},             // 34 kind, text
    {"unsay", 1, -1, kShapeFixed, 0},          // 35
    {"followoffset", 4, -1, kShapeFixed, 0xC}, // 36 G, i16 dx, i16 dy
    {"ifnear", 5, 3, kShapeFixed, 0},          // 37 G, n, target
};

int FindPathOp(const char* name) {
    for (uint16_t op = 0; op < kPathOpCount; ++op)
        if (std::strcmp(kPathOps[op].name, name) == 0) return op;
    return -1;
}
