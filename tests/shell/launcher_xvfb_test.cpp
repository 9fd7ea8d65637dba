// The real program on a virtual X display: the launcher waits for the
// player; new game on an empty folder stops at the database box, and once
// the box is answered the program ends cleanly; on the sample install new
// game gets past the databases and the game runs until it is ended. A
// missing tool skips the test, and scripts/test then fails the run.
//
// In the sanitizer build the program runs with leak checking on. The
// desktop's libraries leave a few blocks behind at exit whatever the program
// does (D-Bus's connection from the video start, the GL driver that the
// renderer loads and unloads: 1,272 bytes on this machine, the same in a
// bare SDL program), so the test does not fail on a leak report as such; it
// fails on any leak whose stack passes through this program or its sources,
// and on any other sanitizer error.
#include "xvfb_fixture.h"

#include <cstdlib>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

// The leaks of a sanitizer report whose stacks pass through the program or
// its sources: a frame that names either. Frames of the desktop's libraries,
// of modules already unloaded and of the sanitizer itself are not ours. A
// frame at a shared-library address (0x7f...) that the report names after
// the program is not ours either: the position-independent program is never
// loaded there; such a frame belongs to a library unloaded before the report
// was made, whose addresses the report could no longer place.
std::vector<std::string> OurLeaks(const std::string& report, const std::string& program, const std::string& root) {
    std::vector<std::string> ours;
    std::istringstream in(report);
    std::string line, record;
    bool mine = false;
    auto close = [&] {
        if (mine) ours.push_back(record);
        record.clear();
        mine = false;
    };
    while (std::getline(in, line)) {
        if (line.find("leak of") != std::string::npos) {
            close();
            record = line + "\n";
            continue;
        }
        if (record.empty()) continue;
        if (line.find("    #") != 0) {
            close();
            continue;
        }
        record += line + "\n";
        // The sanitizer's allocation functions: a runtime that is linked into
        // the program (clang's) names the program as their module.
        const bool allocator = line.find(" in __interceptor_") != std::string::npos ||
                               line.find(" in malloc ") != std::string::npos ||
                               line.find(" in calloc ") != std::string::npos ||
                               line.find(" in realloc ") != std::string::npos ||
                               line.find(" in operator new") != std::string::npos;
        if (allocator) continue;
        const size_t at = line.find(" 0x");
        const bool libraryAddress = at != std::string::npos && line.compare(at + 1, 4, "0x7f") == 0;
        if (!libraryAddress && ((!program.empty() && line.find(program) != std::string::npos) ||
                                (!root.empty() && line.find(root) != std::string::npos))) {
            mine = true;
        }
    }
    close();
    return ours;
}

TEST(LauncherLeakReport, OnlyLeaksThroughTheProgramCount) {
    const std::string program = "/b/KYV102e_Simp", root = "/home/kyv/";
    const std::string system =
        "==1==ERROR: LeakSanitizer: detected memory leaks\n\n"
        "Direct leak of 1032 byte(s) in 1 object(s) allocated from:\n"
        "    #0 0x7f in __interceptor_realloc ../../../../src/libsanitizer/asan/asan_malloc_linux.cpp:85\n"
        "    #1 0x7f  (/lib/x86_64-linux-gnu/libdbus-1.so.3+0x34a64)\n"
        "    #2 0x7f  (<unknown module>)\n\n"
        "Indirect leak of 56 byte(s) in 1 object(s) allocated from:\n"
        "    #0 0x7f in __interceptor_calloc ../../../../src/libsanitizer/asan/asan_malloc_linux.cpp:77\n"
        "    #1 0x7f  (/usr/lib/x86_64-linux-gnu/libubsan.so.1.0.0+0xc9dd3)\n\n"
        "SUMMARY: AddressSanitizer: 1088 byte(s) leaked in 2 allocation(s).\n";
    EXPECT_TRUE(OurLeaks(system, program, root).empty());
    const std::string symbolised =
        "Direct leak of 16 byte(s) in 1 object(s) allocated from:\n"
        "    #0 0x7f in operator new(unsigned long) ../../../../src/libsanitizer/asan/asan_new_delete.cpp:95\n"
        "    #1 0x55 in MakeThing() /home/kyv/shell/thing.cpp:12\n"
        "    #2 0x7f  (/lib/x86_64-linux-gnu/libc.so.6+0x2724a)\n";
    EXPECT_EQ(OurLeaks(system + symbolised, program, root).size(), 1u);
    const std::string unsymbolised =
        "Indirect leak of 8 byte(s) in 1 object(s) allocated from:\n"
        "    #0 0x7f in malloc ../../../../src/libsanitizer/asan/asan_malloc_linux.cpp:69\n"
        "    #1 0x7f  (/lib/x86_64-linux-gnu/libSDL2-2.0.so.0+0x72487)\n"
        "    #2 0x55  (/b/KYV102e_Simp+0x1375ed)\n";
    EXPECT_EQ(OurLeaks(unsymbolised + system, program, root).size(), 1u);
    const std::string unloadedLibrary =
        "Indirect leak of 56 byte(s) in 1 object(s) allocated from:\n"
        "    #0 0x7fc8042b83b7 in __interceptor_calloc ../../../../src/libsanitizer/asan/asan_malloc_linux.cpp:77\n"
        "    #1 0x7fc7f3f8edd3  (/home/kyv/build/KYV102e_Simp+0xf8edd3)\n";
    EXPECT_TRUE(OurLeaks(unloadedLibrary, program, root).empty());
    // A sanitizer runtime linked into the program (clang's) puts the program's
    // name on the allocation frame: that frame is the sanitizer's.
    const std::string linkedRuntime =
        "Direct leak of 1032 byte(s) in 1 object(s) allocated from:\n"
        "    #0 0x56313ac9af66 in __interceptor_realloc (/b/KYV102e_Simp+0x370f66)\n"
        "    #1 0x7f83289bca64  (/lib/x86_64-linux-gnu/libdbus-1.so.3+0x34a64)\n"
        "    #2 0x7ffffffff  (<unknown module>)\n"
        "Direct leak of 24 byte(s) in 1 object(s) allocated from:\n"
        "    #0 0x56313ac9af66 in malloc (/b/KYV102e_Simp+0x370f00)\n"
        "    #1 0x7f83289bca64  (/lib/x86_64-linux-gnu/libGLX.so.0+0x1a64)\n";
    EXPECT_TRUE(OurLeaks(linkedRuntime, program, root).empty());
    EXPECT_EQ(OurLeaks(linkedRuntime + symbolised, program, root).size(), 1u);
}

