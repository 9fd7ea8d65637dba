// Writes the sample install into a folder: the six picture packs and the
// six animation packs with generated, labelled pictures, the sound-effect
// pack "all.snd" with generated tones, "namex.dat", "path.dat" with three
// path scripts, a short generated music track, the map archive "HUGE.lmf"
// with two maps, a frame sequence, a readme for the launcher, and the
// world's databases: the role database "maps.dat" (a start record, a party
// of four with a bag, magic and equipment), the object database "mon.dat"
// (items, weapons, magic and one monster), the level table "level.dat" for
// members 1-4, a story database with no scripts yet, and one ready saved game
// "save\\0.sav". Everything comes from the project's
// own writers. Files whose bytes are already right are left alone, so a
// second run changes nothing and takes no time.
//
//   make_sample <folder>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "base/edition.h"
#include "shell/launcher_art.h"
#include "tools/act_writer.h"
#include "tools/map_tables_writer.h"
#include "tools/maps_writer.h"
#include "tools/media_writer.h"
#include "tools/path_asm.h"
#include "tools/namex_writer.h"
#include "tools/obj_db_writer.h"
#include "tools/rle_writer.h"
#include "tools/save_writer.h"
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

// Nine window pieces of size x size (corners, edges, fill) in the given
// colours; the fill piece is plain.
std::vector<TswFrameData> WindowPieces(int size, uint16_t edge, uint16_t dark, uint16_t fill) {
    std::vector<TswFrameData> pieces;
    const int band = size < 8 ? 1 : 3;
    for (int piece = 0; piece < 9; ++piece) {
        int col = piece % 3, row = piece / 3;
        std::vector<uint16_t> px(size_t(size) * size, fill);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                bool top = row == 0 && y < band, bottom = row == 2 && y >= size - band;
                bool left = col == 0 && x < band, right = col == 2 && x >= size - band;
                if (top || bottom || left || right) px[size_t(y) * size + x] = (x + y) % 2 ? edge : dark;
            }
        }
        pieces.push_back({RawFrameBytes16(px), uint16_t(size), uint16_t(size)});
    }
    return pieces;
}

// Nine 16x16 window pieces (corners, edges, fill) and a 16x48 ornament.
TswEntryData WindowPicture() {
    TswEntryData e;
    e.index = kWindowEntry;
    const uint16_t edge = Rgb5(24, 20, 10), dark = Rgb5(6, 4, 2), fill = Rgb5(3, 4, 10);
    e.frames = WindowPieces(16, edge, dark, fill);
    std::vector<uint16_t> ornament(16 * 48, kKey);
    for (int y = 0; y < 48; ++y) {
        int half = 2 + (y % 16 < 8 ? y % 8 : 7 - y % 8);
        for (int x = 8 - half; x < 8 + half; ++x) ornament[size_t(y) * 16 + x] = edge;
    }
    e.frames.push_back({RleFromPixels(ornament, 16, 48), 16, 48});
    return e;
}

// A labelled frame: a plain box with a one-pixel rim and a centred label.
TswFrameData LabelledFrame(int w, int h, uint16_t colour, const char* label, int scale, bool keyedCorners = false) {
    std::vector<uint16_t> px(size_t(w) * h, colour);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (x == 0 || y == 0 || x == w - 1 || y == h - 1) px[size_t(y) * w + x] = Rgb5(31, 31, 24);
    if (keyedCorners) px[0] = px[size_t(w) - 1] = px[size_t(h - 1) * w] = px[size_t(h) * w - 1] = kKey;
    DrawBitmapText(px.data(), w, h, (w - BitmapTextWidth(label, scale)) / 2, (h - 7 * scale) / 2, label, scale,
                   Rgb5(31, 31, 31));
    return {RleFromPixels(px, w, h), uint16_t(w), uint16_t(h)};
}

