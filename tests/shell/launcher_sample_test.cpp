// The sample install that make_sample writes reads back through the game's
// own readers: pictures of every pack, the window picture, the animations
// (the story's figures, cursors, mini-game and menu sheets), the sound
// effects, the talk and path files, the maps and the launcher's readme; a
// second run writes nothing.
// A game starts on it: the databases open and a new game sets up its party.
// The install holds nothing the game writes (no save, so continue is not
// offered), and running the command again over a played install keeps
// every file the game wrote.
#include "shell_fixture.h"

#include "base/memory.h"
#include "battle/scene/scene_file.h"
#include "draw/act_pack.h"
#include "draw/tsw_pack.h"
#include "tools/sample_art.h"
#include "media/sound_bank.h"
#include "menu/menu_services.h"
#include "menu/save/save_screen.h"
#include "menu/save/save_state.h"
#include "platform/plat_video.h"
#include "world/map/frame_sequence.h"
#include "world/map/map.h"
#include "world/map/map_archive.h"
#include "world/world_reset.h"
#include "shell/game_start.h"
#include "world/game_buffers.h"
#include "world/new_game.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/talk_state.h"

#include "tests/support/talk_walk.h"
#include "sample_slot.h"
#include "tools/save_writer.h"
#include "world/script/path_run.h"
#include "world/story_flags.h"
#include "shell/messages.h"
#include "base/game_state.h"
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <unistd.h>

