// Talk instructions: effects, party, items, media and system (see the
// "Media instructions" section of docs/talk-scripts.md).
//
// The handlers are split by group: screen effects and banners
// (talk_media_effects.cpp), sound, music, frame sequences and video
// (talk_media_av.cpp), the party's items, magic, equipment and stats
// (talk_media_party.cpp), and the hand-overs to fights, menus, timers, the
// name entry and the mini-game (talk_media_system.cpp).
#pragma once
#include <cstddef>
#include <cstdint>

#include "world/script/talk_wait.h"

struct TalkInstr;
enum class TalkStep : uint8_t;
using TalkHandler = TalkStep (*)(TalkInstr&);

// A banner: three lines of 16 bytes and a terminator, set by the story and
// shown by the menus in place of their default refusal text. Slot 0 is the
// travel refusal (story flag 77), slot 1 the exit refusal (flag 78).
constexpr size_t kBannerBytes = 52;
constexpr size_t kBannerTextMax = kBannerBytes - 1;
constexpr int kBannerFlag[2] = {77, 78};

// Frames a media wait may see no progress before it gives up (about half a
// minute of play); each give-up is traced once.
constexpr uint32_t kTalkStallFrames = 900;

// The state these instructions keep between frames, part of TalkMachine.
struct TalkMediaState {
    // Banners live in the state itself: setting one copies into its block,
    // so a new text never leaves an old block behind.
    uint8_t banner[2][kBannerBytes] = {};
    bool bannerUp[2] = {};
    // Talk music: the stored fade kind and time (0x8D), the pair a, b of 0x72.
    uint32_t fadeKind = 0, fadeTime = 0;
    // The map archive stays closed after the next sequence or video (0xD6).
    bool keepLmfClosed = false;
    // The engine word 0x7A clears; nothing reads it.
    uint32_t engineWord = 0;
    // The running wait's bound (no progress for kTalkStallFrames gives up).
    TalkWaitBound wait;

    TalkMediaState() = default;
    TalkMediaState(const TalkMediaState&) = delete;
    TalkMediaState& operator=(const TalkMediaState&) = delete;
    void Reset();
};

// ---- Banners, for the menus and the saved game ----------------------------------------------
// The banner texts; null while the slot shows the default text.
const uint8_t* TravelRefusalText();
const uint8_t* ExitRefusalText();
// The 104-byte save block: slot 0 then slot 1, an absent banner as 52 zero bytes.
void GetBannerBlock(uint8_t out[2 * kBannerBytes]);
// Restores both banners from a save block; a slot of all zeros is absent.
// Story flags 77 and 78 come with the saved flags and are not touched.
void SetBannerBlock(const uint8_t in[2 * kBannerBytes]);
// Sets banner slot 0 or 1 to the text (at most 51 bytes are kept); null
// clears it. Sets or clears the slot's story flag.
void SetBanner(int slot, const uint8_t* text, size_t size);

// ---- The groups' registrations (each in its own file) --------------------------------------
void RegisterTalkEffectOps(TalkHandler* table);
void RegisterTalkAvOps(TalkHandler* table);
void RegisterTalkPartyOps(TalkHandler* table);
void RegisterTalkSystemOps(TalkHandler* table);

// ---- Shared by the groups ---------------------------------------------------------------------
// Whether the wait at pc should give up: the progress key is what changes
// while the awaited thing advances. After kTalkStallFrames calls with the
// same key the wait gives up (one trace) and the caller goes on.
bool TalkWaitStalled(uint32_t pc, uint64_t progressKey);
// A wait that ended: its progress record is cleared.
void TalkWaitDone();
// The menu instruction's hand-over (0x90 and a party that is down): the
// title page 5 when the low byte of k is 1, else page 4, with the save
// screen's state cleared.
void TalkMenuRequest(uint16_t k);
// The running talk's number, for error texts.
int TalkNumberForText();

// A member's field by GetMemberStat's numbering (0-16), written with the
// field's own range: gauges 0..their maximum, maxima 0..32767, stats
// 0..65535, experience and next-level experience 0..0xFFFFFFFF, level 0..99.
// Writing the level also takes the next-level experience from the level
// table when it has the row. Member 0..3; false for another member or field.
bool SetMemberStat(int field, int member, int64_t value);
