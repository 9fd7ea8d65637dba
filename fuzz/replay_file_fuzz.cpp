// The replay file's reader: any text is refused with a line number or read
// into a script that writes back to text reading the same, and whose inputs
// queue with the headless back-end.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/support/fuzz_support.h"
#include "platform/headless/headless.h"
#include "tools/replay_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    ReplayScript script;
    std::string error;
    if (!ParseReplay(text, &script, &error)) {
        if (error.rfind("line ", 0) != 0) std::abort();
        return 0;
    }
    ReplayScript again;
    if (!ParseReplay(FormatReplay(script, {"header"}), &again, &error)) std::abort();
    if (again.launches.size() != script.launches.size()) std::abort();
    for (size_t l = 0; l < script.launches.size(); ++l) {
        if (!(again.launches[l].items == script.launches[l].items)) std::abort();
        QueueReplayInputs(script.launches[l]);
    }
    script.CheckNames();
    script.LastFrame();
    HeadlessResetInput();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    const char* const seeds[] = {
        "; a run\nlaunch\n1 mouse -80 140 0 0\n2 mouse -80 140 1 0\n9 key 57 down\n10 key 57 up\n"
        "12 text \"Lan\"\n21 check new-game\nlaunch\n452 key 28 down\n473 check loaded\n473 close\n",
        "launch\n5 text \"\\xA4\\x6A\"\n6 key 203 up\n",
        "7 key 1 down\n",
        "launch\n9 key 1 down\n8 key 1 up\n",
    };
    int n = 0;
    for (const char* s : seeds) {
        const std::string text = s;
        WriteFuzzSeed(dir, "seed" + std::to_string(n++), std::vector<uint8_t>(text.begin(), text.end()));
    }
}
