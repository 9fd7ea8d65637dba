// The real program on a virtual X display: it opens its window and shows frames,
// a second copy ends at once, and the end of the session ends it cleanly.
// A missing tool skips the test, and scripts/test then fails the run.
#include "xvfb_fixture.h"

#include <string>
#include <unistd.h>

namespace {

TEST(XvfbRun, WindowOpensSecondCopyEndsAndTheGameEndsCleanly) {
    std::string missing = MissingTools({"xvfb-run", "xdotool", "xwd"});
    if (!missing.empty()) GTEST_SKIP() << "missing tool: " << missing << " (scripts/setup installs it)";
    std::string program = BuildTreeProgram("KYV102e_Simp");
    std::string colours = BuildTreeProgram("xwd_colours");
    ASSERT_EQ(access(program.c_str(), X_OK), 0) << "no program at " << program;
    ASSERT_EQ(access(colours.c_str(), X_OK), 0) << "no command at " << colours;

    InstallFolder folder;
    // The lock lives in the test's folder, so a game the developer is
    // playing does not count as the first copy. Leaks of the X libraries
    // are not the game's.
    const std::string& dir = folder.Path();
    std::string script =
        "cd '" + dir + "' || fail 10 'enter the install folder'\n"
        "export XDG_RUNTIME_DIR='" + dir + "' ASAN_OPTIONS=detect_leaks=0 SDL_AUDIODRIVER=dummy\n"
        "step 'start the first copy'\n"
        "'" + program + "' & first=$!\n"
        "for i in $(seq 100); do [ -d ScrnShot ] && break; sleep 0.1; done\n"
        "sleep 0.5; kill -0 $first || fail 11 'the first copy keeps running'\n"
        "step 'its window appears'\n"
        "wait_window 60 $first || fail 15 'the window appears'\n"
        // What the screen shows is more than one flat colour: frames arrive.
        "step 'the screen shows a picture'\n"
        "n=0\n"
        "for i in $(seq 50); do n=$(xwd -root -silent | '" + colours + "') || fail 17 'grab the screen'; "
        "[ \"$n\" -gt 1 ] && break; sleep 0.1; done\n"
        "echo \"colours on the screen: $n\"\n"
        "[ \"$n\" -gt 1 ] || fail 16 'the screen shows more than one colour'\n"
        "step 'a second copy ends at once'\n"
        "timeout 10 '" + program + "' || fail 12 'a second copy ends at once with 0'\n"
        "kill -0 $first || fail 13 'the first copy outlives the second'\n"
        "step 'the first copy ends on SIGTERM'\n"
        "kill -TERM $first; wait $first || fail 14 'the first copy ends cleanly'\n"
        "step 'done'\n";
    XvfbResult r = RunOnVirtualDisplay(folder, script, 60);
    EXPECT_EQ(r.code, 0) << Explain(r);
    EXPECT_TRUE(folder.IsFolder("Save"));
}

} // namespace
