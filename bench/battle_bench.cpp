// A battle frame without the present, beside a memcpy of the screen measured
// in the same run:
//
//   build/normal/bench/bench_battle_bench
//   KYV_BATTLE_BENCH_DUMP=frame.bmp build/normal/bench/bench_battle_bench
//
// - the field: a full-screen background picture;
// - ten roles (four of the party, six enemies), each a 96 x 128 sprite with
//   its shadow, and each showing a four-digit number that pops and rises;
// - a spell of the second effect layer: a 256 x 192 ring drawn in the act's
//   alpha blend over the middle of the field, its four frames round and round;
// - a screen tint running all the time;
// - the HUD: its base strip, the commanding member's frame, the party panel
//   of four members (bars, numbers, icons, gauges, the running total) and
//   the open icon menu of the commanding member.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/edition.h"
#include "base/random.h"
#include "base/settings.h"
#include "battle/battle_services.h"
#include "battle/battle_state.h"
#include "battle/effects/effect_layers.h"
#include "battle/hud/accumulator.h"
#include "battle/hud/battle_hud.h"
#include "battle/hud/hud_pieces.h"
#include "battle/input/command_menu.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "battle/screen/battle_tint.h"
#include "bench/bench_ratios.h"
#include "draw/act_pack.h"
#include "draw/draw_kernel.h"
#include "draw/game_fonts.h"
#include "draw/screenshot.h"
#include "draw/surface.h"
#include "draw/text_font.h"
#include "draw/tsw_pack.h"
#include "platform/headless/headless.h"
#include "tools/act_writer.h"
#include "tools/file_writer.h"
#include "tools/rle_writer.h"
#include "tools/sample_art.h"
#include "tools/tsw_writer.h"
#include "world/party/member_stats.h"

