#include "world/script/talk_flow_dialog.h"

#include <algorithm>
#include <cstring>

#include "base/errorbox.h"
#include "base/file.h"
#include "draw/dialog_node.h"
#include "world/map/map.h"
#include "world/role/dialog_setup.h"
#include "world/role/role_record.h"
#include "world/script/talk_flow.h"
#include "world/story_flags.h"

namespace {

constexpr char kWaitCaption[] = "Talk(wait_dlg2)";
constexpr char kNotHereText[] =
    "\xA8\xA4\xA6\xE2\xB8\xB9\xBDX(GUID:%d)\xA4\xA3\xA6s\xA6\x62\xA6\xB9\xA6\x61\xB9\xCF(%d)";
constexpr char kCaptionCaption[] = "\xB9\xEF\xB8\xDC\xA8t\xB2\xCE(Caption2)";
constexpr char kCaptionVarText[] = "\xB3]\xA9w\xAA\xBA\xC5\xDC\xBC\xC6(%d)\xA9M\xA8t\xB2\xCE\xBD\xC4\xAC\xF0";

// Talk locks of a speaker (RoleRecord::talkLock).
constexpr uint16_t kLockClosed = 0;
constexpr uint16_t kLockWaiting = 1;
constexpr uint16_t kLockOpen = 2;

// The screen's far edges for the anchor of 0x6C, and where a box may stand.
constexpr uint16_t kScreenRight = 639, kScreenBottom = 479, kAnchorFallback = 16;
constexpr int32_t kBoxLeft = 30, kBoxTop = 40, kBoxRight = 576, kBoxBottom = 456;

constexpr size_t kHistoryText = 253; // bytes of history text before "%Q" and the zero

RoleRecord& Ctx() { return gTalkContext; }
TalkDialogOptions& Options() { return gTalkMachine.flow.options; }

bool IsLead(uint8_t c) { return c >= 0x81 && c <= 0xFE; }

// The speaker of a GUID operand as a dialog's speaker index: 0xFFFD is the
// dialogs without a speaker. False when the GUID names no role on the map.
bool SpeakerOf(uint16_t operand, uint32_t* speaker) {
    const uint16_t guid = TalkGuid(operand);
    *speaker = kDialogNoSpeaker;
    if (guid == kTalkGuidNone) return true;
    return TalkRole(guid, speaker) && *speaker < kMaxRoles;
}

uint16_t& LockOf(uint32_t speaker) { return speaker < kMaxRoles ? gRole[speaker].talkLock : Ctx().talkLock; }

DialogNode* FirstDialogOf(uint32_t speaker) {
    for (DialogNode* n = gDialogList; n; n = n->next)
        if (n->speaker == speaker) return n;
    return nullptr;
}

// ---- Dialogs -------------------------------------------------------------------------------

struct DialogKind {
    uint32_t kind;
    bool waits;
    uint32_t flags;
};
DialogKind KindOf(uint16_t op) {
    switch (op) {
    case 0x01: return {0, true, 0};
    case 0x02: return {0, false, 0};
    case 0x03: return {1, true, 0};
    case 0x04: return {1, false, 0};
    case 0x05: return {1, true, kDlgFadingClose};
    case 0x06: return {1, false, kDlgFadingClose};
    case 0x59: return {2, true, 0};
    default: return {2, false, 0};
    }
}

// The pending option bits and what each adds to the next dialog.
struct OptionBit {
    uint16_t op;
    uint32_t bit;
    uint32_t nodeFlag;
    uint32_t mode;
};
constexpr OptionBit kOptionBits[] = {
    {0x07, 1u << 31, kDlgNoSkip, 0},
    {0x09, 1u << 30, kDlgNoWait, 0},
    {0x50, 1u << 29, kDlgTall, 0},
    {0x68, 1u << 28, 0, kDialogOffsets},
    {0x69, 1u << 27, 0, kDialogOneLine},
    {0x79, 1u << 26, kDlgClosing, 0},
    {0x7C, 1u << 25, 0, kDialogHistory},
};

void ApplyOptions(DialogNode* node, uint32_t* mode) {
    const TalkDialogOptions& o = Options();
    for (const OptionBit& b : kOptionBits) {
        if (o.optionWord & b.bit) continue;
        node->flags |= b.nodeFlag;
        *mode |= b.mode;
    }
    if (o.timer) {
        node->flags |= kDlgAutoAdvance;
        node->autoTime = uint16_t(o.timerValue);
    }
    if (o.centred) *mode |= kDialogCentred;
}

void ResetPending() {
    Options() = TalkDialogOptions{};
    std::memset(gTalkMachine.flow.caption, 0, sizeof gTalkMachine.flow.caption);
}

// A box whose anchor was set by 0x6C and whose size comes from its text or
// its units is centred on that point (its operand words hold no position).
void PlaceAtAnchor(DialogNode* node) {
    node->x = node->anchorX - gDialogScene.cameraLeft - node->width / 2;
    node->y = node->anchorY - gDialogScene.cameraTop - node->height / 2;
    node->x = std::max(kBoxLeft, std::min(node->x, kBoxRight - node->width));
    node->y = std::max(kBoxTop, std::min(node->y, kBoxBottom - node->height));
}

TalkStep OpDialog(TalkInstr& in) {
    const DialogKind kind = KindOf(in.op);
    uint8_t* operands = in.at + 2;
    const size_t size = in.length - 2;
    // The starter is written back into the window, as the set-up resolves the word.
    if ((operands[0] | operands[1] << 8) == kTalkGuidStarter) {
        operands[0] = uint8_t(Ctx().guid);
        operands[1] = uint8_t(Ctx().guid >> 8);
    }
    auto* node = new DialogNode{};
    const TalkDialogOptions& o = Options();
    const bool anchored = o.anchorX != TalkDialogOptions::kNoAnchor;
    if (anchored) {
        node->anchorX = gDialogScene.cameraLeft + o.anchorX;
        node->anchorY = gDialogScene.cameraTop + o.anchorY;
    }
    gDialogScene.talkX = Ctx().x;
    gDialogScene.talkY = Ctx().y;
    uint32_t mode = kind.kind;
    node->flags = kind.flags;
    ApplyOptions(node, &mode);
    const bool placed = SetupDialog(node, operands, size, gTalkMachine.flow.caption, mode, uint16_t(o.xOffset),
                                    uint16_t(o.yOffset));
    ResetPending();
    if (!placed) {
        // The set-up has reported why; no node and no count, so nothing waits for it.
        delete node;
        return TalkStep::kYield;
    }
    if (anchored && kind.kind != 1 && !(mode & kDialogOneLine)) PlaceAtAnchor(node);
    uint16_t& lock = LockOf(node->speaker);
    lock = kLockOpen;
    if (kind.waits) {
        node->flags |= kDlgReleasesPlayer;
        lock = kLockWaiting;
        ++gDialogCount;
    }
    AppendDialogNode(node);
    return TalkStep::kYield;
}

// ---- Settings and captions -----------------------------------------------------------------

TalkStep OpClearOption(TalkInstr& in) {
    for (const OptionBit& b : kOptionBits)
        if (b.op == in.op) Options().optionWord &= ~b.bit;
    return TalkStep::kContinue;
}

TalkStep OpTimer(TalkInstr& in) {
    Options().timer = true;
    Options().timerValue = in.Operands().u16();
    return TalkStep::kContinue;
}

TalkStep OpOffsets(TalkInstr& in) {
    ByteReader o = in.Operands();
    Options().xOffset = o.i16();
    Options().yOffset = o.i16();
    return OpClearOption(in);
}

TalkStep OpCentred(TalkInstr&) {
    Options().centred = true;
    return TalkStep::kContinue;
}

TalkStep OpAnchor(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t x = o.u16(), y = o.u16();
    Options().anchorX = x > kScreenRight ? kAnchorFallback : x;
    Options().anchorY = y > kScreenBottom ? kAnchorFallback : y;
    return TalkStep::kContinue;
}

// The caption is name `number` of "namex.dat" with its item codes replaced,
// cut to the caption's 32 bytes at a whole character.
void LoadCaption(uint32_t number) {
    char text[kDialogTextBytes + 2] = {};
    ReadNameText(int(number), int(kDialogCaptionBytes), text, "%Q");
    ReplaceItemNames(text);
    char* caption = gTalkMachine.flow.caption;
    std::memset(caption, 0, kDialogCaptionBytes);
    size_t n = 0;
    while (text[n]) {
        const size_t step = IsLead(uint8_t(text[n])) && text[n + 1] ? 2 : 1;
        if (n + step > kDialogCaptionBytes - 1) break;
        n += step;
    }
    std::memcpy(caption, text, n);
}

TalkStep OpCaption(TalkInstr& in) {
    LoadCaption(TalkGuid(in.Operands().u16()));
    return TalkStep::kContinue;
}

TalkStep OpCaptionVar(TalkInstr& in) {
    const uint16_t var = in.Operands().u16();
    if (var != 11 && var != 12) {
        ErrorBox(kCaptionCaption, kCaptionVarText, int(var));
    } else if (gTalkVar[var] == 0) {
        ErrorBox(kCaptionCaption, kCaptionVarText, 0);
    } else {
        LoadCaption(gTalkVar[var]);
    }
    return TalkStep::kContinue;
}

// ---- Waits, closing and the history -----------------------------------------------------

// Waits until the speaker's dialogs are closed. A lock that no open dialog
// holds would never be cleared (the dialogs without a speaker never clear
// the context's lock), so the wait ends with the speaker's last dialog.
TalkStep OpWaitClosed(TalkInstr& in) {
    uint32_t speaker = 0;
    const uint16_t guid = TalkGuid(in.Operands().u16());
    if (!SpeakerOf(guid, &speaker)) {
        ErrorBox("Talk(wait_dlg)", kNotHereText, int(guid), int(gCurrentMap));
        return TalkStep::kYield;
    }
    uint16_t& lock = LockOf(speaker);
    if (FirstDialogOf(speaker) && (lock != kLockClosed || speaker == kDialogNoSpeaker)) return TalkStep::kWait;
    if (speaker == kDialogNoSpeaker) lock = kLockClosed;
    return TalkStep::kYield;
}

// 0x77 waits for the open flag of the speaker's first dialog, 0x8B for its
// last page; an ended or absent dialog lets it go on.
TalkStep OpWaitFlag(TalkInstr& in) {
    uint32_t speaker = 0;
    const uint16_t guid = TalkGuid(in.Operands().u16());
    if (!SpeakerOf(guid, &speaker)) {
        ErrorBox(kWaitCaption, kNotHereText, int(guid), int(gCurrentMap));
        return TalkStep::kContinue;
    }
    const uint32_t flag = in.op == 0x77 ? kDlgOpenComplete : kDlgLastPage;
    const DialogNode* n = FirstDialogOf(speaker);
    if (!n || (n->flags & (flag | kDlgEnded))) return TalkStep::kContinue;
    return TalkStep::kWait;
}

// Closes every open dialog of the speaker at once. Only a dialog that held
// the player and has not already ended gives its count back, and a closed
// dialog's choice buttons go with it.
TalkStep OpCloseDialogs(TalkInstr& in) {
    uint32_t speaker = 0;
    if (!SpeakerOf(in.Operands().u16(), &speaker)) return TalkStep::kContinue;
    DialogNode** link = &gDialogList;
    while (*link) {
        DialogNode* n = *link;
        if (n->speaker != speaker) {
            link = &n->next;
            continue;
        }
        *link = n->next;
        LockOf(speaker) = kLockClosed;
        if (!(n->flags & kDlgEnded)) {
            if ((n->flags & kDlgReleasesPlayer) && gDialogCount > 0) --gDialogCount;
            if (n->flags & kDlgOptionsListed) FreeEventRects();
        }
        delete n;
    }
    return TalkStep::kContinue;
}

TalkStep OpHistory(TalkInstr& in) {
    const size_t bytes = std::min<size_t>(in.length - 4, kHistoryText); // without the word and "%Q"
    char text[kHistoryText + 3] = {};
    std::memcpy(text, in.at + 2, bytes);
    std::memcpy(text + bytes, "%Q", 2);
    AppendTalkHistory(text);
    return TalkStep::kYield;
}

} // namespace

void RegisterTalkDialogOps(TalkHandler* table) {
    for (uint16_t op : {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x59, 0x5A}) table[op] = OpDialog;
    for (const OptionBit& b : kOptionBits) table[b.op] = OpClearOption;
    table[0x68] = OpOffsets;
    table[0x08] = OpTimer;
    table[0xA0] = OpCentred;
    table[0x6C] = OpAnchor;
    table[0x5B] = OpCaption;
    table[0xA2] = OpCaptionVar;
    table[0x0E] = OpWaitClosed;
    table[0x77] = table[0x8B] = OpWaitFlag;
    table[0x76] = OpCloseDialogs;
    table[0x7D] = OpHistory;
}
