// Fuzz target: the slots of the spirit file "kyvghost.dat", and the feeding
// arithmetic on what they hold: on a slot as the file gives it (any value)
// and as a load gives it (clamped), which must stay in its ranges.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "menu/feed/feed_page.h"
#include "tools/obj_db_writer.h"
#include "world/spirit/spirit.h"

namespace {

// Fields and the ranges a loaded record keeps them in.
struct Range {
    int field;
    int32_t low, high;
};
constexpr Range kLoadedRanges[] = {{47, 0, 100}, {48, 0, 100}, {49, 0, 100}, {50, 0, 100},
                                   {61, 0, 500}, {62, 0, 100}, {63, 0, 100}, {64, 0, 100}};

// Every creature type once, as a feeding does, on the record in gSpirit.
void FeedEveryType() {
    for (int type = 0; type <= 18; ++type) {
        FeedFullnessLimit();
        ApplyFeedGrowth(type, type);
        gSpirit.Field(68) = 0;  // not too full: the growth itself runs
        ApplyFeedGrowth(type, type);
    }
    AddSpiritTriple(-7, 7, 100);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SpiritRecord spirit{};
    for (int n = -1; n <= kSpiritElements; ++n) {
        if (!SpiritSlotInFile(data, size, n, &spirit)) continue;
        for (const Range& r : kLoadedRanges)
            if (spirit.Field(r.field) < r.low || spirit.Field(r.field) > r.high) std::abort();
        gSpirit = spirit;
        FeedEveryType();
    }
    ByteReader in(data, size);
    if (ReadSpiritRecord(in, &spirit)) {
        gSpirit = spirit;
        FeedEveryType();
    }
    ResetSpirit();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    SpiritRecord fire{};
    fire.Field(kSpiritElementField) = 3;
    fire.Field(60) = 18;
    std::vector<uint8_t> file = BuildGhostFile({{3, fire}});
    std::ofstream(dir + "/kyvghost.dat", std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                                 std::streamsize(file.size()));
}