// Starts the program in the folder on a virtual display, clicks new game and
// runs `tail` (script steps that see $game, the program's process), then
// waits for the program's end. The launcher's pointer starts at the centre
// of its picture (320, 240); eight moves of (-10, +17) bring it onto new
// game (184..295, 360..399). The button is held long enough for a frame to
// see it. A leak report ends the program with 66, any other sanitizer error
// as usual. *report gets the program's standard error.
// With jobControl the program runs as a job of its own, as from a terminal,
// so that it does not start with Ctrl+C ignored (a background command of a
// script does).
XvfbResult RunNewGameOnXvfb(InstallFolder& folder, const std::string& program, const std::string& tail,
                            std::string* report, bool jobControl = false) {
    const std::string& dir = folder.Path();
    std::string script =
        std::string(jobControl ? "set -m\n" : "") +
        "cd '" + dir + "' || fail 10 'enter the install folder'\n"
        "export XDG_RUNTIME_DIR='" + dir + "' SDL_AUDIODRIVER=dummy\n"
        "export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:exitcode=66 UBSAN_OPTIONS=print_stacktrace=1\n"
        "step 'start the program'\n"
        "'" + program + "' 2>'" + dir + "stderr.txt' & game=$!\n"
        "step 'the launcher window appears'\n"
        "wait_window 90 $game || fail 11 'the launcher window appears'\n"
        "wait_picture 60 || fail 11 'the launcher shows its picture'\n"
        "sleep 1; kill -0 $game || fail 12 'the launcher waits for the player'\n"
        "step 'click new game'\n"
        "for i in 1 2 3 4 5 6 7 8; do xdotool mousemove_relative -- -10 17; sleep 0.05; done\n"
        "sleep 0.5; xdotool mousedown 1; sleep 0.3; xdotool mouseup 1\n" +
        tail +
        "step 'the program ends'\n"
        "for i in $(seq 100); do kill -0 $game 2>/dev/null || break; sleep 0.1; done\n"
        "kill -0 $game 2>/dev/null && { kill -KILL $game; fail 14 'the program ends'; }\n"
        "wait $game; rc=$?\n"
        "echo \"the program ended with $rc\"\n"
        "[ $rc = 66 ] && exit 66\n"
        "[ $rc = 0 ] || fail 15 'the program ends without an error'\n"
        "step 'done'\n";
    XvfbResult r = RunOnVirtualDisplay(folder, script, 180);
    std::vector<uint8_t> bytes = folder.Read("stderr.txt");
    report->assign(bytes.begin(), bytes.end());
    return r;
}

// A clean end: exit 0, or 66 with leaks that are only the desktop's.
void ExpectCleanEnd(const XvfbResult& r, const std::string& report, const std::string& program) {
    EXPECT_TRUE(r.code == 0 || r.code == 66) << Explain(r) << "the program's standard error:\n" << report;
    EXPECT_EQ(report.find("ERROR: AddressSanitizer"), std::string::npos) << report;
    EXPECT_EQ(report.find("runtime error"), std::string::npos) << report;
    if (r.code == 66) {
        EXPECT_NE(report.find("LeakSanitizer: detected memory leaks"), std::string::npos) << report;
        std::vector<std::string> ours = OurLeaks(report, program, SourceRoot());
        EXPECT_TRUE(ours.empty()) << ours.front();
    }
}

