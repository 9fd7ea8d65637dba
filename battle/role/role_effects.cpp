// Status effects and ailments of a battle role: the effect list, the two
// application methods, the conflict rules between effects, the tick, the
// expiry with its battle messages, removal, the look-ups and the spreading
// effect. docs/battle-roles.md tells the decisions behind them.
#include <algorithm>
#include <cstdio>

#include "base/memory.h"
#include "base/random.h"
#include "base/settings.h"
#include "battle/battle_state.h"
#include "battle/role/effect_node.h"
#include "battle/role/effect_texts.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "battle/turn/bookkeeping.h"
#include "media/sound_bank.h"
#include "world/party/member_stats.h"

namespace {

// Assist kinds: the bits of an action's mask, each the kind of its node.
enum AssistKind : uint32_t {
    kAssistEarthUp = 0x4000,
    kAssistDispel = 0x10000,
    kAssistTransfer = 0x20000,
    kAssistStrong = 0x40000,
    kAssistDefenceDown = 0x80000,
    kAssistSpeedDown = 0x100000,
    kAssistFireUp = 0x200000,
    kAssistWaterUp = 0x400000,
    kAssistWoodUp = 0x800000,
    kAssistMetalUp = 0x1000000,
    kAssistShield = 0x2000000,
    kAssistResistAll = 0x4000000,
    kAssistAttackDown = 0x8000000,
    kAssistInvisible = 0x10000000,
    kAssistDefenceUp = 0x20000000,
    kAssistSpeedUp = 0x40000000,
    kAssistAttackUp = 0x80000000u,
};
// Every assist kind: bit 14 and bits 16 to 31.
constexpr uint32_t kAssistKinds = 0xFFFF4000u;
// The ailment that makes a carrier of the spreading effect (its node is 0x1000).
constexpr uint32_t kAilmentCarrier = 0x2000;

constexpr uint32_t kActionElementResist = 0x8;  // action flags: an element-resistance assist
constexpr uint32_t kActionCure = 0x80;          // action flags: the ailment word is cured, not inflicted
constexpr uint32_t kAilmentInstantKill = 0x8000; // ailment word: the hit kills (no node)
constexpr uint16_t kStatusNoAilment = 0x20;
constexpr uint32_t kObjTypeUnique = 0x20;

constexpr uint16_t kOverlayPack = 11000;
constexpr int32_t kRevertAct = 7051;
constexpr int kSfxEffectMessage = 279;
constexpr uint32_t kMessageX = 280;
constexpr uint32_t kMessageY = 10;
constexpr uint16_t kMessageLife = 50;
constexpr uint32_t kMessageRise = 0x42000002;   // rises and falls, resistances, resist-all, dispel
constexpr uint32_t kMessageStart = 0x40000002;  // shield, transfer, strong attack, invisibility, element attack-ups
constexpr uint32_t kMessageEnd = 0x41000002;
constexpr uint32_t kMessageEndBanner = 0x81000002;  // the ends of the metal and wood attack-ups

constexpr int kResistStep = 50;     // points an element-resistance assist adds
constexpr int kResistCeiling = 100;
// The spreading effect gains 7 points a tick for as long as it lasts (a
// carrier's never ends); past this it stops growing. The damage it puts
// aside saturates at the i16 maximum long before.
constexpr float kSpreadStrengthMax = 1000.0f;
constexpr int16_t kDoomDamage = 9999;
constexpr uint16_t kMaxTurns = kEffectEndless - 1;

int16_t SaturateI16(double v) {
    if (!(v == v)) return 0;  // NaN
    return static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
}

int16_t SaturateI16(int64_t v) { return static_cast<int16_t>(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX)); }

// A node's turns as the divisor of the per-tick steps: a duration of 0 (a
// byte from data) counts as one turn.
double TurnsDivisor(uint16_t turns) { return turns == 0 ? 1.0 : static_cast<double>(turns); }

// An action's value as a node's u16 value.
uint16_t NodeValue(const ActionRecord& a) { return static_cast<uint16_t>(std::min<uint32_t>(a.value, 0xFFFF)); }

EffectNode* NewNode() { return static_cast<EffectNode*>(AllocZero(static_cast<int>(sizeof(EffectNode)))); }

void PutAtHead(Role& r, EffectNode* n) {
    n->next = r.effects;
    r.effects = n;
}

void PutAtTail(Role& r, EffectNode* n) {
    EffectNode** link = &r.effects;
    while (*link != nullptr) link = &(*link)->next;
    n->next = nullptr;
    *link = n;
}

// ---- Messages ----

enum class NameForm { kRole, kWholeAll, kWholeRoles };

