// Writes the sample install into a folder: the sample story of the
// repository's sample/ folder (docs/sample-story.md) composed into the
// game's files with the project's own writers and generators. The picture
// and animation packs hold the generated, labelled art (tools/sample_art):
// the figures of the story's people, the dialog and menu pieces, cursors and
// the mini-game; "all.snd" generated tones; one generated tune a map; the
// map archive "HUGE.lmf" built from the story's grids, a frame sequence and
// a short video; "Talk1.dat" and "path.dat" assembled from the story's
// scripts; "namex.dat"; the role database "maps.dat" (the story's maps,
// roles, start and bag; a party of four with magic and equipment), the
// object database "mon.dat", the level table "level.dat", the battle scenes
// "battle.ffd" and the battle scripts "figtalk.dat". Files whose
// bytes are already right are left alone, so a second run changes nothing.
// What the game itself writes into its install folder (saved games, the
// settings, the fame file, the spirit's file, screenshots) is the player's:
// no save slot is written, and "Fame.dat" (the book's start) only when the
// folder has none, so running the command again over a played install
// loses nothing.
//
//   make_sample <folder> [<story sources>]   (default: the repository's sample/)
#include <cstdio>
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
#include "tools/fig_asm.h"
#include "tools/path_asm.h"
#include "tools/namex_writer.h"
#include "tools/obj_db_writer.h"
#include "tools/sample_art.h"
#include "tools/save_writer.h"
#include "tools/sample_maps.h"
#include "tools/sample_story.h"
#include "tools/scene_writer.h"
#include "tools/snd_writer.h"
#include "tools/talk_asm.h"
#include "tools/tsw_writer.h"

// The command draws no text; the edition only names the font it never opens.
EditionFacts gEdition = {
    kEditionTraditional, false, 136, "\xB2\xD3\xA9\xFA\xC5\xE9", 0x0700, "sample", "",
};

