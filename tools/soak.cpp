#include "tools/soak.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <pthread.h>
#include <random>
#include <set>
#include <thread>
#include <unistd.h>

#include "base/game_state.h"
#include "base/input.h"
#include "base/settings.h"
#include "menu/frame/menu_frame.h"
#include "menu/frame/menu_pages.h"
#include "menu/menu_services.h"
#include "menu/save/save_screen.h"
#include "menu/system/system_menu.h"
#include "menu/title/title_screen.h"
#include "platform/headless/headless.h"
#include "shell/launcher.h"
#include "tools/replay_run.h"
#include "world/map/map.h"
#include "world/role/role_record.h"
#include "world/script/talk_machine.h"
#include "world/talk_state.h"
#include "world/walk/key_state.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLauncherCentreX = 320, kLauncherCentreY = 240;
constexpr int kZoneHalfWidth = 56, kZoneHalfHeight = 20;
constexpr uint32_t kAimFrames = 900;       // an aim not reached by then is given up
constexpr uint32_t kQuitRepeatFrames = 60; // a close is asked again this often
constexpr uint64_t kBoxesPerLaunch = 50;   // more boxes than this in one launch is a box that repeats
constexpr size_t kBoxesShown = 20;         // boxes written to the log, the first ones
constexpr int kSaveSlots = 12;             // slots the player saves to and loads from
constexpr uint32_t kResumeAfterMs = 10000; // game time without a frame before the player brings it back

// The game-key records the player presses (the key map gives their codes).
constexpr int kOtherRecords[] = {kMenuKeySpace, kMenuKeyShift, kMenuKeyPageUp, kMenuKeyPageDown,
                                 kMenuKeyCtrl,  kMenuKeyEnd,   kKeyRunToggle,  17, 18, 19};
constexpr int kArrowRecords[] = {kKeyLeft, kKeyUp, kKeyRight, kKeyDown};

enum class Aim { kNone, kSave, kLoad, kSlot };

uint64_t ResidentKb() {
    std::ifstream statm("/proc/self/statm");
    uint64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * uint64_t(sysconf(_SC_PAGESIZE)) / 1024;
}

uint64_t PeakResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::strtoull(line.c_str() + 6, nullptr, 10);
    return 0;
}

struct Soak;
Soak* gSoak = nullptr;
void OnSoakWait(uint32_t ms);

struct Soak {
    SoakOptions options;
    SoakFigures figures;
    std::mt19937 rng;
    Clock::time_point start;
    pthread_t gameThread{};

    // Shared with the watchdog.
    std::atomic<int64_t> lastPresentMs{0};
    std::atomic<bool> timeUp{false};
    std::atomic<bool> finished{false};
    std::atomic<uint64_t> framesSeen{0};
    std::atomic<uint64_t> launchNow{0};
    std::atomic<uint32_t> frameNow{0};
    std::mutex mutex;  // guards failure and samples
    std::string failure;
    std::vector<uint64_t> samplesKb;

    // The current launch.
    uint32_t frame = 0;
    int rawX = 0, rawY = 0;
    bool inPlay = false;
    uint32_t quitAskedAt = 0;     // 0: the window was not closed
    uint32_t quietUntil = 0;      // inputs already queued play out until this frame
    uint32_t waitedMs = 0;        // waited without a present since the last one
    uint64_t boxesSeen = 0;       // of this launch
    std::set<std::string> boxesLogged;
    // The aim, when the player aims.
    Aim aim = Aim::kNone;
    Aim afterSlot = Aim::kNone;
    uint32_t aimStarted = 0, aimNextStep = 0;
    int aimEntry = 0, aimSlot = 0;
    bool slotConfirmed = false;
    // Events seen on the last frame.
    SaveClosing lastClosing = SaveClosing::kNone;
    uint32_t lastSaveMode = 0;
    std::set<int> savedSlots;
    // The running talk's place and how long it has stood there.
    uint64_t talkPlace = 0;
    uint32_t talkStill = 0;