// Drops a Big5 lead byte that a cut left without its second byte.
void TrimBrokenCharacter(char* text) {
    size_t i = 0;
    while (text[i] != 0) {
        if (static_cast<uint8_t>(text[i]) >= 0x81) {
            if (text[i + 1] == 0) {
                text[i] = 0;
                return;
            }
            i += 2;
        } else {
            ++i;
        }
    }
}

// Builds the message in the role's text buffer and queues it; the queue
// copies the text, so the buffer is free again for the next message.
void SendEffectMessage(Role& r, const char* text, uint32_t flags, NameForm form = NameForm::kRole) {
    char* out = r.messageText;
    const size_t size = sizeof(r.messageText);
    if (form != NameForm::kRole && gWholeSide == 1) {
        const char* prefix;
        if (form == NameForm::kWholeAll)
            prefix = r.side == 1 ? effect_text::kPartyAll : effect_text::kEnemyAll;
        else
            prefix = r.side == 1 ? effect_text::kPartyRoles : effect_text::kEnemyRoles;
        std::snprintf(out, size, "%s%s", prefix, text);
    } else {
        std::snprintf(out, size, "$1%s$0%s", r.name != nullptr ? r.name : "", text);
    }
    TrimBrokenCharacter(out);
    AddBattleMessage(kMessageX, kMessageY, kMessageLife, out, flags);
    PlaySfx(kSfxEffectMessage, static_cast<int>(gSfxVolume));
}

// ---- Stats of the party side's battle copy ----

// The four stats ailment 0x200 saves and lowers: attack, defence, agility,
// wisdom. Only a party role has them in its battle copy; null otherwise.
uint16_t* WeakenedStat(Role& r, int i) {
    if (r.side != 1 || r.stats == nullptr) return nullptr;
    switch (i) {
    case 0: return &r.stats->bonus[0];
    case 1: return &r.stats->bonus[1];
    case 2: return &r.stats->stat[3];
    default: return &r.stats->stat[2];
    }
}

void LowerWeakenedStats(Role& r, int percent) {
    for (int i = 0; i < 4; ++i) {
        uint16_t* s = WeakenedStat(r, i);
        if (s != nullptr) *s = static_cast<uint16_t>(*s - *s * percent / 100);
    }
}

// ---- Ailments ----

struct AilmentSpec {
    uint32_t kind;
    uint16_t icon;
    int16_t overlay;   // act number in the overlay pack, -1 none
    float strength;
    uint32_t effect;   // effect bits set
    uint16_t status;   // status bits set
    bool wipe;         // starts the rising wipe of the drawing
};

constexpr AilmentSpec kAilments[] = {
    {kEffectStun, 8, 1, 0.0f, kEffectStun, kStatusHeld, false},
    {kEffectFreeze, 2, -1, 0.0f, kEffectFreeze, kStatusHeld | kStatusHeld2, true},
    {kEffectStone, 4, -1, 0.0f, kEffectStone, kStatusHeld, true},
    {kEffectSleep, 12, 0, 0.0f, kEffectSleep, kStatusHeld, false},
    {kEffectSlow, 9, 5, 0.0f, kEffectSlow, kStatusSlowed, false},
    {kEffectConfuse, 6, 4, 0.0f, kEffectConfuse, 0, false},
    {kEffectPoison, 5, -1, 5.0f, kEffectPoison, 0, false},
    {kEffectSeal, 11, 2, 0.0f, kEffectSeal, 0, false},
    {kEffectBurn, 3, -1, 20.0f, kEffectBurn, 0, false},
    {kEffectWeaken, 10, 6, 20.0f, kEffectWeaken, 0, false},
    {kEffectDoom, 13, -1, 0.0f, kEffectDoom, 0, false},
    {kEffectSpread, 1, -1, 0.0f, kEffectSpread, 0, false},
    {kAilmentCarrier, 7, -1, 50.0f, kEffectSpread, 0, false},
};

const AilmentSpec* FindAilment(uint32_t kind) {
    for (const AilmentSpec& s : kAilments)
        if (s.kind == kind) return &s;
    return nullptr;
}

// The threshold roll: a roll of 1..10 above the target's threshold refuses.
// Stone is harder on water and easier on wood.
bool PassesAilmentRoll(const Role& r, uint32_t kind) {
    int roll = Random(10) + 1;
    const int threshold = r.AilmentThreshold();
    if (kind == kEffectStone) {
        const int water = r.ElementPercent(2);
        if (water != 0) roll -= water / 20;
        const int wood = r.ElementPercent(1);
        if (roll + wood / 20 > threshold) return false;
    }
    return roll <= threshold;
}

