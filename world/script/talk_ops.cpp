#include "world/script/talk_ops.h"

#include <cstring>

namespace {
constexpr uint16_t kDialogText = 510; // a dialog's text buffer holds 512 bytes with the marker
}

// Mnemonics prefixed "opt" set a one-shot option of the next dialog; "dlg"
// instructions open a dialog ("w" suffix: the player must close it).
const TalkOpInfo kTalkOps[kTalkOpCount] = {
    {0x01, "dlgw", "gws", 0, kDialogText},
    {0x02, "dlg", "gws", 0, kDialogText},
    {0x03, "dlgboxw", "gwwwwws", 0, kDialogText},
    {0x04, "dlgbox", "gwwwwws", 0, kDialogText},
    {0x05, "dlgfreew", "gwwwwws", 0, kDialogText},
    {0x06, "dlgfree", "gwwwwws", 0, kDialogText},
    {0x07, "opt20", "", 2, 0},
    {0x08, "opttimer", "w", 4, 0},
    {0x09, "opt400", "", 2, 0},
    {0x0A, "setqq", "gw", 6, 0},
    {0x0B, "setdir", "gw", 6, 0},
    {0x0C, "walkto", "gww", 8, 0},
    {0x0D, "step", "g", 4, 0},
    {0x0E, "waitdlg", "g", 4, 0},
    {0x0F, "jump", "t", 6, 0},
    {0x10, "ifpathidle", "gt", 8, 0},
    {0x11, "ifpathwalking", "gt", 8, 0},
    {0x12, "unlock", "g", 4, 0},
    {0x13, "unlockall", "", 2, 0},
    {0x14, "movewait", "*gww", 0, 0},
    {0x15, "ifflag", "wt", 8, 0},
    {0x16, "ifnotflag", "wt", 8, 0},
    {0x17, "ifallflags", "ft", 0, 0},
    {0x18, "ifanyflag", "ft", 0, 0},
    {0x19, "setflag", "w", 4, 0},
    {0x1A, "clearflag", "w", 4, 0},
    {0x1B, "gotomap", "wwwwww", 14, 0},
    {0x1C, "setpath", "gw", 6, 0},
    {0x1D, "setvar", "ii", 6, 0},
    {0x1E, "addvar", "ii", 6, 0},
    {0x1F, "subvar", "ii", 6, 0},
    {0x20, "ifvarlt", "iit", 10, 0},
    {0x21, "ifvargt", "iit", 10, 0},
    {0x22, "setclock", "w", 4, 0},
    {0x23, "ifclock", "wt", 8, 0},
    {0x24, "ifclocksince", "wt", 8, 0},
    {0x25, "markclock", "", 2, 0},
    {0x26, "hide", "g", 4, 0},
    {0x27, "show", "g", 4, 0},
    {0x28, "place", "gww", 8, 0},
    {0x29, "choice", "l", 0, 0},
    {0x2A, "holdplayer", "", 2, 0},
    {0x2B, "releaseplayer", "", 2, 0},
    {0x2C, "setwait", "gw", 6, 0},
    {0x2D, "setact", "gw", 6, 0},
    {0x2E, "restoreact", "g", 4, 0},
    {0x2F, "restoreqq", "g", 4, 0},
    {0x30, "restoredir", "g", 4, 0},
    {0x31, "clearwait", "g", 4, 0},
    {0x32, "scroll", "iiww", 10, 0},
    {0x33, "waitscroll", "", 2, 0},
    {0x34, "tint", "iiiiiii", 16, 0},
    {0x35, "waittint", "", 2, 0},
    {0x36, "seekact", "gi", 6, 0},
    {0x37, "plane1", "g", 4, 0},
    {0x38, "plane0", "g", 4, 0},
    {0x39, "plane2", "g", 4, 0},
    {0x3A, "playact", "wwww", 10, 0},
    {0x3B, "sfx", "w", 4, 0},
    {0x3C, "mapdrawon", "", 2, 0},
    {0x3D, "mapdrawoff", "", 2, 0},
    {0x3E, "defrole", "gwwwwwww", 18, 0},
    {0x3F, "shake", "wv", 0, 0},
    {0x40, "shakeoff", "", 2, 0},
    {0x41, "placerole", "g", 4, 0},
    {0x42, "removecompanion", "wwwwwww", 16, 0},
    {0x43, "sleep", "w", 4, 0},
    {0x44, "flag400off", "g", 4, 0},
    {0x45, "flag400on", "g", 4, 0},
    {0x46, "scrollto", "iiww", 10, 0},
    {0x47, "icon", "gw", 6, 0},
    {0x48, "iconoff", "g", 4, 0},
    {0x49, "scrolltorole", "gww", 8, 0},
    {0x4A, "tintoff", "", 2, 0},
    {0x4B, "holdrole", "g", 4, 0},
    {0x4C, "turnface", "gg", 6, 0},
    {0x4D, "setspeed", "gw", 6, 0},
    {0x4E, "clearspeed", "g", 4, 0},
    {0x4F, "throw", "wwwwwww", 16, 0},
    {0x50, "opttall", "", 2, 0},
    {0x51, "headin", "wwww", 10, 0},
    {0x52, "headout", "ww", 6, 0},
    {0x53, "area", "wwwwwww", 16, 0},
    {0x54, "areamode", "ww", 6, 0},
    {0x55, "oldvideo", "", 2, 0},
    {0x56, "headchange", "wwww", 10, 0},
    {0x57, "random", "l", 0, 0},
    {0x58, "fight", "i", 4, 0},
    {0x59, "dlgsizew", "gwwws", 0, kDialogText},
    {0x5A, "dlgsize", "gwwws", 0, kDialogText},
    {0x5B, "caption", "g", 4, 0},
    {0x5C, "join", "w", 4, 0},
    {0x5D, "leave", "w", 4, 0},
    {0x5E, "camerahold", "", 2, 0},
    {0x5F, "camerafollow", "", 2, 0},
    {0x60, "sequence", "s", 0, 34},
    {0x61, "waitsequence", "", 2, 0},
    {0x62, "seqframe", "w", 4, 0},
    {0x63, "waitseqframe", "w", 4, 0},
    {0x64, "settalk", "gw", 6, 0},
    {0x65, "nostep", "g", 4, 0},
    {0x66, "flag40", "gw", 6, 0},
    {0x67, "flag20", "gw", 6, 0},
    {0x68, "optoffset", "ii", 6, 0},
    {0x69, "optoneline", "", 2, 0},
    {0x6A, "waitact1", "w", 4, 0},
    {0x6B, "waitpass", "gw", 6, 0},
    {0x6C, "optanchor", "ww", 6, 0},
    {0x6D, "stepmany", "*g", 0, 0},
    {0x6E, "ifnonewalking", "t", 6, 0},
    {0x6F, "ifanywalking", "t", 6, 0},
    {0x70, "waitheads", "", 2, 0},
    {0x71, "sfx2", "ww", 6, 0},
    {0x72, "talkmusic", "www", 8, 0},
    {0x73, "nop73", "w", 4, 0},
    {0x74, "walkmany", "*gww", 0, 0},
    {0x75, "flag10", "gw", 6, 0},
    {0x76, "closedlg", "g", 4, 0},
    {0x77, "waitdlg1", "g", 4, 0},
    {0x78, "setactqqdir", "giiw", 10, 0},
    {0x79, "opt02", "", 2, 0},
    {0x7A, "clearword", "", 2, 0},
    {0x7B, "mapmusic", "wwww", 10, 0},
    {0x7C, "opthistory", "", 2, 0},
    {0x7D, "history", "s", 0, 253},
    {0x7E, "ifqq", "gwt", 10, 0},
    {0x7F, "ifnotqq", "gwt", 10, 0},
    {0x80, "additem", "wi", 6, 0},
    {0x81, "ifitem", "wt", 8, 0},
    {0x82, "ifnoitem", "wt", 8, 0},
    {0x83, "learnmagic", "ww", 6, 0},
    {0x84, "equip", "www", 8, 0},
    {0x85, "shop", "z", 0, 0},
    {0x86, "heal", "wiii", 10, 0},
    {0x87, "savegame", "", 2, 0},
    {0x88, "flag1000", "gw", 6, 0},
    {0x89, "mapmusicback", "", 2, 0},
    {0x8A, "ifpointfar", "wwwgt", 14, 0},
    {0x8B, "waitdlg8000", "g", 4, 0},
    {0x8C, "flag800", "gw", 6, 0},
    {0x8D, "musicfade", "ww", 6, 0},
    {0x8E, "storytimer", "www", 8, 0},
    {0x8F, "timercancel", "", 2, 0},
    {0x90, "menu", "w", 4, 0},
    {0x91, "flag2000", "gw", 6, 0},
    {0x92, "flag100", "gw", 6, 0},
    {0x93, "setflag70", "", 2, 0},
    {0x94, "setflag19", "", 2, 0},
    {0x95, "clearflag19", "", 2, 0},
    {0x96, "focus", "ii", 6, 0},
    {0x97, "focusto", "iiii", 10, 0},
    {0x98, "waitfocus", "", 2, 0},
    {0x99, "playact2", "wwww", 10, 0},
    {0x9A, "waitact2", "w", 4, 0},
    {0x9B, "nop9b", "", 2, 0},
    {0x9C, "nop9c", "", 2, 0},
    {0x9D, "nop9d", "www", 8, 0},
    {0x9E, "stop9e", "", 2, 0},
    {0x9F, "stop9f", "", 2, 0},
    {0xA0, "opt40000", "", 2, 0},
    {0xA1, "gototalk", "i", 4, 0},
    {0xA2, "captionvar", "w", 4, 0},
    {0xA3, "ifnotmap", "it", 8, 0},
    {0xA4, "ifmap", "it", 8, 0},
    {0xA5, "ifitemcount", "wit", 10, 0},
    {0xA6, "ifitemfew", "wit", 10, 0},
    {0xA7, "ifequipped", "wt", 8, 0},
    {0xA8, "ifnotequipped", "wt", 8, 0},
    {0xA9, "movewaitact", "*gwwwww", 0, 0},
    {0xAA, "banner0off", "", 2, 0},
    {0xAB, "banner0", "s", 0, 51},
    {0xAC, "banner1off", "", 2, 0},
    {0xAD, "banner1", "s", 0, 51},
    {0xAE, "flag4000", "gw", 6, 0},
    {0xAF, "seqflagon", "", 2, 0},
    {0xB0, "seqflagoff", "", 2, 0},
    {0xB1, "gather", "", 2, 0},
    {0xB2, "flag40000", "g", 4, 0},
    {0xB3, "ripple", "iiii", 10, 0},
    {0xB4, "pause", "", 2, 0},
    {0xB5, "setvar32", "id", 8, 0},
    {0xB6, "addvar32", "id", 8, 0},
    {0xB7, "subvar32", "id", 8, 0},
    {0xB8, "ifvarlt32", "idt", 12, 0},
    {0xB9, "ifvargt32", "idt", 12, 0},
    {0xBA, "ifstatlt", "wwt", 10, 0},
    {0xBB, "ifstatgt", "wwt", 10, 0},
    {0xBC, "setstat", "wi", 6, 0},
    {0xBD, "addstat", "wi", 6, 0},
    {0xBE, "substat", "wi", 6, 0},
    {0xBF, "waitscrolly", "i", 4, 0},
    {0xC0, "waitmusic", "", 2, 0},
    {0xC1, "ifroleat", "wwwt", 12, 0},
    {0xC2, "video", "s", 0, 255},
    {0xC3, "waitvideoframe", "www", 8, 0},
    {0xC4, "waitvideo", "", 2, 0},
    {0xC5, "rvset", "www", 8, 0},
    {0xC6, "rvadd", "www", 8, 0},
    {0xC7, "rvsub", "www", 8, 0},
    {0xC8, "ifrvge", "wwwt", 12, 0},
    {0xC9, "ifrvle", "wwwt", 12, 0},
    {0xCA, "ifrveq", "wwwt", 12, 0},
    {0xCB, "rvswitch", "wwl", 0, 0},
    {0xCC, "ifrolesfar", "ggwt", 12, 0},
    {0xCD, "stopcd", "", 2, 0},
    {0xCE, "becomeplayer", "g", 4, 0},
    {0xCF, "iffollowers", "t", 6, 0},
    {0xD0, "waitthrow", "ww", 6, 0},
    {0xD1, "nameentry", "w", 4, 0},
    {0xD2, "minigame", "", 2, 0},
    {0xD3, "party400off", "", 2, 0},
    {0xD4, "party400on", "", 2, 0},
    {0xD5, "ifrvcmp", "wwwwt", 14, 0},
    {0xD6, "keeplmfclosed", "", 2, 0},
    {0x0400, "runon", "", 2, 0},
    {0x0401, "runoff", "", 2, 0},
    {0x0402, "nop", "", 2, 0},
    {0x3FFF, "end", "", 2, 0},
};

