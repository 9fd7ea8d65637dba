#include "menu/save/save_codec.h"

#include <cstdio>
#include <cstring>

#include "base/bytes.h"
#include "base/file.h"
#include "base/lzo.h"
#include "base/memory.h"
#include "base/settings.h"
#include "platform/plat_file.h"

namespace {

constexpr const char* kBlockNames[] = {"head",        "story flags",  "role definitions", "position",
                                       "main state",  "names",        "play time",        "return point",
                                       "battle records", "fame lists", "screen shake",     "refusal texts"};

std::string BlockText(int block, const char* what) {
    char text[160];
    std::snprintf(text, sizeof text, "block %d (%s): %s", block, kBlockNames[block], what);
    return text;
}

// ---- reading ---------------------------------------------------------------

// A packed block: u32 packed size, u32 raw size, the packed bytes. The raw
// size must lie in [minRaw, maxRaw] and the bytes must unpack to exactly it.
SaveResult ReadPacked(ByteReader& in, int block, uint32_t minRaw, uint32_t maxRaw, std::vector<uint8_t>* raw) {
    const uint32_t packed = in.u32();
    const uint32_t rawSize = in.u32();
    if (!in.ok()) return SaveResult::Fault(block, BlockText(block, "the file ends inside the sizes"));
    if (rawSize < minRaw || rawSize > maxRaw)
        return SaveResult::Fault(block, BlockText(block, "the stated raw size is out of range"));
    const uint8_t* bytes = in.view(packed);
    if (!bytes) return SaveResult::Fault(block, BlockText(block, "the packed bytes run past the end of the file"));
    if (rawSize > LzoUnpackedBound(packed))
        return SaveResult::Fault(block, BlockText(block, "the packed bytes do not unpack to the stated size"));
    raw->assign(rawSize, 0);
    uint32_t got = rawSize;
    if (DecompressBuffer(bytes, raw->data(), packed, &got) != kLzoOk || got != rawSize)
        return SaveResult::Fault(block, BlockText(block, "the packed bytes do not unpack to the stated size"));
    return SaveResult::Fine();
}

// A list of u16 ended by 0, inside the reader.
bool ReadIdList(ByteReader& in, std::vector<uint16_t>* ids) {
    for (;;) {
        const uint16_t id = in.u16();
        if (!in.ok()) return false;
        if (id == 0) return true;
        ids->push_back(id);
    }
}

SaveResult ReadMainState(const std::vector<uint8_t>& raw, SaveMainState* main) {
    constexpr int kBlock = 4;
    ByteReader in(raw);
    main->storyClock = in.u32();
    for (auto& v : main->talkVar) v = in.u32();
    for (auto& stats : main->memberStats) in.bytes(stats.data(), stats.size());
    for (auto& id : main->equip) id = in.u16();
    if (!in.ok()) return SaveResult::Fault(kBlock, BlockText(kBlock, "too short for its fixed part"));
    for (auto& list : main->magic)
        if (!ReadIdList(in, &list)) return SaveResult::Fault(kBlock, BlockText(kBlock, "a magic list is not ended"));
    for (;;) {
        SaveBagEntry entry;
        entry.key = in.u16();
        if (in.ok() && entry.key == 0) break;
        entry.count = in.u16();
        if (!in.ok()) return SaveResult::Fault(kBlock, BlockText(kBlock, "the bag list is not ended"));
        main->bag.push_back(entry);
    }
    for (;;) {
        const size_t at = in.tell();
        if (in.u16() == 0 && in.ok()) break;
        std::array<uint8_t, kSaveObjectStateSize> state{};
        in.seek(at);
        if (!in.bytes(state.data(), state.size()))
            return SaveResult::Fault(kBlock, BlockText(kBlock, "the object-state list is not ended"));
        main->objectStates.push_back(state);
    }
    if (in.remaining() != 0) return SaveResult::Fault(kBlock, BlockText(kBlock, "bytes follow the last list"));
    return SaveResult::Fine();
}

template <size_t N>
bool ReadArray(ByteReader& in, std::array<uint8_t, N>* out) {
    return in.bytes(out->data(), N);
}

// Blocks 4..11 of a file that goes on past block 3.
SaveResult ReadLaterBlocks(ByteReader& in, SaveImage* image) {
    const auto boundary = [&](int block) {
        image->blockCount = block;
        return in.remaining() == 0;
    };
    std::vector<uint8_t> raw;
    if (SaveResult r = ReadPacked(in, 4, 0, kSaveMaxMainStateBytes, &raw); !r.ok) return r;
    if (SaveResult r = ReadMainState(raw, &image->main); !r.ok) return r;
    if (boundary(4)) return SaveResult::Fine();

    if (!ReadArray(in, &image->names)) return SaveResult::Fault(5, BlockText(5, "the file ends inside it"));
    if (boundary(5)) return SaveResult::Fine();

    image->playTime = in.u32();
    if (!in.ok()) return SaveResult::Fault(6, BlockText(6, "the file ends inside it"));
    if (boundary(6)) return SaveResult::Fine();

    SaveReturnPoint& rp = image->returnPoint;
    rp.cellX = in.u16();
    rp.cellY = in.u16();
    rp.map = in.u16();
    rp.act = in.u16();
    rp.countdownFrames = in.u32();
    rp.countdownTalk = in.u32();
    if (!ReadArray(in, &rp.reserved)) return SaveResult::Fault(7, BlockText(7, "the file ends inside it"));
    if (boundary(7)) return SaveResult::Fine();

    for (SaveBattleRecord& b : image->battle) {
        b.charge = in.u32();
        b.techniquePoints = in.u32();
        b.pointsNeeded = in.u32();
        b.nextTechnique = in.u32();
        ReadArray(in, &b.reserved);
    }
    if (!in.ok()) return SaveResult::Fault(8, BlockText(8, "the file ends inside it"));
    if (boundary(8)) return SaveResult::Fine();

    const uint32_t fameSize = in.u32();
    if (!in.ok()) return SaveResult::Fault(9, BlockText(9, "the file ends inside the size"));
    if (fameSize > kSaveMaxFameBytes) return SaveResult::Fault(9, BlockText(9, "the stated size is out of range"));
    const uint8_t* fame = in.view(fameSize);
    if (!fame) return SaveResult::Fault(9, BlockText(9, "the bytes run past the end of the file"));
    image->fame.assign(fame, fame + fameSize);
    if (boundary(9)) return SaveResult::Fine();

    image->shake.interval = in.u16();
    image->shake.framesLeft = in.u16();
    if (!ReadArray(in, &image->shake.table)) return SaveResult::Fault(10, BlockText(10, "the file ends inside it"));
    if (boundary(10)) return SaveResult::Fine();

    constexpr uint32_t kTexts = 2 * kSaveRefusalTextSize;
    if (SaveResult r = ReadPacked(in, 11, kTexts, kTexts, &raw); !r.ok) return r;
    std::memcpy(image->travelRefusal.data(), raw.data(), kSaveRefusalTextSize);
    std::memcpy(image->exitRefusal.data(), raw.data() + kSaveRefusalTextSize, kSaveRefusalTextSize);
    image->blockCount = kSaveLastBlock;
    if (in.remaining() != 0) return SaveResult::Fault(-1, "bytes follow the last block");
    return SaveResult::Fine();
}

// ---- writing ---------------------------------------------------------------

bool WritePacked(ByteWriter& out, const uint8_t* raw, size_t size) {
    uint32_t packed = 0;
    uint8_t* bytes = CompressBuffer(raw, static_cast<uint32_t>(size), &packed);
    if (!bytes) return false;
    out.u32(packed);
    out.u32(static_cast<uint32_t>(size));
    out.bytes(bytes, packed);
    FreeMem(bytes);
    return true;
}

SaveResult CheckImage(const SaveImage& image) {
    if (image.thumbnail.size() != kSaveThumbSize) return SaveResult::Fault(0, "the thumbnail has the wrong size");
    if (image.storyFlags.size() != kSaveStoryFlagSize) return SaveResult::Fault(1, BlockText(1, "wrong size"));
    if (image.roleDefs.size() % kSaveRoleDefSize != 0 || image.roleDefs.size() > kSaveMaxRoleDefBytes)
        return SaveResult::Fault(2, BlockText(2, "not a whole number of records"));
    if (image.blockCount < kSaveOldestBlockCount || image.blockCount > kSaveLastBlock)
        return SaveResult::Fault(-1, "the block count is out of range");
    for (const auto& list : image.main.magic)
        for (uint16_t id : list)
            if (id == 0) return SaveResult::Fault(4, BlockText(4, "a magic id is 0"));
    for (const SaveBagEntry& e : image.main.bag)
        if (e.key == 0) return SaveResult::Fault(4, BlockText(4, "a bag key is 0"));
    for (const auto& s : image.main.objectStates)
        if (s[0] == 0 && s[1] == 0) return SaveResult::Fault(4, BlockText(4, "an object state starts with 0"));
    if (image.Has(9) && image.fame.size() > kSaveMaxFameBytes) return SaveResult::Fault(9, BlockText(9, "too long"));
    return SaveResult::Fine();
}

std::vector<uint8_t> MainStateBytes(const SaveMainState& main) {
    std::vector<uint8_t> raw;
    ByteWriter out(raw);
    out.u32(main.storyClock);
    for (uint32_t v : main.talkVar) out.u32(v);
    for (const auto& stats : main.memberStats) out.bytes(stats.data(), stats.size());
    for (uint16_t id : main.equip) out.u16(id);
    for (const auto& list : main.magic) {
        for (uint16_t id : list) out.u16(id);
        out.u16(0);
    }
    for (const SaveBagEntry& e : main.bag) {
        out.u16(e.key);
        out.u16(e.count);
    }
    out.u16(0);
    for (const auto& s : main.objectStates) out.bytes(s.data(), s.size());
    out.u16(0);
    return raw;
}

} // namespace