uint16_t AddTurns(uint16_t turns, int more) {
    if (turns == kEffectEndless) return turns;  // endless stays endless
    return static_cast<uint16_t>(std::clamp<int>(turns + more, 0, kMaxTurns));
}

// A new ailment node at the head of the list, with what its kind sets.
bool MakeAilmentNode(Role& r, uint32_t kind, uint8_t duration, uint16_t value) {
    // Only the kinds of the table make a node: a word from data with other
    // bits would make a node that passes for an assist (bit 14) or for no
    // effect at all.
    if (FindAilment(kind) == nullptr) return false;
    EffectNode* n = NewNode();
    if (n == nullptr) return false;
    n->initialTurns = n->turnsLeft = duration;
    n->kind = kind;
    n->value = value;
    PutAtHead(r, n);
    const AilmentSpec* spec = FindAilment(kind);
    n->icon = spec->icon;
    if (spec->overlay >= 0) {
        n->overlay.act = kOverlayPack;
        n->overlay.qq = spec->overlay;
    }
    n->strength = spec->strength;
    r.effectBits |= spec->effect;
    r.status |= spec->status;
    if (spec->wipe) r.wipe = 0x8000;

    switch (kind) {
    case kEffectFreeze: {
        // Earth shortens a freeze, metal lengthens it.
        const int turns = duration;
        int left = std::max(0, turns - turns * r.ElementPercent(4) / 100);
        left += turns * r.ElementPercent(0) / 100;
        n->turnsLeft = static_cast<uint16_t>(std::clamp(left, 0, static_cast<int>(kMaxTurns)));
        break;
    }
    case kEffectWeaken:
        r.acts[kActTrigger].Clear();
        r.acts[kActTrigger].rec.act = kRevertAct;
        r.actionTimer = 0;
        r.stackCount = 0;
        r.commandChosen = 0;
        r.EndRoleTurn();
        // Saved from the battle copy and given back to it: the member's own
        // record never sees them, so nothing a level-up wrote is lost.
        r.savedStats[0] = r.BattleAttack();
        r.savedStats[1] = r.BattleDefence();
        r.savedStats[2] = r.BattleAgility();
        r.savedStats[3] = r.BattleWisdom();
        LowerWeakenedStats(r, 20);
        break;
    case kEffectSpread:
        n->strength = static_cast<float>(duration);
        r.spreadValue = value;
        r.spreadStage = 0;
        break;
    case kAilmentCarrier:
        n->kind = kEffectSpread;
        n->turnsLeft = kEffectEndless;
        r.state |= kStateCarrier;
        r.spreadValue = value;
        r.spreadStage = 0;
        break;
    default:
        break;
    }
    return true;
}

// ---- Assists ----

struct AssistSpec {
    uint32_t kind;
    uint32_t opposite;      // effect bit of the opposite assist
    uint32_t oppositeKind;  // its node kind
    uint32_t effect;
    uint16_t status;
    uint16_t icon;          // party side only
    const char* text;
    uint32_t flags;
    bool partyOnlyText;
    bool wholeForms;
};

constexpr AssistSpec kAssists[] = {
    {kAssistDefenceDown, kEffectDefenceUp, kAssistDefenceUp, kEffectDefenceDown, 0, 18, effect_text::kDefenceDown,
     kMessageRise, false, true},
    {kAssistSpeedDown, kEffectSpeedUp, kAssistSpeedUp, kEffectSpeedDown, 0, 19, effect_text::kSpeedDown, kMessageRise,
     false, true},
    {kAssistAttackDown, kEffectAttackUp, kAssistAttackUp, kEffectAttackDown, 0, 17, effect_text::kAttackDown,
     kMessageRise, false, true},
    {kAssistDefenceUp, kEffectDefenceDown, kAssistDefenceDown, kEffectDefenceUp, 0, 15, effect_text::kDefenceUp,
     kMessageRise, false, true},
    {kAssistSpeedUp, kEffectSpeedDown, kAssistSpeedDown, kEffectSpeedUp, 0, 16, effect_text::kSpeedUp, kMessageRise,
     false, true},
    {kAssistAttackUp, kEffectAttackDown, kAssistAttackDown, kEffectAttackUp, 0, 14, effect_text::kAttackUp,
     kMessageRise, false, true},
    {kAssistShield, 0, 0, kEffectShield, 0, 0, effect_text::kShieldOn, kMessageStart, true, false},
    {kAssistTransfer, 0, 0, kEffectTransfer, 0, 0, effect_text::kTransferOn, kMessageStart, true, false},
    {kAssistStrong, 0, 0, kEffectStrong, 0, 0, effect_text::kStrongOn, kMessageStart, true, false},
    {kAssistInvisible, 0, 0, 0, kStatusInvisible, 0, effect_text::kInvisibleOn, kMessageStart, true, false},
    {kAssistMetalUp, 0, 0, 0, 0, 0, effect_text::kElementUp[0], kMessageStart, false, false},
    {kAssistWoodUp, 0, 0, 0, 0, 0, effect_text::kElementUp[1], kMessageStart, false, false},
    {kAssistWaterUp, 0, 0, 0, 0, 0, effect_text::kElementUp[2], kMessageStart, false, false},
    {kAssistFireUp, 0, 0, 0, 0, 0, effect_text::kElementUp[3], kMessageStart, false, false},
    {kAssistEarthUp, 0, 0, 0, 0, 0, effect_text::kElementUp[4], kMessageStart, false, false},
};

