#include "world/role/dialog_setup.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/errorbox.h"
#include "base/nick_names.h"
#include "base/settings.h"
#include "draw/act_pack.h"
#include "draw/dialog_node.h"
#include "world/org/obj_tables.h"
#include "world/role/role_helpers.h"
#include "world/role/role_record.h"

DialogScene gDialogScene;
TalkHistoryNode* gTalkHistory = nullptr;

namespace {

TalkHistoryNode* gTalkHistoryTail = nullptr;

constexpr uint32_t kDialogUnitPixels = 11;

constexpr char kSetupCaption[] = "\xB3]\xA9w\xB9\xEF\xB8\xDC\xB5\xA1(SetupDialog)";
constexpr char kBadSpeakerText[] =
    "\xB5L\xAE\xC4\xAA\xBA\xA8\xA4\xA6\xE2\xB8\xB9\xBDX \xA9\xCE\xA4\xA3\xA6\x62\xA6\x61\xB9\xCF\xA4WGUID(%d)";
constexpr char kBadFrameText[] = "\xB3]\xA9w\xBF\xF9\xBB~\xAA\xBA\xB9\xEF\xB8\xDC\xAE\xD8(act:%d)";
constexpr char kActErrText[] = "\xB3]\xA9w\xBF\xF9\xBB~ \nact[%d] qq[%d] dir[%d]";
constexpr char kNoEndText[] = "%s: no \"%%Q\" within 510 bytes";
constexpr char kItemCaption[] = "\xAA\xAB\xAB~\xA6W\xBA\xD9\xA5N\xB4\xAB";
constexpr char kCodeTooLongText[] = "!! \xC4\xB5\xA7i !!\n\xB8\xB9\xBDX\xA6r\xA6\xEA\xA4\xD3\xAA\xF8\n%s";
constexpr char kBadNumberText[] = "\xBF\xF9\xBB~\xAA\xBA\xB8\xB9\xBDX\xA6r\xA6\xEA\n%s";
constexpr char kNoItemText[] = "\xA7\xE4\xA4\xA3\xA8\xEC\xAA\xAB\xAB~ %d";

// Dialog offsets of the facing codes N, S, W, E, NW, SE, SW, NE.
constexpr int16_t kOffsetX[8] = {0, 0, 160, -160, 80, -80, 80, -80};
constexpr int16_t kOffsetY[8] = {96, -104, -64, -56, 56, -112, -112, 56};

bool IsLead(uint8_t c) { return c >= 0x81 && c <= 0xFE; }

// The nine nick-name codes: "%M", the name-table row (1..3), the slot (1..3)
// and ".". Each is replaced by that slot's text.
constexpr int kNickCodeRows = 3;
constexpr size_t kNickCodeLength = 5;

// When text[i] starts a nick-name code: the code is replaced and the length
// of the name is returned (the code stays when the name would push the
// marker out: then the code's length). -1 when no code starts there.
long ReplaceNickCode(char* text, size_t i, size_t room) {
    if (text[i] != '%' || text[i + 1] != 'M') return -1;
    for (int row = 0; row < kNickCodeRows; ++row) {
        for (int slot = 0; slot < kNickSlots; ++slot) {
            const char code[kNickCodeLength + 1] = {'%', 'M', char('1' + row), char('1' + slot), '.', 0};
            if (std::strncmp(text + i, code, kNickCodeLength) != 0) continue;
            const char* name = NickName(row, slot);
            if (MatchPrefix(text + i, code, name, uint32_t(room + 1 - i))) return long(std::strlen(name));
            return long(kNickCodeLength);
        }
    }
    return -1;
}

uint16_t Operand(const uint8_t* p, size_t size, int i) {
    size_t at = size_t(i) * 2;
    return at + 2 <= size ? uint16_t(p[at] | (p[at + 1] << 8)) : 0;
}

// Offset of "%Q" within the first `limit` bytes, or -1.
long FindMarker(const uint8_t* text, size_t size, size_t limit) {
    size_t end = std::min(size, limit + 2);
    for (size_t i = 0; i + 1 < end; ++i) {
        if (text[i] == '%' && text[i + 1] == 'Q') return long(i);
    }
    return -1;
}

void StepAct(ActRecord* act, const char* caption) {
    if (act && !TakeActData(act)) ErrorBox(caption, kActErrText, act->act, act->qq, act->dir);
}

int FacingOf(uint32_t speaker) {
    int32_t dir = gRole[speaker].act.dir;
    return (dir >= 0 && dir < 8) ? dir : 1;
}

void Clamp(DialogNode* n, int32_t minX, int32_t minY) {
    if (int16_t(n->x) < minX) n->x = minX;
    if (n->x + n->width >= 576) n->x = 576 - n->width;
    if (n->y < minY) n->y = minY;
    if (n->y + n->height >= 456) n->y = 456 - n->height;
}

} // namespace

