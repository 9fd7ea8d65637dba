// The battle script interpreter.
//
// One instruction per call. Every instruction is measured against the block
// it sits in before it runs (fig_ops.cpp), so a script never reads past its
// block; an undefined opcode, a zero tail or a cut-off instruction is one box
// with the opcode and its offset, and the script then ends as instruction -1
// does. Every instruction that waits on the fight has an end condition the
// fight reaches, and those that wait on a combatant also give up after
// kFigWaitLimit calls.
#include "battle/script/fight_script.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/errorbox.h"
#include "base/file.h"
#include "base/game_state.h"
#include "base/random.h"
#include "base/settings.h"
#include "battle/battle_frame.h"
#include "battle/battle_services.h"
#include "battle/battle_start.h"
#include "battle/battle_state.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_tint.h"
#include "battle/script/fig_ops.h"
#include "battle/action/action_perform.h"
#include "battle/action/enemy_command.h"
#include "battle/action/party_command.h"
#include "battle/hud/battle_hud.h"
#include "battle/turn/attack_order.h"
#include "battle/turn/bookkeeping.h"
#include "battle/turn/targeting.h"
#include "battle/results/battle_results.h"
#include "draw/dialog_node.h"
#include "media/music.h"
#include "media/sound_bank.h"
#include "world/map/map_effects.h"
#include "world/map/map_render.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"
#include "world/role/dialog_setup.h"
#include "world/script/talk_flow.h"
#include "world/story_flags.h"
#include "world/talk_state.h"

uint16_t gSceneRepeat;