const AssistSpec* FindAssist(uint32_t kind) {
    for (const AssistSpec& s : kAssists)
        if (s.kind == kind) return &s;
    return nullptr;
}

// The node an assist refreshes: the same kind for the same element (an
// element-resistance assist without a mask refreshes its element's node).
EffectNode* FindAssistNode(const Role& r, uint32_t kind, uint16_t element) {
    for (EffectNode* n = r.effects; n != nullptr; n = n->next)
        if (n->kind == kind && n->element == element) return n;
    return nullptr;
}

// Raises the element's percentage by up to 50 (never past 100, never
// lowering one already above) and books what was added in the node.
void RaiseElementResistance(Role& r, EffectNode* n) {
    const int e = n->element - 1;
    const int before = r.ElementPercent(e);
    const int after = std::max(before, std::min(before + kResistStep, kResistCeiling));
    r.SetElementPercent(e, static_cast<int8_t>(after));
    n->elementAdded = static_cast<int16_t>(n->elementAdded + (after - before));
}

// Strength and amounts of a new or refreshed assist node.
void StartAssistAmounts(Role& r, EffectNode* n, uint8_t duration) {
    switch (n->kind) {
    case kAssistDefenceDown:
        n->strength = static_cast<float>((Random(3) + 2) * 5);
        r.defenceAmount = SaturateI16(static_cast<double>(n->strength));
        break;
    case kAssistSpeedDown:
        n->strength = 30.0f;
        r.speedAmount = 30;
        break;
    case kAssistAttackDown: {
        static constexpr double kFactors[3] = {1.0, 1.5, 2.0};
        const double f = kFactors[Random(3)];
        n->strength = static_cast<float>(f * 60.0 / TurnsDivisor(duration));
        r.attackAmount = SaturateI16(static_cast<double>(n->strength));
        break;
    }
    case kAssistDefenceUp:
        n->strength = 200.0f;
        r.defenceAmount = 200;
        break;
    case kAssistSpeedUp:
        n->strength = 40.0f;
        r.speedAmount = 40;
        break;
    case kAssistAttackUp:
        n->strength = 200.0f;
        r.attackAmount = 200;
        break;
    default:
        break;
    }
}

// ---- The tick ----

void TickNode(Role& r, EffectNode& n) {
    const double initial = TurnsDivisor(n.initialTurns);
    switch (n.kind) {
    case kEffectSpread:
        if (r.pendingDamage == 0) {
            n.strength = std::min(n.strength + 7.0f, kSpreadStrengthMax);
            const int64_t product = static_cast<int64_t>(static_cast<double>(n.value) * n.strength);
            r.pendingDamage = SaturateI16(product / 100);
        }
        break;
    case kEffectPoison:
        r.pendingDamage = SaturateI16(n.value * static_cast<double>(n.strength) / 100.0);
        if (n.strength < 20.0f) n.strength = static_cast<float>(n.strength + 15.0 / initial);
        break;
    case kEffectBurn:
        r.pendingDamage = SaturateI16(n.value * static_cast<double>(n.strength) / 100.0);
        if (n.strength > 0.0f) n.strength = static_cast<float>(n.strength - 20.0 / initial);
        break;
    case kEffectWeaken:
        if (n.strength < 80.0f) {
            const int loss = Random(10) + 10;
            LowerWeakenedStats(r, loss);
            n.strength += static_cast<float>(loss);
        }
        break;
    case kAssistAttackUp:
        n.strength = static_cast<float>(n.strength - 200.0 / initial);
        r.attackAmount = SaturateI16(static_cast<double>(n.strength));
        break;
    case kAssistDefenceUp:
        n.strength = static_cast<float>(n.strength - 200.0 / initial);
        r.defenceAmount = SaturateI16(static_cast<double>(n.strength));
        break;
    case kAssistSpeedUp:
        n.strength = static_cast<float>(n.strength - 40.0 / initial);
        r.speedAmount = SaturateI16(static_cast<double>(n.strength));
        break;
    case kAssistAttackDown:
        r.attackAmount = SaturateI16(static_cast<double>(r.attackAmount) + n.strength);
        break;
    case kAssistDefenceDown:
        r.defenceAmount = SaturateI16(static_cast<double>(r.defenceAmount) + n.strength);
        break;
    case kAssistSpeedDown:
        n.strength = static_cast<float>(n.strength - 30.0 / initial);
        r.speedAmount = SaturateI16(static_cast<double>(n.strength));
        break;
    default:
        break;
    }
    // Stone takes no tick damage.
    if (r.effectBits & kEffectStone) r.pendingDamage = 0;

    // Stone keeps its turns; an endless node (a carrier's) is never counted.
    if (n.turnsLeft == 0 || n.kind == kEffectStone || n.turnsLeft == kEffectEndless) return;
    --n.turnsLeft;
    if (n.kind == kAssistShield && r.side == 1 && r.baseStats != nullptr) {
        if (r.baseStats->gauge[2] < 10)
            n.turnsLeft = 0;
        else
            r.DamageRole(0, 0, -10);
    }
    if (n.kind == kEffectDoom && (r.effectBits & kEffectDoom) && n.turnsLeft == 0) r.pendingDamage = kDoomDamage;
}