void AppendTalkHistory(const char* text) {
    auto* node = static_cast<TalkHistoryNode*>(std::calloc(1, sizeof(TalkHistoryNode)));
    if (!node) return;
    size_t length = std::strlen(text);
    node->text = static_cast<char*>(std::malloc(length + 1));
    if (!node->text) {
        std::free(node);
        return;
    }
    std::memcpy(node->text, text, length + 1);
    // The tail is kept, so appending does not walk the list.
    if (gTalkHistoryTail) gTalkHistoryTail->next = node;
    else gTalkHistory = node;
    gTalkHistoryTail = node;
}

void FreeTalkHistory() {
    TalkHistoryNode* n = gTalkHistory;
    while (n) {
        TalkHistoryNode* next = n->next;
        std::free(n->text);
        std::free(n);
        n = next;
    }
    gTalkHistory = gTalkHistoryTail = nullptr;
}

bool MatchPrefix(char* text, const char* prefix, const char* replacement, uint32_t room) {
    size_t p = std::strlen(prefix);
    if (p == 0 || std::strncmp(text, prefix, p) != 0) return false;
    size_t r = std::strlen(replacement);
    size_t rest = std::strlen(text + p);
    if (r + rest + 1 > room) return false;
    std::memmove(text + r, text + p, rest + 1);
    std::memcpy(text, replacement, r);
    return true;
}

uint32_t ReplaceItemNames(char* text) {
    constexpr size_t kRoom = kDialogTextRoom + 2;  // the text and its "%Q"
    size_t i = 0;
    while (i < kRoom && text[i] && !(text[i] == '%' && text[i + 1] == 'Q')) {
        if (!(text[i] == '%' && text[i + 1] == 'T')) {
            const long nick = ReplaceNickCode(text, i, kRoom);
            if (nick >= 0) {
                i += size_t(nick);
                continue;
            }
            i += (IsLead(uint8_t(text[i])) && text[i + 1]) ? 2 : 1;
            continue;
        }
        // The code: "%T", its digits and the "."; at most 7 bytes are looked at.
        char code[16] = {};
        size_t n = 0;
        while (n < 7 && text[i + n] && text[i + n] != '.') {
            code[n] = text[i + n];
            ++n;
        }
        bool dot = text[i + n] == '.';
        if (n >= 7 || !dot) {
            code[n] = '.';
            ErrorBox(kItemCaption, kCodeTooLongText, code);
            ErrorBox(kItemCaption, kBadNumberText, code);
            i += 4;
            continue;
        }
        char* end = nullptr;
        long id = std::strtol(code + 2, &end, 10);
        if (n == 2 || end != code + n || id < 0) {
            code[n] = '.';
            ErrorBox(kItemCaption, kBadNumberText, code);
            i += 4;
            continue;
        }
        ObjRecord record{};
        int found = ReadObjRecord(&record, uint32_t(id));
        FreeRecordText(&record);
        if (!found) {
            ErrorBox(kItemCaption, kNoItemText, int(id));
            i += 4;
            continue;
        }
        code[n] = '.';
        if (MatchPrefix(text + i, code, record.name, uint32_t(kRoom + 1 - i))) {
            i += std::strlen(record.name);
        } else {
            i += n + 1;  // the name would push the marker out: the code stays
        }
    }
    // Measure lines and characters.
    uint32_t lines = 1, chars = 0, column = 0;
    for (size_t k = 0; k < kRoom && text[k];) {
        if (text[k] == '%') {
            char c = text[k + 1];
            if (c == 'Q') break;
            if (c == 'K' || c == 'L' || c == 'N' || c == 'P') {
                ++lines;
                column = 0;
                k += 2;
                continue;
            }
            if (c == 'C' || c == 'D' || c == 'S') {
                k += 3;
                continue;
            }
            if (c == 'A' || c == 'B') {
                k += 2;
                continue;
            }
        }
        ++chars;
        if (++column == 21) {
            ++lines;
            column = 1;
        }
        ++k;
    }
    return (lines << 16) | chars;
}

void AppendDialogNode(DialogNode* node) {
    node->next = nullptr;
    DialogNode** link = &gDialogList;
    while (*link) link = &(*link)->next;
    *link = node;
}

