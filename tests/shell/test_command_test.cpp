// scripts/test runs its stages (the normal build, the sanitizer build, the
// soak, the fuzz smoke) one after the other whatever happened in the one before,
// reports each, and fails at the end when any failed. Run here on a copy of
// the scripts with stand-ins for the build tools, so a case takes a moment.
#include "shell_fixture.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

struct TestCommandRun {
    int code = -1;
    std::string output;
};

void WriteScript(const InstallFolder& folder, const std::string& rel, const std::string& text) {
    folder.Write(rel, std::vector<uint8_t>(text.begin(), text.end()));
    fs::permissions(folder / rel, fs::perms::owner_all, fs::perm_options::add);
}

// The test command on a copy of the scripts: `failing` names the build folder
// whose configure step fails ("" for none); fuzzRc is the fuzz smoke's exit code.
TestCommandRun RunTestCommand(const std::string& failing, int fuzzRc) {
    InstallFolder repo;
    repo.MakeFolder("scripts");
    repo.MakeFolder("bin");
    fs::copy_file(SourceRoot() + "scripts/test", repo / "scripts/test");
    fs::copy_file(SourceRoot() + "scripts/check-skips", repo / "scripts/check-skips");
    fs::copy_file(SourceRoot() + "scripts/sanitize-config", repo / "scripts/sanitize-config");
    WriteScript(repo, "scripts/setup", "#!/bin/sh\nexit 0\n");
    WriteScript(repo, "scripts/soak", "#!/bin/sh\necho 'soak stand-in ran'\nexit 0\n");
    WriteScript(repo, "scripts/fuzz", "#!/bin/sh\necho 'fuzz stand-in ran'\nexit " + std::to_string(fuzzRc) + "\n");
    WriteScript(repo, "bin/cmake",
                "#!/bin/sh\ncase \"$*\" in *'" + (failing.empty() ? std::string("no such folder") : failing) +
                    " '*) echo \"cmake stand-in fails for $*\" >&2; exit 1;; esac\nexit 0\n");
    WriteScript(repo, "bin/ctest", "#!/bin/sh\necho '100% tests passed, 0 tests failed out of 3'\nexit 0\n");
    const std::string command = "PATH='" + repo.Path() + "bin':\"$PATH\" '" + repo.Path() + "scripts/test' >'" +
                                repo.Path() + "out.txt' 2>&1";
    const int rc = std::system(command.c_str());
    TestCommandRun run;
    run.code = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    const std::vector<uint8_t> out = repo.Read("out.txt");
    run.output.assign(out.begin(), out.end());
    return run;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(TestCommand, EveryStageRunsAndReportsThenAnyFailureFailsTheRun) {
    struct Case {
        std::string failingBuild;
        int fuzzRc;
        int code;
        std::vector<std::string> said;
    };
    const Case cases[] = {
        {"", 0, 0,
         {"stage 'normal' passed", "stage 'sanitizer' passed", "stage 'soak' passed", "stage 'fuzz smoke' passed",
          "every stage passed"}},
        // The normal build fails: the sanitizer build and the fuzz smoke still run.
        {"build/normal", 0, 1,
         {"stage 'normal' FAILED", "stage 'sanitizer' passed", "fuzz stand-in ran", "stage 'fuzz smoke' passed",
          "FAILED stages: normal"}},
        {"build/sanitize", 0, 1,
         {"stage 'normal' passed", "stage 'sanitizer' FAILED", "stage 'fuzz smoke' passed",
          "FAILED stages: sanitizer"}},
        {"", 3, 1, {"stage 'normal' passed", "stage 'sanitizer' passed", "FAILED stages: fuzz smoke"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("failing build '" + c.failingBuild + "', fuzz exit " + std::to_string(c.fuzzRc));
        const TestCommandRun run = RunTestCommand(c.failingBuild, c.fuzzRc);
        EXPECT_EQ(run.code, c.code) << run.output;
        for (const std::string& s : c.said) EXPECT_TRUE(Has(run.output, s)) << "missing \"" << s << "\" in\n" << run.output;
    }
}

} // namespace