// ---- The expiry ----

constexpr uint32_t kHoldingAilments = kEffectStun | kEffectFreeze | kEffectStone | kEffectSleep;

// Status 0x40 stays while another holding ailment is in force.
void ReleaseHeldStatus(Role& r) {
    if (!(r.effectBits & kHoldingAilments)) r.status = static_cast<uint16_t>(r.status & ~kStatusHeld);
}

// Undoes what one node set; messages only while the role is not quiet and
// triggers only for an expiry in the battle's course.
void UndoEffect(Role& r, const EffectNode& n, bool raiseTriggers) {
    const bool speak = r.quietFlag == 0;
    const char* text = nullptr;
    uint32_t flags = kMessageEnd;
    switch (n.kind) {
    case kAssistSpeedUp:
        r.speedAmount = 0;
        r.effectBits &= ~kEffectSpeedUp;
        text = effect_text::kEndSpeedUp;
        break;
    case kAssistAttackUp:
        r.attackAmount = 0;
        r.effectBits &= ~kEffectAttackUp;
        text = effect_text::kEndAttackUp;
        break;
    case kAssistDefenceUp:
        r.defenceAmount = 0;
        r.effectBits &= ~kEffectDefenceUp;
        text = effect_text::kEndDefenceUp;
        break;
    case kAssistShield:
        r.effectBits &= ~kEffectShield;
        text = effect_text::kEndShield;
        break;
    case kAssistAttackDown:
        r.attackAmount = 0;
        r.effectBits &= ~kEffectAttackDown;
        r.skillBits &= ~0x100u;
        text = effect_text::kEndAttackDown;
        break;
    case kAssistInvisible:
        r.status |= kStatusRevealed;
        r.effectBits &= ~kEffectInvisible;
        r.fadeLevel = 0;
        if (r.side == 1) text = effect_text::kEndInvisible;
        break;
    case kAssistMetalUp:
        text = effect_text::kEndElementUp[0];
        flags = kMessageEndBanner;
        break;
    case kAssistWoodUp:
        text = effect_text::kEndElementUp[1];
        flags = kMessageEndBanner;
        break;
    case kAssistWaterUp: text = effect_text::kEndElementUp[2]; break;
    case kAssistFireUp: text = effect_text::kEndElementUp[3]; break;
    case kAssistEarthUp: text = effect_text::kEndElementUp[4]; break;
    case kAssistStrong:
        r.defenceAmount = 0;
        r.effectBits &= ~kEffectStrong;
        text = effect_text::kEndStrong;
        break;
    case kAssistDefenceDown:
        r.defenceAmount = 0;
        r.effectBits &= ~kEffectDefenceDown;
        text = effect_text::kEndDefenceDown;
        break;
    case kAssistSpeedDown:
        r.speedAmount = 0;
        r.effectBits &= ~kEffectSpeedDown;
        text = effect_text::kEndSpeedDown;
        break;
    case kAssistTransfer:
        r.defenceAmount = 0;
        r.effectBits &= ~kEffectTransfer;
        text = effect_text::kEndTransfer;
        break;
    case kEffectSpread:
        r.effectBits &= ~kEffectSpread;
        r.state &= ~kStateCarrier;
        r.spreadCounter = 0;
        break;
    case kEffectDoom: {
        r.effectBits &= ~kEffectDoom;
        // Only this member's mark: the marks of the others stay.
        const int slot = r.side == 1 ? r.Id() - kFirstManId : -1;
        if (slot >= 0 && slot < kControlMarks) gControlMark[slot] = 0;
        break;
    }
    case kEffectSeal:
    case kEffectBurn:
    case kEffectPoison:
    case kEffectConfuse:
        r.effectBits &= ~n.kind;
        break;
    case kEffectWeaken:
        r.effectBits &= ~kEffectWeaken;
        r.status = static_cast<uint16_t>(r.status & ~kStatusWeakened);
        r.weakened = 0;
        if (r.side == 1) {
            for (int i = 0; i < 4; ++i) {
                uint16_t* s = WeakenedStat(r, i);
                if (s != nullptr) *s = r.savedStats[i];
            }
            r.facing = 0;
        }
        break;
    case kEffectStun:
        r.effectBits &= ~kEffectStun;
        ReleaseHeldStatus(r);
        if (raiseTriggers) r.CheckMonTrigger(21, 0);
        r.holdFlag = 0;
        break;
    case kEffectFreeze:
        r.status = static_cast<uint16_t>(r.status & ~kStatusHeld2);
        r.effectBits &= ~kEffectFreeze;
        ReleaseHeldStatus(r);
        break;
    case kEffectStone:
        r.effectBits &= ~kEffectStone;
        ReleaseHeldStatus(r);
        r.holdFlag = 0;
        break;
    case kEffectSleep:
        r.effectBits &= ~kEffectSleep;
        ReleaseHeldStatus(r);
        r.holdFlag = 0;
        if (raiseTriggers) r.CheckMonTrigger(20, 0);
        break;
    case kEffectSlow:
        r.effectBits &= ~kEffectSlow;
        r.status = static_cast<uint16_t>(r.status & ~kStatusSlowed);
        break;
    default:
        break;
    }
    if (text != nullptr && speak) SendEffectMessage(r, text, flags);

    if (n.element >= 1 && n.element <= 5) {
        // Exactly what this node added comes off, whatever was clamped.
        const int e = n.element - 1;
        const int back = std::clamp(r.ElementPercent(e) - n.elementAdded, -128, 127);
        r.SetElementPercent(e, static_cast<int8_t>(back));
        if (speak) SendEffectMessage(r, effect_text::kEndResist[e], kMessageEnd);
    }
}