bool SetupDialog(DialogNode* node, const uint8_t* operands, size_t size, const char* caption, uint32_t mode,
                 uint16_t xOffset, uint16_t value) {
    bool anchored = node->anchorX != 0 || node->anchorY != 0;
    bool free = (node->flags & kDlgFromOrigin) != 0;
    uint32_t kind = mode & kDialogKindMask;
    bool oneLine = (mode & kDialogOneLine) != 0;
    int textWord = kind == 1 ? 6 : kind == 2 ? 4 : 2;
    if (oneLine && free) textWord = 2;
    size_t start = size_t(textWord) * 2;
    long marker = start <= size ? FindMarker(operands + start, size - start, kDialogTextRoom) : -1;
    if (marker < 0) {
        ErrorBox(kSetupCaption, kNoEndText, "SetupDialog");
        *node = DialogNode{};
        return false;
    }
    std::memset(node->text, 0, sizeof node->text);
    std::memcpy(node->text, operands + start, size_t(marker) + 2);
    node->readPos = node->pageStart = 0;
    uint32_t measure = ReplaceItemNames(node->text);
    int32_t lines = int32_t(measure >> 16), chars = int32_t(measure & 0xFFFF);
    if (mode & kDialogHistory) AppendTalkHistory(node->text);

    const int32_t u = int32_t(kDialogUnitPixels);
    if (oneLine) {
        node->width = u * chars;
        node->height = 2 * u;
    } else if (kind == 1) {
        node->width = u * Operand(operands, size, 4);
        node->height = u * Operand(operands, size, 5);
    } else if (kind == 2) {
        node->width = u * Operand(operands, size, 2);
        node->height = u * Operand(operands, size, 3);
    } else {
        node->width = u * (lines > 4 ? 20 : lines == 4 ? 18 : 16);
        node->height = u * (lines > 4 ? 10 : lines == 4 ? 8 : 6);
    }

    uint16_t guid = Operand(operands, size, 0);
    uint32_t speaker = kDialogNoSpeaker;
    bool hasSpeaker = guid != kGuidNone && !free;
    if (hasSpeaker && (!ResolveRole(guid, &speaker) || speaker >= kMaxRoles)) {
        ErrorBox(kSetupCaption, kBadSpeakerText, int(guid));
        *node = DialogNode{};
        return false;
    }
    if (!hasSpeaker) speaker = kDialogNoSpeaker;

    int act = Operand(operands, size, 1);
    int frame = 0;
    while (frame < 4 && !(gDialogScene.frames[frame] && gDialogScene.frames[frame]->act == act)) ++frame;
    if (frame == 4) {
        ErrorBox("SetupDialog", kBadFrameText, act);
        frame = 0;
    }
    node->frameAct = gDialogScene.frames[frame];
    StepAct(gDialogScene.frames[frame], "Act Err(Dialog:Frame)");
    node->captionAct = nullptr;
    std::memset(node->caption, 0, sizeof node->caption);
    if (caption && caption[0]) {
        node->captionAct = gDialogScene.captions[frame];
        std::strncpy(node->caption, caption, kDialogCaptionBytes - 1);
        StepAct(gDialogScene.captions[frame], "Act Err(Dialog:Caption)");
    }

    node->speaker = uint16_t(speaker);
    node->typeDelay = uint16_t(2 * gTextSpeed);
    node->border[0] = node->border[1] = 4;
    node->inset = 4;
    bool tall = (node->flags & kDlgTall) != 0;
    int32_t tallShift = 0;
    if (tall) {
        node->border[0] = node->border[1] = 5;
        if (hasSpeaker) tallShift = kOffsetY[FacingOf(speaker)] > 0 ? -48 : 32;
    }
    if (hasSpeaker && speaker == 0) {
        gRole[0].x = gDialogScene.cameraLeft + 64;
        gRole[0].y = gDialogScene.cameraTop + 16;
    }
    node->x = Operand(operands, size, 2);
    node->y = Operand(operands, size, 3);
    if (mode & kDialogCentred) node->x -= node->width / 2;

    if (oneLine && free) {
        node->x = std::max<int32_t>(int32_t(value) - node->height - 16, 16);
        node->y = std::max<int32_t>(node->y, 16);
        if (node->x + node->width >= 608) node->x = 608 - node->width;
        if (node->y + node->height >= 464) node->y = 464 - node->height;
        return true;
    }
    if (kind != 0 && kind != 2) return true;

    if (!anchored) {
        if (hasSpeaker && speaker != 0) {
            node->anchorX = gRole[speaker].x;
            node->anchorY = gRole[speaker].y;
        } else if (!hasSpeaker) {
            node->anchorX = gDialogScene.talkX;
            node->anchorY = gDialogScene.talkY;
        }
        if (!(hasSpeaker && speaker == 0)) {
            node->x = node->anchorX - node->width / 2 - gDialogScene.cameraLeft;
            node->y = node->anchorY - node->height / 2 - gDialogScene.cameraTop;
        }
    }
    if (!free && hasSpeaker) {
        int f = FacingOf(speaker);
        if (mode & kDialogOffsets) {
            // The offsets are signed words: a box may move left or up.
            node->x += int16_t(xOffset);
            node->y += int16_t(value);
        } else {
            node->x += kOffsetX[f];
            node->y += kOffsetY[f] + tallShift;
        }
    } else {
        node->x += kOffsetX[1];
        node->y += kOffsetY[1];
    }
    Clamp(node, 30, 40);
    if (!(mode & kDialogOffsets) && !tall && hasSpeaker) {
        int32_t sx = gRole[speaker].x - gDialogScene.cameraLeft, sy = gRole[speaker].y - gDialogScene.cameraTop;
        if (sx > node->x - 16 && sx < node->x + node->width + 48 && sy > node->y - 16 && sy < node->y + node->height + 64) {
            int f = FacingOf(speaker);
            node->x += kOffsetX[f];
            node->y += kOffsetY[f];
            Clamp(node, 24, 32);
        }
    }
    return true;
}

void ResetDialogSetup() {
    FreeTalkHistory();
    gDialogScene = DialogScene{};
}
