// The scripted player's fight steps on a fresh sample install: the
// training fight is started from the straw dummy's talk with the party of
// the hero, Mei and the talisman's spirit, its staging runs to the turns
// with no error box, and the check points come in their order.
#include "shell_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

#include "platform/headless/headless.h"
#include "tools/replay_file.h"
#include "tools/sample_story.h"
#include "tools/story_player.h"

namespace {

class StoryFightTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        std::string error;
        ASSERT_TRUE(LoadSampleStory(SampleSourceFolder(), &story_, &error)) << error;
    }
    // The install in a folder of its own name inside the test's folder, as
    // the replay test writes it.
    std::string WriteInstall() {
        const std::string tool = BuildTreeProgram("make_sample");
        const std::string folder = install.Path() + "KYV3/";
        EXPECT_EQ(access(tool.c_str(), X_OK), 0) << tool;
        EXPECT_EQ(mkdir(folder.c_str(), 0777), 0);
        EXPECT_EQ(std::system(("'" + tool + "' '" + folder + "' >/dev/null").c_str()), 0);
        return folder;
    }
    static std::vector<std::string> Checks(const ReplayScript& script) {
        std::vector<std::string> names;
        for (const ReplayLaunch& l : script.launches)
            for (const ReplayItem& item : l.items)
                if (item.kind == ReplayKind::kCheck) names.push_back(item.text);
        return names;
    }
    SampleStory story_;
};

TEST_F(StoryFightTest, TheTrainingFightFromTheDummyIsPlayedToItsEnd) {
    const std::string folder = WriteInstall();
    const StoryRecording run = RecordSampleFight(folder, story_);
    const std::vector<std::string> checks = Checks(run.script);
    // The staging's windows were confirmed and the fight's script reached
    // its turns: the player got as far as the fight itself.
    const std::vector<std::string> start = {kCheckTitle, kCheckNameEntry, kCheckElderChoice, kCheckFightChoice,
                                            kCheckFightStart};
    ASSERT_GE(checks.size(), start.size()) << run.error;
    EXPECT_EQ(std::vector<std::string>(checks.begin(), checks.begin() + 5), start) << run.error;
    EXPECT_TRUE(HeadlessMessageBoxes().empty()) << HeadlessMessageBoxes().front().text;
    EXPECT_EQ(run.error.find("an error box"), std::string::npos) << run.error;
    // The fight ends, won, then the map.
    ASSERT_TRUE(run.ok) << run.error;
    ASSERT_EQ(checks.size(), 8u);
    EXPECT_EQ(checks[5], kCheckFightPages);
    EXPECT_EQ(checks[6], kCheckFightWon);
    EXPECT_EQ(checks[7], kCheckFightBack);
}

}  // namespace
