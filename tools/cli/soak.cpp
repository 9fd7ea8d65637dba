// The soak: plays the whole program headless on an install with random
// input until the time is up (tools/soak.h). scripts/soak builds the
// sanitizer build, writes the sample install and runs this.
//
//   soak <install folder> [--minutes M] [--seed S] [--stall-seconds N]
//        [--talk-stall-frames N] [--launch-frames N]
//
// Exit 0 when the run was clean, 1 when it failed (the reason is printed),
// 2 for bad arguments. A crash or a sanitizer report ends the process itself.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "base/edition.h"
#include "tools/soak.h"

// The soak plays the Simplified edition, as the tests do.
EditionFacts gEdition = {
    kEditionSimplified, true, 134, "\xCB\xCE\xCC\xE5", 0x0500, "v2.02", "D:\\KYV3E\\Simp\\",
};

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: soak <install folder> [--minutes M] [--seed S] [--stall-seconds N] "
                             "[--talk-stall-frames N] [--launch-frames N]\n");
        return 2;
    }
    SoakOptions options;
    options.folder = argv[1];
    if (options.folder.back() != '/') options.folder += '/';
    options.seed = std::random_device{}();
    for (int i = 2; i < argc; ++i) {
        const std::string flag = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "soak: %s needs a value\n", flag.c_str());
            return 2;
        }
        const char* value = argv[++i];
        if (flag == "--minutes") options.minutes = std::atof(value);
        else if (flag == "--seed") options.seed = uint32_t(std::strtoul(value, nullptr, 10));
        else if (flag == "--stall-seconds") options.stallSeconds = std::atoi(value);
        else if (flag == "--talk-stall-frames") options.talkStallFrames = uint32_t(std::strtoul(value, nullptr, 10));
        else if (flag == "--launch-frames") options.launchFrames = uint32_t(std::strtoul(value, nullptr, 10));
        else {
            std::fprintf(stderr, "soak: unknown option %s\n", flag.c_str());
            return 2;
        }
    }
    if (options.minutes <= 0 || options.stallSeconds <= 0) {
        std::fprintf(stderr, "soak: the minutes and the stall seconds must be above 0\n");
        return 2;
    }
    const SoakResult r = RunSoak(options);
    const SoakFigures& f = r.figures;
    std::printf("soak: seed %u: %s\n", options.seed, r.ok ? "clean" : ("failed: " + r.failure).c_str());
    std::printf("soak: %.0f s, %llu frames, %llu launches, %llu games, %llu saves, %llu loads, %llu boxes, "
                "peak %llu MB resident\n",
                f.seconds, (unsigned long long)f.frames, (unsigned long long)f.launches, (unsigned long long)f.games,
                (unsigned long long)f.saves, (unsigned long long)f.loads, (unsigned long long)f.boxes,
                (unsigned long long)(f.peakKb / 1024));
    if (!r.ok) std::printf("soak: to play the same run again: scripts/soak MINUTES --seed %u\n", options.seed);
    return r.ok ? 0 : 1;
}