    int64_t NowMs() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    }
    uint32_t Rand(uint32_t n) { return n ? uint32_t(rng() % n) : 0; }
    bool Chance(uint32_t oneIn) { return Rand(oneIn) == 0; }

    void Fail(const std::string& why) {
        std::lock_guard<std::mutex> lock(mutex);
        if (failure.empty()) failure = why;
        timeUp = true;
    }
    bool Failed() {
        std::lock_guard<std::mutex> lock(mutex);
        return !failure.empty();
    }

    // ---- Inputs ---------------------------------------------------------------
    static uint8_t Code(int record) { return uint8_t(gKeyMap.k[record] & 0xFF); }
    // A key as a keyboard gives it: the state the game polls and the window's
    // key messages (F8's pause, P's screen shot, Esc over a video).
    static void Key(uint8_t code, bool down, uint32_t at = kHeadlessNow) {
        HeadlessQueueKey(code, down, at);
        HeadlessQueueEvent({down ? kPlatEventKeyDown : kPlatEventKeyUp, code, 0}, at);
    }
    void Tap(uint8_t code, uint32_t hold = 1) {
        Key(code, true);
        Key(code, false, frame + hold);
    }
    void TapRecord(int record, uint32_t hold = 1) { Tap(Code(record), hold); }
    void Mouse(bool left, bool right, uint32_t at = kHeadlessNow) {
        PlatMouseState m{};
        m.x = rawX;
        m.y = rawY;
        m.button[0] = left ? 0x80 : 0;
        m.button[1] = right ? 0x80 : 0;
        HeadlessQueueMouse(m, at);
    }
    void Click(bool right) {
        Mouse(!right, right);
        Mouse(false, false, frame + 1);
    }
    void TypeName() {
        std::string name;
        for (uint32_t n = 1 + Rand(5); n > 0; --n) name += char('a' + Rand(26));
        HeadlessQueueText(name.c_str());
    }

    // One random gesture.
    void Gesture() {
        const uint32_t r = Rand(1000);
        if (r < 300) TapRecord(kArrowRecords[Rand(4)], 1 + Rand(30));
        else if (r < 520) TapRecord(kKeyConfirm);
        else if (r < 600) TapRecord(kMenuKeyEsc);
        else if (r < 650) TapRecord(kKeyMenu);
        else if (r < 750) TapRecord(kOtherRecords[Rand(std::size(kOtherRecords))], 1 + Rand(4));
        else if (r < 900) {
            rawX += int(Rand(301)) - 150;
            rawY += int(Rand(301)) - 150;
            Mouse(false, false);
        } else if (r < 960) Click(false);
        else if (r < 980) Click(true);
        else if (r < 995) Tap(uint8_t(1 + Rand(0xDF)), 1 + Rand(3));
        else TypeName();
    }

    // Rare window events: the focus lost, the window minimised, Alt+Return,
    // the window closed. The way back comes when the program waits without a
    // frame (OnWait).
    void WindowEvent() {
        const uint32_t r = Rand(100);
        if (r < 2) HeadlessQueueEvent({kPlatEventQuit, 0, 0});
        else if (r < 40) HeadlessQueueEvent({kPlatEventActivate, 0, 0});
        else if (r < 80) HeadlessQueueEvent({kPlatEventMinimise, 1, 0});
        else {
            HeadlessQueueEvent({kPlatEventKeyDown, kScanEnter, 1});
            HeadlessQueueEvent({kPlatEventKeyUp, kScanEnter, 1}, frame + 1);
        }
    }

    // The program waits without presenting (paused with F8, minimised, not
    // active): after a while the player brings it back, as a person would,
    // one way at a time (Alt+Return toggles, so it goes alone).
    void OnWait(uint32_t ms) {
        waitedMs += ms;
        if (waitedMs < kResumeAfterMs) return;
        waitedMs = 0;
        ++figures.resumes;
        if (gAppActive == 0 || gMinimized != 0) {
            const uint32_t way = Rand(gAppActive == 0 ? 3 : 2);
            if (way == 0) HeadlessQueueEvent({kPlatEventMinimise, 0, 0});
            else if (way == 1) HeadlessQueueEvent({kPlatEventActivate, 1, 0});
            else {
                HeadlessQueueEvent({kPlatEventKeyDown, kScanEnter, 1});
                HeadlessQueueEvent({kPlatEventKeyUp, kScanEnter, 1});
            }
        } else if (gGameRunning != 1) {
            HeadlessQueueEvent({kPlatEventKeyDown, kScanF8, 0});
            HeadlessQueueEvent({kPlatEventKeyUp, kScanF8, 0});
        }
    }

    // ---- Aiming ---------------------------------------------------------------
    bool OnTitle() const { return gMenu.depth == kDepthTitle; }

    void AimAtLauncher() {
        static constexpr uint32_t kWeights[kZoneCount] = {35, 45, 4, 4, 12};  // continue, new game, web, readme, quit
        uint32_t r = Rand(100);
        int zone = 0;
        while (zone < kZoneCount - 1 && r >= kWeights[zone]) r -= kWeights[zone++];
        rawX = kZonePlaces[zone].left + kZoneHalfWidth - kLauncherCentreX + int(Rand(41)) - 20;
        rawY = kZonePlaces[zone].top + kZoneHalfHeight - kLauncherCentreY + int(Rand(17)) - 8;
        Mouse(false, false);
        Mouse(true, false, frame + 1);
        Mouse(false, false, frame + 2);
        quietUntil = frame + 3;
    }

    void AimAtTitle() {
        if (TitleNameEntryOpen()) {
            TypeName();
            Key(Code(kMenuKeyReturn), true, frame + 2);
            Key(Code(kMenuKeyReturn), false, frame + 3);
            quietUntil = frame + 4;
            return;
        }
        if (gTitle.state != kTitleChoosing) return;
        static constexpr int kEntries[] = {kEntryNewGame, kEntryNewGame, kEntryLoad, kEntryLoad, kEntryOptions, kEntryQuit};
        const int want = kEntries[Rand(std::size(kEntries))];
        // The entries are walked one tap at a time over the next frames.
        for (int i = 0, entry = gTitle.entry; i < 8 && entry != want; ++i) {
            const int record = entry < want ? kKeyDown : kKeyUp;
            Key(Code(record), true, frame + 1 + 2 * uint32_t(i));
            Key(Code(record), false, frame + 2 + 2 * uint32_t(i));
            entry += entry < want ? 1 : -1;
        }
        Key(Code(kKeyConfirm), true, frame + 20);
        Key(Code(kKeyConfirm), false, frame + 21);
        quietUntil = frame + 22;
    }

    void StartAim(Aim a) {
        aim = a;
        aimStarted = frame;
        aimNextStep = frame;
        slotConfirmed = false;
        if (a == Aim::kSlot) {
            // Loads go to a slot saved before when there is one.
            const bool loading = gSaveLoadLoading != 0;
            if (loading && !savedSlots.empty() && !Chance(5)) {
                auto it = savedSlots.begin();
                std::advance(it, Rand(uint32_t(savedSlots.size())));
                aimSlot = *it;
            } else {
                aimSlot = int(Rand(kSaveSlots));
            }
        }
    }

    // One step toward the aim; false when it is given up or done.
    bool AimStep() {
        if (frame - aimStarted > kAimFrames) return false;
        if (frame < aimNextStep) return true;
        aimNextStep = frame + 3;
        if (gSaveLoadMode != 0) {
            if (aim != Aim::kSlot) StartAim(Aim::kSlot);
            if (gSaveScreen.closing != SaveClosing::kNone) return true;
            if (gSaveScreen.question == kQuestionYes) {
                TapRecord(kKeyConfirm);
                return true;
            }
            if (slotConfirmed) return gSaveScreen.question != kQuestionNone;
            if (gSlot != aimSlot) {
                TapRecord(gSlot < aimSlot ? kKeyDown : kKeyUp);
                return true;
            }
            TapRecord(kKeyConfirm);
            slotConfirmed = true;
            return true;
        }
        if (aim == Aim::kSlot) return false;  // the save screen closed
        if (gMenuRequest == 0) {
            if (inPlay && TalkIdle()) TapRecord(kKeyMenu);
            return true;
        }
        if (gMenu.depth == kDepthRoot) {
            TapRecord(gMenu.pageIndex == kPageSystem ? kKeyConfirm : gMenu.pageIndex < kPageSystem ? kKeyRight : kKeyLeft);
            return true;
        }
        if (gMenu.depth == kDepthPage && gMenu.pageIndex == kPageSystem) {
            if (gSystem.state != kSysChoosing) {
                TapRecord(kMenuKeyEsc);
                return true;
            }
            const int want = aim == Aim::kSave ? kSysSave : kSysLoad;
            TapRecord(gSystem.entry == want ? kKeyConfirm : gSystem.entry < want ? kKeyDown : kKeyUp);
            return true;
        }
        TapRecord(kMenuKeyEsc);
        return true;
    }

    // ---- Watching the game ------------------------------------------------------
    void CountEvents() {
        const bool playing = gLauncher.result != 0 && !OnTitle() && gCurrentMap != 0 && gPlayerRole < TotalRole;
        if (playing && !inPlay) ++figures.games;
        inPlay = playing;
        if (gSaveScreen.closing == SaveClosing::kSaved && lastClosing != SaveClosing::kSaved) {
            ++figures.saves;
            savedSlots.insert(gSlot);
        }
        // A load closes the save screen at once; leaving it closes over a few frames.
        if (lastSaveMode != 0 && gSaveLoadMode == 0 && gSaveLoadLoading && lastClosing == SaveClosing::kNone)
            ++figures.loads;
        lastClosing = gSaveScreen.closing;
        lastSaveMode = gSaveLoadMode;

        const auto& boxes = HeadlessMessageBoxes();
        for (uint64_t i = boxesSeen; i < boxes.size(); ++i) {
            const std::string text = boxes[i].caption + ": " + boxes[i].text;
            if (boxesLogged.size() < kBoxesShown && boxesLogged.insert(text).second)
                std::fprintf(options.log, "soak: note: a box at launch %llu frame %u: %s\n",
                             (unsigned long long)figures.launches, frame, text.c_str());
        }
        figures.boxes += boxes.size() - boxesSeen;
        boxesSeen = boxes.size();
        if (boxesSeen > kBoxesPerLaunch)
            Fail("more than " + std::to_string(kBoxesPerLaunch) + " message boxes in one launch (a box that repeats)");
    }

    // Only while the talk runs on the map: a menu, a pause, a fight, a video,
    // a frame sequence or the mini-game holds it legitimately.
    void WatchTalk() {
        constexpr uint32_t kHeldModes = kModeFrameSequence | kModeVideo | kModeMiniGame;
        if (TalkIdle() || gMenuRequest != 0 || gSaveLoadMode != 0 || gGameRunning != 1 || gInBattle != 0 ||
            (gGameMode & kHeldModes) != 0) {
            talkStill = 0;
            return;
        }
        const uint64_t place = (uint64_t(gTalkContext.talkWindowBase) << 16) | gTalkContext.talkPc;
        talkStill = place == talkPlace ? talkStill + 1 : 0;
        talkPlace = place;
        if (talkStill > options.talkStallFrames)
            Fail("a talk stopped at window " + std::to_string(gTalkContext.talkWindowBase) + " pc " +
                 std::to_string(gTalkContext.talkPc) + " for " + std::to_string(talkStill) + " frames");
    }

    void OnPresent(uint32_t present) {
        frame = present;
        waitedMs = 0;
        ++figures.frames;
        framesSeen = figures.frames;
        frameNow = present;
        lastPresentMs = NowMs();
        CountEvents();
        WatchTalk();
        const bool close = timeUp || frame >= options.launchFrames;
        if (close) {
            if (quitAskedAt == 0) quitAskedAt = frame;
            if ((frame - quitAskedAt) % kQuitRepeatFrames == 0) HeadlessQueueEvent({kPlatEventQuit, 0, 0});
            if (frame - quitAskedAt > options.quitFrames) {
                std::fprintf(options.log, "soak: failed: the program does not end %u frames after its window was closed\n",
                             options.quitFrames);
                std::fflush(options.log);
                std::abort();
            }
            return;
        }
        if (aim != Aim::kNone && !AimStep()) aim = Aim::kNone;
        if (aim != Aim::kNone || frame < quietUntil) return;
        if (gLauncher.result == 0) {
            if (Chance(40)) AimAtLauncher();
        } else if (gSaveLoadMode != 0) {
            if (Chance(12)) StartAim(Aim::kSlot);
        } else if (OnTitle()) {
            if (Chance(25)) AimAtTitle();
        } else if (inPlay && Chance(2500)) {
            StartAim(Chance(3) ? Aim::kLoad : Aim::kSave);
            return;
        }
        if (Chance(3)) Gesture();
        if (Chance(4000)) WindowEvent();
    }

    bool BeforeLaunch() {
        if (timeUp) return false;
        HeadlessReset();
        ++figures.launches;
        launchNow = figures.launches;
        frame = 0;
        quietUntil = 0;
        rawX = rawY = 0;
        inPlay = false;
        quitAskedAt = 0;
        boxesSeen = 0;
        aim = Aim::kNone;
        lastClosing = SaveClosing::kNone;
        lastSaveMode = 0;
        talkStill = 0;
        waitedMs = 0;
        HeadlessSetWaitHook(OnSoakWait);
        return true;
    }

    void Report(const char* what) {
        const double minutes = double(NowMs()) / 60000.0;
        std::fprintf(options.log,
                     "soak: %s %.1f min: %llu frames, %llu launches, %llu games, %llu saves, %llu loads, %llu boxes, "
                     "%llu resumes, %llu MB resident\n",
                     what, minutes, (unsigned long long)figures.frames, (unsigned long long)figures.launches,
                     (unsigned long long)figures.games, (unsigned long long)figures.saves,
                     (unsigned long long)figures.loads, (unsigned long long)figures.boxes,
                     (unsigned long long)figures.resumes,
                     (unsigned long long)(ResidentKb() / 1024));
        std::fflush(options.log);
    }

    // The watchdog: memory samples, the time limit, and stalls.
    void Watch() {
        const int64_t limitMs = int64_t(options.minutes * 60000.0);
        int64_t nextSample = 0, nextReport = 60000;
        while (!finished) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            const int64_t now = NowMs();
            if (now >= nextSample) {
                nextSample += 1000;
                std::lock_guard<std::mutex> lock(mutex);
                samplesKb.push_back(ResidentKb());
            }
            if (now >= limitMs) timeUp = true;
            if (now >= nextReport && !finished) {
                nextReport += 60000;
                std::fprintf(options.log, "soak: %.0f min, %llu frames\n", double(now) / 60000.0,
                             (unsigned long long)framesSeen.load());
                std::fflush(options.log);
            }
            if (now - lastPresentMs > int64_t(options.stallSeconds) * 1000) {
                std::fprintf(options.log,
                             "soak: failed: no frame presented for %d s (launch %llu, frame %u, seed %u); the game "
                             "thread's stack follows\n",
                             options.stallSeconds, (unsigned long long)launchNow.load(), frameNow.load(), options.seed);
                std::fflush(options.log);
                pthread_kill(gameThread, SIGABRT);
                std::this_thread::sleep_for(std::chrono::seconds(10));
                std::abort();
            }
        }
    }
};