void Revive(Role& r) {
    if (r.baseStats != nullptr) r.baseStats->status = static_cast<uint16_t>(r.baseStats->status & ~kStatusDown);
    r.EndRoleTurn();
    r.out = 0;
    // A revived member may be defeated again.
    r.defeated = 0;
    if (gDownedMen > 0) --gDownedMen;
    RaiseEventOnLiveEnemies(24);
}

}  // namespace

void Role::SendRoleMessage(const char* text, uint32_t flags) { SendEffectMessage(*this, text, flags); }


// ---- Application ----

uint32_t Role::ApplyAilment(const ActionRecord* action_) {
    if (action_ == nullptr) return 0;
    // A copy: the weakening below ends the role's turn, which clears the
    // role's own action record.
    const ActionRecord a = *action_;
    const uint32_t kind = a.ailment;
    if (guard == 1 || (status & kStatusNoAilment) || kind == 0 || (a.flags & kActionCure) ||
        (effectBits & kEffectTransfer))
        return 0;
    const uint32_t allowed = CheckEffectConflict(&a);
    if (allowed != 1) return allowed;
    if (!PassesAilmentRoll(*this, kind)) return 0;

    EffectNode* found = nullptr;
    for (EffectNode* n = effects; n != nullptr; n = n->next)
        if (n->kind == kind) {
            found = n;
            break;
        }
    const uint32_t noRefresh = kEffectBurn | kEffectWeaken | kEffectDoom | kEffectStun | kEffectFreeze | kEffectConfuse;
    if (found != nullptr && !(effectBits & noRefresh)) {
        if (effectBits & kEffectSpread) {
            found->turnsLeft = AddTurns(found->turnsLeft, a.duration / 3);
        } else {
            found->turnsLeft = a.duration;
            found->value = NodeValue(a);
            found->tick = 0;
        }
    }
    if (kind & kAilmentInstantKill) return 1;  // resolved by the hit, no node
    if (found == nullptr && !MakeAilmentNode(*this, kind, a.duration, NodeValue(a))) return 0;
    CheckMonTrigger(0, 0);
    return 1;
}

