// The media library is loaded when the first sound or video opens: this
// test binary does not link it, so the decoder below finds it only by
// loading it. The programs themselves start without it (tests/shell).
#include "platform/posix/media_library.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/posix/decode_audio.h"
#include "tools/snd_writer.h"

namespace {

TEST(MediaLibrary, LoadsOnceWithEveryFunction) {
    ASSERT_TRUE(LoadMediaLibrary()) << MediaLibraryError();
    EXPECT_TRUE(LoadMediaLibrary());
    EXPECT_TRUE(MediaLibraryLoaded());
    EXPECT_TRUE(MediaLibraryError().empty());
#define KYV_EXPECT_LOADED(name) EXPECT_NE(Av().name, nullptr) << #name;
    KYV_MEDIA_FUNCTIONS(KYV_EXPECT_LOADED)
#undef KYV_EXPECT_LOADED
}

TEST(MediaLibrary, AWaveDecodesThroughTheLoadedLibrary) {
    std::vector<int16_t> samples(4000);  // stereo frames at the mixer's own rate: nothing to convert
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = int16_t((i % 50) * 100 - 2500 + int(i % 2) * 7);
    const std::vector<uint8_t> wave = BuildWaveFile(samples, 22050, 2);
    std::vector<int16_t> out;
    std::string error;
    ASSERT_TRUE(DecodeWholeSound(wave.data(), wave.size(), nullptr, 22050, &out, &error)) << error;
    EXPECT_TRUE(MediaLibraryLoaded());
    EXPECT_EQ(out, samples);
}

} // namespace