void OnSoakPresent(uint32_t present) { gSoak->OnPresent(present); }
void OnSoakWait(uint32_t ms) { gSoak->OnWait(ms); }
bool BeforeSoakLaunch(int) { return gSoak->BeforeLaunch(); }

} // namespace

bool MemoryKeepsGrowing(const std::vector<uint64_t>& samplesKb, std::string* why) {
    const size_t skip = std::max<size_t>(20, samplesKb.size() / 5);
    if (samplesKb.size() < skip + 8) return false;
    const size_t n = samplesKb.size() - skip, quarter = n / 4;
    uint64_t low[4];
    for (size_t q = 0; q < 4; ++q) {
        const auto from = samplesKb.begin() + long(skip + q * quarter);
        low[q] = *std::min_element(from, from + long(quarter));
    }
    const uint64_t margin = std::max<uint64_t>(48 * 1024, low[0] * 15 / 100);
    const bool growing = low[0] < low[1] && low[1] < low[2] && low[2] < low[3] && low[3] - low[0] > margin;
    if (growing && why)
        *why = "resident memory keeps growing: the lowest of each quarter " + std::to_string(low[0] / 1024) + ", " +
               std::to_string(low[1] / 1024) + ", " + std::to_string(low[2] / 1024) + ", " +
               std::to_string(low[3] / 1024) + " MB";
    return growing;
}

