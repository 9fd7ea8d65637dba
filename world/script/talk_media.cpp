#include "world/script/talk_media.h"

#include <cstring>

#include "base/errorbox.h"
#include "world/dialog/name_entry.h"
#include "world/map/map_effects.h"
#include "world/script/talk_machine.h"
#include "world/story_flags.h"

void TalkMediaState::Reset() {
    std::memset(banner, 0, sizeof banner);
    bannerUp[0] = bannerUp[1] = false;
    fadeKind = fadeTime = 0;
    keepLmfClosed = false;
    engineWord = 0;
    wait.Clear();
    // A name entry open when the talk is reset closes with it.
    if (gNameEntry.member >= 0) ResetNameEntry();
}

void RegisterTalkMediaOps(TalkHandler* table) {
    RegisterTalkEffectOps(table);
    RegisterTalkAvOps(table);
    RegisterTalkPartyOps(table);
    RegisterTalkSystemOps(table);
}

// ---- Banners ------------------------------------------------------------------------------------

namespace {
const uint8_t* BannerText(int slot) {
    const TalkMediaState& m = gTalkMachine.media;
    return m.bannerUp[slot] ? m.banner[slot] : nullptr;
}
} // namespace

const uint8_t* TravelRefusalText() { return BannerText(0); }
const uint8_t* ExitRefusalText() { return BannerText(1); }

void GetBannerBlock(uint8_t out[2 * kBannerBytes]) {
    for (int slot = 0; slot < 2; ++slot) {
        const uint8_t* text = BannerText(slot);
        if (text) std::memcpy(out + slot * kBannerBytes, text, kBannerBytes);
        else std::memset(out + slot * kBannerBytes, 0, kBannerBytes);
    }
}

void SetBannerBlock(const uint8_t in[2 * kBannerBytes]) {
    TalkMediaState& m = gTalkMachine.media;
    for (int slot = 0; slot < 2; ++slot) {
        const uint8_t* block = in + slot * kBannerBytes;
        bool any = false;
        for (size_t i = 0; i < kBannerBytes; ++i) any |= block[i] != 0;
        std::memcpy(m.banner[slot], block, kBannerBytes);
        m.banner[slot][kBannerTextMax] = 0;
        m.bannerUp[slot] = any;
    }
}

void SetBanner(int slot, const uint8_t* text, size_t size) {
    if (slot < 0 || slot > 1) return;
    TalkMediaState& m = gTalkMachine.media;
    std::memset(m.banner[slot], 0, kBannerBytes);
    m.bannerUp[slot] = text != nullptr;
    if (text) std::memcpy(m.banner[slot], text, size < kBannerTextMax ? size : kBannerTextMax);
    SetFlagTo(kBannerFlag[slot], text ? 1 : 0);
}

// ---- Waits -------------------------------------------------------------------------------------

bool TalkWaitStalled(uint32_t pc, uint64_t progressKey) {
    if (!gTalkMachine.media.wait.Exceeded(pc, progressKey, kTalkStallFrames)) return false;
    TraceHook("talk %d: the wait of instruction %x at %u made no progress for %u frames and goes on",
              TalkNumberForText(), unsigned(gTalkMachine.op), unsigned(pc), unsigned(kTalkStallFrames));
    TalkWaitDone();
    return true;
}

void TalkWaitDone() { gTalkMachine.media.wait.Clear(); }

int TalkNumberForText() { return int(gTalkContext.talkNumber); }