// The message dialog's pictures (docs/dialogs.md): three more windows for
// the frame acts, the caption window, the name-entry frame, the number sign,
// the digits of numbers and of the story countdown and the two buttons.
std::vector<TswEntryData> DialogPictures() {
    std::vector<TswEntryData> pictures;
    const uint16_t edges[3] = {Rgb5(10, 22, 12), Rgb5(26, 12, 12), Rgb5(20, 20, 26)};
    for (int i = 0; i < 3; ++i)
        pictures.push_back({35 + i, 16, {}, WindowPieces(16, edges[i], Rgb5(2, 2, 2), Rgb5(2 + 2 * i, 3, 6))});
    pictures.push_back({39, 16, {}, WindowPieces(4, Rgb5(28, 24, 12), Rgb5(8, 6, 2), Rgb5(4, 4, 8))});
    pictures.push_back({38, 16, {}, {LabelledFrame(340, 120, Rgb5(4, 6, 12), "NAME", 2)}});
    pictures.push_back({45, 16, {}, {LabelledFrame(20, 20, Rgb5(24, 20, 4), "M", 2, true)}});
    TswEntryData digits{79, 16, {}, {}}, timer{78, 16, {}, {}};
    for (int d = 0; d <= 10; ++d) {
        char label[2] = {d == 10 ? '.' : char('0' + d), 0};
        if (d < 10) digits.frames.push_back(LabelledFrame(12, 18, Rgb5(6, 10, 20), label, 2, true));
        timer.frames.push_back(LabelledFrame(12, 18, Rgb5(20, 6, 6), label, 2, true));
    }
    pictures.push_back(digits);
    pictures.push_back(timer);
    pictures.push_back({80, 16, {}, {LabelledFrame(16, 12, Rgb5(8, 20, 8), "V", 1), LabelledFrame(16, 12, Rgb5(4, 12, 4), "V", 1)}});
    pictures.push_back({81, 16, {}, {LabelledFrame(16, 12, Rgb5(20, 8, 8), "E", 1)}});
    return pictures;
}

// One picture frame shown and shown again.
std::string StillStream(int picture, int frame) {
    return "SD 3 RF " + std::to_string(picture) + " PA " + std::to_string(frame) + " ED PA " + std::to_string(frame) +
           " OV";
}

ActStreamData Stream(const std::string& text) { return {true, ActWords(text.c_str())}; }