namespace {

namespace fs = std::filesystem;

constexpr int kScreenW = 640, kScreenH = 480;
constexpr int kSpriteW = 96, kSpriteH = 128;
constexpr int kRoleFrames = 4;
constexpr uint16_t kRoleAct = 1;  // act and picture 1 of the character pack
constexpr uint16_t kBackground = 2;
constexpr uint16_t kDamageDigits = 9097;
constexpr int kSpellW = 256, kSpellH = 192;
constexpr uint16_t kSpellAct = 3;  // act and picture 3 of the character pack

struct Bench {
    fs::path folder;
    Surface* surface = nullptr;
    std::vector<uint16_t> screenCopy;
    const char* names[4] = {"Hero", "Mage", "Tank", "Bard"};
};
Bench gBench;

// A figure: an opaque ellipse with key pixels around it, its colours moving
// with the frame.
std::vector<uint16_t> Figure(int frame) {
    std::vector<uint16_t> px(size_t(kSpriteW) * kSpriteH, kArtKey);
    for (int y = 0; y < kSpriteH; ++y)
        for (int x = 0; x < kSpriteW; ++x) {
            const int dx = x - kSpriteW / 2, dy = y - kSpriteH / 2;
            if (dx * dx * 64 * 64 + dy * dy * 48 * 48 >= 48 * 48 * 64 * 64) continue;
            uint16_t v = ArtRgb((x * 3 + y + frame) & 31, (y * 5) & 31, (x + y) & 31);
            if (v == kArtKey || v == kArtShadow) v ^= 1;
            px[size_t(y) * kSpriteW + x] = v;
        }
    return px;
}

// A spell's frame: a ring of light on key pixels, turning with the frame.
std::vector<uint16_t> Spell(int frame) {
    std::vector<uint16_t> px(size_t(kSpellW) * kSpellH, kArtKey);
    for (int y = 0; y < kSpellH; ++y)
        for (int x = 0; x < kSpellW; ++x) {
            const int dx = x - kSpellW / 2, dy = (y - kSpellH / 2) * 4 / 3;
            const int d2 = dx * dx + dy * dy;
            if (d2 < 40 * 40 || d2 >= 126 * 126) continue;
            uint16_t v = ArtRgb((x + frame * 5) & 15, (y / 4 + frame) & 31, 20 + ((x ^ y) & 7));
            if (v == kArtKey || v == kArtShadow) v ^= 1;
            px[size_t(y) * kSpellW + x] = v;
        }
    return px;
}

void WriteInstall() {
    gBench.folder = fs::temp_directory_path() / ("kyv_battle_bench_" + std::to_string(::getpid()));
    fs::create_directories(gBench.folder);
    const std::string f = gBench.folder.string() + "/";
    WriteBytesToFile((f + "all_sys.tsw").c_str(), BuildTswPack(SystemPictures()));
    WriteBytesToFile((f + "all_sys.act").c_str(), BuildActPack(SystemActs()));
    TswEntryData figure{kRoleAct, 16, {}, {}};
    for (int i = 0; i < kRoleFrames; ++i)
        figure.frames.push_back({RleFromPixels(Figure(i), kSpriteW, kSpriteH), uint16_t(kSpriteW), uint16_t(kSpriteH)});
    std::vector<uint16_t> field(size_t(kScreenW) * kScreenH);
    for (int y = 0; y < kScreenH; ++y)
        for (int x = 0; x < kScreenW; ++x) field[size_t(y) * kScreenW + x] = ArtRgb(8 + y / 40, 12, (x / 24) & 31);
    TswEntryData background{kBackground, 16, {}, {{RawFrameBytes16(field), uint16_t(kScreenW), uint16_t(kScreenH)}}};
    TswEntryData spell{kSpellAct, 16, {}, {}};
    for (int i = 0; i < kRoleFrames; ++i)
        spell.frames.push_back({RleFromPixels(Spell(i), kSpellW, kSpellH), uint16_t(kSpellW), uint16_t(kSpellH)});
    WriteBytesToFile((f + "all_char.tsw").c_str(), BuildTswPack({figure, background, spell}));
    const std::vector<ActStreamData> streams(8, ActStreamData{true, ActWords("SD 3 XY 48 120 RF 1 PA 0 ED PA 1 ED PA 2 ED PA 3 OV")});
    const std::vector<ActStreamData> spellStream(
        8, ActStreamData{true, ActWords("SD 2 XY 128 96 GS 20 RF 3 PA 0 ED PA 1 ED PA 2 ED PA 3 OV")});
    WriteBytesToFile((f + "all_char.act").c_str(),
                     BuildActPack({{kRoleAct, BuildActData(streams)}, {kSpellAct, BuildActData(spellStream)}}));
    std::snprintf(gInstallPath, sizeof gInstallPath, "%s", f.c_str());
    MakePackPath(f.c_str());
    OpenTswPacks();
}

void PlaceRole(Role& r, int x, int y) {
    r.slot.homeX = int16_t(x);
    r.slot.homeY = int16_t(y);
    r.acts[0].rec = ActRecord{};
    r.acts[0].rec.act = kRoleAct;
}

void Start() {
    ResetSettings();
    InitRandom(7);
    ResetDrawKernel();
    ResetBattleServices();
    gBench.surface = CreateSurface(kScreenW, kScreenH);
    InitDrawKernel(gBench.surface, 0);
    gBackPixels = LockBackBuffer(gBench.surface);
    WriteInstall();
    MakeFont(gFontLarge, kScreenW, kScreenH, 20);
    MakeFont(gFontMedium, kScreenW, kScreenH, 16);
    MakeFont(gFontSmall, kScreenW, kScreenH, 12);
    gBench.screenCopy.assign(size_t(kScreenW) * kScreenH, 0x1234);
    gGaugeFull = 1000;
    for (int s = 0; s < 4; ++s) {
        MemberStats& m = gMemberStats[s];
        m.gauge[0] = m.gaugeMax[0] = int16_t(400 + 50 * s);
        m.gauge[1] = m.gaugeMax[1] = 120;
        m.gauge[2] = m.gaugeMax[2] = 90;
        ManRole& r = gManRoles[s];
        r.side = 1;
        r.member = 1;
        r.statsCopy = m;
        r.stats = &r.statsCopy;
        r.baseStats = &m;
        r.battleRecord = &gMemberBattle[s];
        r.spriteSet = uint16_t(s + 1);
        r.name = gBench.names[s];
        r.gauge = uint16_t(250 * s);
        PlaceRole(r, 420 + 50 * (s % 2), 200 + 50 * s);
    }
    gBattleManCount = 4;
    for (int i = 0; i < 6; ++i) PlaceRole(gMonRoles[i], 80 + 60 * (i % 3), 200 + 80 * (i / 3));
    gBattleMonCount = 6;
    SEL = 20;
    fMenu = 1;
    gManRoles[0].highlight = 1;
    gManRoles[0].gauge = 1000;
    SetAccumulatorCap(1000);
    AddToAccumulator(420);
    SetAccumulatorGaugeOn(1);
}

void Stop() {
    ResetBattleServices();
    ResetTswPacks();
    ResetActPacks();
    ReleaseGameFonts();
    UnlockBackBuffer(gBench.surface, gBackPixels);
    gBackPixels = nullptr;
    FreeSurface(gBench.surface);
    gBench.surface = nullptr;
    ResetDrawKernel();
    fs::remove_all(gBench.folder);
}

void BM_Memcpy(benchmark::State& state) {
    Start();
    for (auto _ : state) {
        for (int y = 0; y < kScreenH; ++y)
            std::memcpy(BackPixel(0, y), gBench.screenCopy.data() + size_t(y) * kScreenW, kScreenW * 2);
        benchmark::ClobberMemory();
    }
    Stop();
}

// A role's number over the field, started again once the last has risen
// away.
void DrawNumber(Role& r) {
    if (r.StepShownNumbers() == 1 || r.numberPending == 0) {
        r.PushShownNumber(kDamageDigits);
        r.SetDamageDigits(1234);
        r.CommitShownNumber(1);
    }
}

void BM_BattleFrame(benchmark::State& state, bool hud) {
    Start();
    int frame = 0;
    for (auto _ : state) {
        // A tint that never ends: started again long before it runs out.
        if (frame++ % 64 == 0) StartBattleTint(0, 0, 0, 6, 0, -4, 1000);
        DrawPackFirstFrame(kBackground, 0, 0);
        for (int s = 0; s < 4; ++s) gManRoles[s].DrawActBlock(0, gManRoles[s].slot.homeX, gManRoles[s].slot.homeY, true);
        for (int i = 0; i < 6; ++i) gMonRoles[i].DrawActBlock(0, gMonRoles[i].slot.homeX, gMonRoles[i].slot.homeY, true);
        // The spell, started again should it ever end.
        if (IsSecondLayerMagicEmpty() == 1) AddSecondLayerMagic(kSpellAct, 0, 320, 200, 0);
        DrawSecondLayerMagic();
        for (int s = 0; s < 4; ++s) DrawNumber(gManRoles[s]);
        for (int i = 0; i < 6; ++i) DrawNumber(gMonRoles[i]);
        if (hud) {
            DrawPackFirstFrame(9077, 0, 384);
            DrawHudFrame0(9119, 239, 384);
            DrawPartyStatus();
            DrawCommandMenu();
            DrawBattleMessages();
        }
        StepBattleTint(1);
        // Gauges move so the panel eases as it does in play.
        for (int s = 1; s < 4; ++s) gManRoles[s].gauge = uint16_t((gManRoles[s].gauge + 7) % 1000);
        ReleaseRetiredTswPictures();
        // KYV_BATTLE_BENCH_DUMP keeps frame 20 as a BMP file, to look at.
        if (const char* dump = std::getenv("KYV_BATTLE_BENCH_DUMP"); dump && hud && frame == 20)
            SaveScreenShot(gBackPixels, kScreenW, kScreenH, dump);
        benchmark::ClobberMemory();
    }
    state.counters["boxes"] = double(HeadlessMessageBoxes().size());
    state.counters["spell_drawn"] = double(GetTswPicture(kSpellAct, 0) != nullptr);
    Stop();
}

class RatioReporter : public KeptRunsReporter {
public:
    RatioReporter()
        : KeptRunsReporter([](const Run& run) { return run.GetAdjustedCPUTime(); }) {}
    void PrintRatios() const {
        const double* m = Find("Battle/memcpy_screen");
        if (!m) return;
        std::printf("\n%-36s %12s\n", "ratios (time / screen memcpy)", "x memcpy");
        for (const auto& [name, t] : Kept()) std::printf("%-36s %11.1fx\n", name.c_str(), t / *m);
        const double* all = Find("Battle/frame_10_roles_tint_hud");
        const double* bare = Find("Battle/frame_10_roles_tint");
        if (all && bare) std::printf("%-36s %11.1fx\n", "the HUD alone", (*all - *bare) / *m);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::RegisterBenchmark("Battle/memcpy_screen", BM_Memcpy);
    benchmark::RegisterBenchmark("Battle/frame_10_roles_tint_hud", BM_BattleFrame, true);
    benchmark::RegisterBenchmark("Battle/frame_10_roles_tint", BM_BattleFrame, false);
    return RunAndPrintRatios<RatioReporter>(&argc, argv);
}
