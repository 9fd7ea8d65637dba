// The fixture of the media instruction tests: an install folder with the
// object database, the talk machine and every module the instructions touch
// reset around each test.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/memory.h"
#include "base/nick_names.h"
#include "base/settings.h"
#include "media/music.h"
#include "media/video.h"
#include "menu/menu_services.h"
#include "tests/world/script/talk_test_util.h"
#include "tests/world/world_fixture.h"
#include "tools/file_writer.h"
#include "tools/talk_asm.h"
#include "world/dialog/story_timer.h"
#include "world/game_buffers.h"
#include "world/map/frame_sequence.h"
#include "world/map/map.h"
#include "world/map/map_effects.h"
#include "world/minigame/mini_game.h"
#include "world/script/talk_machine.h"
#include "world/script/talk_media.h"
#include "world/story_flags.h"

class TalkMediaTest : public WorldTablesTest {
protected:
    void SetUp() override {
        WorldTablesTest::SetUp();
        ResetAll();
        gInstallKind = kInstallKindHardDisk;
    }
    void TearDown() override {
        ResetAll();
        WorldTablesTest::TearDown();
    }
    static void ResetAll() {
        // The shop list first: the menus' reset forgets it without freeing.
        FreeMem(gShopStockIds);
        gShopStockIds = nullptr;
        ResetErrorBoxes();
        ResetTalkMachine();
        ResetStoryFlags();
        ResetMapEffects();
        ResetGameState();
        ResetMenuServices();
        ResetMusic();
        ResetVideo();
        ResetStoryTimer();
        StopFrameSequence();
        EndMiniGame();
        ResetGameBuffers();
        ResetNickNames();
        gFrameInterval = 0;
        gCurrentMap = 0;
    }
    // Assembles `code` as talk 0 into the window and into Talk1.dat of the
    // install folder (so a jump's target lies in a real file), and makes
    // talk 0 the running talk.
    bool Load(const std::string& code) {
        std::map<uint32_t, std::vector<uint8_t>> files;
        std::string error;
        if (!AssembleTalkFiles("talk 0\n" + code + "\n", &files, &error)) {
            ADD_FAILURE() << error;
            return false;
        }
        WriteBytesToFile((install / "Talk1.dat").c_str(), files.at(1));
        if (!LoadTalkCode(code)) return false;
        const std::vector<uint8_t>& file = files.at(1);
        gTalkContext.talkNumber = 0;
        gTalkContext.guid = kTalkGuidNone;
        gTalkContext.talkPc = 0;
        gTalkContext.talkWindowBase = file[512] | file[513] << 8 | file[514] << 16 | uint32_t(file[515]) << 24;
        return true;
    }
    // Loads `code` and runs its first instruction.
    TalkStep Run(const std::string& code) {
        if (!Load(code)) return TalkStep::kFail;
        return RunTalkInstrAt(0);
    }
    // Runs the instruction at pc until it stops waiting; the number of runs
    // (limit + 1 when it still waits).
    int RunUntilDone(uint32_t pc, int limit, TalkStep* last = nullptr) {
        for (int n = 1; n <= limit; ++n) {
            const TalkStep step = RunTalkInstrAt(pc);
            if (step != TalkStep::kWait) {
                if (last) *last = step;
                return n;
            }
        }
        return limit + 1;
    }
    // The u32 jump target stored at window offset at.
    static uint32_t TargetAt(uint32_t at) {
        const uint8_t* p = gTalkMachine.window + at;
        return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
    }
    static uint16_t WordAt(uint32_t at) { return uint16_t(gTalkMachine.window[at] | gTalkMachine.window[at + 1] << 8); }
};