namespace {

constexpr size_t kNoPc = size_t(-1);
constexpr uint32_t kDialogOptionNone = 0xFFFF;
constexpr int kNameBytes = 32;
constexpr int16_t kFreeX = 490, kFreeY = 180;
constexpr uint16_t kActSpeaking = 36;
constexpr uint16_t kDigitsHurt = 9097;
constexpr int kScreenW = 640, kScreenH = 480;

// "Battle script", "undefined instruction %d at offset %u", ...
constexpr char kCaption[] = "Battle Err(RunFightScript)";
// "Button count is wrong!!" / "Error"
constexpr char kChoiceText[] = "\xAB\xF6\xB6s\xAD\xD3\xBC\xC6\xA4\xA3\xB9\xEF!!";
constexpr char kChoiceCaption[] = "\xBF\xF9\xBB~";
// "Talk system(GAON)": "id value too large(%d)", "id value repeated(%d)",
// "position outside the screen(...)"; "Talk system(G_AREA_OFF)".
constexpr char kCapAreaOn[] = "\xB9\xEF\xB8\xDC\xA8t\xB2\xCE(GAON)";
constexpr char kCapAreaOff[] = "\xB9\xEF\xB8\xDC\xA8t\xB2\xCE(G_AREA_OFF)";
constexpr char kIdTooBig[] = "\xA5N\xBDX\xAD\xC8\xA4\xD3\xA4j(%d)";
constexpr char kIdRepeated[] = "\xA5N\xBDX\xAD\xC8\xAD\xAB\xBD\xC6(%d)";
constexpr char kOffScreen[] = "\xA6\xEC\xB8m\xB6W\xA5X\xBF\xC3\xB9\xF5(x%d ,y%d ,w%d ,h%d)";

// Without a script the fight runs as this one would: the opening, then
// turns until one side is out, then the end.
const uint8_t kDefaultScript[] = {41, 0, 0, 0, 1, 0, 0xFF, 0x7F, 0xFF, 0xFF};

struct FigState {
    cFile* file = nullptr;     // gFigTalkFile (null when closed)
    uint32_t fileOpen = 0;     // gFigFileOpen
    std::vector<uint8_t> block;  // gFigScript
    int64_t blockBase = 0;     // offset of the block's first byte from byte 512
    size_t pc = kNoPc;         // gFigPc, an index into the block
    bool staged = false;       // the block came from the file
    bool endAtOnce = false;
    uint32_t loadPending = 1;  // gFigLoadPending
    uint32_t opened = 0;       // gFigOpened
    uint16_t step = 0;         // gFigStep
    uint32_t wait = 0;         // gFigWait
    uint16_t loop = 0;         // gFigLoop
    char name[kNameBytes] = {};  // gFigName
    uint8_t style[2] = {};     // gFigStyle
    uint32_t dialogOption = kDialogOptionNone;
    int32_t savedSel = 0;      // gFigSavedSel
    // Scratch of the moving, panning and waiting instructions.
    int16_t points[9][2] = {};
    int32_t segment = 0, tStep = 0;
    int32_t temp[3] = {};
    int32_t panAccum = 0;      // the accumulated position of instruction 73
    uint32_t stay = 0;         // calls the current instruction stayed
    bool frameEnded = false;   // a frame of this call released the battle
};
FigState gFig;

// ---- Reading the script -----------------------------------------------------------------

int16_t WordAt(size_t at) {
    const std::vector<uint8_t>& b = gFig.block;
    if (at + 2 > b.size()) return 0;
    return int16_t(uint16_t(b[at] | b[at + 1] << 8));
}
// Operand word i (0 = the word after the opcode).
int16_t W(int i) { return WordAt(gFig.pc + 2 + 2 * size_t(i)); }
int64_t Offset() { return gFig.blockBase + int64_t(gFig.pc == kNoPc ? 0 : gFig.pc); }

bool ReadBlock(int64_t offset, uint32_t bytes) {
    if (!gFig.file || !gFig.file->IsOpen()) return false;
    const int64_t position = int64_t(kFigHeadBytes) + offset;
    const uint32_t size = gFig.file->GetSize();
    if (size == kFileInvalid || position < 0 || position >= int64_t(size)) return false;
    std::vector<uint8_t> block(bytes, 0);
    uint32_t count = std::min<uint32_t>(bytes, uint32_t(int64_t(size) - position));
    if (!gFig.file->SeekSet(int32_t(position)) || !gFig.file->Read(block.data(), &count)) return false;
    gFig.block.swap(block);
    gFig.blockBase = offset;
    gFig.pc = 0;
    gFig.staged = true;
    return true;
}

void UseDefaultScript() {
    gFig.block.assign(kDefaultScript, kDefaultScript + sizeof kDefaultScript);
    gFig.blockBase = 0;
    gFig.pc = 0;
    gFig.staged = false;
}

void ClearInstructionState() {
    gFig.step = 0;
    gFig.segment = gFig.tStep = 0;
    for (int32_t& t : gFig.temp) t = 0;
    std::memset(gFig.points, 0, sizeof gFig.points);
    gFig.stay = 0;
}

void CloseFile() {
    if (gFig.file) {
        gFig.file->Close();
        delete gFig.file;
        gFig.file = nullptr;
    }
    gFig.fileOpen = 0;
}

// ---- Ends and steps ------------------------------------------------------------------------

int Frame() {
    const uint32_t r = BattleFrame();
    // Only the debug key's end releases the battle inside a frame.
    if (r == 0 && gBattleMonCount == 0) gFig.frameEnded = true;
    return int(r);
}

void ResetRolesInUse() {
    for (uint32_t i = 0; i < gBattleMonCount && i < kMaxMonRoles; ++i) gMonRoles[i].ResetRoleForBattle();
    for (uint32_t s = 0; s < gBattleManCount && s < kMaxManRoles; ++s) gManRoles[s].ResetRoleForBattle();
}

// The end of instruction -1, also the end of a script fault.
int EndScript() {
    ResetRolesInUse();
    gFightWord &= 0xFFFF0000u;
    ReleaseBattle();
    CloseFigTalk();
    return 0;
}

// The fight of instructions 1 and 41 is over with `result`.
int EndFight(int result) {
    ResetRolesInUse();
    ReleaseBattle();
    CloseFigTalk();
    gFightWord &= 0xFFFF0000u;
    gFig.loadPending = 1;
    return result;
}

int Fault(const char* why) {
    ErrorBox(kCaption, "%s: instruction %d at offset %lld", why, int(WordAt(gFig.pc)), static_cast<long long>(Offset()));
    return EndScript();
}

// Every way on clears the per-instruction state, so no instruction starts
// with what the one before it left.
int Advance(uint32_t length) {
    gFig.pc += length;
    ClearInstructionState();
    return 1;
}

int Jump(int32_t target) {
    ClearInstructionState();
    if (!LoadFigTalkBlock(target)) return Fault("jump target outside the file");
    return 1;
}
// The jump target whose 4 bytes start at byte `at` of the instruction.
int32_t TargetAt(size_t at) { return WordAt(gFig.pc + at); }

int Stay() {
    ++gFig.stay;
    return 1;
}

// ---- Roles -------------------------------------------------------------------------------------------

bool IsEnemyId(int r) { return r >= 0 && r < int(gBattleMonCount) && r < kEnemySlots; }
bool IsPartyId(int r) { return r >= kFirstManId && r < kFirstManId + int(gBattleManCount); }

// The role of a script's role word; null, with one trace, when it names no
// combatant of this fight.
Role* ScriptRole(int r) {
    if (IsEnemyId(r) || IsPartyId(r)) return RoleById(r);
    TraceHook("battle script: role %d at offset %lld is not in the fight", r, static_cast<long long>(Offset()));
    return nullptr;
}

void ClearHighlights(bool enemies, bool party) {
    if (enemies)
        for (uint32_t i = 0; i < gBattleMonCount; ++i) gMonRoles[i].SetHighlight(0);
    if (party)
        for (uint32_t s = 0; s < gBattleManCount; ++s) gManRoles[s].SetHighlight(0);
}

void MoveEveryHome(int dx) {
    for (uint32_t i = 0; i < gBattleMonCount; ++i) gMonRoles[i].MoveRole(int16_t(dx), 0);
    for (uint32_t s = 0; s < gBattleManCount; ++s) gManRoles[s].MoveRole(int16_t(dx), 0);
}

// The target word of a scripted enemy action, as the enemy's script target.
void ChooseEnemyTarget(int r, int t) {
    gMonScriptTarget[r] = 0;
    // A mark left by an earlier scripted action that never ran is dropped:
    // only an enemy target marks the enemy as acting on its own side.
    if (r >= 0 && r < kEnemySlots) gMonCommands[r].commandSet = 0;
    if (t < kFirstManId) {
        if (t < 0) t = 0;
        while (t + 1 < kEnemySlots && (!IsEnemyId(t) || gMonRoles[t].IsOut())) ++t;
        gMonScriptTarget[r] = uint16_t(t);
        MarkEnemyOnEnemy(r);
        return;
    }
    const auto fit = [](int id) {
        if (!IsPartyId(id)) return false;
        const ManRole& m = gManRoles[id - kFirstManId];
        return !m.IsOut() && !m.IsGuardRole() && !m.GetRoleFlagE();
    };
    if (!IsPartyId(t) || gManRoles[t - kFirstManId].IsOut()) {
        // Draws as the turn code draws; a party with no one to aim at keeps
        // the word it was given.
        bool any = false;
        for (uint32_t s = 0; s < gBattleManCount; ++s) any |= fit(kFirstManId + int(s));
        if (any) {
            int tries = 0;
            do t = kFirstManId + Random(int(gBattleManCount));
            while (!fit(t) && ++tries < 64);
            for (uint32_t s = 0; s < gBattleManCount && !fit(t); ++s) t = kFirstManId + int(s);
        }
    }
    gMonScriptTarget[r] = uint16_t(t - kFirstManId);
}

// A party member's scripted command (1 attack, 2 an object) on target t.
void PartyBranch(int r, int t, int command) {
    const int slot = r - kFirstManId;
    gFig.savedSel = SEL;
    gLastSel = r;
    MS = t + 1;
    if (t >= kFirstManId) {
        MS = t - 19;
        MarkAllyOnAlly(slot);
    }
    gManRoles[slot].SetCommandChosen(1);
    gLastCommand = command;
    const uint32_t member = gSlotMember[slot < 4 ? slot : 0];
    if (slot < 4 && member < 4) gChosenCommand[member] = command;
}

// One call of the wait for a scripted action of role r. `queued`: the
// instruction put r in the queue, so r leaving it without its turn ends the
// wait too.
int WaitForAction(int r, uint32_t length, bool queued) {
    Stop = 1;
    gBattleLive = 1;
    Frame();
    Role* role = RoleById(r);
    // A decided fight (its result pages, or its end) runs no more turns.
    const bool decided = fMenu >= 96 || gBattleResult != 1;
    const bool gone = !role || decided || role->IsOut() || role->IsRoleHeldByAilment() ||
                      (queued && !IsInAttackOrder(r) && gCurRole.id != r && gScriptActionDone != 1);
    if (gScriptActionDone == 1 || gone || gFig.stay + 1 >= kFigWaitLimit) {
        if (gScriptActionDone != 1)
            TraceHook("battle script: the action of role %d at offset %lld ended without its turn", r,
                      static_cast<long long>(Offset()));
        ClearInstructionState();
        gScriptActionDone = 0;
        Stop = 0;
        return Advance(length);
    }
    return Stay();
}

// ---- Dialogues -----------------------------------------------------------------------------------------

// A window for the text at byte `text` of the instruction.
DialogNode* NewWindow(size_t text, uint32_t flags, uint32_t mode) {
    // The set-up reads a speaker word, a frame act word, then the text.
    const std::vector<uint8_t>& b = gFig.block;
    const size_t from = gFig.pc + text;
    std::vector<uint8_t> operands(4, 0);
    operands[0] = 0xFD;
    operands[1] = 0xFF;
    const ActRecord* frame = gDialogScene.frames[0];
    const uint16_t act = frame ? uint16_t(frame->act) : 0;
    operands[2] = uint8_t(act);
    operands[3] = uint8_t(act >> 8);
    operands.insert(operands.end(), b.begin() + long(from), b.end());
    auto* node = new DialogNode{};
    node->flags = flags;
    if (!SetupDialog(node, operands.data(), operands.size(), gFig.name, mode, 0, 0)) {
        delete node;
        return nullptr;
    }
    return node;
}

// Where a window of speaker s stands; false when s names no combatant.
bool SpeakerPoint(int s, bool bubble, int32_t* x, int32_t* y) {
    *x = kFreeX;
    *y = kFreeY;
    if (s >= kFigNoSpeaker) return true;
    Role* role = ScriptRole(s);
    if (!role) return false;
    int16_t hx = 0, hy = 0;
    role->GetRolePos(&hx, &hy);
    if (bubble) {
        int16_t ox = 0, oy = 0;
        role->GetDrawOrigin(&ox, &oy);
        hy = oy;
    }
    *x = hx;
    *y = hy;
    if (s < kFirstManId) {
        ClearHighlights(true, false);
    } else {
        ClearHighlights(false, true);
        role->SetScriptAct(kActSpeaking);
        if (bubble) {
            *x -= 60;
            *y -= 20;
        }
    }
    return true;
}

// Instructions 2 and 59: a window, and the wait until every window closed.
int OpTalkWindow(uint32_t length, bool bubble) {
    if (!(gFig.step & 0x8000)) {
        int32_t x = kFreeX, y = kFreeY;
        SpeakerPoint(W(0), bubble, &x, &y);
        DialogNode* node = bubble ? NewWindow(4, 0, kDialogOneLine) : NewWindow(4, kDlgFromOrigin, 0);
        if (node) {
            AppendDialogNode(node);
            node->autoTime = kDialogNoAutoTime;
            node->kind = 2;
            node->flags |= gFig.style[0];
            node->x = node->anchorX = x;
            node->y = node->anchorY = y;
        }
        gFig.style[0] = gFig.style[1] = 0;
        gFig.step |= 0x8000;
        Stop = 1;
        fMenu = 0;
    }
    if (gDialogList) {
        gBattleLive = 0;
        Frame();
        return Stay();
    }
    ClearHighlights(true, true);
    std::memset(gFig.name, 0, sizeof gFig.name);
    gBattleLive = 1;
    Stop = 0;
    ClearInstructionState();
    return Advance(length);
}

int OpNote(uint32_t length) {
    int32_t x = kFreeX, y = kFreeY;
    SpeakerPoint(W(0), false, &x, &y);
    if (DialogNode* node = NewWindow(4, kDlgFromOrigin, 0)) {
        AppendDialogNode(node);
        if (gFig.dialogOption != kDialogOptionNone) node->autoTime = uint16_t(gFig.dialogOption);
        node->flags |= kDlgAutoAdvance | kDlgNoWait | gFig.style[0];
        node->kind = 2;
        node->x = node->anchorX = x;
        node->y = node->anchorY = y;
    }
    gFig.dialogOption = kDialogOptionNone;
    gFig.style[0] = gFig.style[1] = 0;
    fMenu = 0;
    ClearHighlights(true, true);
    gBattleLive = 1;
    Stop = 0;
    ClearInstructionState();
    return Advance(length);
}

// Instruction 42: the speaker name (at most 31 bytes; the text always ends).
int OpName(uint32_t length) {
    std::memset(gFig.name, 0, sizeof gFig.name);
    const size_t text = gFig.pc + 2;
    const size_t n = std::min<size_t>(length - 4, kNameBytes - 1);
    std::memcpy(gFig.name, gFig.block.data() + text, n);
    return Advance(length);
}

// ---- The fight --------------------------------------------------------------------------------------

int OpFight(uint32_t length) {
    if (!(gFightWord & 0x8000)) {
        gFightWord = (gFightWord & 0xFFFF0000u) | 0x8000u | (uint16_t(W(0)) & 0x7FFFu);
        return 1;
    }
    if ((gFightWord & 0x7FFF) == 0) {
        gFightWord &= 0xFFFF0000u;
        gFig.loadPending = 1;
        if (gFig.savedSel != 0) SEL = gFig.savedSel;
        gFig.savedSel = 0;
        return Advance(length);
    }
    gBattleLive = 1;
    const int r = Frame();
    if (r == 1) return 1;
    return EndFight(r);
}

int OpOpening(uint32_t length) {
    if (gFig.opened == 0) {
        gFig.opened = 1;
        StartBattle(W(0));
    }
    if (IsBattleOpeningRunning()) {
        StepBattleOpening();
        return 1;
    }
    if (gOpeningSlot & 0x80) return Advance(length);
    const int r = Frame();
    if (r == 1) return 1;
    gFig.pc += length;
    return EndFight(r);
}

// ---- Screen areas and heads ------------------------------------------------------------------------

int OpAreaOn(uint32_t length) {
    const int id = W(0), v = W(1), kind = W(2);
    int x = W(3) & ~1, y = W(4) & ~1, w = W(5) & ~1, h = W(6) & ~1;
    if (id < 0 || id > 255) {
        ErrorBox(kCapAreaOn, kIdTooBig, v);
        return Advance(length);
    }
    for (const LineWipe& l : gParticleLists)
        if (l.id == id) {
            ErrorBox(kCapAreaOn, kIdRepeated, v);
            return Advance(length);
        }
    // A size of 0 or less would make rows of no length (or a negative count).
    if (x < 0 || y < 0 || w <= 0 || h <= 0 || x + w > kScreenW || y + h > kScreenH) {
        ErrorBox(kCapAreaOn, kOffScreen, x, y, w, h);
        return Advance(length);
    }
    LineWipe wipe;
    wipe.id = uint8_t(id);
    wipe.x = int16_t(x);
    wipe.y = int16_t(y);
    wipe.width = int16_t(w);
    wipe.colour = int16_t(v);
    int16_t fill = 0;
    if (kind == 1) fill = int16_t(w - 2), wipe.state = kWipeClose;
    else if (kind == 2) wipe.state = kWipeHold;
    else wipe.state = kWipeGrow;
    wipe.start.assign(size_t(h), fill);
    wipe.length.assign(size_t(h), 2);
    gParticleLists.insert(gParticleLists.begin(), std::move(wipe));
    return Advance(length);
}

int OpAreaOff(uint32_t length) {
    const int id = W(0), m = W(1);
    if (id < 0 || id > 255) {
        ErrorBox(kCapAreaOff, kIdTooBig, m);
        return Advance(length);
    }
    if (m == 2) {
        gParticleLists.erase(std::remove_if(gParticleLists.begin(), gParticleLists.end(),
                                            [id](const LineWipe& l) { return l.id == id; }),
                             gParticleLists.end());
        return Advance(length);
    }
    for (LineWipe& l : gParticleLists)
        if (l.id == id) {
            if (m == 0) l.state = kWipeOpen;
            else if (m == 1) l.state = kWipeShrink;
            break;
        }
    return Advance(length);
}

int OpHeadIn(uint32_t length) {
    RoleHead h;
    ResetActRecord(&h.act);
    h.act.act = uint16_t(W(0));
    h.act.qq = uint16_t(W(1));
    h.targetX = W(2);
    h.y = W(3);
    h.x = h.targetX > 320 ? 760 : -120;
    h.speed = 0;
    gRoleHeads.insert(gRoleHeads.begin(), h);
    return Advance(length);
}

int OpHeadOut(uint32_t length) {
    for (RoleHead& h : gRoleHeads)
        if (h.act.act == uint16_t(W(0)) && h.act.qq == uint16_t(W(1))) {
            h.speed = h.x > 320 ? 1 : -1;
            break;
        }
    return Advance(length);
}

// ---- Moves and pans ---------------------------------------------------------------------------------

int OpCurve(uint32_t length) {
    Role* role = ScriptRole(W(0));
    if (!role) return Advance(length);
    if (!(gFig.step & 0x8000)) {
        int16_t hx = 0, hy = 0;
        role->GetHomePos(&hx, &hy);
        int16_t p[6][2] = {{hx, hy}};
        for (int i = 1; i < 6; ++i) {
            p[i][0] = int16_t(hx + W(2 * i - 1));
            p[i][1] = int16_t(hy + W(2 * i));
        }
        const int order[9] = {0, 0, 1, 2, 3, 4, 5, 5, 5};
        for (int i = 0; i < 9; ++i) {
            gFig.points[i][0] = p[order[i]][0];
            gFig.points[i][1] = p[order[i]][1];
        }
        gFig.segment = 0;
        gFig.tStep = 0;
        gFig.step |= 0x8000;
    }
    if (++gFig.tStep > 20) {
        ++gFig.segment;
        gFig.tStep = 0;
    }
    if (gFig.segment > 5) {
        ClearInstructionState();
        return Advance(length);
    }
    const int s = gFig.segment;
    int16_t x = 0, y = 0;
    ProjectPoint(gFig.tStep, &x, &y, gFig.points[s], gFig.points[s + 1], gFig.points[s + 2], gFig.points[s + 3]);
    role->SetRolePos(x, y);
    CollectActorPositions();
    Frame();
    return Stay();
}

int PanStep(int step, uint32_t length) {
    gBattleLive = 0;
    if (step == 0 || gFig.stay >= kFigWaitLimit) {
        ClearInstructionState();
        gBattleLive = 1;
        return Advance(length);
    }
    MoveEveryHome(step);
    CollectActorPositions();
    Frame();
    return Stay();
}

int OpCenter(uint32_t length) {
    const int v = W(0);
    if (v >= 0 && v <= 16) {
        if (!IsEnemyId(v)) {
            ScriptRole(v);
            return Advance(length);
        }
        int16_t hx = 0, hy = 0;
        gMonRoles[v].GetHomePos(&hx, &hy);
        return PanStep(320 - (hx + 320) / 2, length);
    }
    if (!(gFig.step & 0x8000)) {
        gFig.temp[0] = v;
        gFig.step |= 0x8000;
    } else {
        gFig.temp[0] /= 3;
    }
    return PanStep(-gFig.temp[0], length);
}

int OpPanTo(uint32_t length) {
    int n = W(1);
    if (n <= 0) n = 1;  // a count of 0 would divide by zero; below, walk the other way
    const int step = (W(0) - gFig.panAccum) / n;
    gFig.panAccum += step;
    return PanStep(step, length);
}

int OpMirror(uint32_t length) {
    if (gBattleMirrored == 1) {
        gBattleMirrored = 0;
        return Advance(length);
    }
    gBattleMirrored = 1;
    for (uint32_t i = 0; i < gBattleMonCount; ++i) {
        MonRole& e = gMonRoles[i];
        e.SetRoleFacing(e.facing ? 0 : 1);
        int16_t x, y;
        e.GetHomePos(&x, &y);
        e.SetRolePos(int16_t(640 - x), y);
    }
    for (uint32_t s = 0; s < gBattleManCount; ++s) {
        ManRole& m = gManRoles[s];
        if (!m.GetRoleFlagE()) m.SetRoleFacing(m.facing ? 0 : 1);
        int16_t x, y;
        m.GetHomePos(&x, &y);
        m.SetRolePos(int16_t(640 - x), y);
    }
    return Advance(length);
}

// ---- Jumps ----------------------------------------------------------------------------------------------

// The k 4-byte targets of a list instruction.
int ListTargets(uint32_t length) { return int((length - 4) / 4); }

// Instructions 14 and 61: every listed role meets the test -> the target.
int OpRoleList(uint32_t length, bool alt) {
    const int n = int(length - 8) / 2;
    bool all = true;
    for (int i = 0; i < n; ++i) {
        const int r = W(i);
        Role* role = IsEnemyId(r) || IsPartyId(r) ? RoleById(r) : nullptr;
        if (!role) continue;  // no such combatant: nobody standing there
        all &= alt ? role->GetAltCount() == 0 : role->IsRoleDefeated() == 1;
    }
    if (n > 0) gBattleLive = 0;
    if (all) return Jump(TargetAt(2 + 2 * size_t(n) + 2));
    return Advance(length);
}

int OpLoop(uint32_t length) {
    gBattleLive = 0;
    if (!(gFig.loop & 0x8000)) {
        int n = W(0);
        // A count of 0 or less runs the body once, as 1 does.
        if (n < 1) n = 1;
        gFig.loop = uint16_t((uint32_t(n) | 0x8000u) - 1);
    }
    if (gFig.loop & 0x7FFF) {
        --gFig.loop;
        const int r = Jump(TargetAt(4));
        if (gFig.pc == kNoPc) return r;
        Frame();
        gBattleLive = 1;
        return r;
    }
    gFig.loop = 0;
    Advance(length);
    Frame();
    gBattleLive = 1;
    return 1;
}

// ---- Items and silver ---------------------------------------------------------------------------------

int OpTakeItem(uint32_t length) {
    const uint16_t id = uint16_t(W(0));
    int n = W(1);
    if (ItemRecord* item = FindItem(gInventory, id); item && n > 0) {
        const int fromFirst = std::min<int>(n, std::max<int>(item->count, 0));
        item->count = int16_t(item->count - fromFirst);
        n -= fromFirst;
        const int fromSecond = std::min<int>(n, std::max<int>(item->newCount, 0));
        item->newCount = int16_t(item->newCount - fromSecond);
        if (item->count <= 0 && item->newCount <= 0) {
            if (ItemRecord* gone = UnlinkItemById(&gInventory, item->id)) FreeItemNode(gone);
        }
    }
    Frame();
    return Advance(length);
}

int OpSpoil(uint32_t length) {
    const uint16_t item = uint16_t(W(0));
    AddLootItem(item, 1);
    for (uint32_t i = 0; i < gSpoilCount && i < uint32_t(kMaxSpoils); ++i)
        if (gSpoilIds[i] == item) {
            ++gBattle.spoilCounts[i];
            return Advance(length);
        }
    if (gSpoilCount < uint32_t(kMaxSpoils)) {
        gSpoilIds[gSpoilCount] = item;
        gBattle.spoilCounts[gSpoilCount] = 1;
        ++gSpoilCount;
    } else {
        TraceHook("battle script: spoil %u not listed, the list holds %d", unsigned(item), kMaxSpoils);
    }
    return Advance(length);
}

// ---- One instruction ----------------------------------------------------------------------------------

int Run(int16_t op, uint32_t length) {
    switch (op) {
    case -1: return EndScript();
    case 1: return OpFight(length);
    case 2: return OpTalkWindow(length, false);
    case 3:
        gBattleLive = 0;
        Frame();
        gBattleLive = 1;
        return Advance(length);
    case 4:
        gFig.dialogOption = uint16_t(W(0));
        Frame();
        return Advance(length);
    case 5: {
        gBattleLive = 0;
        if (Role* role = ScriptRole(W(0))) role->MoveRole(W(1), W(2));
        Advance(length);
        CollectActorPositions();
        SortDrawOrder();
        BuildEnemyOrder();
        if (gFig.opened == 1) Frame();
        gBattleLive = 1;
        return 1;
    }
    case 6: {
        gBattleLive = 0;
        if (!(gFig.wait & 0x8000)) {
            gFig.wait = 0x8000u | (uint16_t(W(0)) & 0x7FFFu);
            Frame();
            return Stay();
        }
        if (gFig.wait & 0x7FFF) {
            --gFig.wait;
            Frame();
            return Stay();
        }
        gFig.wait = 0;
        gBattleLive = 1;
        Advance(length);
        Frame();
        return 1;
    }
    case 8: {
        gBattleLive = 1;
        Frame();
        Role* role = ScriptRole(W(0));
        if (role && W(1) == 1) {
            int32_t life = 0, max = 0;
            role->GetRoleLife(&life, &max);
            if (life <= W(2)) return Jump(TargetAt(8));
        }
        return Advance(length);
    }
    case 9:
    case 23:
    case 54: {
        const bool use = op == 23, monAttack = op == 54;
        const int r = W(use || monAttack ? 1 : 0), t = W(use || monAttack ? 2 : 1);
        if (!(gFig.step & 0x8000)) {
            if (monAttack && r > 19) return Advance(length);
            if (!ScriptRole(r)) return Advance(length);
            gFig.step = uint16_t(0x8000 | r);
            if (IsEnemyId(r)) {
                MonRole& e = gMonRoles[r];
                ChooseEnemyTarget(r, t);
                if (op == 9) {
                    gMonScriptTarget[r] |= 0x8000;
                    e.ClearMonTurn();
                    InsertAttackOrder(2, r, 0);
                } else if (use) {
                    gMonScriptTarget[r] |= 0x4000;
                    e.ClearMonTurn();
                    e.PrepareMonMagic(uint16_t(W(0)), &gMonHitAct[r]);
                    AddToAttackOrder(2, r);
                } else {
                    e.ClearMonTurn();
                    gMonScriptTarget[r] |= e.PrepareMonAttack(uint16_t(W(0)), &gMonHitAct[r]) == 1 ? 0x8000 : 0x4000;
                    InsertAttackOrder(1, r, 0);
                }
                gFig.temp[0] = 1;  // queued
            } else {
                const int slot = r - kFirstManId;
                PartyBranch(r, t, use ? 2 : 1);
                if (use) {
                    MS = t >= kFirstManId ? t - 20 + 1 : t + 1;
                    ManRole& m = gManRoles[slot];
                    m.SetActionFromObject(uint16_t(W(0)), &gManHitAct[slot]);
                    m.StartActionTimer();
                    gManCommands[slot].extra = m.GetActionPresetWord();
                    if (m.IsActionFlag1()) {
                        gOrder.sideMarked = 1;
                        gManCommands[slot].wholeSide = 1;
                    }
                    if (m.IsActionFlag0()) gWholeSide = 1;
                }
            }
        }
        return WaitForAction(r, length, gFig.temp[0] == 1);
    }
    case 10: {
        Role* role = ScriptRole(W(0));
        if (role) {
            const int r = W(0);
            role->SetOut(1);
            if (r < kFirstManId) {
                gLastDowned = int16_t(r);
                gPendingDefeat[r] = r;
                RequestRetarget();
                gBattleLive = 0;
            } else {
                gPendingDown = 1;
                NoteDownedMember(r - kFirstManId);
            }
            gSomeoneDowned = 1;
        }
        Frame();
        Advance(length);
        Stop = 0;
        gBattleLive = 1;
        return 1;
    }
    case 11:
    case 21:
    case 26: {
        const int r = W(0);
        if (!(gFig.step & 0x8000)) {
            Role* role = ScriptRole(r);
            if (!role) return Advance(length);
            const uint16_t command = op == 11 ? 17 : op == 21 ? 11 : 12;
            const bool enemy = r < kFirstManId;
            // A party member's act of 21 keeps the target its command has.
            if (op != 21) role->BeginRoleAction(0);
            else if (enemy) role->BeginRoleAction(int16_t(r));
            role->SetCommand(command);
            role->SetRoleActNumberSlot(uint16_t(W(1)));
            gFig.step = uint16_t(0x8000 | r);
            gFig.temp[0] = 1;
            if (enemy) {
                if (op == 11) InsertAttackOrder(2, r, 0);
                if (op == 21) Stop = 1, gFig.temp[0] = 0;
                if (op == 26) {
                    gCurRole = EmptyOrderEntry();
                    gCurRole.id = r;
                    gCurRole.kind = 2;
                }
            } else {
                gLastSel = r;
                MS = r - 19;
                if (op == 21) gManCommands[r - kFirstManId].commandSet = 1;
                InsertAttackOrder(1, r, 0);
            }
            gBattleLive = 1;
            if (op == 11) {
                Frame();
                return Stay();
            }
        }
        gBattleLive = 1;
        const size_t pc = gFig.pc;
        const int result = WaitForAction(r, length, gFig.temp[0] == 1 && op != 26);
        if (gFig.pc != pc) {
            // Done: 21 and 26 leave the time stopped, 21 after one more frame.
            if (op != 11) gBattleLive = 0;
            if (op == 21) Frame();
        }
        return result;
    }
    case 12: {
        bool pending = false;
        for (int i = 0; i < kEnemySlots; ++i) pending |= gPendingDefeat[i] != -1;
        if (pending && gFig.stay < kFigWaitLimit) {
            gCurRole.id = -1;
            Frame();
            return Stay();
        }
        if (pending) {
            TraceHook("battle script: removals at offset %lld never ended", static_cast<long long>(Offset()));
            for (int32_t& p : gPendingDefeat) p = -1;
        }
        if (gForceEnd != 1) {
            MsDCount = uint8_t(gBattleMonCount);
            gHeldEnemies = 0;
            if (fMenu != 98 && fMenu < 99) {
                gAutoAttack = 0;
                fMenu = 99;
            }
        }
        Advance(length);
        gForceEnd = 1;
        gBattleLive = 1;
        return 1;
    }
    case 13:
        if (Role* role = ScriptRole(W(0))) role->MoveRole(0, W(1));
        Advance(length);
        CollectActorPositions();
        Frame();
        return 1;
    case 14: return OpRoleList(length, false);
    case 15:
    case 18: {
        gBattleLive = 0;
        const int r = W(0);
        if (Role* role = ScriptRole(r)) {
            const uint16_t m = uint16_t(W(1));
            if (op == 15) role->SetRoleStatusBits(m);
            else role->ClearRoleStatusBits(m);
            if (r >= kFirstManId && (m & 0x2000)) {
                if (op == 15) ++gDownedMen;
                else if (gDownedMen > 0) --gDownedMen;
            }
        }
        gBattleLive = 1;
        return Advance(length);
    }
    case 16: return OpLoop(length);
    case 17: return Advance(length);
    case 19: {
        gBattleLive = 1;
        const int k = ListTargets(length);
        if (k <= 0) {
            TraceHook("battle script: random jump without targets at offset %lld", static_cast<long long>(Offset()));
            return Advance(length);
        }
        const int pick = k == 1 ? 0 : Random(k);
        return Jump(TargetAt(2 + 4 * size_t(pick)));
    }
    case 20:
        if (Role* role = ScriptRole(W(0))) role->SetRoleFacing(1);
        return Advance(length);
    case 22:
        gPanStep = W(0);
        MoveEveryHome(W(0));
        return Advance(length);
    case 24: {
        const uint16_t n = uint16_t(W(0));
        ResetRolesInUse();
        ReleaseBattle();
        LoadBattleScene(n);
        return 1;
    }
    case 25: {
        if (gSpoilCount == 0 || gLeaveBattle) gLeaveBattle = 1;
        else fMenu = 102;
        gForceEnd = 1;
        MsDCount = uint8_t(gBattleMonCount);
        gHeldEnemies = 0;
        gBattleLive = 0;
        if (Frame() == 0 || gFig.stay >= kFigWaitLimit) {
            gForceEnd = 0;
            return Advance(length);
        }
        return Stay();
    }
    case 27:
        if (Role* role = ScriptRole(W(0))) role->SetScriptAct(uint16_t(W(1)));
        return Advance(length);
    case 28:
        if (Role* role = ScriptRole(W(0))) {
            role->SetRoleGauges(W(1), W(2), W(3));
            if (W(0) >= kFirstManId) RefreshShownGauges(W(0) - kFirstManId);
        }
        return Advance(length);
    case 29:
        if (Role* role = ScriptRole(W(0))) {
            // An enemy held twice still counts once in the victory test.
            if (W(0) < kFirstManId && role->gaugeHold != 1) ++gHeldEnemies;
            role->SetGaugeHold(1);
        }
        return Advance(length);
    case 30:
        gBattleLive = 0;
        PlaySfx(W(0), int(gSfxVolume));
        Frame();
        gBattleLive = 1;
        return Advance(length);
    case 31: {
        const int k = ListTargets(length);
        const uint32_t choice = TalkChoice();
        if (choice + 1 > uint32_t(k)) {
            ErrorBox(kChoiceCaption, "%s", kChoiceText);
            return EndScript();
        }
        return Jump(TargetAt(2 + 4 * size_t(choice)));
    }
    case 33: return OpHeadIn(length);
    case 34: return OpHeadOut(length);
    case 35:
        gFig.style[0] |= 0xA0;
        return Advance(length);
    case 36: return OpAreaOn(length);
    case 37: return OpAreaOff(length);
    case 39: return OpCurve(length);
    case 40: return OpCenter(length);
    case 41: return OpOpening(length);
    case 42: return OpName(length);
    case 43:
        MsDCount = uint8_t(gBattleMonCount);
        gHeldEnemies = 0;
        gScriptVictory = 1;
        fMenu = 99;
        gAutoAttack = 0;
        gMusic.PlayMusic(4, 1, 0);
        gForceEnd = 1;
        gBattleLive = 0;
        Frame();
        return Advance(length);
    case 44: return OpNote(length);
    case 45: return OpMirror(length);
    case 46:
        SetFlag(W(0));
        return Advance(length);
    case 47:
        ClearFlag(W(0));
        return Advance(length);
    case 48:
        if (IsFlag(W(0))) return Jump(TargetAt(4));
        return Advance(length);
    case 49:
        gDownedMen = 255;
        gBattleManCount = 0;
        CollectActorPositions();
        return Advance(length);
    case 50:
        if (Role* role = ScriptRole(W(0))) {
            int16_t x, y;
            role->GetHomePos(&x, &y);
            role->SetRolePos(x, y);
        }
        return Advance(length);
    case 51:
        if (Role* role = ScriptRole(W(0))) role->SetDefeatEffectOverride(uint8_t(W(1)));
        return Advance(length);
    case 52:
        if (Role* role = ScriptRole(W(0))) role->SetRoleBattleStats(W(1), W(2), W(3));
        return Advance(length);
    case 53: return OpSpoil(length);
    case 55:
    case 86: {
        const int member = W(0) - kFirstManId;
        if (member < 0 || member > 3) {
            TraceHook("battle script: member %d at offset %lld does not exist", member, static_cast<long long>(Offset()));
            return Advance(length);
        }
        if (op == 55) {
            if (AddMagic(member, uint16_t(W(1))) == 1) gMagicLearnt = 1;
        } else {
            ApplyLevelUpsTo(member, W(1));
        }
        return Advance(length);
    }
    case 56:
    case 70:
    case 74:
    case 75:
    case 80: {
        const int r = W(0);
        if (!IsEnemyId(r)) {
            ScriptRole(r < kFirstManId ? r : -1);
            return Advance(length);
        }
        MonRole& e = gMonRoles[r];
        const auto u = [](int i) { return uint16_t(W(i)); };
        if (op == 56) e.SetMonCarried(u(1), u(2), u(3), u(4), u(5), u(6));
        if (op == 70) e.SetMonLevel(u(1));
        if (op == 74) {
            const uint16_t v[5] = {u(1), u(2), u(3), u(4), u(5)};
            e.SetMonElements(v);
        }
        if (op == 75) e.SetMonAttackItems(u(1), u(2), u(3), u(4));
        if (op == 80) e.ReloadMonRecord(u(1));
        return Advance(length);
    }
    case 57:
        gBattleOptions |= kOptionBackground1;
        LoadBattleBackground(gBattleScene.background, 1);
        return Advance(length);
    case 58: {
        const int r = W(0);
        if (IsPartyId(r)) {
            // The target is the word after the instruction, which the
            // instruction's length takes in.
            PartyBranch(r, W(1), 1);
        } else if (IsEnemyId(r)) {
            const int last = int(gLastActorId);
            if (IsPartyId(last)) {
                gMonScriptTarget[r] = uint16_t((last - kFirstManId) | 0x8000);
                gMonCommands[r].commandSet = 0;  // the counter-attack aims at the party
                gMonRoles[r].ClearMonTurn();
                InsertAttackOrder(2, r, 0);
            }
        } else {
            ScriptRole(r);
        }
        return Advance(length);
    }
    case 59: return OpTalkWindow(length, true);
    case 60: {
        char name[256] = {};
        std::memcpy(name, gFig.block.data() + gFig.pc + 2, std::min<size_t>(length - 4, sizeof name - 1));
        char path[512];
        std::snprintf(path, sizeof path, "%smusic\\%s", gInstallPath, name);
        gMusic.PlayMusic(4, 1, 0);
        gMusic.QueueTrack(path, 1, 0, 3);
        gMusic.PlayMusic(3, 1, 0);
        gMusic.SetMusicVolume(int(gMusicVolume) * 127 / 11);
        ServiceSound();
        gBattleOptions |= kOptionMusicSet;
        return Advance(length);
    }
    case 61: return OpRoleList(length, true);
    case 62: {
        const int n = std::max<int>(1, W(6));  // a ramp takes at least one frame
        StartBattleTint(W(0), W(1), W(2), W(3), W(4), W(5), n);
        return Advance(length);
    }
    case 63: {
        const bool done = gBattleTint.framesLeft < 1;
        gBattleLive = 0;
        Frame();
        gBattleLive = 1;
        if (done || gFig.stay >= kFigWaitLimit) return Advance(length);
        return Stay();
    }
    case 64: {
        Role* role = ScriptRole(W(0));
        Frame();
        // A role that is out or plays no scripted act never reaches the frame.
        if (!role || role->IsOut() || role->scriptAct == 0 || role->IsScriptActAtFrame(uint16_t(W(1))) ||
            gFig.stay >= kFigWaitLimit)
            return Advance(length);
        return Stay();
    }
    case 65: {
        const ItemRecord* item = FindItem(gInventory, uint16_t(W(0)));
        if (item && W(1) <= item->count + item->newCount) return Jump(TargetAt(6));
        Frame();
        return Advance(length);
    }
    case 66: return OpTakeItem(length);
    case 67:
        Advance(length);
        gStrongAttack = 1;
        Frame();
        return 1;
    case 68:
        if (Role* role = ScriptRole(W(0))) role->SetRolePos(W(1), W(2));
        gBattleLive = 0;
        Frame();
        gBattleLive = 1;
        return Advance(length);
    case 69:
        gBattleOptions |= kOptionDefeatEnds;
        return Advance(length);
    case 71:
        gDownedMen = uint8_t(gBattleManCount);
        gBattleOptions |= kOptionPartyDown;
        fMenu = 103;
        return Advance(length);
    case 72:
        LoadBattleBackground(uint16_t(W(0)), 1);
        return Advance(length);
    case 73: return OpPanTo(length);
    case 76:
    case 78: {
        const int r = W(0);
        if (op == 78 && (gFig.step & 0x8000)) {
            gBattleLive = 1;
            Frame();
            // The capture was applied, or the member's turn closed without it.
            if (gSureCapture == 0 || (gCurRole.id != r && !IsInAttackOrder(r)) || fMenu >= 96 ||
                gFig.stay >= kFigWaitLimit) {
                gSureCapture = 0;
                ClearInstructionState();
                return Advance(length);
            }
            return Stay();
        }
        Role* role = ScriptRole(r);
        if (!role || (op == 78 && (!IsPartyId(r) || !IsEnemyId(W(1))))) return Advance(length);
        if (op == 76 || role->IsOut()) {
            role->RemoveRoleEffect(0x8000);
            if (r < kFirstManId) role->DamageRole(-1000000, 0, 0);
            else role->DamageRole(-9999, 9999, 9999);
            if (op == 76) return Advance(length);
        }
        SEL = 0;
        role->BeginRoleAction(W(1));
        role->SetCommand(6);
        gCurRole = EmptyOrderEntry();
        gCurRole.id = r;
        gCurRole.kind = 1;
        gLastCommand = 6;
        for (AttackOrderEntry& e : gAttackOrder) e = EmptyOrderEntry();
        for (int32_t& w : gWaitOrder) w = -1;
        const uint32_t member = gSlotMember[std::min(r - kFirstManId, 3)];
        if (member < 4) gChosenCommand[member] = 6;
        GetCom = 1;
        Stop = 1;
        gTurnOpened = 1;
        gMonActing = 0;
        role->CountRepeat();
        gSureCapture = 1;
        gFig.step = uint16_t(0x8000 | r);
        gBattleLive = 1;
        Frame();
        return Stay();
    }
    case 77:
        gBattleOptions |= kOptionBit40;
        return Advance(length);
    case 79: {
        const int r = W(0);
        if (Role* role = ScriptRole(r)) {
            if (r < kFirstManId) {
                role->DamageRole(-W(1), W(2), W(3));
            } else {
                role->DamageRole(W(1), W(2), W(3));
                role->SetHurtMark();
                role->PushShownNumber(kDigitsHurt);
                role->SetDamageDigits(W(1));
                role->CommitShownNumber(1);
            }
        }
        return Advance(length);
    }
    case 81:
        if (gBattleEventWord == uint16_t(W(0))) {
            gBattleEventWord = 0;
            return Jump(TargetAt(4));
        }
        return Advance(length);
    case 82:
        if (W(0) == 1) {
            gBattleOptions |= kOptionContinuousShake;
            gFrame.shakeLimit = 2;
        } else {
            gBattleOptions &= ~uint32_t(kOptionContinuousShake);
            gFrame.shakeLimit = 0;
        }
        return Advance(length);
    case 83:
        gBattleOptions |= kOptionBit200;
        return Advance(length);
    case 84:
        gSceneRepeat = uint16_t(W(0));
        return Advance(length);
    case 85: {
        RN = 0;
        const int n = W(0);
        // A range of 0 or less draws nothing and never jumps.
        if (n > 0 && Random(n) < W(1)) {
            RN = 1;
            return Jump(TargetAt(6));
        }
        return Advance(length);
    }
    case 87: {
        // Silver stays within 0 and the largest count, whichever way it goes.
        const int64_t v = int64_t(gTalkVar[0]) + W(0);
        gTalkVar[0] = uint32_t(std::clamp<int64_t>(v, 0, 0xFFFFFFFFll));
        return Advance(length);
    }
    case 88: {
        const uint32_t v = uint16_t(W(0));
        if (v <= gTalkVar[0]) {
            gTalkVar[0] -= v;
            return Jump(TargetAt(4));
        }
        return Advance(length);
    }
    case 89:
        gBattleOptions |= kOptionBit800;
        return Advance(length);
    default:
        return Fault("undefined instruction");
    }
}

}  // namespace

