// Writes the sample install into a folder: the six picture packs and the
// six animation packs with generated, labelled pictures, the sound-effect
// pack "all.snd" with generated tones, "namex.dat", "path.dat" with three
// path scripts, a short generated music track, the map archive "HUGE.lmf"
// with two maps, a frame sequence and a readme for the launcher. Everything comes from the project's
// own writers. Files whose bytes are already right are left alone, so a
// second run changes nothing and takes no time.
//
//   make_sample <folder>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "base/edition.h"
#include "shell/launcher_art.h"
#include "tools/act_writer.h"
#include "tools/media_writer.h"
#include "tools/path_asm.h"
#include "tools/namex_writer.h"
#include "tools/rle_writer.h"
#include "tools/sample_maps.h"
#include "tools/snd_writer.h"
#include "tools/tsw_writer.h"

// The command draws no text; the edition only names the font it never opens.
EditionFacts gEdition = {
    kEditionTraditional, false, 136, "\xB2\xD3\xA9\xFA\xC5\xE9", 0x0700, "sample", "",
};

namespace {

namespace fs = std::filesystem;

const char* const kPackStems[6] = {"all_char", "all_item", "all_magic", "all_sys", "all_map1", "all_map2"};
const char* const kPackLabels[6] = {"CHAR", "ITEM", "MAGIC", "SYS", "MAP1", "MAP2"};
// Stored (555) colours.
constexpr uint16_t kKey = 0x026B;
constexpr uint16_t kShadow = 0x319F;
constexpr int kSampleFrames = 4;
constexpr int kSampleSize = 64;
// The framed window's picture in the system pack (number 9034): pieces 0..8
// and the side ornament 9.
constexpr int kWindowEntry = 34;

constexpr uint16_t Rgb5(int r, int g, int b) { return uint16_t((r << 10) | (g << 5) | b); }

std::vector<uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int gWritten = 0;
int gKept = 0;

// Writes bytes unless the file already holds exactly them.
bool Put(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::error_code ec;
    if (fs::is_regular_file(path, ec) && fs::file_size(path, ec) == bytes.size() && ReadFile(path) == bytes) {
        ++gKept;
        return true;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_sample: cannot write %s\n", path.c_str());
        return false;
    }
    ++gWritten;
    return true;
}

// A 64x64 sample frame: a round token in the pack's colour on see-through
// corners with a shadow ring, labelled with the pack and the frame.
std::vector<uint16_t> SampleFrame(int pack, int frame) {
    std::vector<uint16_t> px(size_t(kSampleSize) * kSampleSize, kKey);
    const uint16_t colours[6] = {Rgb5(26, 10, 8), Rgb5(8, 20, 10), Rgb5(16, 8, 26),
                                 Rgb5(8, 14, 26), Rgb5(18, 18, 6), Rgb5(6, 20, 20)};
    for (int y = 0; y < kSampleSize; ++y) {
        for (int x = 0; x < kSampleSize; ++x) {
            int dx = x - 32, dy = y - 32, d = dx * dx + dy * dy;
            if (d < 28 * 28) px[size_t(y) * kSampleSize + x] = colours[pack];
            else if (d < 31 * 31) px[size_t(y) * kSampleSize + x] = kShadow;
        }
    }
    DrawBitmapText(px.data(), kSampleSize, kSampleSize, 32 - BitmapTextWidth(kPackLabels[pack], 1) / 2, 20,
                   kPackLabels[pack], 1, Rgb5(31, 31, 31));
    char number[4] = {char('0' + frame), 0, 0, 0};
    DrawBitmapText(px.data(), kSampleSize, kSampleSize, 32 - BitmapTextWidth(number, 2) / 2, 32, number, 2,
                   Rgb5(31, 31, 20));
    return px;
}

TswEntryData SamplePicture(int pack) {
    TswEntryData e;
    e.index = 1;
    for (int f = 0; f < kSampleFrames; ++f) {
        std::vector<uint16_t> px = SampleFrame(pack, f);
        // Even frames run-length, odd ones raw, so both kinds are in play.
        std::vector<uint8_t> bytes = (f % 2 == 0) ? RleFromPixels(px, kSampleSize, kSampleSize) : RawFrameBytes16(px);
        e.frames.push_back({bytes, uint16_t(kSampleSize), uint16_t(kSampleSize)});
    }
    return e;
}

// Nine 16x16 window pieces (corners, edges, fill) and a 16x48 ornament.
TswEntryData WindowPicture() {
    TswEntryData e;
    e.index = kWindowEntry;
    const uint16_t edge = Rgb5(24, 20, 10), dark = Rgb5(6, 4, 2), fill = Rgb5(3, 4, 10);
    for (int piece = 0; piece < 9; ++piece) {
        int col = piece % 3, row = piece / 3;
        std::vector<uint16_t> px(16 * 16, fill);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                bool top = row == 0 && y < 3, bottom = row == 2 && y > 12;
                bool left = col == 0 && x < 3, right = col == 2 && x > 12;
                if (top || bottom || left || right) px[size_t(y) * 16 + x] = (x + y) % 2 ? edge : dark;
            }
        }
        e.frames.push_back({RawFrameBytes16(px), 16, 16});
    }
    std::vector<uint16_t> ornament(16 * 48, kKey);
    for (int y = 0; y < 48; ++y) {
        int half = 2 + (y % 16 < 8 ? y % 8 : 7 - y % 8);
        for (int x = 8 - half; x < 8 + half; ++x) ornament[size_t(y) * 16 + x] = edge;
    }
    e.frames.push_back({RleFromPixels(ornament, 16, 48), 16, 48});
    return e;
}

