// Fuzz target of the frame-sequence reader: the input is a whole sequence
// file, started and played to its end on a 640 x 480 back buffer.
#include <cstdint>
#include <string>
#include <vector>

#include "draw/draw_kernel.h"
#include "draw/surface.h"
#include "tools/file_writer.h"
#include "tools/sequence_writer.h"
#include "world/map/frame_sequence.h"
#include "world/map/map_effects.h"
#include "world/world_reset.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetWorld();
    ResetDrawKernel();
    Surface* surface = CreateSurface(640, 480);
    InitDrawKernel(surface, 0);
    gBackPixels = LockBackBuffer(surface);
    if (StartFrameSequence(data, size)) {
        for (int i = 0; i < 400 && FrameSequenceRuns(); ++i) PlayFrameSequence();
    }
    StopFrameSequence();
    UnlockBackBuffer(surface, gBackPixels);
    gBackPixels = nullptr;
    FreeSurface(surface);
    ResetDrawKernel();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    SequenceData d;
    d.height = 64;
    SequenceFrame f;
    f.spans = {SolidSpan16(0, 64, 0x7C00), SolidSpan16(640 * 2 * 10, 32, 0x03E0)};
    d.frames = {f, f};
    WriteBytesToFile((dir + "/sixteen.seq").c_str(), BuildFrameSequence(d));
    d.depth = 8;
    d.mode = 1;
    SequenceFrame g;
    g.spans = {{100, std::vector<uint8_t>(50, 7)}};
    d.frames = {g};
    d.palettes = {{0, std::vector<uint8_t>(768, 200)}};
    WriteBytesToFile((dir + "/eight.seq").c_str(), BuildFrameSequence(d));
}
