// The screen-dump reader of the virtual-display tests, on any bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/file_writer.h"
#include "tools/xwd_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    XwdImage image;
    if (ReadXwd(data, size, &image) && uint64_t(image.width) * image.height <= (1u << 20)) {
        CountXwdColours(image);
        CountXwdNear(image, -1, -1, int(image.width) + 2, int(image.height) + 2, 0x808080, 16);
    }
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    WriteBytesToFile((dir + "/flat.xwd").c_str(), BuildXwd(4, 3, std::vector<uint32_t>(12, 0x102030)));
    std::vector<uint32_t> ramp;
    for (uint32_t i = 0; i < 64; ++i) ramp.push_back(i * 0x040404u);
    WriteBytesToFile((dir + "/ramp.xwd").c_str(), BuildXwd(8, 8, ramp));
}