// The system pack's acts: entry 1 (act 9001) with the dialog's next-page
// (qq 20) and end (qq 21) buttons beside the sample stream, entry 4 (act
// 9004) the countdown's digits (qq 0..9) and separator (qq 10), entries 30..33
// the frame acts and 40..43 the caption acts.
std::vector<PackEntryData> SystemActs() {
    std::vector<ActStreamData> sheet(22, ActStreamData{false, {}});
    sheet[0] = Stream("SD 3 RF 9001 PA 0 ED PA 1 ED PA 2 ED PA 3 OV"); // as SampleAct(3)
    sheet[20] = Stream("SD 6 RF 9080 PA 0 ED PA 1 OV");
    sheet[21] = Stream(StillStream(9081, 0));
    std::vector<ActStreamData> timer;
    for (int d = 0; d <= 10; ++d) timer.push_back(Stream(StillStream(9078, d)));
    std::vector<PackEntryData> acts = {{1, BuildActData(sheet)}, {4, BuildActData(timer)}};
    for (int i = 0; i < 4; ++i) {
        acts.push_back({30 + i, BuildActData({Stream(StillStream(9034 + i, 0))})});
        acts.push_back({40 + i, BuildActData({Stream(StillStream(9039, 0))})});
    }
    return acts;
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
        std::vector<PackEntryData> acts = {{1, SampleAct(p)}};
        if (p == 3) {
            pictures.push_back(WindowPicture());
            for (TswEntryData& e : DialogPictures()) pictures.push_back(std::move(e));
            acts = SystemActs();
        }
        ok &= Put(folder / (std::string(kPackStems[p]) + ".tsw"), BuildTswPack(pictures));
        ok &= Put(folder / (std::string(kPackStems[p]) + ".act"), BuildActPack(acts));
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
        "program can start without the game's data. Its role, object and level\r\n"
        "databases start a new game with a party of four on two small maps; the\r\n"
        "story database holds no scripts yet.\r\n";
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

// Objects of the sample: items 1-2, weapon and armour 101-102, magic
// 201-202 and the monster 301; action records 1-3.
bool WriteObjects(const fs::path& folder) {
    std::map<uint32_t, std::vector<uint8_t>> objects = {
        {1, ObjectRecordBytes("Herb", 0, {{8, 50}, {13, 1}}, "Heals 50 life.")},
        {2, ObjectRecordBytes("Elixir", 0, {{8, 30}, {9, 30}, {10, 30}, {12, 512}, {13, 2}}, "Restores a third.")},
        {101, ObjectRecordBytes("Iron Sword", 0x20, {{0, 12}, {13, 3}}, "A plain blade.")},
        {102, ObjectRecordBytes("Cloth Robe", 0, {{1, 6}}, "Light armour.")},
        {201, ObjectRecordBytes("Fire Charm", 0, {{13, 3}, {14, 0x8005}}, "Burns one foe.")},
        {202, ObjectRecordBytes("Rain Charm", 0, {{13, 2}, {14, 0x800A}}, "Heals the party.")},
    };
    // The monster carries its battle block (tag 1): level 3, attack 20,
    // defence 8, agility 6, life 120.
    std::vector<uint8_t> block(79, 0);
    auto put16 = [&](size_t at, uint16_t v) {
        block[at - 84] = uint8_t(v);
        block[at - 83] = uint8_t(v >> 8);
    };
    put16(86, 1);
    put16(88, 3);
    put16(90, 20);
    put16(92, 8);
    put16(94, 6);
    put16(104, 120);
    TagStream monster;
    monster.Tag(1000).Text("Slime").Tag(25).U16(0).U32(0x800).Tag(1).Raw(block).Tag(30).Text("A soft monster.");
    objects[301] = monster.End();
    std::map<uint32_t, std::vector<uint8_t>> actions = {
        {1, ActionRecordBytes(50, 1, 0)}, {2, ActionRecordBytes(30, 3, 0x8000)}, {3, ActionRecordBytes(40, 4, 0)}};
    return Put(folder / "mon.dat", BuildMonDat(objects, actions));
}

bool WriteLevels(const fs::path& folder) {
    std::map<std::pair<int, int>, std::vector<uint8_t>> records;
    for (int member = 1; member <= 4; ++member) {
        for (int level = 1; level <= 10; ++level) {
            LevelSpec spec{};
            for (int g = 0; g < 3; ++g) spec.gaugeMax[g] = int16_t(80 + 20 * level + 10 * member - 5 * g);
            for (int st = 0; st < 8; ++st) spec.stat[st] = uint16_t(5 + 2 * level + member + st);
            spec.nextExperience = uint32_t(100 * level * level);
            if (level == 3) spec.magic = {uint16_t(member % 2 ? 201 : 202)};
            records[{member, level}] = LevelRecordBytes(spec);
        }
    }
    return Put(folder / "level.dat", BuildLevelDat(records));
}

bool WriteRoleDataBase(const fs::path& folder) {
    MapsDatSpec spec;
    spec.roleDefs = {RoleDef{81, 1, {1, 0, 1}, 10, 10, 0, 0, 0, 0x8000, 0},
                     RoleDef{81, 2, {3001, 0, 1}, 14, 9, 1, 0, 0, 0x8000, 0}};
    const uint16_t start[7] = {81, 10, 10, 1, 0, 1, 1};
    std::copy(std::begin(start), std::end(start), spec.start);
    spec.bag = {{1, 5}, {2, 2}, {101, 1}};
    for (int m = 0; m < 4; ++m) {
        MemberStats& s = spec.party[m];
        for (int g = 0; g < 3; ++g) s.gauge[g] = s.gaugeMax[g] = int16_t(100 + 10 * m - 5 * g);
        for (int st = 0; st < 8; ++st) s.stat[st] = uint16_t(7 + m + st);
        s.nextExperience = 100;
        s.level = 1;
        s.element[m] = 60;
        s.firstElement = uint8_t(m);
    }
    spec.magic[0] = {201};
    spec.magic[1] = {201, 202};
    spec.magic[2] = {202};
    spec.equipment[0][0] = 101;
    spec.equipment[0][1] = 102;
    spec.equipment[1][1] = 102;
    spec.battleSteps = {10, 20, 30, 40, 50, 60, 70, 80};
    spec.mapNames = {{81, "Sample Village"}};
    MapListRecord village;
    village.map = 81;
    village.code = 1; // the first map of HUGE.lmf
    spec.raw[3] = MapListTable({village});
    return Put(folder / "maps.dat", BuildMapsDat(spec));
}

// One ready slot, "save\0.sav", so that continue can be tried: the start of
// the sample game with the party's first purchases made.
bool WriteSaveSlot(const fs::path& folder) {
    SaveFixture f;
    f.stamp = "202612101200";
    f.mapName = "Sample Village";
    f.thumbnail.assign(160 * 120 * 2, 0);
    for (size_t i = 0; i < f.thumbnail.size(); i += 2) f.thumbnail[i + 1] = uint8_t(0x20 + (i / 2 / 160) / 8); // blue rows
    f.storyFlags.assign(1024, 0);
    for (int n : {1, 3, 4, 30, 31, 32, 33, 70}) f.storyFlags[size_t(n) >> 3] |= uint8_t(1 << (n & 7));
    const uint16_t defs[2][12] = {{81, 1, 1, 0, 1, 10, 10, 0, 0, 0, 0x8000, 0}, {81, 2, 3001, 0, 1, 14, 9, 1, 0, 0, 0x8000, 0}};
    for (const auto& def : defs)
        for (uint16_t w : def) f.roleDefs.insert(f.roleDefs.end(), {uint8_t(w), uint8_t(w >> 8)});
    f.position = {1, 81, 10, 10, 1, 0, 1};
    f.talkVar[0] = 250;
    for (int m = 0; m < 4; ++m) {
        auto& b = f.memberStats[size_t(m)];
        for (int g = 0; g < 3; ++g) {
            const int v = 100 + 10 * m - 5 * g;
            b[size_t(4 + 2 * g)] = b[size_t(10 + 2 * g)] = uint8_t(v);
        }
        for (int st = 0; st < 8; ++st) b[size_t(16 + 2 * st)] = uint8_t(7 + m + st);
        b[32] = 100;
        b[44] = 2; // level
        b[size_t(45 + m)] = 60;
        b[50] = uint8_t(m);
    }
    f.equip.fill(65500);
    f.equip[0] = 101;
    f.equip[1] = 102;
    f.equip[16 + 1] = 102;
    f.magic = {std::vector<uint16_t>{201}, {201, 202}, {202}, {}};
    f.bag = {{1, 3}, {2, 2}, {101, 1}};
    const char* names[4] = {"\xA4\x6A\xAD\xF4", "\xA4\x70\xA9\x66", "\xA6\xD1\xA5\x53", "\xA9\x68\xAE\x51"};
    for (int m = 0; m < 4; ++m) std::memcpy(f.names.data() + 32 * m, names[m], 4);
    f.playTime = 12 * 60 + 34;
    f.fame = EmptyFameBlock();
    f.shakeTable.fill(0xCF);
    std::error_code ec;
    fs::create_directories(folder / "save", ec);
    return Put(folder / "save" / "0.sav", BuildSaveFile(f).bytes);
}

// The story database: a head and an empty index (no scripts yet).
bool WriteScriptDataBases(const fs::path& folder) {
    std::vector<uint8_t> empty(512 + 16, 0);
    return Put(folder / "talk1.dat", empty);
}

bool WriteDataBases(const fs::path& folder) {
    return WriteObjects(folder) && WriteLevels(folder) && WriteRoleDataBase(folder) && WriteScriptDataBases(folder);
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
              WriteMusic(folder) && WriteMaps(folder) && WriteReadme(folder) && WriteDataBases(folder) &&
              WriteSaveSlot(folder);
    std::printf("make_sample: %d files written, %d already up to date in %s\n", gWritten, gKept, folder.c_str());
    return ok ? 0 : 1;
}
