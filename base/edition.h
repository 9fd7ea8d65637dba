// The few facts in which the two programs differ. Each program links one
// edition unit that defines gEdition.
#pragma once
#include <cstdint>

enum EditionKind : int {
    kEditionSimplified = 0,  // CD edition: Big5 text converted to GB2312 when drawn or typed
    kEditionTraditional = 1, // DVD edition: Big5 text drawn as stored
};

struct EditionFacts {
    EditionKind kind;
    bool convertText;         // Big5 -> GB2312 before drawing and typing
    int fontCharset;          // 134 GB2312, 136 Big5
    const char* fontFace;     // face name the fonts ask for (game text bytes)
    uint32_t inputVersion;    // 0x0500 or 0x0700
    const char* versionText;  // version string
    const char* sourceRoot;   // prefix of the source paths maintenance boxes show
};

extern EditionFacts gEdition;
