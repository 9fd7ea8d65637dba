// Animation packs and act streams: the input is one entry of an animation
// pack (stream count, offset table, streams), stepped and drawn for a run of
// frames as an object would, over a picture pack that holds a run-length, a
// raw 16-bit and a raw 8-bit picture.
#include <cstdint>
#include <string>
#include <vector>

#include "base/memory.h"
#include "draw/act_pack.h"
#include "draw/rle.h"
#include "fuzz/support/fuzz_draw.h"
#include "tools/act_writer.h"
#include "tools/file_writer.h"
#include "tools/rle_writer.h"
#include "tools/tsw_writer.h"

namespace {
constexpr int kSteps = 48;

void PutPictures() {
    const std::vector<uint16_t> pixels = {0x7C00, 0x03E0, 0x001F, 0x4210, 0x1234, 0x2345};
    std::vector<uint16_t> palette(256, 0x1F);
    WriteBytesToFile((FuzzFolder() + "all_sys.tsw").c_str(),
                     BuildTswPack({{45, 16, {}, {{RleFromPixels(pixels, 3, 2), 3, 2}}},
                                   {47, 16, {}, {{RawFrameBytes16(pixels), 3, 2}}},
                                   {48, 8, palette, {{{10, 11, 12, 13, 14, 15}, 3, 2}}}}));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    FuzzDrawTarget target(kFormat565);
    static bool picturesPut = false;
    if (!picturesPut) {
        PutPictures();
        picturesPut = true;
    }
    // First byte: cache on or off, zoom for all, the action and direction.
    SetActCacheEnabled(data[0] & 1);
    SetActZoomAll(data[0] & 2);
    if (!WriteBytesToFile((FuzzFolder() + "all_sys.act").c_str(),
                          BuildActPack({{1, std::vector<uint8_t>(data + 1, data + size)}}))) {
        return 0;
    }
    FuzzDrawTarget::OpenPacks();
    ActRecord r{};
    r.act = 9001;
    r.qq = (data[0] >> 2) & 7;
    r.dir = data[0] >> 5;
    r.zoomHere = 1;
    for (int step = 0; step < kSteps; ++step) {
        if (!DrawActData(&r, 40, 30)) break;
        // The owner's part: it takes the sound and the events, and follows
        // the act the stream hands on.
        r.soundId = 0;
        r.events = 0;
    }
    ReleaseActCache();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    const std::vector<std::vector<const char*>> entries = {
        {"XY 1 2 RF 9045 PA 0 ED"},
        {"SD 2 RF 9047 PA 0 LP 0 3 RF 9048 PA 0 ED", "VI AM RF 9045 PA 0 O2"},
        {"RF 9045 PA 0 SC 2 2 CR 4 CG 65532 CB 1 ED", "GS 8 FL 0 0 0 31 31 31 4 RF 9045 PA 0 ED",
         "WV 7 AT 1 AE 9001 QE 1 ED"},
    };
    uint8_t first = 0;
    for (const auto& streams : entries) {
        WriteFuzzSeed(dir, "act" + std::to_string(first), first, BuildActDataFromText(streams));
        first = uint8_t(first + 5);
    }
}
