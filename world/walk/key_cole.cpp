#include "world/walk/key_cole.h"

#include "base/errorbox.h"
#include "base/game_state.h"
#include "draw/act_pack.h"
#include "world/dialog/dlg_message.h"
#include "world/map/map.h"
#include "world/role/role_record.h"
#include "world/debug/debug_keys.h"
#include "world/story_flags.h"
#include "world/walk/choice_keys.h"
#include "world/walk/key_state.h"
#include "world/walk/map_events.h"
#include "world/walk/player_walk.h"
#include "world/walk/walk_cells.h"

KeyColeHooks gKeyColeHooks = DefaultKeyColeHooks();
KeyColeState gKeyCole;

namespace {

const char kTalk1Text[] = "\xB3]\xA9w\xBF\xF9\xBB~\nGUID%d ,act[%d] qq[%d] dir[%d]";
const char kTalk2Text[] = "\xB3]\xA9w\xBF\xF9\xBB~ GUID[%d]\nact[%d] qq[%d] dir[%d]";
constexpr int kFacingDx[8] = {0, 0, -1, 1, -1, 1, -1, 1};
constexpr int kFacingDy[8] = {-1, 1, 0, 0, -1, 1, 1, -1};

bool Ask(bool (*hook)()) { return hook && hook(); }

bool TalkRunning() { return Ask(gKeyColeHooks.talkRunning); }

bool Pressed(const KeyState& k) { return k.framesHeld == 1; }

void StepOrReport(RoleRecord& r, const char* caption, const char* text) {
    if (TakeActData(&r.act) == 0) ErrorBox(caption, text, r.guid, r.act.act, r.act.qq, r.act.dir);
}

// The display fade: falls by 2 while walking, rises by 1 per still frame
// once the player has stood 100 frames (or while not on a step of 16).
void UpdateFade() {
    if (gStillFrames == 0) {
        gFadeLevel = gFadeLevel > 2 ? gFadeLevel - 2 : 0;
    } else if ((gStillFrames > 100 || gFadeLevel % 16 != 0) && gFadeLevel < 16) {
        ++gFadeLevel;
    }
}

void Walk(uint32_t player, const KeyStep& keys, int dx, int dy) {
    RoleRecord& p = gRole[player];
    gStillFrames = 0;
    // The walking act sets the step first: the request takes the step of
    // this walk, not the one left from standing.
    UpdateWalkAct(&p, keys.facing, true, keys.quick);
    if (gKeyColeHooks.requestMove) gKeyColeHooks.requestMove(dx, dy);
    if (!CountWalkingFrame(gCurrentMap)) return;
    if (gInBattle || !IsFlag(kFlagRandomFights) || gFightRequest || TalkRunning()) return;
    if (!gKeyColeHooks.chooseRandomFight) return;
    const uint32_t fight = gKeyColeHooks.chooseRandomFight(gFightStep, 0);
    if (fight != 0 && gKeyColeHooks.startFight) gKeyColeHooks.startFight(fight);
}

} // namespace

void StartTalkWith(uint32_t role, const char* caption1, const char* caption2) {
    RoleRecord& r = gRole[role];
    RoleRecord& p = gRole[gPlayerRole];
    if (r.flags & kRoleTurnsToTalker) {
        r.act.savedQq = r.act.qq;
        r.act.savedDir = r.act.dir;
        r.act.qq = 0;
        r.act.dir = p.act.dir ^ 1; // the opposite of the player's facing
    }
    p.act.qq = 0;
    p.act.cursor = 0;
    StepOrReport(r, caption1, kTalk1Text);
    StepOrReport(p, caption2, kTalk2Text);
    if (gKeyColeHooks.startRoleTalk) gKeyColeHooks.startRoleTalk(role);
}

namespace {

void KeyColePass() {
    if (RunDebugKeys()) return;
    if (Pressed(gKeyState[kKeyRunToggle])) gPlayerWalk.runToggle ^= 1;
    if (Ask(gKeyColeHooks.movesPending) || (gGameMode & kModeTextEntry) || gKeyInput.mouseSuppress != 0 ||
        Ask(gKeyColeHooks.menuPending))
        return;
    if (gPlayerRole >= TotalRole || gPlayerRole >= kMaxRoles) return;
    RoleRecord& p = gRole[gPlayerRole];
    const bool choiceOpen = CountEventRects() > 0;
    const bool confirm = Pressed(gKeyState[kKeyConfirm]);
    if (confirm && !choiceOpen) gKeyCole.talkConfirm = 1;
    if (choiceOpen) {
        RunChoiceKeys(); // the choice takes the keys
        return;
    }
    if (confirm && !TalkRunning()) {
        const int f = p.act.dir >= 0 && p.act.dir < 8 ? p.act.dir : 1;
        const int role = FindRoleAhead(int(gPlayerRole), kFacingDx[f], kFacingDy[f]);
        if (role >= 0 && !(gRole[role].flags & kRoleNoTalkKey) && gRole[role].talkLock == 0) {
            StartTalkWith(uint32_t(role), "Act Err(KeyCole:Talk1)", "Act Err(KeyCole:Talk2)");
            return;
        }
    }
    if (Pressed(gKeyState[kKeyMenu])) {
        if (Ask(gKeyColeHooks.dialogsOpen)) ++gKeyCole.talkConfirm;
        if (!TalkRunning() && gKeyColeHooks.requestRootMenu) {
            gKeyColeHooks.requestRootMenu();
            return;
        }
    }
    if (Ask(gKeyColeHooks.dialogsOpen)) return;
    const KeyStep keys = ReadDirectionKeys();
    int dx = keys.dx, dy = keys.dy;
    if (!IsFlag(kFlagWalkThroughWalls)) SlideStep(&p, &dx, &dy);
    const StepHit hit = (keys.dx || keys.dy) ? ResolveStep(gPlayerRole, dx, dy, keys.dx, keys.dy) : StepHit{};
    if (hit.event > 0) {
        if (gKeyColeHooks.eventBlocked && gKeyColeHooks.eventBlocked(hit.event)) dx = dy = 0;
        if (!TalkRunning() && gKeyColeHooks.startEventTalk) {
            int32_t x = 0, y = 0;
            EventTalkPosition(p, &x, &y);
            gKeyColeHooks.startEventTalk(hit.event, x, y);
        }
    } else if (hit.role >= 0 && !TalkRunning()) {
        StartTalkWith(uint32_t(hit.role), "Act Err(KeyCole:Collision1)", "Act Err(KeyCole:Collision2)");
    }
    if (dx != 0 || dy != 0) {
        Walk(gPlayerRole, keys, dx, dy);
    } else {
        UpdateWalkAct(&p, keys.facing, false, false);
        ++gStillFrames;
    }
    UpdateFade();
}

} // namespace

void KeyColeRun() {
    gKeyCole.talkConfirm = 0;
    KeyColePass();
    // The message dialog pages on the talk-confirm count (it clears the
    // request after its frame).
    gPageTurnRequest += gKeyCole.talkConfirm;
}

void ResetKeyCole() {
    gKeyColeHooks = DefaultKeyColeHooks();
    gKeyCole = KeyColeState{};
}