namespace {

std::string RunCommand(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (p == nullptr) return out;
    char buf[256];
    while (fgets(buf, sizeof buf, p) != nullptr) out += buf;
    pclose(p);
    return out;
}

// The numbers from..to, both included.
std::vector<int> Range(int from, int to) {
    std::vector<int> v;
    for (int i = from; i <= to; ++i) v.push_back(i);
    return v;
}

class SampleInstallTest : public ShellTest {
protected:
    // Writes the sample install with make_sample, makes it the game's install
    // folder and opens its picture packs.
    void WriteAndOpenSample() {
        std::string tool = BuildTreeProgram("make_sample");
        ASSERT_EQ(access(tool.c_str(), X_OK), 0) << tool;
        RunCommand("'" + tool + "' '" + install.Path() + "'");
        UseInstallFolder();
        ASSERT_NE(MakePackPath(install.Path().c_str()), nullptr);
        OpenTswPacks();
    }
    void TearDown() override {
        ResetWorld();
        ResetTswPacks();
        ResetActPacks();
        ResetSoundBank();
        ShellTest::TearDown();
    }
};

TEST_F(SampleInstallTest, EveryFileReadsBackAndASecondRunWritesNothing) {
    std::string tool = BuildTreeProgram("make_sample");
    if (access(tool.c_str(), X_OK) != 0) GTEST_SKIP() << "no command at " << tool;
    std::string first = RunCommand("'" + tool + "' '" + install.Path() + "'");
    EXPECT_NE(first.find("29 files written"), std::string::npos) << first;

    UseInstallFolder();
    ASSERT_NE(MakePackPath(install.Path().c_str()), nullptr);
    OpenTswPacks();
    // Packs 0..4 hold a labelled picture 1 (the character pack's is the
    // hero); the sixth's first pictures are the battle's backgrounds.
    for (int pack = 0; pack < 5; ++pack) {
        SCOPED_TRACE(pack);
        uint16_t number = uint16_t(pack * 3000 + 1);
        for (uint16_t f = 0; f < 4; ++f) {
            PicFrame* pic = GetTswPicture(number, f);
            ASSERT_NE(pic, nullptr) << "frame " << f;
            EXPECT_EQ(pic->width, pack == 0 ? kFigureWidth : 64);  // the character pack's 1 is the hero
        }
        ActRecord r{};
        r.act = number;
        ASSERT_EQ(TakeActData(&r), 1);
        EXPECT_EQ(r.picNumber, number);
    }
    PicFrame* background = GetTswPicture(15001, 0);
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(background->width, 640);
    EXPECT_EQ(background->height, 480);
    for (uint16_t f = 0; f < 10; ++f) EXPECT_NE(GetTswPicture(9034, f), nullptr) << "window piece " << f;
    EXPECT_EQ(GetTswPicture(9034, 10), nullptr);

    ASSERT_TRUE(gSoundBank.OpenSound(gInstallPath) || gSoundBank.SampleCount() > 0);
    for (int id = 1; id <= 10; ++id) {
        std::vector<uint8_t> wave = gSoundBank.LoadSound(id);
        ASSERT_GT(wave.size(), 44u) << "sound " << id;
        EXPECT_EQ(std::string(wave.begin(), wave.begin() + 4), "RIFF");
    }
    EXPECT_TRUE(install.Exists("Readme.txt"));
    EXPECT_TRUE(install.Exists("namex.dat"));
    // The fights: every scene of the story reads back from "battle.ffd".
    for (uint16_t fight = 1; fight <= 3; ++fight) {
        BattleSceneRecord scene{};
        EXPECT_EQ(gSceneFile.LoadSceneRecord((install.Path() + "battle.ffd").c_str(), &scene, fight, 0), 1) << fight;
        EXPECT_GT(scene.enemyCount, 0) << fight;
    }
    EXPECT_TRUE(install.Exists("figtalk.dat"));
    ASSERT_TRUE(LoadPathDatabase((install.Path() + "path.dat").c_str()));
    for (uint32_t path = 1; path <= 3; ++path) {
        PathInstr in;
        EXPECT_EQ(DecodePathInstr(PathDatabase(), path, 0, &in), kPathDecoded) << "path " << path;
    }
    ResetPathScripts();
    EXPECT_TRUE(install.Exists("Music/1.mp3") || install.Exists("Music/1.wav"));
    EXPECT_TRUE(install.Exists("Music/2.mp3") || install.Exists("Music/2.wav"));
    // Both story maps load from the archive, the sequence starts, the video
    // is there and every talk entry decodes.
    EXPECT_EQ(LoadMap3(1, &gMap), 1);
    EXPECT_EQ(gMap.width, 48u);
    EXPECT_EQ(LoadMap3(2, &gMap), 1);
    EXPECT_EQ(gMap.width, 40u);
    EXPECT_TRUE(OpenFrameSequence((install.Path() + "Video\\1.seq").c_str()));
    StopFrameSequence();
    // The video fills the screen, as the game's own videos do: they are
    // shown from the screen's top left corner at their own size.
    PlatVideo* video = PlatVideoOpen((install.Path() + "Video\\1.avi").c_str(), 0);
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(PlatVideoWidth(video), 640);
    EXPECT_EQ(PlatVideoHeight(video), 480);
    PlatVideoClose(video);
    const TalkWalk walk = WalkTalkFile(install.Read("Talk1.dat"));
    EXPECT_TRUE(walk.ok) << walk.error;
    EXPECT_GT(walk.instructions, 100u);

    std::string second = RunCommand("'" + tool + "' '" + install.Path() + "'");
    EXPECT_NE(second.find("0 files written"), std::string::npos) << second;
}

// Every act and picture the code names by number is in the sample install:
// the table lists them (act and streams, picture and frames) with the code
// that names them, and a missing one fails with its number.
TEST_F(SampleInstallTest, EveryActAndPictureTheCodeNamesIsThere) {
    ASSERT_NO_FATAL_FAILURE(WriteAndOpenSample());
    struct Case {
        int act;
        std::vector<int> qqs;
        int dirs;
    };
    std::vector<int> cursors = Range(0, 15);  // the map cursor's shapes (15: key 0x2E held)
    cursors.push_back(20);                    // the dialog's next-page button
    cursors.push_back(21);                    // and its end button
    std::vector<Case> cases = {
        {9001, cursors, 1},
        {9002, Range(0, 99), 1},                   // the menus' sheet
        {9003, {44, 45, 46, 47, 59, 78, 79}, 1},   // the title's entries, smoke, spotlight
        {9004, Range(0, 10), 1},                   // the story countdown's digits and separator
        {9010, Range(0, 11), 1},                   // the mini-game: sky, player, goals (2, 11), obstacles
        {9011, Range(0, 4), 1},                    // the talisman spirits
        {9019, {0}, 1},                            // the framed box
        {9110, {0}, 1},                            // the battle's message banner
    };
    for (int act = 9030; act <= 9033; ++act) cases.push_back({act, {0}, 1});  // dialog frame acts
    for (int act = 9040; act <= 9043; ++act) cases.push_back({act, {0}, 1});  // dialog caption acts
    for (int act = 1; act <= 8; ++act) cases.push_back({act, {0, 8, 16}, 8});  // figures (1..4 the members')
    cases.push_back({1, {13, 76}, 1});     // the title's typist at rest
    cases.push_back({1001, {0, 10, 74}, 1}); // and typing
    for (const Case& c : cases)
        for (int qq : c.qqs)
            for (int dir = 0; dir < c.dirs; ++dir) {
                SCOPED_TRACE(std::to_string(c.act) + " qq " + std::to_string(qq) + " dir " + std::to_string(dir));
                ActRecord r{};
                r.act = c.act;
                r.qq = qq;
                r.dir = dir;
                if (TakeActData(&r) != 1) {
                    ADD_FAILURE() << "no act " << c.act << " qq " << qq << " dir " << dir;
                    continue;
                }
                EXPECT_NE(GetTswPicture(r.picNumber, r.picFrame), nullptr);
            }
    struct Picture {
        int number;
        std::vector<int> frames;
    };
    const std::vector<Picture> pictures = {
        {9007, {0}},              // the mini-game's progress marker
        {9019, Range(0, 8)},      // the framed box's nine pieces
        {9030, Range(0, 10)},     // the category tabs (book, feeding page)
        {9034, Range(0, 9)},      // the dialog window and its ornament
        {9038, {0}},              // the text entry's frame
        {9039, Range(0, 8)},      // the caption window
        {9045, {0}},              // the number's sign
        {9049, {0}}, {9050, {0}}, // the save slots' badges
        {9051, Range(0, 3)},      // the save screen's arrows
        {9054, {0}}, {9055, {0}}, // the level arrows
        {9058, Range(0, 10)},     // the current category
        {9079, Range(0, 9)},      // the digits
        {9132, Range(0, 6)},      // the elements
        {9135, {0}},              // the loading bar's frame
        {9139, Range(0, 2)},      // the spirit's stages
        {9146, Range(0, 2)},      // the feeding page's markers
    };
    for (const Picture& p : pictures)
        for (int f : p.frames)
            EXPECT_NE(GetTswPicture(uint16_t(p.number), uint16_t(f)), nullptr) << "picture " << p.number << " frame " << f;
    // A figure walks: its frames change while the act steps.
    ActRecord walk{};
    walk.act = 2;
    walk.qq = 8;
    walk.dir = 3;
    std::set<int> frames;
    for (int step = 0; step < 40; ++step) {
        ASSERT_EQ(TakeActData(&walk), 1);
        frames.insert(walk.picFrame);
    }
    EXPECT_EQ(frames, (std::set<int>{9, 10, 11}));
}

TEST_F(SampleInstallTest, NewGameGetsPastTheDatabases) {
    std::string tool = BuildTreeProgram("make_sample");
    if (access(tool.c_str(), X_OK) != 0) GTEST_SKIP() << "no command at " << tool;
    RunCommand("'" + tool + "' '" + install.Path() + "'");
    UseInstallFolder();
    ASSERT_EQ(OnStartGame(), 1);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
    ASSERT_EQ(NewGame(1), 1);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
    EXPECT_EQ(gStartRecord.map, 1);
    EXPECT_EQ(gTalkContext.talkNumber, 100);
    EXPECT_EQ(gTalkVar[0], 100);
    ASSERT_NE(gInventory, nullptr);
    const ItemRecord* sword = FindItem(gInventory, 101);  // one of the starting bag
    ASSERT_NE(sword, nullptr);
    EXPECT_STREQ(sword->obj.name, "Iron Sword");
    EXPECT_EQ(gMemberStats[3].gauge[0], 130);
    ASSERT_NE(gMagicLists[1], nullptr);
    EXPECT_EQ(gMagicLists[1]->next->id, 202);
    EXPECT_EQ(gMemberEquip[0][0]->id, 101);
    ReleaseGameAndShell();
    EXPECT_EQ(gInventory, nullptr);
    EXPECT_EQ(gMapsImage, nullptr);
}

TEST_F(SampleInstallTest, TheReadySlotContinuesTheSampleGame) {
    std::string tool = BuildTreeProgram("make_sample");
    if (access(tool.c_str(), X_OK) != 0) GTEST_SKIP() << "no command at " << tool;
    RunCommand("'" + tool + "' '" + install.Path() + "'");
    install.MakeFolder("save");
    install.Write("save/0.sav", SampleReadySlot());
    UseInstallFolder();
    ASSERT_EQ(OnStartGame(), 1);
    ASSERT_EQ(AnySaveExists(), 1);
    gSlot = 20;
    SelectNewestSlot();
    EXPECT_EQ(gSlot, 0);
    EXPECT_EQ(gSaveScreen.previews[0].state, kPreviewReady);
    const SaveResult r = ReadSaveSlot(0);
    ASSERT_TRUE(r.ok) << r.text;
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
    // The story's start map runs, the player on the saved cell and act.
    EXPECT_EQ(gCurrentMap, 1u);
    EXPECT_EQ(gMap.width, 48u);
    ASSERT_LT(gPlayerRole, TotalRole);
    EXPECT_EQ(gRole[gPlayerRole].guid, 1);
    EXPECT_EQ(gRole[gPlayerRole].x / 16, 12);
    EXPECT_EQ(gRole[gPlayerRole].y / 16, 12);
    EXPECT_EQ(gRole[gPlayerRole].act.act, 2);
    EXPECT_EQ(gTalkVar[0], 250u);
    ASSERT_NE(gInventory, nullptr);
    EXPECT_EQ(gInventory->id, 1); // the bag in its saved order
    EXPECT_EQ(gPlayTime, 12u * 60 + 34);
    // Saved again into another slot, it loads to the same state.
    gTalkVar[0] = 300;
    ASSERT_TRUE(WriteSaveSlot(1).ok);
    EXPECT_TRUE(install.Exists("Fame.dat"));
    gTalkVar[0] = 0;
    ASSERT_TRUE(ReadSaveSlot(1).ok);
    EXPECT_EQ(gTalkVar[0], 300u);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
    FreeSlotPreviews();
    ReleaseGameAndShell();
}

// A fresh install shows no save: the launcher does not light continue.
TEST_F(SampleInstallTest, AFreshInstallHoldsNoSaveAndOffersNoContinue) {
    std::string tool = BuildTreeProgram("make_sample");
    ASSERT_EQ(access(tool.c_str(), X_OK), 0) << tool;
    RunCommand("'" + tool + "' '" + install.Path() + "'");
    EXPECT_FALSE(install.Exists("save/0.sav"));
    UseInstallFolder();
    EXPECT_EQ(AnySaveExists(), 0);
    // The launcher's continue neither lights nor answers under the pointer.
    QueueLauncherChoice(kZoneContinue);
    QueueLauncherChoice(kZoneNewGame, 6);
    SendMessage(kWmUser4, 0, 0);
    EXPECT_FALSE(IsFlag(kFlagTimedTalkRunning)) << "continue is offered";
    // The click on continue did nothing; new game started the game.
    EXPECT_EQ(gSaveLoadMode, 0u) << "the load screen opened";
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
    ReleaseGameAndShell();
}

// A player saves, ends the game and runs the README's run command again,
// which writes the sample install over the same folder: the save, the fame
// file the save wrote and the settings are still the player's, and continue
// loads the player's game.
TEST_F(SampleInstallTest, ASecondRunOverAPlayedInstallKeepsWhatTheGameWrote) {
    std::string tool = BuildTreeProgram("make_sample");
    ASSERT_EQ(access(tool.c_str(), X_OK), 0) << tool;
    RunCommand("'" + tool + "' '" + install.Path() + "'");
    const std::vector<uint8_t> bookAtStart = install.Read("Fame.dat");
    ASSERT_FALSE(bookAtStart.empty());
    UseInstallFolder();
    ASSERT_EQ(OnStartGame(), 1);
    ASSERT_EQ(NewGame(1), 1);
    gTalkVar[0] = 4321;
    ASSERT_TRUE(WriteSaveSlot(0).ok);
    ReleaseGameAndShell();
    // The settings as the player left them (a changed volume).
    WriteDefaultEnv(gInstallPath, gCdPath, 3, 6, 60, 100, 1, 2, 10);
    const std::vector<uint8_t> env = install.Read("Env.dat");
    ASSERT_GT(env.size(), kEnvOptionOffset);
    // The fame file as a later save leaves it (other counts than the book's start).
    std::vector<uint8_t> fame = install.Read("Fame.dat");
    ASSERT_EQ(fame.size(), 1024u);
    fame[100] ^= 0x5A;
    install.Write("Fame.dat", fame);
    const std::vector<uint8_t> save = install.Read("save/0.sav");

    std::string second = RunCommand("'" + tool + "' '" + install.Path() + "'");
    EXPECT_NE(second.find("0 files written"), std::string::npos) << second;
    EXPECT_EQ(install.Read("save/0.sav"), save);
    EXPECT_EQ(install.Read("Fame.dat"), fame);
    EXPECT_EQ(install.Read("Env.dat"), env);

    // Continue finds the player's save and loads it.
    ResetShell();
    UseInstallFolder();
    ASSERT_EQ(AnySaveExists(), 1);
    ASSERT_EQ(OnStartGame(), 1);
    gTalkVar[0] = 0;
    ASSERT_TRUE(ReadSaveSlot(0).ok);
    EXPECT_EQ(gTalkVar[0], 4321u);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
    FreeSlotPreviews();
    ReleaseGameAndShell();
}

} // namespace

