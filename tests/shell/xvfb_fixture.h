// Running a shell script on a virtual X display (xvfb-run), for the tests
// that start the real program. Each script reports its steps: the log says
// which step failed and with which exit code, so a failure on another
// machine can be read from the test's output alone. The screen is grabbed
// with xwd and decoded by the project's own xwd_colours.
#pragma once
#include "shell_fixture.h"

#include <initializer_list>
#include <string>
#include <sys/wait.h>

// The tools of the list that are not on the path, blank-separated; empty
// when all are there. scripts/setup installs every one of them.
inline std::string MissingTools(std::initializer_list<const char*> tools) {
    std::string missing;
    for (const char* tool : tools) {
        std::string probe = std::string("command -v ") + tool + " >/dev/null 2>&1";
        if (std::system(probe.c_str()) != 0) missing += (missing.empty() ? "" : " ") + std::string(tool);
    }
    return missing;
}

struct XvfbResult {
    int code = -1;   // the script's exit code (-1 when it did not exit)
    std::string log; // its steps and whatever it printed
};

// `step text` logs the step the script is at; `fail code text` ends the
// script with the code after logging which step failed.
// Whatever the script started is killed when it ends, however it ends, so no
// program outlives its display (or holds the display lock).
constexpr char kXvfbPrelude[] =
    "trap 'exit 124' TERM\n"
    "trap 'kill -KILL $(jobs -p) 2>/dev/null' EXIT\n"
    "step() { echo \"step: $*\"; }\n"
    "fail() { c=$1; shift; echo \"FAILED (exit $c): $*\"; exit $c; }\n"
    // `wait_window SECONDS PID` waits for the program's window by the clock,
    // not by a count of tries (a try is slow on a busy machine); when it does
    // not come, says whether the program still runs and which windows exist.
    "wait_window() { local end=$((SECONDS + $1))\n"
    "  while [ $SECONDS -lt $end ]; do xdotool search --name '^KYV3$' >/dev/null 2>&1 && return 0; sleep 0.2; done\n"
    "  echo \"no window after $1 s; the program:\"; ps -o pid,stat,etime,time,args -p \"$2\" || echo '(ended)'\n"
    "  echo 'the windows:'; for w in $(xdotool search --name . 2>/dev/null); do xdotool getwindowname $w; done\n"
    "  return 1; }\n"
    // `wait_picture SECONDS` waits until the program's window shows a picture
    // (a few colours, not the blank of a window whose program has not drawn
    // yet): a slow start shows the window well before the program reads its
    // input.
    "wait_picture() { local end=$((SECONDS + $1)) w n=0\n"
    "  while [ $SECONDS -lt $end ]; do w=$(xdotool search --name '^KYV3$' 2>/dev/null | tail -1)\n"
    "    [ -n \"$w\" ] && n=$(xwd -id \"$w\" -silent 2>/dev/null | \"$KYV_XWD_COLOURS\" 2>/dev/null)\n"
    "    [ \"${n:-0}\" -ge 4 ] && return 0; sleep 0.2; done\n"
    "  echo \"the window shows no picture after $1 s (${n:-0} colours)\"; return 1; }\n";

// Runs body (after the prelude) as run.sh in the folder under xvfb-run with
// a time limit; everything it prints goes into the result's log. One virtual
// display at a time: xvfb-run -a picks its display number racily when two
// start together, and ctest runs the tests in parallel.
inline XvfbResult RunOnVirtualDisplay(InstallFolder& folder, const std::string& body, int seconds) {
    const std::string script = std::string(kXvfbPrelude) + "export KYV_XWD_COLOURS='" +
                               BuildTreeProgram("xwd_colours") + "'\n" + body;
    folder.Write("run.sh", std::vector<uint8_t>(script.begin(), script.end()));
    const std::string& dir = folder.Path();
    std::string command = "flock -o /tmp/kyv-xvfb.lock timeout " + std::to_string(seconds) + " xvfb-run -a bash '" + dir + "run.sh' >'" + dir +
                          "run.log' 2>&1";
    int rc = std::system(command.c_str());
    XvfbResult result;
    if (WIFEXITED(rc)) result.code = WEXITSTATUS(rc);
    std::vector<uint8_t> log = folder.Read("run.log");
    result.log.assign(log.begin(), log.end());
    if (result.code == 124) result.log += "FAILED (exit 124): the script ran out of its " + std::to_string(seconds) + " s\n";
    return result;
}

// What a failed run tells the reader of the test's output.
inline std::string Explain(const XvfbResult& r) {
    return "exit code " + std::to_string(r.code) + "; the script's log:\n" + r.log;
}