SaveResult DecodeSave(const uint8_t* data, size_t size, SaveImage* image) {
    if (!image || (!data && size)) return SaveResult::Fault(-1, "no file");
    if (size > kSaveMaxFileBytes) return SaveResult::Fault(-1, "the file is too large to be a saved game");
    ByteReader in(data, size);
    SaveImage read;
    in.bytes(read.stamp.data(), read.stamp.size());
    read.thumbnail.resize(kSaveThumbSize);
    in.bytes(read.thumbnail.data(), kSaveThumbSize);
    in.bytes(read.mapName.data(), read.mapName.size());
    if (!in.ok()) return SaveResult::Fault(0, "the file is shorter than the head of a saved game");

    if (SaveResult r = ReadPacked(in, 1, kSaveStoryFlagSize, kSaveStoryFlagSize, &read.storyFlags); !r.ok) return r;
    if (SaveResult r = ReadPacked(in, 2, 0, kSaveMaxRoleDefBytes, &read.roleDefs); !r.ok) return r;
    if (read.roleDefs.size() % kSaveRoleDefSize != 0)
        return SaveResult::Fault(2, BlockText(2, "not a whole number of records"));
    SavePosition& p = read.position;
    for (uint32_t* field : {&p.scriptGuid, &p.currentMap, &p.cellX, &p.cellY, &p.act, &p.qq, &p.dir}) *field = in.u32();
    if (!in.ok()) return SaveResult::Fault(3, BlockText(3, "the file ends inside it"));
    read.blockCount = kSaveOldestBlockCount;
    if (in.remaining() != 0) {
        if (SaveResult r = ReadLaterBlocks(in, &read); !r.ok) return r;
    }
    *image = std::move(read);
    return SaveResult::Fine();
}