// Every picture, act, sound and tune the battle names by number is in the
// sample install: the table lists them with the code that names them, and
// a missing one fails with its number.
TEST_F(SampleInstallTest, EveryNumberTheBattleNamesIsThere) {
    ASSERT_NO_FATAL_FAILURE(WriteAndOpenSample());
    // Acts and the streams the battle plays of them.
    struct Case {
        int act;
        std::vector<int> qqs;
        const char* what;
    };
    std::vector<Case> cases = {
        {9002, Range(0, 99), "the list scroll bar (command panels)"},
        {9100, {0}, "the battle's pointer (battle_frame)"},
        {9101, {0}, "the pointer on a choice"},
        {9102, {0}, "the pointer in the command panels"},
        {9103, {0}, "the target marker (command panels)"},
        {9104, Range(0, 5), "the member icons (HUD)"},
        {9105, {0}, "the commanding member's marker"},
        {9106, {0}, "the dimmed overlay"},
        {9107, {0}, "the refused marker"},
        {9110, {0}, "the panels', messages' and results' frame"},
        {9115, Range(0, 3), "the roulette's coin"},
        {9130, Range(0, 5), "the small portraits"},
        // The effects the battle plays by their own numbers.
        {6071, {0}, "the spirit's heal (turn steps)"},
        {6079, {0}, "the revert sprite (man_support)"},
        {6119, {0}, "the transfer (mon_trigger)"},
        {6142, {0}, "the gathering (man_perform_magic)"},
        {6251, {0}, "the refining flight (man_perform_multi)"},
        {7051, {0}, "the revert (role_effects)"},
        {7211, {0}, "capture 1 (man_capture)"},
        {7212, {0}, "capture 2"},
        {7213, {0}, "capture 3"},
        {7303, {0}, "skill 33's effect"},
        {7318, {0}, "the burn (role_effect_draw)"},
        {7319, {0}, "the poison"},
        {7320, {0}, "the fusion and trigger act"},
        {7322, {0}, "the throw's impact"},
        {8072, {0}, "the afterglow (man_perform_magic)"},
        // The sample fights' own effect, scene and head acts.
        {kSampleSlashAct, {0}, "the plain attack's hit"},
        {kSampleSmashAct, {0}, "the strong attack's hit"},
        {kSampleFireAct, {0}, "a spell on one"},
        {kSampleRainAct, {0}, "a spell on all"},
        {kSampleHerbAct, {0}, "an item"},
        {kSampleVenomAct, {0}, "a poisoning"},
        {kSampleNetAct, {0}, "a capture"},
        {kSampleGrabAct, {0}, "a theft"},
        {kSampleFollowAct, {0}, "a follow-up"},
        {kSampleSummonAct, {0}, "the guard summoned"},
        {kSampleClawAct, {0}, "a monster's attack"},
        {kSampleHexAct, {0}, "enemy magic"},
        {kSampleRageAct, {0}, "an enemy special"},
        {kSampleTriggerAct, {0}, "a trigger act"},
        {kSampleLanternAct, {0}, "the scene sprite"},
        {kSampleHeadAct, Range(0, 7), "the sliding heads"},
        {6001, {0}, "every weapon's strong-attack act"},
    };
    // Sprite sets: the party's (member + 1), the monsters' and the weakened
    // form's, with every pose the roles play (36..58) and the dashes.
    std::vector<int> poses = Range(kBattlePoseFirst, kBattlePoseLast);
    for (int qq = kBattleDashFirst; qq < kBattleStreams; ++qq) poses.push_back(qq);
    for (int set : {1, 2, 3, 4, 1001, 1002, 1003, 1004, 1005, 1006, 250, 301, 91, 92, 93, 94, 95}) cases.push_back({set, poses, "a sprite set"});
    // The title's typist is act 1001 too (qq 0, 10, 74): its streams stay.
    cases.push_back({1001, {0, 10, 74}, "the title's typist"});
    for (const Case& c : cases)
        for (int qq : c.qqs) {
            SCOPED_TRACE(std::to_string(c.act) + " qq " + std::to_string(qq) + ": " + c.what);
            ActRecord r{};
            r.act = c.act;
            r.qq = qq;
            if (TakeActData(&r) != 1) {
                ADD_FAILURE() << "no act " << c.act << " qq " << qq;
                continue;
            }
            EXPECT_NE(GetTswPicture(r.picNumber, r.picFrame), nullptr) << "picture " << r.picNumber << " frame " << r.picFrame;
        }
    // A one-shot pose or effect ends, a hit hits and a run-up moves on its
    // beat: the performers wait for exactly these.
    struct Beat {
        int act, qq;
        uint16_t event;  // 0: none asked
        bool ends;
    };
    for (const Beat& b : {Beat{1, 40, 0x1, true}, Beat{1, 44, 0x1, true}, Beat{1, 38, 0, true}, Beat{1, 46, 0x8, false},
                          Beat{1001, 40, 0x1, true}, Beat{6001, 0, 0x1, true}, Beat{kSampleFireAct, 0, 0x1, true}}) {
        SCOPED_TRACE(std::to_string(b.act) + " qq " + std::to_string(b.qq));
        ActRecord r{};
        r.act = b.act;
        r.qq = b.qq;
        uint16_t events = 0;
        bool done = false;
        for (int step = 0; step < 120 && !done; ++step) {
            ASSERT_EQ(TakeActData(&r), 1);
            events |= r.events;
            done = r.done != 0;
        }
        EXPECT_EQ(done, b.ends);
        if (b.event) EXPECT_TRUE(events & b.event);
    }
    // Pictures and their frames.
    struct Picture {
        int number;
        std::vector<int> frames;
        const char* what;
    };
    const std::vector<Picture> pictures = {
        {9069, {0, 1}, "the life bar"},     {9070, {0, 1}, "the spirit bar"},    {9071, {0, 1}, "the stamina bar"},
        {9072, Range(0, 3), "the block banner"},
        {9077, {0}, "the HUD's base"},      {9079, Range(0, 9), "the HUD's digits"},
        {9080, Range(0, 9), "life digits"}, {9081, Range(0, 9), "low life digits"},
        {9082, Range(0, 3), "the charge gauge"},
        {9085, Range(0, 9), "healing"},     {9086, Range(0, 9), "spirit"},       {9087, Range(0, 9), "stamina"},
        {9097, Range(0, 9), "damage"},      {9088, {0, 1}, "the time gauge"},    {9093, {0, 1}, "the charge bar"},
        {9095, Range(0, 8), "the panels' frame"},
        {9108, Range(0, 7), "the list tabs"},
        {9111, {0, 1}, "the running total"},
        {9118, Range(0, 2), "the row icons"},
        {9119, {0}, "the commanding member's frame"},
        {9132, Range(0, 4), "the element icons"},
        {9136, {0, 1}, "the roulette's frame"},
        {9142, Range(0, 19), "the status icons and the arrow"},
        {15001, {0}, "the training yard"},  {15002, {0}, "the woods"},           {15003, {0}, "the shrine"},
    };
    for (const Picture& p : pictures)
        for (int f : p.frames)
            EXPECT_NE(GetTswPicture(uint16_t(p.number), uint16_t(f)), nullptr)
                << "picture " << p.number << " frame " << f << ": " << p.what;
    // The backgrounds fill the screen and are run-length frames (a
    // background variant shifts them).
    for (int n = 15001; n <= 15003; ++n) {
        PicFrame f{};
        ASSERT_NE(GetTswPictureDirect(&f, uint16_t(n), 0), nullptr) << n;
        EXPECT_EQ(f.width, 640);
        EXPECT_EQ(f.height, 480);
        FreeMem(f.data);
    }
    // Sounds: every id the battle plays by number.
    ASSERT_TRUE(gSoundBank.OpenSound(gInstallPath) || gSoundBank.SampleCount() > 0);
    for (int id : BattleSoundIds()) EXPECT_GT(gSoundBank.LoadSound(id).size(), 44u) << "sound " << id;
    // The battle's tune.
    EXPECT_TRUE(install.Exists("Music/Battle01.mp3"));
}

