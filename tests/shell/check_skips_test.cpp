// scripts/check-skips, which makes the test command fail when a test was
// skipped for a missing tool, unless KYV_ALLOW_SKIPS=1 allows it.
#include "shell_fixture.h"

#include <string>
#include <sys/wait.h>

namespace {

int CheckSkips(InstallFolder& folder, const std::string& log, const char* env) {
    folder.Write("ctest.log", std::vector<uint8_t>(log.begin(), log.end()));
    std::string command = std::string(env) + " '" + SourceRoot() + "scripts/check-skips' '" + folder.Path() +
                          "ctest.log' >/dev/null 2>&1";
    int rc = std::system(command.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

TEST(CheckSkips, ASkippedTestFailsTheRunUnlessAllowed) {
    InstallFolder folder;
    const std::string passed = "100% tests passed, 0 tests failed out of 120\n";
    const std::string skipped = passed +
                                "The following tests did not run:\n"
                                "\t421 - XvfbRun.WindowOpensSecondCopyEndsAndTheGameEndsCleanly (Skipped)\n";
    EXPECT_EQ(CheckSkips(folder, passed, "KYV_ALLOW_SKIPS="), 0);
    EXPECT_EQ(CheckSkips(folder, skipped, "KYV_ALLOW_SKIPS="), 1);
    EXPECT_EQ(CheckSkips(folder, skipped, "KYV_ALLOW_SKIPS=0"), 1);
    EXPECT_EQ(CheckSkips(folder, skipped, "KYV_ALLOW_SKIPS=1"), 0);
}

} // namespace