SaveResult EncodeSave(const SaveImage& image, std::vector<uint8_t>* out) {
    if (!out) return SaveResult::Fault(-1, "no output");
    if (SaveResult r = CheckImage(image); !r.ok) return r;
    std::vector<uint8_t> file;
    ByteWriter w(file);
    w.bytes(image.stamp.data(), image.stamp.size());
    w.bytes(image.thumbnail.data(), image.thumbnail.size());
    w.bytes(image.mapName.data(), image.mapName.size());
    const auto packFault = [](int block) { return SaveResult::Fault(block, BlockText(block, "packing failed")); };
    if (!WritePacked(w, image.storyFlags.data(), image.storyFlags.size())) return packFault(1);
    if (!WritePacked(w, image.roleDefs.data(), image.roleDefs.size())) return packFault(2);
    const SavePosition& p = image.position;
    for (uint32_t v : {p.scriptGuid, p.currentMap, p.cellX, p.cellY, p.act, p.qq, p.dir}) w.u32(v);
    if (image.Has(4)) {
        const std::vector<uint8_t> raw = MainStateBytes(image.main);
        if (raw.size() > kSaveMaxMainStateBytes) return SaveResult::Fault(4, BlockText(4, "too long"));
        if (!WritePacked(w, raw.data(), raw.size())) return packFault(4);
    }
    if (image.Has(5)) w.bytes(image.names.data(), image.names.size());
    if (image.Has(6)) w.u32(image.playTime);
    if (image.Has(7)) {
        const SaveReturnPoint& rp = image.returnPoint;
        for (uint16_t v : {rp.cellX, rp.cellY, rp.map, rp.act}) w.u16(v);
        w.u32(rp.countdownFrames);
        w.u32(rp.countdownTalk);
        w.bytes(rp.reserved.data(), rp.reserved.size());
    }
    if (image.Has(8)) {
        for (const SaveBattleRecord& b : image.battle) {
            for (uint32_t v : {b.charge, b.techniquePoints, b.pointsNeeded, b.nextTechnique}) w.u32(v);
            w.bytes(b.reserved.data(), b.reserved.size());
        }
    }
    if (image.Has(9)) {
        w.u32(static_cast<uint32_t>(image.fame.size()));
        w.bytes(image.fame.data(), image.fame.size());
    }
    if (image.Has(10)) {
        w.u16(image.shake.interval);
        w.u16(image.shake.framesLeft);
        w.bytes(image.shake.table.data(), image.shake.table.size());
    }
    if (image.Has(11)) {
        uint8_t texts[2 * kSaveRefusalTextSize];
        std::memcpy(texts, image.travelRefusal.data(), kSaveRefusalTextSize);
        std::memcpy(texts + kSaveRefusalTextSize, image.exitRefusal.data(), kSaveRefusalTextSize);
        if (!WritePacked(w, texts, sizeof texts)) return packFault(11);
    }
    *out = std::move(file);
    return SaveResult::Fine();
}