// The shell script fragment that finds a message box window ("KYV3" with no class).
const char kFindBox[] = "xwininfo -root -tree | awk '/\"KYV3\": \\(\\)/{print $1}' | head -1";

TEST(LauncherXvfb, NewGameOnAnEmptyFolderEndsAtTheDatabaseBoxAndExitsCleanly) {
    std::string missing = MissingTools({"xvfb-run", "xdotool", "xwininfo", "flock"});
    if (!missing.empty()) GTEST_SKIP() << "missing tool: " << missing << " (scripts/setup installs it)";
    std::string program = BuildTreeProgram("KYV102e_Simp");
    ASSERT_EQ(access(program.c_str(), X_OK), 0) << "no program at " << program;
    InstallFolder folder;
    // The box is a window of its own (SDL draws it with the X core fonts): it
    // gets the focus and Return answers it.
    std::string tail = std::string("step 'the database box appears'\nbox=\n") +
                       "for i in $(seq 300); do box=$(" + kFindBox + "); [ -n \"$box\" ] && break; sleep 0.1; done\n"
                       "[ -n \"$box\" ] || { kill -KILL $game; fail 13 'the database box appears after new game'; }\n"
                       "step 'answer the box'\n"
                       "sleep 0.5; xdotool windowfocus --sync $box; xdotool key Return\n";
    std::string report;
    XvfbResult r = RunNewGameOnXvfb(folder, program, tail, &report);
    ExpectCleanEnd(r, report, program);
    EXPECT_TRUE(folder.IsFolder("Save"));
}

TEST(LauncherXvfb, NewGameOnTheSampleInstallGetsPastTheDatabases) {
    std::string missing = MissingTools({"xvfb-run", "xdotool", "xwininfo", "flock"});
    if (!missing.empty()) GTEST_SKIP() << "missing tool: " << missing << " (scripts/setup installs it)";
    std::string program = BuildTreeProgram("KYV102e_Simp");
    std::string tool = BuildTreeProgram("make_sample");
    ASSERT_EQ(access(program.c_str(), X_OK), 0) << "no program at " << program;
    ASSERT_EQ(access(tool.c_str(), X_OK), 0) << "no program at " << tool;
    InstallFolder folder;
    ASSERT_EQ(std::system(("'" + tool + "' '" + folder.Path() + "' >/dev/null").c_str()), 0);
    // No box comes; the game runs on until it is asked to end (SIGTERM is
    // the window system's quit).
    std::string tail = std::string("step 'no box after new game'\nsleep 3; box=$(") + kFindBox + ")\n"
                       "[ -n \"$box\" ] && { kill -KILL $game; fail 13 'no box is shown after new game'; }\n"
                       "kill -0 $game || fail 12 'the game runs after new game'\n"
                       "kill -TERM $game\n";
    std::string report;
    XvfbResult r = RunNewGameOnXvfb(folder, program, tail, &report);
    ExpectCleanEnd(r, report, program);
}

// SIGTERM (the desktop's quit) and Ctrl+C end the program while an error
// box waits for an answer, instead of waiting behind the box.
TEST(LauncherXvfb, TerminationSignalsEndTheProgramWhileABoxIsOpen) {
    std::string missing = MissingTools({"xvfb-run", "xdotool", "xwininfo", "flock"});
    if (!missing.empty()) GTEST_SKIP() << "missing tool: " << missing << " (scripts/setup installs it)";
    std::string program = BuildTreeProgram("KYV102e_Simp");
    ASSERT_EQ(access(program.c_str(), X_OK), 0) << "no program at " << program;
    for (const char* signal : {"TERM", "INT"}) {
        SCOPED_TRACE(signal);
        InstallFolder folder;
        // New game on an empty folder stops at the database box.
        std::string tail = std::string("step 'the database box appears'\nbox=\n") +
                           "for i in $(seq 300); do box=$(" + kFindBox + "); [ -n \"$box\" ] && break; sleep 0.1; done\n"
                           "[ -n \"$box\" ] || { kill -KILL $game; fail 13 'the database box appears after new game'; }\n"
                           "sleep 0.5\n"
                           "step 'SIG" + signal + " while the box is open'\n"
                           "kill -" + signal + " $game\n"
                           "for i in $(seq 50); do kill -0 $game 2>/dev/null || break; sleep 0.1; done\n"
                           "kill -0 $game 2>/dev/null && { kill -KILL $game; fail 16 'the signal ends the program'; }\n"
                           "wait $game; echo \"the program ended with $?\"\n"
                           "step 'done'\nexit 0\n";
        std::string report;
        XvfbResult r = RunNewGameOnXvfb(folder, program, tail, &report, true);
        EXPECT_EQ(r.code, 0) << Explain(r) << "the program's standard error:\n" << report;
    }
}

} // namespace