uint32_t Role::CheckEffectConflict(const ActionRecord* a) {
    if (a == nullptr) return 0;
    const uint32_t k = a->ailment;
    const uint32_t m = a->mask;
    const uint32_t e = effectBits;
    const bool carrier = (state & kStateCarrier) != 0;
    auto cure = [this](uint32_t kind) -> uint32_t {
        RemoveRoleEffect(kind);
        return 0;
    };
    if (e & kEffectPoison) {
        if (k & kEffectBurn) return cure(kEffectPoison);
        if ((k & kEffectSpread) || (m & kAssistInvisible)) return 0;
    }
    if (e & kEffectSpread) {
        if (k & kEffectPoison) return cure(kEffectSpread);
        if ((k & kEffectStone) || (m & kAssistInvisible) || carrier) return 0;
    }
    if (e & kEffectFreeze) {
        if (k & kEffectStone) return cure(kEffectFreeze);
        if ((k & 0x700) || (k & 0x21) || (m & 0x14000000)) return 0;
    }
    if (e & kEffectBurn) {
        if (k & kEffectFreeze) return cure(kEffectBurn);
        if ((k & kEffectPoison) || (m & kAssistInvisible)) return 0;
    }
    if (e & kEffectStone) {
        if (k & kEffectSpread) return cure(kEffectStone);
        return 0;
    }
    if ((e & kEffectSleep) && ((k & 0x27) || (m & kAssistInvisible))) return 0;
    if (e & kEffectWeaken) {
        if (!(k & 0xC0) && !(k & 0x1500) && !carrier) return 0;
        return 1;
    }
    if ((e & kEffectStun) && (k & (0x26 | kEffectWeaken))) return 0;
    if ((e & kEffectConfuse) && (m & 0x14000000)) return 0;
    if (e & kEffectResistAll) {
        if (!(m & 0xE8180000u)) return 0;
        return 1;
    }
    if ((status & kStatusInvisible) && ((k & 0x60) || (k & 0x1700))) return 0;
    if (carrier && (k & kEffectSpread)) return 0;
    if ((status & kStatusRevealed) && ((k & 0x6) || (m & 0x14000000))) return 0;
    return 1;
}

uint32_t Role::ApplyAssistEffect(const ActionRecord* action_) {
    if (action_ == nullptr) return 0;
    ActionRecord a = *action_;
    // Only assist bits name an assist: a low bit from data would make a node
    // whose end passes for an ailment's (the weakening's would put back stats
    // that were never saved).
    a.mask &= kAssistKinds;
    const uint32_t mask = a.mask;
    const bool resist = (a.flags & kActionElementResist) != 0;
    if ((mask == 0 && !resist) || guard == 1) return 0;
    if (mask & kAssistResistAll) {
        effectBits |= kEffectResistAll;
        resistAllHits = a.duration;
        SendEffectMessage(*this, effect_text::kResistAllOn, kMessageRise);
        return 1;
    }
    if (CheckEffectConflict(&a) != 1) return 0;

    // An assist that meets its opposite ends it and takes no hold itself:
    // nothing is made or raised that would have to be taken back.
    const AssistSpec* spec = FindAssist(mask);
    if (spec != nullptr && spec->opposite != 0 && (effectBits & spec->opposite)) {
        RemoveRoleEffect(spec->oppositeKind);
        return 1;
    }

    const uint16_t resistElement = ActionResistElement(a);
    const uint16_t element = resist && resistElement >= 1 && resistElement <= 5 ? resistElement : 0;
    EffectNode* n = nullptr;
    if (mask != kAssistDispel) {
        n = FindAssistNode(*this, mask, element);
        if (n != nullptr) {
            n->turnsLeft = a.duration;
        } else {
            n = NewNode();
            if (n == nullptr) return 0;
            n->initialTurns = n->turnsLeft = a.duration;
            n->value = NodeValue(a);
            n->kind = mask;
            n->element = element;
            PutAtTail(*this, n);
        }
    }

    if (n != nullptr && element != 0) {
        RaiseElementResistance(*this, n);
        SendEffectMessage(*this, effect_text::kResist[element - 1], kMessageRise, NameForm::kWholeAll);
    }

    if (mask == kAssistDispel) {
        RemoveRoleEffect(kAssistKinds);
        SendEffectMessage(*this, effect_text::kDispel, kMessageRise, NameForm::kWholeRoles);
        return 1;
    }
    if (spec == nullptr || n == nullptr) return 1;
    effectBits |= spec->effect;
    status |= spec->status;
    if (side == 1) n->icon = spec->icon;
    StartAssistAmounts(*this, n, a.duration);
    if (!spec->partyOnlyText || side == 1)
        SendEffectMessage(*this, spec->text, spec->flags, spec->wholeForms ? NameForm::kWholeAll : NameForm::kRole);
    return 1;
}

// ---- Tick, expiry, removal ----