// ---- files -----------------------------------------------------------------

std::string SaveSlotPath(int slot) {
    if (slot < 0 || slot >= kSaveSlotCount) return {};
    char path[kPathMax + 32];
    std::snprintf(path, sizeof path, "%ssave\\%d.sav", gInstallPath, slot);
    return path;
}

std::string FamePath() { return std::string(gInstallPath) + "Fame.dat"; }

bool WriteFileReplacing(const std::string& gamePath, const std::vector<uint8_t>& bytes, std::string* error) {
    std::string ignored;
    std::string& why = error ? *error : ignored;
    if (gamePath.empty() || bytes.size() > kSaveMaxFileBytes) {
        why = "no file name, or too many bytes";
        return false;
    }
    const std::string temp = gamePath + ".tmp";
    cFile file;
    if (!file.Open(temp.c_str(), kCreateAlways, kGenericRead | kGenericWrite)) {
        why = std::string("cannot create ") + temp + ": " + file.GetErrorText();
        return false;
    }
    const bool written = file.WriteExact(bytes.data(), static_cast<uint32_t>(bytes.size())) == 1 && file.Sync() == 1;
    if (!written) why = std::string("cannot write ") + temp + ": " + file.GetErrorText();
    const bool closed = file.Close() == 1;
    if (written && !closed) why = std::string("cannot close ") + temp;
    if (!written || !closed || !PlatRenameFile(temp.c_str(), gamePath.c_str())) {
        if (written && closed) why = std::string("cannot replace ") + gamePath + ": " + PlatLastErrorText();
        PlatRemoveFile(temp.c_str());
        return false;
    }
    return true;
}

bool ReadWholeFile(const std::string& gamePath, uint32_t maxSize, std::vector<uint8_t>* bytes, bool* missing,
                   std::string* error) {
    if (missing) *missing = false;
    bytes->clear();
    cFile file;
    if (!file.Open(gamePath.c_str(), kOpenExisting, kGenericRead)) {
        if (missing) *missing = !PlatPathExists(gamePath.c_str());
        if (error) *error = file.GetErrorText();
        return false;
    }
    const uint32_t size = file.GetSize();
    if (size == kFileInvalid || size > maxSize) {
        if (error) *error = "the file is too large";
        return false;
    }
    bytes->resize(size);
    if (size && !file.ReadExact(bytes->data(), size)) {
        if (error) *error = file.GetErrorText();
        bytes->clear();
        return false;
    }
    return true;
}

