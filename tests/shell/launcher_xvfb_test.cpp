// The real program on a virtual X display: the launcher waits for the
// player; new game on an empty folder stops at the database box, and once
// the box is answered the program ends cleanly. Skipped where xvfb-run,
// xdotool or the program is not there.
#include "shell_fixture.h"

#include <climits>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string ProgramPath() {
    char self[PATH_MAX] = {};
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "";
    std::string path(self, static_cast<size_t>(n));
    path = path.substr(0, path.rfind('/'));  // .../tests
    path = path.substr(0, path.rfind('/'));  // the build folder
    return path + "/KYV102e_Simp";
}

TEST(LauncherXvfb, NewGameOnAnEmptyFolderEndsAtTheDatabaseBoxAndExitsCleanly) {
    if (std::system("command -v xvfb-run >/dev/null 2>&1 && command -v xdotool >/dev/null 2>&1 && "
                    "command -v xwininfo >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "xvfb-run, xdotool or xwininfo is not installed";
    }
    std::string program = ProgramPath();
    if (access(program.c_str(), X_OK) != 0) GTEST_SKIP() << "no program at " << program;

    InstallFolder folder;
    const std::string& dir = folder.Path();
    // The launcher's pointer starts at the centre of its picture (320, 240);
    // eight moves of (-10, +17) bring it onto new game (184..295, 360..399).
    // The button is held long enough for a frame to see it. The box is a
    // window of its own: it gets the focus and Return answers it.
    std::string script =
        "cd '" + dir + "' || exit 10\n"
        "export XDG_RUNTIME_DIR='" + dir + "' SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0\n"
        "'" + program + "' & game=$!\n"
        "for i in $(seq 300); do xdotool search --name KYV3 >/dev/null 2>&1 && break; sleep 0.1; done\n"
        "xdotool search --name KYV3 >/dev/null || exit 11\n"
        "sleep 2; kill -0 $game || exit 12\n"
        "for i in 1 2 3 4 5 6 7 8; do xdotool mousemove_relative -- -10 17; sleep 0.05; done\n"
        "sleep 0.5; xdotool mousedown 1; sleep 0.3; xdotool mouseup 1\n"
        "box=\n"
        "for i in $(seq 300); do box=$(xwininfo -root -tree | awk '/\"KYV3\": \\(\\)/{print $1}' | head -1); "
        "[ -n \"$box\" ] && break; sleep 0.1; done\n"
        "[ -n \"$box\" ] || { kill -KILL $game; exit 13; }\n"
        "sleep 0.5; xdotool windowfocus --sync $box; xdotool key Return\n"
        "for i in $(seq 100); do kill -0 $game 2>/dev/null || break; sleep 0.1; done\n"
        "kill -0 $game 2>/dev/null && { kill -KILL $game; exit 14; }\n"
        "wait $game || exit 15\n";
    folder.Write("run.sh", std::vector<uint8_t>(script.begin(), script.end()));
    std::string command = "timeout 120 xvfb-run -a bash '" + dir + "run.sh' >/dev/null 2>&1";
    int rc = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(rc));
    EXPECT_EQ(WEXITSTATUS(rc), 0) << "11 no launcher window, 12 the program did not wait, 13 no box after new "
                                     "game, 14 the program did not end after the box, 15 it ended with an error";
    EXPECT_TRUE(folder.IsFolder("Save"));
}

} // namespace