// ---- Loading --------------------------------------------------------------------------------------------

int LoadFightScript(uint32_t n) {
    gFig.opened = 0;
    gFig.endAtOnce = false;
    ClearInstructionState();
    gFig.wait = 0;
    gFig.loop = 0;
    gFig.panAccum = 0;
    if (!gFig.file) {
        char path[512];
        std::snprintf(path, sizeof path, "%sfigtalk.dat", gInstallPath);
        gFig.file = new cFile;
        // Read only: a missing file is never created.
        if (!gFig.file->Open(path, kOpenExisting, kGenericRead)) {
            CloseFile();
            TraceHook("battle script: %s does not open; battle %u runs unstaged", path, n);
            UseDefaultScript();
            return 0;
        }
        gFig.fileOpen = 1;
    }
    uint32_t position = 0;
    if (!IndexedRecordPos(*gFig.file, kFigHeadBytes, n, &position) ||
        !ReadBlock(int64_t(position) - kFigHeadBytes, kFigStartBlock)) {
        TraceHook("battle script: figtalk.dat holds no script %u; the battle runs unstaged", n);
        UseDefaultScript();
        return 0;
    }
    return 1;
}

bool LoadFigTalkBlock(int32_t offset) {
    if (!gFig.staged) {
        // The built-in script has no file behind it.
        return false;
    }
    return ReadBlock(offset, kFigJumpBlock);
}