const TalkOpInfo* FindTalkOp(uint16_t op) {
    size_t lo = 0, hi = kTalkOpCount;
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (kTalkOps[mid].op < op)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo < kTalkOpCount && kTalkOps[lo].op == op ? &kTalkOps[lo] : nullptr;
}

const TalkOpInfo* FindTalkOpByName(const char* name) {
    for (const TalkOpInfo& info : kTalkOps)
        if (std::strcmp(info.name, name) == 0) return &info;
    return nullptr;
}

namespace {

uint32_t ReadU16(const uint8_t* p) { return uint32_t(p[0] | p[1] << 8); }

// Bytes the operands of sig take from code[at], bounded by size; false when
// they do not fit.
bool OperandBytes(const TalkOpInfo& info, const char* sig, const uint8_t* code, size_t size, size_t* at) {
    for (; *sig; ++sig) {
        const size_t left = size - *at;
        switch (*sig) {
        case 'w': case 'i': case 'g':
            if (left < 2) return false;
            *at += 2;
            break;
        case 'd': case 't':
            if (left < 4) return false;
            *at += 4;
            break;
        case 's': {
            size_t n = 0;
            while (n + 1 < left && !(code[*at + n] == '%' && code[*at + n + 1] == 'Q')) ++n;
            if (n + 1 >= left || n > info.maxText) return false;
            *at += n + 2;
            break;
        }
        case 'f': case 'v': case 'z': {
            const uint32_t stop = *sig == 'z' ? 0 : kTalkListEnd;
            for (;;) {
                if (size - *at < 2) return false;
                const uint32_t w = ReadU16(code + *at);
                *at += 2;
                if (w == stop) break;
            }
            break;
        }
        case 'l':
            for (;;) {
                if (size - *at < 4) return false;
                const uint32_t d = ReadU16(code + *at) | ReadU16(code + *at + 2) << 16;
                *at += 4;
                if (d == kTalkTargetListEnd) break;
            }
            break;
        case '*': {
            if (left < 2) return false;
            const uint32_t n = ReadU16(code + *at) & kTalkCountMask;
            *at += 2;
            for (uint32_t k = 0; k < n; ++k)
                if (!OperandBytes(info, sig + 1, code, size, at)) return false;
            return true;
        }
        default:
            return false;
        }
    }
    return true;
}

} // namespace

uint32_t TalkInstrLength(const uint8_t* code, size_t size, size_t at) {
    if (at > size || size - at < 2) return 0;
    const TalkOpInfo* info = FindTalkOp(uint16_t(ReadU16(code + at) & kTalkOpMask));
    if (!info) return 0;
    size_t end = at + 2;
    if (!OperandBytes(*info, info->operands, code, size, &end)) return 0;
    return uint32_t(end - at);
}