std::vector<uint8_t> SampleAct(int pack) {
    // Four frames of picture pack x 3000 + 1, three game frames each, round
    // and round.
    std::string text = "SD 3 RF " + std::to_string(pack * 3000 + 1) + " PA 0 ED PA 1 ED PA 2 ED PA 3 OV";
    return BuildActDataFromText({text.c_str()});
}

bool WritePacks(const fs::path& folder) {
    bool ok = true;
    for (int p = 0; p < 6; ++p) {
        std::vector<TswEntryData> pictures = {SamplePicture(p)};
        if (p == 3) pictures.push_back(WindowPicture());
        ok &= Put(folder / (std::string(kPackStems[p]) + ".tsw"), BuildTswPack(pictures));
        ok &= Put(folder / (std::string(kPackStems[p]) + ".act"), BuildActPack({{1, SampleAct(p)}}));
    }
    return ok;
}

bool WriteSounds(const fs::path& folder) {
    std::vector<SoundEntrySpec> sounds;
    for (int id = 1; id <= 10; ++id) {
        std::vector<uint8_t> wave = BuildWaveFile(ToneSamples(330 + 55 * id, 120 + 20 * id, 22050, 1, 9000), 22050, 1);
        // Even ids are stored without their RIFF head, as most of the game's are.
        if (id % 2 == 0) sounds.push_back({id, HeaderlessWave(wave), kSoundKindHeaderless});
        else sounds.push_back({id, wave, kSoundKindWholeFile});
    }
    return Put(folder / "all.snd", BuildSoundPack(sounds));
}

std::vector<int16_t> Melody() {
    const int notes[] = {392, 440, 494, 523, 494, 440, 392, 330};
    std::vector<int16_t> samples;
    for (int hz : notes) {
        std::vector<int16_t> tone = ToneSamples(hz, 400, 22050, 2, 5000);
        samples.insert(samples.end(), tone.begin(), tone.end());
    }
    return samples;
}

bool WriteMusic(const fs::path& folder) {
    fs::path music = folder / "Music";
    std::error_code ec;
    fs::create_directories(music, ec);
    if (!CanWriteMp3()) return Put(music / "1.wav", BuildWaveFile(Melody(), 22050, 2));
    fs::path target = music / "1.mp3";
    // The encoder makes the same bytes from the same samples; the old file
    // is kept when they match.
    fs::path temp = music / "1.mp3.new";
    std::string error;
    if (!WriteMp3File(temp.string(), Melody(), 22050, 2, &error)) {
        std::fprintf(stderr, "make_sample: music: %s\n", error.c_str());
        return false;
    }
    bool ok = Put(target, ReadFile(temp));
    fs::remove(temp, ec);
    return ok;
}

bool WriteReadme(const fs::path& folder) {
    const std::string text =
        "KYV3 sample install\r\n"
        "\r\n"
        "This folder was written by make_sample: generated pictures, animations,\r\n"
        "sound effects and a music track in the game's own formats, so the\r\n"
        "program can start without the game's data. The role and story\r\n"
        "databases are not part of it yet: a new game stops at the database\r\n"
        "message.\r\n";
    return Put(folder / "Readme.txt", std::vector<uint8_t>(text.begin(), text.end()));
}

// The sample's path scripts: path 1 walks between two cells and waits at
// each end, path 2 walks at random, path 3 follows the player.
constexpr char kSamplePaths[] = R"(
path 1
loop:
  walkto 12 8
  arrive
  setwait 40
  wait
  walkto 6 8
  arrive
  setwait 40
  wait
  jump loop
path 2
  randomwalk
path 3
follow:
  setwait 20
  wait
  followoffset 65534 0 2
  arrive
  jump follow
)";

bool WritePaths(const fs::path& folder) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!AssemblePathDat(kSamplePaths, &bytes, &error)) {
        std::fprintf(stderr, "make_sample: path.dat: %s\n", error.c_str());
        return false;
    }
    return Put(folder / "path.dat", bytes);
}

bool WriteNames(const fs::path& folder) {
    // Four names of two Big5 characters each.
    std::vector<std::string> names = {"\xA4\x6A\xAD\xF4", "\xA4\x70\xA9\x66", "\xA6\xD1\xA5\x53", "\xA9\x68\xAE\x51"};
    return Put(folder / "namex.dat", BuildNamex(names));
}

// The map archive with the two sample maps, and a frame sequence.
bool WriteMaps(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder / "Video", ec);
    return Put(folder / "HUGE.lmf", BuildLmf(SampleMaps())) &&
           Put(folder / "Video" / "1.seq", BuildFrameSequence(SampleSequence()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample <folder>\n");
        return 2;
    }
    fs::path folder = argv[1];
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
        std::fprintf(stderr, "make_sample: %s is not a folder\n", argv[1]);
        return 1;
    }
    bool ok = WritePacks(folder) && WriteSounds(folder) && WriteNames(folder) && WritePaths(folder) &&
              WriteMusic(folder) && WriteMaps(folder) && WriteReadme(folder);
    std::printf("make_sample: %d files written, %d already up to date in %s\n", gWritten, gKept, folder.c_str());
    return ok ? 0 : 1;
}