namespace {

namespace fs = std::filesystem;

const char* const kPackStems[6] = {"all_char", "all_item", "all_magic", "all_sys", "all_map1", "all_map2"};

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

// A file the game rewrites as it is played: written into a fresh install,
// never over the player's copy.
bool PutUnlessThere(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::error_code ec;
    if (fs::exists(path, ec)) {
        ++gKept;
        return true;
    }
    return Put(path, bytes);
}

// The story read from its sources, once.
SampleStory gStory;

// Pack 0 holds the story's figures beside its sample picture, pack 3 the
// system pictures; the others their sample picture.
bool WritePacks(const fs::path& folder) {
    bool ok = true;
    for (int p = 0; p < 6; ++p) {
        std::vector<TswEntryData> pictures = {SamplePicture(p)};
        std::vector<PackEntryData> acts = {{1, SampleAct(p)}};
        if (p == 0) {
            // The hero's figure is act 1: the first member's figure on the
            // save screen, the loading bar's runner and the title's typist.
            bool hero = false;
            for (const FigureSpec& f : gStory.figures) hero |= f.act == 1;
            if (hero) pictures.clear(), acts.clear();
            for (const FigureSpec& f : gStory.figures) {
                TswEntryData picture = FigurePicture(f);
                std::vector<ActStreamData> streams = FigureStreams(f.act);
                // The members' figures (acts 1..4) are their battle sprite
                // sets too: the poses follow the map frames.
                if (f.act >= 1 && f.act <= 4) {
                    const BattleFigureSpec battle{f.act, f.label, f.colour, true};
                    const int first = int(picture.frames.size());
                    AddBattlePoseFrames(&picture, battle);
                    AddBattlePoseStreams(&streams, battle, first);
                }
                pictures.push_back(std::move(picture));
                acts.push_back({f.act, BuildActData(streams)});
            }
            // The monsters' sprite sets (1001..1006) and the weakened form's
            // (250). Act 1001 is the title's typing figure as well: its
            // streams outside the battle's poses are the hero's.
            std::vector<BattleFigureSpec> sets = MonsterBattleFigures();
            for (const BattleFigureSpec& s : SpiritBattleFigures()) sets.push_back(s);
            for (const BattleFigureSpec& m : sets) {
                pictures.push_back(MonsterPicture(m));
                if (m.set != kTitleTypistAct) {
                    acts.push_back({m.set, MonsterAct(m)});
                    continue;
                }
                std::vector<ActStreamData> typist = FigureStreams(1);
                if (!hero) typist.assign(kSampleActStreams, ActStreamData{false, {}});
                AddBattlePoseStreams(&typist, m, 0);
                acts.push_back({kTitleTypistAct, BuildActData(typist)});
            }
        } else if (p == 2) {
            // Act 6001, every weapon's strong-attack act, plays once; then
            // the battle's effects, the scene sprite and the sliding heads.
            acts = {{1, SampleHitAct(p)}};
            for (TswEntryData& e : BattleEffectPictures()) pictures.push_back(std::move(e));
            for (PackEntryData& e : BattleEffectActData()) acts.push_back(std::move(e));
        } else if (p == 3) {
            pictures = SystemPictures();
            acts = SystemActs();
        } else if (p == 5) {
            // The battle backgrounds are pictures 15001.. of this pack.
            pictures.clear(), acts.clear();
            for (int n = 1; n <= kSampleBackgroundCount; ++n) pictures.push_back(BattleBackground(n));
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
    // The battle's sounds: a short tone each, pitched by id.
    for (int id : BattleSoundIds()) {
        if (id <= 10) continue;
        sounds.push_back({id, BuildWaveFile(ToneSamples(200 + (id * 37) % 900, 90, 22050, 1, 8000), 22050, 1),
                          kSoundKindWholeFile});
    }
    return Put(folder / "all.snd", BuildSoundPack(sounds));
}

// Track n's tune: eight notes, each track a step higher.
std::vector<int16_t> Melody(int track) {
    const int notes[] = {392, 440, 494, 523, 494, 440, 392, 330};
    std::vector<int16_t> samples;
    for (int hz : notes) {
        std::vector<int16_t> tone = ToneSamples(hz * (3 + track) / 4, 400, 22050, 2, 5000);
        samples.insert(samples.end(), tone.begin(), tone.end());
    }
    return samples;
}

// A file the media library's encoder writes: the encoder makes the same
// bytes from the same input, so it writes to a temporary file and the
// target is kept when the bytes match.
template <typename Encode>
bool PutEncoded(const fs::path& target, const char* what, Encode encode) {
    fs::path temp = target;
    temp += ".new";
    std::string error;
    if (!encode(temp.string(), &error)) {
        std::fprintf(stderr, "make_sample: %s: %s\n", what, error.c_str());
        return false;
    }
    bool ok = Put(target, ReadFile(temp));
    std::error_code ec;
    fs::remove(temp, ec);
    return ok;
}

// One tune a track; wave files (and the tables naming them) when the media
// library has no mp3 encoder.
bool WriteMusic(const fs::path& folder) {
    fs::path music = folder / "Music";
    std::error_code ec;
    fs::create_directories(music, ec);
    bool ok = true;
    for (auto& [track, file] : gStory.tracks) {
        const int n = track;
        if (!CanWriteMp3()) {
            file = fs::path(file).replace_extension(".wav").string();
            ok &= Put(music / file, BuildWaveFile(Melody(n), 22050, 2));
            continue;
        }
        ok &= PutEncoded(music / file, "music", [n](const std::string& path, std::string* error) {
            return WriteMp3File(path, Melody(n), 22050, 2, error);
        });
    }
    // The battle's own tune, which every fight starts by its name unless its
    // script chose another ("music\\Battle01.mp3"): a step above the maps'.
    // Without an mp3 encoder it holds a wave file, which the decoder reads
    // by its contents.
    constexpr int kBattleTune = 9;
    if (!CanWriteMp3()) return ok && Put(music / "Battle01.mp3", BuildWaveFile(Melody(kBattleTune), 22050, 2));
    ok &= PutEncoded(music / "Battle01.mp3", "music", [](const std::string& path, std::string* error) {
        return WriteMp3File(path, Melody(kBattleTune), 22050, 2, error);
    });
    return ok;
}

bool WriteReadme(const fs::path& folder) {
    const std::string text =
        "KYV3 sample install\r\n"
        "\r\n"
        "This folder was written by make_sample: a short story on two maps (a\r\n"
        "village and the woods beyond its gate) with generated, labelled\r\n"
        "pictures, animations, sound effects, music, a frame sequence and a\r\n"
        "video in the game's own formats, so the program can start without the\r\n"
        "game's data. Its sources are the sample/ folder of the project.\r\n";
    return Put(folder / "Readme.txt", std::vector<uint8_t>(text.begin(), text.end()));
}

bool WritePaths(const fs::path& folder) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!AssemblePathDat(gStory.pathSource, &bytes, &error)) {
        std::fprintf(stderr, "make_sample: paths.txt: %s\n", error.c_str());
        return false;
    }
    return Put(folder / "path.dat", bytes);
}

bool WriteNames(const fs::path& folder) { return Put(folder / "namex.dat", BuildNamex(StoryNames(gStory))); }

// The map archive built from the story's grids, a frame sequence and a
// short video (frames of plain colours).
bool WriteMaps(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder / "Video", ec);
    // The game's videos fill the screen: they are shown from its top left
    // corner at their own size.
    VideoClipSpec clip;
    clip.width = 640;
    clip.height = 480;
    clip.frames = 20;
    return Put(folder / "HUGE.lmf", BuildLmf(StoryLmfMaps(gStory))) &&
           Put(folder / "Video" / "1.seq", BuildFrameSequence(SampleSequence())) &&
           PutEncoded(folder / "Video" / "1.avi", "video", [&clip](const std::string& path, std::string* error) {
               return WriteVideoFile(path, clip, error);
           });
}