// The same from the other side: every act or picture number (6001..9199)
// and every sound id that battle/ writes in its code is in the sample
// install, so a number the battle starts to name fails here until the
// sample draws it. Numbers in that range that name no art are listed.
TEST_F(SampleInstallTest, EveryNumberInTheBattleCodeIsInTheSample) {
    namespace fs = std::filesystem;
    ASSERT_NO_FATAL_FAILURE(WriteAndOpenSample());
    ASSERT_TRUE(gSoundBank.OpenSound(gInstallPath) || gSoundBank.SampleCount() > 0);
    // 6000 and 6001 bound a reaction id, 6500 is the debug key's stats, 8004
    // the scene file's count offset, 8192 a list bound.
    const std::set<int> noArt = {6000, 6500, 8004, 8192};
    const std::regex literal(R"((^|[^\w.])(\d{4})(?![\w.]))");
    const std::regex soundName(R"(\bk\w*(Sfx|Sound)\w*\s*(\[[^\]]*\])?\s*=\s*(\{[^}]*\}|\d+))");
    const std::regex soundCall(R"(\b(PlaySfx|MenuSound|Sound)\((\d+))");
    const std::regex number(R"(\d+)");
    const std::regex text(R"("(\\.|[^"\\])*")");
    std::map<int, std::string> arts, sounds;
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(KYV_SOURCE_DIR) / "battle")) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".cpp" && ext != ".h") continue;
        ++files;
        std::ifstream in(entry.path());
        std::string line;
        const std::string where = entry.path().filename().string();
        while (std::getline(in, line)) {
            // The code of the line: no comment, no text.
            line = line.substr(0, line.find("//"));
            if (line.find_first_of("0123456789") == std::string::npos) continue;
            if (line.find('"') != std::string::npos) line = std::regex_replace(line, text, "\"\"");
            for (std::sregex_iterator m(line.begin(), line.end(), literal), end; m != end; ++m) {
                const int v = std::stoi((*m)[2]);
                if (v >= 6001 && v <= 9199 && !noArt.count(v)) arts[v] = where;
            }
            for (std::sregex_iterator m(line.begin(), line.end(), soundName), end; m != end; ++m) {
                const std::string name = (*m)[0];
                if (name.find("Pan") != std::string::npos) continue;  // a pan, not an id
                const std::string values = (*m)[3];
                for (std::sregex_iterator n(values.begin(), values.end(), number); n != end; ++n)
                    sounds[std::stoi((*n)[0])] = where;
            }
            for (std::sregex_iterator m(line.begin(), line.end(), soundCall), end; m != end; ++m)
                sounds[std::stoi((*m)[2])] = where;
        }
    }
    ASSERT_GT(files, 100u) << "the battle's sources are not at " << KYV_SOURCE_DIR;
    EXPECT_GT(arts.size(), 50u);
    EXPECT_GT(sounds.size(), 20u);
    for (const auto& [n, where] : arts) {
        ActRecord r{};
        r.act = n;
        const bool act = TakeActData(&r) == 1 && GetTswPicture(r.picNumber, r.picFrame) != nullptr;
        const bool picture = GetTswPicture(uint16_t(n), 0) != nullptr;
        EXPECT_TRUE(act || picture) << where << " names " << n << ": neither an act nor a picture of the sample";
    }
    for (const auto& [id, where] : sounds)
        EXPECT_GT(gSoundBank.LoadSound(id).size(), 44u) << where << " plays sound " << id << ", which the sample lacks";
}