void CloseFigTalk() {
    CloseFile();
    gFig.opened = 0;
    ResetFigTalkState();
}

void ResetFigTalkState() {
    gBattleLive = 1;
    cFile* file = gFig.file;
    const uint32_t open = gFig.fileOpen;
    gFig = FigState{};
    gFig.file = file;
    gFig.fileOpen = open;
    gFig.loadPending = 1;
    gSceneRepeat = 0;  // the repeat limit belongs to the script that set it
    gFightWord &= 0xFFFF0000u;
    gForceEnd = 0;
}

void EndFightScriptAtOnce() { gFig.endAtOnce = true; }

void ProjectPoint(int t, int16_t* outX, int16_t* outY, const int16_t p0[2], const int16_t p1[2], const int16_t p2[2],
                  const int16_t p3[2]) {
    const CurvePoint2 points[4] = {{float(p0[0]), float(p0[1])},
                                   {float(p1[0]), float(p1[1])},
                                   {float(p2[0]), float(p2[1])},
                                   {float(p3[0]), float(p3[1])}};
    float weights[4];
    CurvePoint(0.05f * float(t), gBSplineBasis, weights);
    CurvePoint2 out{};
    CurveCoef(weights, points, &out);
    *outX = int16_t(out.x);
    *outY = int16_t(out.y);
}

FigScriptView FigScriptState() {
    FigScriptView v{};
    v.running = gFig.pc != kNoPc;
    v.staged = gFig.staged;
    v.pc = Offset();
    v.op = v.running ? WordAt(gFig.pc) : 0;
    v.stayFrames = gFig.stay;
    return v;
}

int RunFightScript() {
    // The shell returns before its quit test while a fight runs: the fight
    // ends here.
    if (gFig.endAtOnce || (gGameMode & kModeQuit) || gFig.pc == kNoPc) return EndScript();
    const uint32_t length = FigInstrLength(gFig.block.data(), gFig.block.size(), gFig.pc);
    if (length == 0) {
        if (!FindFigOp(WordAt(gFig.pc))) return Fault("undefined instruction");
        return Fault("instruction runs past its block");
    }
    gFig.frameEnded = false;
    const int r = Run(WordAt(gFig.pc), length);
    if (gFig.frameEnded && gFig.pc != kNoPc) return EndScript();
    return r == 0 || r == 2 ? r : 1;
}