void Role::TickRoleEffects() {
    if (effects == nullptr || holdFlag != 0) return;
    for (EffectNode* n = effects; n != nullptr; n = n->next) {
        const int step = (n->kind == kEffectPoison || n->kind == kEffectBurn) ? 32 : 14;
        const int32_t tick = n->tick + step;
        if (tick < gGaugeFull) {
            n->tick = static_cast<uint16_t>(std::min<int32_t>(tick, 0xFFFF));
            continue;
        }
        n->tick = 0;
        TickNode(*this, *n);
    }
    ExpireRoleEffects(0);
}

void Role::ExpireRoleEffects(uint32_t all) {
    // The ended nodes leave the list first; undoing one may raise a trigger,
    // and whatever the trigger does to the list cannot break this walk.
    EffectNode* ended = nullptr;
    EffectNode** tail = &ended;
    for (EffectNode** link = &effects; *link != nullptr;) {
        EffectNode* n = *link;
        if (all == 1 || n->turnsLeft == 0) {
            *link = n->next;
            n->next = nullptr;
            *tail = n;
            tail = &n->next;
        } else {
            link = &n->next;
        }
    }
    // Ending everything (a defeat, the battle's end, the reset) raises no
    // trigger: nothing wore off in the fight for the enemies to answer.
    const bool raiseTriggers = all != 1;
    while (ended != nullptr) {
        EffectNode* n = ended;
        ended = n->next;
        UndoEffect(*this, *n, raiseTriggers);
        FreeMem(n);
    }
}

uint32_t Role::RemoveRoleEffect(uint32_t mask) {
    if ((mask & kAilmentRevive) && side == 1 && IsOut()) {
        Revive(*this);
        return 1;
    }
    if (effects == nullptr) return 0;
    while (mask != 0) {
        uint32_t met = 0;
        for (EffectNode* n = effects; n != nullptr; n = n->next)
            if (n->kind & mask) {
                n->turnsLeft = 0;
                n->tick = 0;
                met |= n->kind;
            }
        // The bits left name no node: there is nothing more to end.
        if (met == 0) break;
        mask &= ~met;
        ExpireRoleEffects(0);
    }
    return 1;
}

void Role::FreeRoleEffects() {
    while (effects != nullptr) {
        EffectNode* next = effects->next;
        FreeMem(effects);
        effects = next;
    }
}

// ---- Look-ups ----

uint32_t Role::HasElementAttackUp(uint32_t element) const {
    static constexpr uint32_t kKinds[5] = {kAssistMetalUp, kAssistWoodUp, kAssistWaterUp, kAssistFireUp,
                                           kAssistEarthUp};
    if (element < 1 || element > 5) return 0;
    return HasRoleEffect(kKinds[element - 1]);
}

uint32_t Role::HasRoleEffect(uint32_t mask) const {
    for (const EffectNode* n = effects; n != nullptr; n = n->next)
        if (n->kind & mask) return 1;
    return 0;
}

uint32_t Role::HasAssistEffect() const { return HasRoleEffect(kAssistKinds); }

double Role::GetEffectProgress(uint32_t kind) const {
    for (const EffectNode* n = effects; n != nullptr; n = n->next) {
        if (n->kind != kind) continue;
        if (n->initialTurns == 0) return 0.0;
        return static_cast<double>(n->turnsLeft) / n->initialTurns;
    }
    return 0.0;
}

// ---- The spreading effect ----

uint32_t Role::IsSpreadDue() const { return ((state & kStateCarrier) && spreadCounter > 3) ? 1 : 0; }

void Role::StepSpreadCounter() {
    if ((state & kStateCarrier) && spreadCounter < 0xFFFF) ++spreadCounter;
}

uint32_t Role::CatchSpreadingEffect(int16_t value, uint8_t stage) {
    if (state & kStateCarrier) return 0;
    EffectNode* n = NewNode();
    if (n == nullptr) return 0;
    // The value travels as the carrier's u16 spread value.
    const uint16_t v = static_cast<uint16_t>(value);
    spreadStage = static_cast<uint16_t>(stage + 1);
    spreadValue = v;
    n->kind = kEffectSpread;
    n->strength = 50.0f;
    const bool unique = side == 0 && objRecord != nullptr && (objRecord->typeBits & kObjTypeUnique);
    n->initialTurns = n->turnsLeft = unique ? 10 : kEffectEndless;
    n->tick = static_cast<uint16_t>(std::clamp<int32_t>(gGaugeFull - 1, 0, 0xFFFF));
    const int weakening = (v * 20 / 100) * std::min(stage + 1, 4);
    n->value = static_cast<uint16_t>(v - weakening);
    n->icon = 7;
    PutAtHead(*this, n);
    state |= kStateCarrier;
    effectBits |= kEffectSpread;
    return 1;
}
