#include "world/script/talk_machine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "base/errorbox.h"
#include "base/file.h"
#include "base/game_state.h"
#include "base/settings.h"
#include "draw/dialog_node.h"
#include "draw/tsw_pack.h"
#include "world/dialog/dlg_message.h"
#include "world/map/map.h"
#include "world/map/map_archive.h"
#include "world/map/map_effects.h"
#include "world/map/map_render.h"
#include "world/role/dialog_setup.h"
#include "world/role/role_def.h"
#include "world/role/role_helpers.h"
#include "world/script/path_slot.h"
#include "world/script/path_walk.h"
#include "world/script/talk_flow.h"
#include "world/spirit/spirit.h"
#include "world/story_flags.h"
#include "world/walk/key_cole.h"
#include "world/walk/key_state.h"
#include "world/walk/map_events.h"

TalkMachine gTalkMachine;

namespace {

// "Talk system" and the machine's own texts.
constexpr char kTalkEndCaption[] = "\xB9\xEF\xB8\xDC\xA8t\xB2\xCE(TalkEnd)";
// "No instruction (%d,%x),(%d,%x)"
constexpr char kNoInstrText[] = "\xA8S\xA6\xB3\xAB\xFC\xA5O(%d,%x),(%d,%x)";
// "Bad variable (%d)(%d)"
constexpr char kBadVarText[] = "\xC5\xDC\xBC\xC6\xA4\xA3\xA6X\xAAk(%d)(%d)\n";
// "GUID(%d)\nArray index error (crID %d) (manMax %d) "
constexpr char kBadIndexText[] =
    "GUID(%d)\n\xB0}\xA6" "C\xAF\xC1\xA4\xDE\xBF\xF9\xBB~(crID %d) (manMax %d) ";
constexpr char kMissingCaption[] = "KYV3-Talk";
constexpr char kMissingText[] = "\xA7\xE4\xA4\xA3\xA8\xEC Talk%d";  // "Cannot find Talk%d"
constexpr char kOpenCaption[] = "\xC0\xC9\xAE\xD7\xB6}\xB1\xD2";    // "Open file"
// "Story data (%c) cannot be read/%s"
constexpr char kOpenText[] = "\xBC@\xB1\xA1\xB8\xEA\xAE\xC6(%c)\xB5L\xAAk\xC5\xAA\xA8\xFA/%s";
// "Setting error GUID[%d]\nact[%d] qq[%d] dir[%d]"
constexpr char kActErrText[] = "\xB3]\xA9w\xBF\xF9\xBB~ GUID[%d]\nact[%d] qq[%d] dir[%d]";
constexpr char kEntryText[] = "Talk %u: its code offset %u lies outside Talk%u.dat.";
constexpr char kTargetText[] = "Talk %u: jump target %u lies outside Talk%u.dat.";
constexpr char kBoundsText[] = "Talk %u: instruction %x at %u runs past the talk window.";
constexpr char kBudgetText[] = "Talk %u ran %u instructions in one frame without waiting; it ends here.";

constexpr uint16_t kOpRunOn = 0x0400;
constexpr uint16_t kOpRunOff = 0x0401;
constexpr uint16_t kOpNop = 0x0402;
constexpr uint8_t kWindowFill = 0x0C;
constexpr uint32_t kNoSign = 0x80000000u;
constexpr uint32_t kRoleCursorAlone = 0x20;   // the pointer over it leaves the cursor
constexpr uint32_t kRoleCursorSpecial = 0x40; // cursor 10, and no point under it is tested
constexpr int32_t kQqStand = 0, kQqStandAlt = 52;
constexpr int kGridMask = 15;
enum : uint32_t { kCursorTalk = 9, kCursorTalkSpecial = 10, kCursorPoint = 11, kCursorArrow = 13 };

// ---- Talk files in memory -------------------------------------------------------------------

enum class FileRead { kOk, kMissing, kBad };

std::map<uint32_t, std::vector<uint8_t>> gTalkFiles;

std::string TalkFilePath(uint32_t file) {
    char path[600];
    std::snprintf(path, sizeof path, "%sTalk%u.dat", gInstallPath, file);
    return path;
}

// The whole file, read on first use; a file too short for its offset
// table or too large is refused.
const std::vector<uint8_t>* TalkFile(uint32_t file, FileRead* why) {
    auto at = gTalkFiles.find(file);
    if (at != gTalkFiles.end()) return &at->second;
    cFile f;
    if (!f.Open(TalkFilePath(file).c_str(), kOpenExisting, kGenericRead)) {
        *why = FileRead::kMissing;
        return nullptr;
    }
    const uint32_t size = f.GetSize();
    std::vector<uint8_t> bytes;
    if (size >= kTalkHeadBytes + kTalkFirstCodeOffset && size <= kTalkFileMaxBytes) {
        bytes.resize(size);
        if (!f.ReadExact(bytes.data(), size)) bytes.clear();
    }
    f.Close();
    if (bytes.empty()) {
        *why = FileRead::kBad;
        return nullptr;
    }
    return &gTalkFiles.emplace(file, std::move(bytes)).first->second;
}

// A file that cannot be read ends the game: one box, the quit bit, an idle
// context (the frame then closes the window without running the talk).
bool TalkFileOrQuit(uint32_t file, FileRead reason) {
    if (reason == FileRead::kMissing)
        ErrorBox(kMissingCaption, kMissingText, int(file));
    else
        ErrorBox(kOpenCaption, kOpenText, char('0' + std::min<uint32_t>(file, 9)), TalkFilePath(file).c_str());
    gGameMode |= kModeQuit;
    IdleTalkContext();
    return false;
}

const std::vector<uint8_t>* LoadedFile(uint32_t file) {
    FileRead why = FileRead::kOk;
    const std::vector<uint8_t>* bytes = TalkFile(file, &why);
    if (!bytes) TalkFileOrQuit(file, why);
    return bytes;
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

// A code offset that names at least one instruction word after the table.
bool CodeOffsetOk(const std::vector<uint8_t>& file, uint32_t offset) {
    return offset >= kTalkFirstCodeOffset && uint64_t(kTalkHeadBytes) + offset + 2 <= file.size();
}

// The window from a code offset: the file's bytes, then the fill byte, so
// code that runs past what was read meets the unknown instruction 0x0C0C.
void FillWindow(const std::vector<uint8_t>& file, uint32_t offset) {
    std::memset(gTalkMachine.window, kWindowFill, sizeof gTalkMachine.window);
    const size_t from = size_t(kTalkHeadBytes) + offset;
    const size_t n = std::min<size_t>(file.size() - from, sizeof gTalkMachine.window);
    std::memcpy(gTalkMachine.window, file.data() + from, n);
}

// ---- Roles released at the end -------------------------------------------------------------

bool RoleIndexOk(uint32_t index) { return index < TotalRole && index < kMaxRoles; }

void StepActOrReport(RoleRecord& r, const char* caption) {
    if (!TakeActData(&r.act)) ErrorBox(caption, kActErrText, r.guid, r.act.act, r.act.qq, r.act.dir);
}

// A role that turned to its talker faces as before; nothing stays saved.
void RestoreFacing(RoleRecord& r) {
    if (r.flags & kRoleTurnsToTalker) {
        if (r.act.savedQq != -1) r.act.qq = r.act.savedQq;
        if (r.act.savedDir != -1) r.act.dir = r.act.savedDir;
    }
    r.act.savedQq = r.act.savedDir = -1;
    StepActOrReport(r, "Act Err(Talk:Talkend)");
}

void ReleaseStarter(uint32_t index) {
    RoleRecord& r = gRole[index];
    unlock(index);
    r.flags &= ~kRoleHeld;
    RestoreFacing(r);
    if (r.flags & kRoleTalkStarter) {
        unlock(index);
        r.flags &= ~(kRoleHeld | kRoleTalkStarter);
    }
}

// ---- Variables -------------------------------------------------------------------------------

void SetSpiritFromVariable(uint32_t slot) {
    // Slot 1..5 carries spirit slot - 1 of the file; 0 carries none, and any
    // other value loads nothing (the file has five slots).
    if (slot >= 1 && slot <= 5) LoadSpirit(int(slot) - 1);
}

TalkStep RunVariableOp(TalkInstr& instr) {
    ByteReader in = instr.Operands();
    const bool wide = instr.op >= 0xB5;
    const int16_t index = in.i16();
    const uint32_t value = wide ? in.u32() : uint32_t(int32_t(in.i16()));
    if (index < 0 || index >= kTalkVarCount) {
        ErrorBox(kTalkCaption, kBadVarText, index, int32_t(value));
        return TalkStep::kFail;
    }
    uint32_t& v = gTalkVar[index];
    TalkStep step = TalkStep::kContinue;
    switch (instr.op - (wide ? 0xB5 : 0x1D)) {
    case 0:
        v = value;
        if (index == kTalkVarSpirit) SetSpiritFromVariable(v);
        break;
    case 1: v += value; break;
    case 2:
        v -= value;
        if (v & kNoSign) v = 0;
        break;
    case 3:
    case 4: {
        const bool goOn = instr.op == 0x20 || instr.op == 0xB8 ? v < value : v > value;
        if (!goOn) step = TalkGoto(gTalkContext, in.u32()) ? TalkStep::kJump : TalkStep::kFail;
        break;
    }
    }
    if (gTalkVar[0] & kNoSign) gTalkVar[0] = 0;
    return step;
}

struct HandlerTable {
    TalkHandler slots[kTalkHandlerSlots] = {};
    HandlerTable() {
        RegisterTalkFlowOps(slots);
        RegisterTalkRoleOps(slots);
        RegisterTalkMediaOps(slots);
        for (uint16_t op : {0x1D, 0x1E, 0x1F, 0x20, 0x21, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9}) slots[op] = RunVariableOp;
    }
};

HandlerTable& Handlers() {
    static HandlerTable table;
    return table;
}

// ---- The loop --------------------------------------------------------------------------------

// A talk whose window is not loaded yet: the player on the grid, the
// starter marked, the window read. False while it waits or when it failed
// (a failed file read returns through *fatal).
bool LoadTalk(RoleRecord& ctx, bool* fatal) {
    if (RoleIndexOk(gPlayerRole)) {
        const RoleRecord& p = gRole[gPlayerRole];
        if ((p.x & kGridMask) || (p.y & kGridMask)) return false;
    }
    uint32_t starter = 0;
    if (ctx.guid != kTalkGuidNone && ResolveRole(ctx.guid, &starter) && RoleIndexOk(starter))
        gRole[starter].flags |= kRoleTalkStarter;
    const uint32_t fileNumber = TalkFileNumber(ctx.talkNumber);
    const std::vector<uint8_t>* file = LoadedFile(fileNumber);
    if (!file) {
        *fatal = true;
        return false;
    }
    gTalkMachine.file = fileNumber;
    // A trigger that copied a role's window base resumes there; a new entry
    // starts at its code offset.
    uint32_t base = ctx.talkWindowBase;
    if (base == 0) {
        base = U32At(*file, kTalkHeadBytes + 4 * TalkEntry(ctx.talkNumber));
        ctx.talkPc = 0;
    }
    if (!CodeOffsetOk(*file, base)) {
        ErrorBox(kTalkCaption, kEntryText, unsigned(ctx.talkNumber), unsigned(base), unsigned(fileNumber));
        EndRunningTalk();
        return false;
    }
    ctx.talkWindowBase = base;
    FillWindow(*file, base);
    gTalkWindowLoaded = true;
    gDialogState |= kDialogPlayerHeld;
    if (RoleIndexOk(gPlayerRole)) StepActOrReport(gRole[gPlayerRole], "Act Err(Talk:LoadTalk)");
    return true;
}

// Runs the instruction at the program counter; *length is its length.
TalkStep Dispatch(RoleRecord& ctx, uint32_t* length) {
    const uint32_t pc = ctx.talkPc;
    *length = 2;
    if (pc + 2 > kTalkWindowBytes) {
        ErrorBox(kTalkCaption, kBoundsText, unsigned(ctx.talkNumber), 0u, unsigned(pc));
        return TalkStep::kFail;
    }
    TalkInstr instr;
    instr.at = gTalkMachine.window + pc;
    instr.word = uint16_t(instr.at[0] | instr.at[1] << 8);
    instr.op = instr.word & kTalkOpMask;
    instr.pc = pc;
    gTalkMachine.op = instr.op;
    switch (instr.op) {
    case kTalkOpEnd: EndRunningTalk(); return TalkStep::kEnded;
    case kOpRunOn: gTalkMachine.runOn = true; return TalkStep::kContinue;
    case kOpRunOff: gTalkMachine.runOn = false; return TalkStep::kYield;
    case kOpNop: return TalkStep::kContinue;
    default: break;
    }
    const TalkHandler handler = FindTalkHandler(instr.op);
    if (!handler || !FindTalkOp(instr.op)) {
        ErrorBox(kTalkCaption, kNoInstrText, instr.op, instr.op, gTalkMachine.lastOp, gTalkMachine.lastOp);
        return TalkStep::kFail;
    }
    instr.length = TalkInstrLength(gTalkMachine.window, kTalkWindowBytes, pc);
    if (instr.length == 0) {
        ErrorBox(kTalkCaption, kBoundsText, unsigned(ctx.talkNumber), unsigned(instr.op), unsigned(pc));
        return TalkStep::kFail;
    }
    *length = instr.length;
    return handler(instr);
}

} // namespace

void TalkInstr::SetStateBits(uint16_t bits) {
    word = uint16_t((word & kTalkOpMask) | (bits & 0xC000));
    at[0] = uint8_t(word);
    at[1] = uint8_t(word >> 8);
}

TalkHandler FindTalkHandler(uint16_t op) {
    op &= kTalkOpMask;
    return op < kTalkHandlerSlots ? Handlers().slots[op] : nullptr;
}

TalkHandler SetTalkHandler(uint16_t op, TalkHandler handler) {
    op &= kTalkOpMask;
    if (op >= kTalkHandlerSlots) return nullptr;
    return std::exchange(Handlers().slots[op], handler);
}

void ResetTalkMachine() {
    std::memset(gTalkMachine.window, 0, sizeof gTalkMachine.window);
    gTalkMachine.op = gTalkMachine.lastOp = 0;
    gTalkMachine.runOn = gTalkMachine.fault = false;
    gTalkMachine.file = 0;
    gTalkMachine.flow.Reset();
    gTalkMachine.role.Reset();
    gTalkMachine.media.Reset();
    FreeTalkFiles();
    ResetTalkState();
}

uint16_t TalkGuid(uint16_t operand) { return operand == kTalkGuidStarter ? gTalkContext.guid : operand; }

bool TalkRole(uint16_t operand, uint32_t* index) {
    const uint16_t guid = TalkGuid(operand);
    if (guid == kTalkGuidNone || guid == 0xFFFF) return false;
    return ResolveRole(guid, index);
}

void SetTalkFileBytes(uint32_t fileNumber, std::vector<uint8_t> bytes) {
    gTalkFiles[fileNumber] = std::move(bytes);
}

void FreeTalkFiles() { gTalkFiles.clear(); }

int RunTalk(RoleRecord& ctx) {
    if (ctx.guid == kTalkIdleGuid) return 1;
    // Dialogs set up by this frame's instructions are placed on the screen
    // from the camera the last frame was drawn with.
    gDialogScene.cameraLeft = gCamera.left;
    gDialogScene.cameraTop = gCamera.top;
    if (!gTalkWindowLoaded) {
        bool fatal = false;
        if (!LoadTalk(ctx, &fatal)) return fatal ? 0 : 1;
    }
    gTalkMachine.runOn = false;
    for (uint32_t steps = 0;; ++steps) {
        if (steps == kTalkStepBudget) {
            ErrorBox(kTalkCaption, kBudgetText, unsigned(ctx.talkNumber), unsigned(steps));
            EndRunningTalk();
            return 1;
        }
        gTalkMachine.fault = false;
        uint32_t length = 2;
        TalkStep step = Dispatch(ctx, &length);
        gTalkMachine.lastOp = gTalkMachine.op;
        // A service that refused (a jump outside the file) or a handler that
        // emptied the context ends the talk whatever the handler returned.
        if (step != TalkStep::kEnded && (gTalkMachine.fault || ctx.guid == kTalkIdleGuid)) step = TalkStep::kFail;
        if (step == TalkStep::kFail) {
            // A talk file that could not be read has set the quit bit: the game closes.
            if (gTalkMachine.fault && (gGameMode & kModeQuit)) return 0;
            if (ctx.guid != kTalkIdleGuid) EndRunningTalk();
            return 1;
        }
        if (step == TalkStep::kContinue || step == TalkStep::kYield) ctx.talkPc = uint16_t(ctx.talkPc + length);
        if (gGameMode & kModeQuit) return 1;
        // A wait ends the frame even inside a run-on stretch: what it waits
        // for needs frames, so running it again at once would only spin.
        if (step == TalkStep::kEnded || step == TalkStep::kWait) return 1;
        if ((step == TalkStep::kYield || step == TalkStep::kJumpYield) && !gTalkMachine.runOn) return 1;
    }
}

bool TalkGoto(RoleRecord& ctx, uint32_t target) {
    FileRead why = FileRead::kOk;
    const std::vector<uint8_t>* file = TalkFile(gTalkMachine.file, &why);
    if (!file || !CodeOffsetOk(*file, target)) {
        ErrorBox(kTalkCaption, kTargetText, unsigned(ctx.talkNumber), unsigned(target), unsigned(gTalkMachine.file));
        gTalkMachine.fault = true;
        return false;
    }
    ctx.talkWindowBase = target;
    ctx.talkPc = 0;
    FillWindow(*file, target);
    return true;
}

bool OpenTalkScript(RoleRecord& ctx, uint32_t talk) {
    const uint32_t fileNumber = TalkFileNumber(talk);
    FileRead why = FileRead::kOk;
    const std::vector<uint8_t>* file = TalkFile(fileNumber, &why);
    if (!file) {
        gTalkMachine.fault = true;
        return TalkFileOrQuit(fileNumber, why);
    }
    const uint32_t offset = U32At(*file, kTalkHeadBytes + 4 * TalkEntry(talk));
    if (!CodeOffsetOk(*file, offset)) {
        ErrorBox(kTalkCaption, kEntryText, unsigned(talk), unsigned(offset), unsigned(fileNumber));
        gTalkMachine.fault = true;
        return false;
    }
    gTalkMachine.file = fileNumber;
    ctx.talkWindowBase = offset;
    ctx.talkPc = 0;
    FillWindow(*file, offset);
    return true;
}

void EndRunningTalk() {
    RoleRecord& c = gTalkContext;
    uint32_t index = 0;
    if (c.guid != kTalkIdleGuid && c.guid != kTalkGuidNone && ResolveRole(c.guid, &index)) {
        if (index >= kMaxRoles)
            ErrorBox(kTalkEndCaption, kBadIndexText, c.guid, int(index), int(TotalRole));
        else
            ReleaseStarter(index);
    }
    for (uint32_t i = 0; i < TotalRole && i < kMaxRoles; ++i) gRole[i].act.savedQq = gRole[i].act.savedDir = -1;
    for (PathSlot& slot : gPathSlots) {
        if (slot.role == kSlotFree || (slot.mode & 0x0F) <= kSlotModeScript) continue;
        const uint32_t role = slot.role;
        ClearPathSlot(&slot);
        if (role < kMaxRoles) {
            gRole[role].pathNumber = 0;
            gRole[role].pathPc = 0;
        }
    }
    gDialogState &= ~kDialogPlayerHeld;
    gTalkMachine.window[0] = gTalkMachine.window[1] = 0xFF;
    gTalkMachine.runOn = false;
    IdleTalkContext();
    gStillFrames = 0;
    gFadeLevel = 0;
}

void TalkEnd(uint32_t roleIndex) {
    if (!RoleIndexOk(roleIndex)) return;
    RoleRecord& r = gRole[roleIndex];
    if (!(r.flags & kRoleHeld)) return;
    if (FindPathSlot(roleIndex)) {
        // Back onto the grid by rounding to the nearest cell: stepping back
        // along the slot's direction never ends for a direction that does
        // not move on the axis that is off.
        if (((r.x | r.y) & kGridMask) != 0) {
            SetRoleBlockFlags(&r);
            if (roleIndex != gPlayerRole) SnapRoleToCell(&r);
        }
        r.flags &= ~(kRoleFar | kRoleWalking);
        r.act.waitOverride = 0;
    }
    unlock(roleIndex);
    RestoreFacing(r);
    r.flags &= ~kRoleHeld;
    r.act.wait = 0;
}

// ---- Triggers --------------------------------------------------------------------------------

bool TalkIdle() { return TalkContextIdle(); }

void StartRoleTalk(uint32_t roleIndex) {
    if (!TalkIdle() || !RoleIndexOk(roleIndex)) return;
    const RoleRecord& r = gRole[roleIndex];
    RoleRecord& c = gTalkContext;
    c.talkWindowBase = r.talkWindowBase;
    c.talkPc = r.talkPc;
    c.talkNumber = r.talkNumber;
    c.guid = r.guid;
    c.flags = r.flags;
    c.x = r.x;
    c.y = r.y;
    gTalkWindowLoaded = false;
}

void StartStoryTalk(uint32_t talk, uint16_t guid, int32_t x, int32_t y) {
    if (!TalkIdle()) return;
    RoleRecord& c = gTalkContext;
    c.talkWindowBase = 0;
    c.talkPc = 0;
    c.flags = 0;
    c.talkNumber = uint16_t(talk);
    c.guid = guid;
    c.x = x;
    c.y = y;
    gTalkWindowLoaded = false;
}

void StartPointTalk(uint32_t talk, int32_t x, int32_t y) { StartStoryTalk(talk & 0x7FFF, kTalkGuidNone, x, y); }

void StartTimedTalk() {
    if (!TalkIdle()) return;
    gPlayActLists[0].clear();
    gPlayActLists[1].clear();
    gParticleLists.clear();
    gTObjList.clear();
    gRoleHeads.clear();
    FreeEventRects();
    FreeDialogList();
    for (uint32_t i = 1; i < TotalRole && i < kMaxRoles; ++i) {
        TalkEnd(i);
        gRole[i].talkLock = 0;
    }
    StartStoryTalk(gCountdownTalk, uint16_t(gMapScriptGuid));
}

void StartLostFightTalk() {
    // A talk still running (a fight started from a talk) ends first, so its
    // roles are released before talk 99 takes the context.
    if (!TalkIdle()) EndRunningTalk();
    StartStoryTalk(99, uint16_t(gMapScriptGuid));
}

uint32_t PointTalk(uint32_t event, bool* found) {
    const MapPoint* p = FindNodeById(event);
    *found = p != nullptr;
    return p ? p->values[kPointTalk] & 0x7FFF : 0;
}

int TalkWindowNumber() {
    if (TalkIdle() || !gTalkWindowLoaded) return 0;
    return int(std::min<uint32_t>(gTalkContext.talkWindowBase, uint32_t(INT32_MAX)));
}

void BindTalkSeams() {
    // The map frame draws and pages the talk dialogs, and asks whether a
    // talk runs and which window it runs in.
    gMapSeams.drawDialogs = DlgMessage;
    gMapSeams.talkRuns = [] { return !TalkIdle(); };
    gMapSeams.talkWindow = TalkWindowNumber;
    // A dialog grows from its speaker's point on the map: on the screen that
    // is the point less the camera's top-left.
    gDialogToScreen = [](int32_t* x, int32_t* y) {
        *x -= gCamera.left;
        *y -= gCamera.top;
    };
}

// ---- The mouse -------------------------------------------------------------------------------

namespace {

int32_t Opposite(int32_t d) { return ((d - 1) & 1) + (d & 0xFFFE); }

void RoleCentre(const RoleRecord& r, int32_t* x, int32_t* y) {
    *x = r.x + 8 * int32_t(r.act.width);
    *y = r.y + 8 * int32_t(r.act.height);
}

// Facing code from (fx, fy) toward (tx, ty).
int32_t FacingToward(int32_t fx, int32_t fy, int32_t tx, int32_t ty) {
    int32_t distance = 0;
    return AngleToDirection(uint32_t(GetDistanceAngle(tx, ty, fx, fy, &distance)));
}

// The role's current frame on the screen (its footprint while it shows none).
bool PointerOnRole(const RoleRecord& r, int32_t mx, int32_t my) {
    int32_t left = r.x - gCamera.left, top = r.y - gCamera.top;
    int32_t width = 16 * std::max<int32_t>(1, int32_t(r.act.width));
    int32_t height = 16 * std::max<int32_t>(1, int32_t(r.act.height));
    if (r.act.picNumber != 0) {
        if (const PicFrame* pic = GetTswPicture(r.act.picNumber, r.act.picFrame)) {
            left += r.drawOffsetX - int32_t(r.act.hotX);
            top += r.drawOffsetY - int32_t(r.act.hotY);
            width = pic->width;
            height = pic->height;
        }
    }
    return mx >= left && mx < left + width && my >= top && my < top + height;
}

int32_t RoleUnderPointer(int32_t mx, int32_t my) {
    for (uint32_t i = 1; i < TotalRole && i < kMaxRoles; ++i) {
        const RoleRecord& r = gRole[i];
        if (!(r.flags & kRoleActive) || (r.flags & (kRoleNoTalkKey | kRoleDeleted))) continue;
        if (r.talkNumber == 0 || r.talkLock != 0) continue;
        if (PointerOnRole(r, mx, my)) return int32_t(i);
    }
    return -1;
}

// Event rectangles of a choice: the line the pointer comes onto is the
// choice (a pointer resting on a line leaves the keys free to move it), a
// click takes the line under the pointer.
void HoverChoice(int32_t mx, int32_t my, KeyState& button) {
    gCursorShape = kCursorArrow;
    EventRectNode* node = nullptr;
    const int32_t line = FindEventRect(mx, my, &node);
    int32_t& last = gTalkMachine.flow.hoverLine;
    if (!node) {
        last = -1;
        return;
    }
    // The one choice variable (and the highlight) through its one writer.
    if (line != last || button.framesHeld == 1) SetTalkChoice(node->word);
    last = line;
    if (button.framesHeld != 1) return;
    TakeTalkChoice();
    button = KeyState{};
}

void ClickRole(uint32_t index, RoleRecord& p, KeyState& button) {
    RoleRecord& r = gRole[index];
    int32_t rx, ry, px, py;
    RoleCentre(r, &rx, &ry);
    RoleCentre(p, &px, &py);
    const int32_t d = FacingToward(rx, ry, px, py);
    if (r.flags & kRoleTurnsToTalker) {
        r.act.savedQq = r.act.qq;
        r.act.savedDir = r.act.dir;
        r.act.qq = 0;
        r.act.dir = d;
        StepActOrReport(r, "Act Err(Talk:RoleTurn)");
    }
    p.act.dir = Opposite(d);
    p.act.qq = 0;
    StepActOrReport(p, "Act Err(Talk:MRoleTFace)");
    StartRoleTalk(index);
    button = KeyState{};
}

// A named point under the pointer whose flag is set: cursor 11, and a click
// starts its talk. True when the pointer is on one.
bool PointUnderPointer(int32_t mx, int32_t my, RoleRecord& p, KeyState& button) {
    const int32_t wx = mx + gCamera.left, wy = my + gCamera.top;
    if (wx < 0 || wy < 0) return false;
    const uint32_t cx = uint32_t(wx) >> 4, cy = uint32_t(wy) >> 4;
    if (cx >= gMap.width || cy >= gMap.height || size_t(cy) * gMap.width + cx >= gMap.cells.size()) return false;
    const uint32_t event = gMap.cells[size_t(cy) * gMap.width + cx] & 0xFF;
    const MapPoint* point = event ? FindNodeById(event) : nullptr;
    if (!point || !IsFlag(int(point->values[kPointFlag]))) return false;
    gCursorShape = kCursorPoint;
    if (button.framesHeld != 1) return true;
    const int32_t x = int32_t(cx) * 16, y = int32_t(cy) * 16;
    StartPointTalk(point->values[kPointTalk], x, y);
    int32_t px, py;
    RoleCentre(p, &px, &py);
    p.act.savedQq = p.act.qq;
    p.act.savedDir = p.act.dir;
    p.act.dir = Opposite(FacingToward(x, y, px, py));
    p.act.qq = 0;
    StepActOrReport(p, "Act Err(Talk:MouseActiveStory)");
    gDialogState = kDialogPlayerHeld;
    button = KeyState{};
    return true;
}

// No talk, nothing under the pointer: the arrow points the way, and a held
// button walks the player toward the pointer.
void PointTheWay(int32_t mx, int32_t my, const RoleRecord& p, const KeyState& button) {
    int32_t px, py;
    RoleCentre(p, &px, &py);
    px -= gCamera.left;
    py -= gCamera.top;
    int32_t distance = 0;
    const int32_t face = AngleToDirection(uint32_t(GetDistanceAngle(mx, my, px, py, &distance)));
    if (gCursorShape == kCursorArrow) gCursorShape = uint32_t(face);
    if (((p.x | p.y) & kGridMask) || gDialogState != 0 || gDialogCount != 0) return;
    if (!(button.state & 0xF) || distance < 16) return;
    const bool up = face == kFaceN || face == kFaceNW || face == kFaceNE;
    const bool down = face == kFaceS || face == kFaceSE || face == kFaceSW;
    const bool left = face == kFaceW || face == kFaceNW || face == kFaceSW;
    const bool right = face == kFaceE || face == kFaceSE || face == kFaceNE;
    if (up) gKeyState[kKeyUp] = button;
    if (down) gKeyState[kKeyDown] = button;
    if (left) gKeyState[kKeyLeft] = button;
    if (right) gKeyState[kKeyRight] = button;
}

} // namespace

void MouseActiveStory() {
    if (!RoleIndexOk(gPlayerRole)) return;
    RoleRecord& p = gRole[gPlayerRole];
    KeyState& button = gKeyState[kKeyMouseLeft];
    const int32_t mx = gKeyInput.mouseX, my = gKeyInput.mouseY;
    const bool stands = p.act.qq == kQqStand || p.act.qq == kQqStandAlt;
    int32_t role = -1;
    bool pointTest = true;
    if (TalkIdle() && stands) {
        role = RoleUnderPointer(mx, my);
        if (role >= 0) {
            const uint32_t flags = gRole[role].flags;
            if (!(flags & kRoleCursorAlone)) gCursorShape = (flags & kRoleCursorSpecial) ? kCursorTalkSpecial : kCursorTalk;
            if (flags & kRoleCursorSpecial) pointTest = false;
        }
    }
    if (CountEventRects() == 0) gTalkMachine.flow.hoverLine = -1;
    if (CountEventRects() > 0 && !IsFlag(kFlagIdle) && stands) {
        HoverChoice(mx, my, button);
        return;
    }
    bool onSomething = role >= 0;
    if (role >= 0 && button.framesHeld == 1 && uint32_t(role) != gPlayerRole && TalkIdle()) {
        ClickRole(uint32_t(role), p, button);
    } else if (TalkIdle() && stands && pointTest && PointUnderPointer(mx, my, p, button)) {
        onSomething = true;
    }
    if (!onSomething) PointTheWay(mx, my, p, button);
    if (gDialogList && gKeyState[kKeyConfirm].state == 0) gKeyState[kKeyConfirm] = button;
}

// ---- Role values -----------------------------------------------------------------------------

int32_t RoleValue(uint16_t guid, int select, uint32_t* value, int mode) {
    const int32_t index = FindRoleDef(guid);
    if (mode == 1 && value) *value = 0;
    if (index < 0 || (select != 1 && select != 2)) return index;
    RoleDef def = GetRoleDefAt(uint32_t(index));
    const int shift = select == 1 ? 0 : 8;
    if (mode == 1 && value) {
        *value = (def.kept >> shift) & 0xFF;
    } else if (mode == 2 && value) {
        def.kept = uint16_t((def.kept & ~(0xFF << shift)) | ((*value & 0xFF) << shift));
        PutRoleDefAt(uint32_t(index), def);
    }
    return index;
}
