// Fuzz target of the frame scroller: the first two bytes pick the direction
// and the amount, the rest is the frame. A frame that is scrolled must stay
// a valid frame of the same size; a refused one must be left as it was.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "draw/frame_scroll.h"
#include "draw/rle.h"
#include "tools/rle_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int direction = data[0] % 6 - 1;
    const int amount = static_cast<int8_t>(data[1]) * 37;
    std::vector<uint8_t> frame(data + 2, data + size);
    const std::vector<uint8_t> before = frame;
    if (ConvertRlePic(frame.data(), frame.size(), direction, amount)) {
        RleInfo info;
        if (!ValidateRle(frame.data(), frame.size(), &info)) std::abort();
    } else if (frame != before) {
        std::abort();
    }
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    auto write = [&dir](const std::string& name, uint8_t direction, uint8_t amount, const std::vector<uint8_t>& frame) {
        std::ofstream out(dir + "/" + name, std::ios::binary);
        out.put(static_cast<char>(direction)).put(static_cast<char>(amount));
        out.write(reinterpret_cast<const char*>(frame.data()), static_cast<std::streamsize>(frame.size()));
    };
    std::vector<uint16_t> px(12 * 5);
    for (size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint16_t>(i * 611 + 3);
    write("left", 3, 1, RleFromPixels(px, 12, 5));
    write("up", 1, 2, RleFromPixels(px, 12, 5));
    px[7] = 0x026B;
    write("keyed", 2, 3, RleFromPixels(px, 12, 5));
}