SoakResult RunSoak(const SoakOptions& options) {
    Soak soak;
    soak.options = options;
    soak.rng.seed(options.seed);
    soak.start = Clock::now();
    soak.gameThread = pthread_self();
    gSoak = &soak;
    std::fprintf(options.log, "soak: seed %u, %.1f min on %s\n", options.seed, options.minutes, options.folder.c_str());
    std::fflush(options.log);
    std::thread watchdog([&] { soak.Watch(); });

    ProgramRun run;
    run.folder = options.folder;
    run.onPresent = OnSoakPresent;
    run.beforeLaunch = BeforeSoakLaunch;
    run.maxLaunches = INT_MAX;
    const int launches = RunProgramLaunches(run);
    HeadlessSetWaitHook(nullptr);
    soak.finished = true;
    watchdog.join();
    gSoak = nullptr;

    SoakResult result;
    soak.figures.peakKb = PeakResidentKb();
    soak.figures.seconds = double(soak.NowMs()) / 1000.0;
    result.figures = soak.figures;
    std::string why;
    if (launches < 0) result.failure = "cannot enter " + options.folder;
    else if (!soak.failure.empty()) result.failure = soak.failure;
    else if (MemoryKeepsGrowing(soak.samplesKb, &why)) result.failure = why;
    result.ok = result.failure.empty();
    soak.Report(result.ok ? "done" : "stopped");
    return result;
}
