// The sample story's source readers: any text as a grid and as each table
// file. They run on the repository's own files, but a broken edit must give
// an error, never a crash.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/support/fuzz_support.h"
#include "tools/sample_story.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    StoryGrid grid;
    if (ParseStoryGrid(text, &grid, &error))
        for (int y = 0; y < grid.height; ++y)
            for (int x = 0; x < grid.width; ++x) StoryGridTile(grid, x, y);
    SampleStory story;
    ParseStoryMaps(text, &story, &error);
    ParseStoryRoles(text, &story, &error);
    ParseStoryObjects(text, &story, &error);
    ParseStoryScenes(text, &story, &error);
    StoryNames(story);
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    const char* const seeds[] = {
        "; a grid\n#####\n#.=A#\n#_@1#\n#~~~#\n#####\n",
        "map 1 1 \"Village\" village.txt 1 none 4\ntrack 1 \"1.mp3\"\nstart 1 2 0 1 1\nbag 2 1\n"
        "event 1 1 140 0 1 \"gate\"\nfightarea 2 1 1 38 28 1\n",
        "name 10 \"Elder\"\nfigure 2 \"HERO\" 6 14 28\nrole A 10 3 1 110 0 0x8800\n",
        "object 1 \"Herb\" 0 w8=50 w13=1 \"Heals.\"\nmonster 301 \"Slime\" 3 20 8 6 120 \"Soft.\"\naction 1 50 1 0\n",
        "map 2 2 \"Woods\" woods.txt 2 rain 4 1\nbattlegroup 40 0 80 6 160 12 32000 20\n",
        "scene 1 1\nenemy 1001 170 270 1\nsprite 15004 60 150\nscene 1 2\nenemy 1002 150 220\n",
    };
    int n = 0;
    for (const char* s : seeds) {
        const std::string text = s;
        WriteFuzzSeed(dir, "seed" + std::to_string(n++), std::vector<uint8_t>(text.begin(), text.end()));
    }
}