bool WriteObjects(const fs::path& folder) {
    // "Fame.dat" holds the creatures the party knows at the start (the book);
    // every save rewrites it, so it is the player's once it exists.
    return Put(folder / "mon.dat", BuildMonDat(gStory.objects, gStory.actions)) &&
           (gStory.known.empty() || PutUnlessThere(folder / "Fame.dat", BuildFameFile(gStory.known)));
}

bool WriteLevels(const fs::path& folder) {
    std::map<std::pair<int, int>, std::vector<uint8_t>> records;
    for (int member = 1; member <= 4; ++member) {
        for (int level = 1; level <= 10; ++level) {
            LevelSpec spec{};
            for (int g = 0; g < 3; ++g) spec.gaugeMax[g] = int16_t(80 + 20 * level + 10 * member - 5 * g);
            for (int st = 0; st < 8; ++st) spec.stat[st] = uint16_t(5 + 2 * level + member + st);
            spec.nextExperience = uint32_t(100 * level * level);
            // Level 3 teaches a magic: the hero (member 1) the Rain Charm he
            // does not know yet, which the training fight's experience reaches.
            if (level == 3) spec.magic = {uint16_t(member == 1 ? 202 : 201)};
            records[{member, level}] = LevelRecordBytes(spec);
        }
    }
    return Put(folder / "level.dat", BuildLevelDat(records));
}

bool WriteRoleDataBase(const fs::path& folder) {
    // The story's tables (roles, start, bag, maps) come from its sources.
    MapsDatSpec spec;
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
    spec.equipment[0][2] = 102;  // the body slot
    spec.equipment[1][2] = 102;
    return Put(folder / "maps.dat", BuildStoryMapsDat(gStory, spec));
}

// The story's talk files, "Talk1.dat" on.
bool WriteScriptDataBases(const fs::path& folder) {
    std::map<uint32_t, std::vector<uint8_t>> files;
    std::string error;
    if (!AssembleTalkFiles(gStory.talkSource, &files, &error)) {
        std::fprintf(stderr, "make_sample: talk.txt: %s\n", error.c_str());
        return false;
    }
    bool ok = true;
    for (const auto& [number, bytes] : files) ok &= Put(folder / ("Talk" + std::to_string(number) + ".dat"), bytes);
    return ok;
}

// The fights: the scene file "battle.ffd" and the battle scripts
// "figtalk.dat" (sample/battle.txt and sample/figtalk.txt).
bool WriteBattles(const fs::path& folder) {
    std::vector<uint8_t> scripts;
    std::string error;
    if (!AssembleFigTalk(gStory.figSource, &scripts, &error)) {
        std::fprintf(stderr, "make_sample: figtalk.txt: %s\n", error.c_str());
        return false;
    }
    return Put(folder / "battle.ffd", BuildBattleFfd(gStory.scenes)) && Put(folder / "figtalk.dat", scripts);
}

bool WriteDataBases(const fs::path& folder) {
    return WriteObjects(folder) && WriteLevels(folder) && WriteRoleDataBase(folder) && WriteScriptDataBases(folder) &&
           WriteBattles(folder);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: make_sample <folder> [<story sources>]\n");
        return 2;
    }
    std::string error;
    if (!LoadSampleStory(argc == 3 ? argv[2] : SampleSourceFolder(), &gStory, &error)) {
        std::fprintf(stderr, "make_sample: %s\n", error.c_str());
        return 1;
    }
    fs::path folder = argv[1];
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
        std::fprintf(stderr, "make_sample: %s is not a folder\n", argv[1]);
        return 1;
    }
    bool ok = WritePacks(folder) && WriteSounds(folder) && WriteNames(folder) && WritePaths(folder) &&
              WriteMusic(folder) && WriteMaps(folder) && WriteReadme(folder) && WriteDataBases(folder);
    std::printf("make_sample: %d files written, %d already up to date in %s\n", gWritten, gKept, folder.c_str());
    return ok ? 0 : 1;
}
