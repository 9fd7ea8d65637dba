// The real program on a virtual X display: it opens its window and shows frames,
// a second copy ends at once, and the end of the session ends it cleanly.
// Skipped where xvfb-run or the program is not there.
#include "shell_fixture.h"

#include <chrono>
#include <climits>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

TEST(XvfbRun, WindowOpensSecondCopyEndsAndTheGameEndsCleanly) {
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) GTEST_SKIP() << "xvfb-run is not installed";
    std::string program = BuildTreeProgram("KYV102e_Simp");
    if (access(program.c_str(), X_OK) != 0) GTEST_SKIP() << "no program at " << program;

    InstallFolder folder;
    // The lock lives in the test's folder, so a game the developer is
    // playing does not count as the first copy. Leaks of the X libraries
    // are not the game's.
    const std::string& dir = folder.Path();
    std::string script =
        "cd '" + dir + "' || exit 10\n"
        "export XDG_RUNTIME_DIR='" + dir + "' ASAN_OPTIONS=detect_leaks=0\n"
        "'" + program + "' & first=$!\n"
        "for i in $(seq 100); do [ -d ScrnShot ] && break; sleep 0.1; done\n"
        "sleep 0.5; kill -0 $first || exit 11\n"
        "if command -v xdotool >/dev/null; then\n"
        "  for i in $(seq 100); do xdotool search --name KYV3 >/dev/null && break; sleep 0.1; done\n"
        "  xdotool search --name KYV3 >/dev/null || exit 15\n"
        "fi\n"
        // What the screen shows is more than one flat colour: frames arrive.
        "if command -v xwd >/dev/null && command -v convert >/dev/null; then\n"
        // A slower build (the sanitizer's) takes a moment for its first frame.
        "  for i in $(seq 50); do\n"
        "    n=$(xwd -root -silent | convert xwd:- -format '%k' info:)\n"
        "    [ \"${n:-0}\" -gt 1 ] && break; sleep 0.1\n"
        "  done\n"
        "  [ \"${n:-0}\" -gt 1 ] || exit 16\n"
        "fi\n"
        "timeout 10 '" + program + "' || exit 12\n"
        "kill -0 $first || exit 13\n"
        "kill -TERM $first; wait $first || exit 14\n";
    folder.Write("run.sh", std::vector<uint8_t>(script.begin(), script.end()));
    std::string command = "timeout 60 xvfb-run -a bash '" + dir + "run.sh' >/dev/null 2>&1";
    int rc = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(rc));
    EXPECT_EQ(WEXITSTATUS(rc), 0) << "11 no first copy, 12 second copy did not end at once, "
                                     "13 first copy died, 14 first copy did not end cleanly, 15 no window, "
                                     "16 nothing drawn";
    EXPECT_TRUE(folder.IsFolder("Save"));
}

} // namespace