SaveResult WriteSlotFile(int slot, const SaveImage& image) {
    const std::string path = SaveSlotPath(slot);
    if (path.empty()) return SaveResult::Fault(-1, "no such slot");
    std::vector<uint8_t> bytes;
    if (SaveResult r = EncodeSave(image, &bytes); !r.ok) return r;
    PlatMakeFolder((std::string(gInstallPath) + "save").c_str());
    std::string error;
    if (!WriteFileReplacing(path, bytes, &error)) return SaveResult::Fault(-1, error);
    return SaveResult::Fine();
}

SaveResult ReadSlotFile(int slot, SaveImage* image) {
    const std::string path = SaveSlotPath(slot);
    if (path.empty()) return SaveResult::Fault(-1, "no such slot");
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(path, kSaveMaxFileBytes, &bytes, nullptr, &error)) return SaveResult::Fault(-1, error);
    return DecodeSave(bytes.data(), bytes.size(), image);
}

// ---- fame file -------------------------------------------------------------

std::vector<uint8_t> EncodeFame(const FameCounts& counts) {
    std::vector<uint8_t> bytes;
    ByteWriter out(bytes);
    out.u16(0);
    for (int n = 1; n <= kFameCountMax; ++n) out.u16(counts[n]);
    out.padTo(kFameFileSize);
    return bytes;
}

bool DecodeFame(const uint8_t* data, size_t size, FameCounts* counts) {
    counts->fill(0);
    if (!data || size < kFameFileSize) return false;
    ByteReader in(data, size);
    in.u16();
    for (int n = 1; n <= kFameCountMax; ++n) (*counts)[n] = in.u16();
    return true;
}

bool WriteFameFile(const FameCounts& counts, std::string* error) {
    return WriteFileReplacing(FamePath(), EncodeFame(counts), error);
}

bool ReadFameFile(FameCounts* counts) {
    counts->fill(0);
    std::vector<uint8_t> bytes;
    bool missing = false;
    if (!ReadWholeFile(FamePath(), kSaveMaxFileBytes, &bytes, &missing, nullptr)) return missing;
    return DecodeFame(bytes.data(), bytes.size(), counts);
}

// ---- preview ---------------------------------------------------------------

void FillSlotPreview(const SaveImage& image, SlotPreview* preview) {
    *preview = SlotPreview();
    preview->state = kPreviewReady;
    std::memcpy(preview->timeText, "____/__/__ __:__", 16);
    static const int kStampTo[kSaveStampSize] = {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15};
    for (size_t i = 0; i < kSaveStampSize; ++i) preview->timeText[kStampTo[i]] = image.stamp[i];
    preview->thumbnail = image.thumbnail;
    std::memcpy(preview->mapName, image.mapName.data(), kSaveMapNameSize);
    const auto flag = [&](int n) { return ((image.storyFlags[size_t(n) >> 3] >> (n & 7)) & 1) != 0; };
    for (int m = 0; m < 4; ++m) preview->present[m] = flag(30 + m);
    preview->badgeSheet = flag(83) ? 9050 : 9049;
    if (image.Has(4)) {
        preview->talkVar0 = image.main.talkVar[0];
        for (int m = 0; m < 4; ++m) {
            if (!preview->present[m]) continue;
            ByteReader stats(image.main.memberStats[m].data(), kSaveMemberStatsSize);
            stats.seek(10);
            for (int16_t& v : preview->maxima[m]) v = stats.i16();
            preview->level[m] = image.main.memberStats[m][44];
        }
    }
    if (image.Has(5)) preview->names = image.names;
    if (image.Has(6)) preview->playTime = image.playTime;
}

void ReadSlotPreviewFile(SlotPreview* preview, const std::string& gamePath) {
    *preview = SlotPreview();
    std::vector<uint8_t> bytes;
    bool missing = false;
    std::string error;
    if (!ReadWholeFile(gamePath, kSaveMaxFileBytes, &bytes, &missing, &error)) {
        preview->state = missing ? kPreviewNoSave : kPreviewDamaged;
        preview->damage = error;
        return;
    }
    SaveImage image;
    const SaveResult r = DecodeSave(bytes.data(), bytes.size(), &image);
    if (!r.ok) {
        preview->state = kPreviewDamaged;
        preview->damage = r.text;
        return;
    }
    FillSlotPreview(image, preview);
}

void ReadSlotPreview(SlotPreview* preview, int slot) {
    const std::string path = SaveSlotPath(slot);
    if (path.empty()) {
        *preview = SlotPreview();
        preview->state = kPreviewNoSave;
        return;
    }
    ReadSlotPreviewFile(preview, path);
}
