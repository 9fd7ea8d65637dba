// Records the sample story's replay: the scripted player (tools/story_player)
// plays the install that make_sample wrote, and what it pressed, frame by
// frame, is written as the replay file the whole-game test plays back.
//
//   record_replay [--shots <folder>] [--fights] <install folder> [<replay file>]
//       (default: replay.txt in the repository's sample/ folder)
// With --fights the player plays the sample's three fights instead of the
// story's run (tools/story_player.h, RecordSampleFights); its replay file
// has no default and must be named.
// With --shots the screen at every check point is written into the folder
// as a BMP file, to look at what the player saw.
//
// scripts/record-replay runs make_sample and this in one go.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "base/edition.h"
#include "tools/replay_file.h"
#include "tools/sample_story.h"
#include "tools/story_player.h"

// The run plays the Simplified edition, as the tests do.
EditionFacts gEdition = {
    kEditionSimplified, true, 134, "\xCB\xCE\xCC\xE5", 0x0500, "v2.02", "D:\\KYV3E\\Simp\\",
};

int main(int argc, char** argv) {
    std::string shots;
    if (argc > 2 && std::string(argv[1]) == "--shots") {
        shots = argv[2];
        argv += 2;
        argc -= 2;
    }
    const bool fights = argc > 1 && std::string(argv[1]) == "--fights";
    if (fights) {
        ++argv;
        --argc;
    }
    if (argc < 2 || argc > 3 || (fights && argc != 3)) {
        std::fprintf(stderr, "usage: record_replay [--shots <folder>] [--fights] <install folder> [<replay file>]\n");
        return 2;
    }
    std::string folder = argv[1];
    if (folder.back() != '/') folder += '/';
    const std::string target = argc == 3 ? argv[2] : SampleSourceFolder() + "/replay.txt";
    SampleStory story;
    std::string error;
    if (!LoadSampleStory(SampleSourceFolder(), &story, &error)) {
        std::fprintf(stderr, "record_replay: %s\n", error.c_str());
        return 1;
    }
    const StoryRecording rec =
        fights ? RecordSampleFights(folder, story, {}, shots) : RecordSampleStory(folder, story, shots);
    if (!rec.ok) {
        std::fprintf(stderr, "record_replay: the player stopped at %s\n", rec.error.c_str());
        return 1;
    }
    const std::string text = FormatReplay(
        rec.script, fights ? std::vector<std::string>{"The sample story's three fights played from the map and back,",
                                                      "frame by frame. Written by record_replay --fights."}
                           : std::vector<std::string>{"The sample story played from the launcher to a saved game and back through continue,",
                                                      "frame by frame. Written by record_replay (scripts/record-replay); do not edit by hand."});
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "record_replay: cannot write %s\n", target.c_str());
        return 1;
    }
    std::printf("%s: %zu launches, %u frames\n", target.c_str(), rec.script.launches.size(), rec.script.LastFrame());
    return 0;
}
