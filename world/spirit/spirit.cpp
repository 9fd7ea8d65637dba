#include "world/spirit/spirit.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "base/bytes.h"
#include "base/file.h"
#include "base/random.h"
#include "base/settings.h"
#include "platform/plat_clock.h"

namespace {

constexpr char kGhostFile[] = "kyvghost.dat";

// "金符鬼", "木符鬼", "水符鬼", "火符鬼", "土符鬼"
constexpr const char* kSpiritNames[kSpiritElements] = {
    "\xAA\xF7\xB2\xC5\xB0\xAD", "\xA4\xEC\xB2\xC5\xB0\xAD", "\xA4\xF4\xB2\xC5\xB0\xAD",
    "\xA4\xF5\xB2\xC5\xB0\xAD", "\xA4\x67\xB2\xC5\xB0\xAD"};

struct StartValue {
    int field;
    int32_t value;
};
// Start values every element shares; the element's own follow in InitSpirit.
constexpr StartValue kStart[] = {
    {4, 50},  {24, 90}, {25, 100}, {26, 1},  {27, 90}, {28, 100}, {30, 14}, {31, 0},  {35, 1},
    {36, 50}, {37, 50}, {38, 50},  {39, 50}, {40, 0},  {41, 0},   {43, 0},  {44, 0},  {47, 6},
    {48, 10}, {50, 0},  {51, 600}, {52, 0},  {56, 0},  {61, 20},  {62, 15}, {63, 8},  {64, 6},
    {68, 0},  {69, 40}, {70, 0},   {71, 0},  {72, 0},  {73, 0},   {74, 0},  {75, 0},  {76, 0}};

bool AllZero(const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (p[i]) return false;
    }
    return true;
}

std::string GhostPath(const char* name) { return std::string(gInstallPath) + name; }

void ApplyStartValues(SpiritRecord& s, int element) {
    for (int k = 6; k <= 21; ++k) s.Field(k) = 0;
    for (const StartValue& v : kStart) s.Field(v.field) = v.value;
    s.Field(kSpiritElementField) = element;
    s.Field(49) = element == 2 ? 18 : 24;
    bool metal = element == 0;
    s.Field(57) = 1;
    s.Field(58) = metal ? 1 : 2;
    s.Field(59) = 1;
    s.Field(60) = metal ? 10 : 18;
    std::memset(s.name, 0, sizeof s.name);
    std::memcpy(s.name, kSpiritNames[element], std::strlen(kSpiritNames[element]));
}

SpiritRecord StartRecord(int element) {
    SpiritRecord s{};
    ApplyStartValues(s, element);
    return s;
}

} // namespace

// The program starts with the earth spirit's record.
SpiritRecord gSpirit = StartRecord(4);

void InitSpirit(int element) {
    if (element < 0 || element >= kSpiritElements) return;
    ApplyStartValues(gSpirit, element);
}

void WriteSpiritRecord(const SpiritRecord& s, std::vector<uint8_t>& out) {
    ByteWriter w(out);
    w.bytes(s.name, sizeof s.name);
    for (int32_t v : s.d) w.i32(v);
}

bool ReadSpiritRecord(ByteReader& in, SpiritRecord* out) {
    SpiritRecord s{};
    in.bytes(s.name, sizeof s.name);
    for (int32_t& v : s.d) v = in.i32();
    if (!in.ok()) return false;
    *out = s;
    return true;
}

bool SpiritSlotInFile(const uint8_t* file, size_t size, int n, SpiritRecord* out) {
    if (n < 0 || n >= kSpiritElements) return false;
    size_t pos = size_t(n) * kSpiritSlotBytes + kSpiritStampBytes;
    if (pos + kSpiritRecordBytes > size || AllZero(file + pos, kSpiritRecordBytes)) return false;
    ByteReader in(file + pos, kSpiritRecordBytes);
    SpiritRecord s{};
    if (!ReadSpiritRecord(in, &s) || s.Field(kSpiritElementField) != n) return false;
    *out = s;
    return true;
}

int SaveSpirit(const char* name) {
    int element = gSpirit.Field(kSpiritElementField);
    if (element < 0 || element >= kSpiritElements) return 0;
    PlatLocalTime t = PlatGetLocalTime();
    std::vector<uint8_t> slot;
    ByteWriter w(slot);
    for (int v : {t.year, t.month, t.weekday, t.day, t.hour, t.minute, t.second, t.millis}) w.u16(uint16_t(v));
    WriteSpiritRecord(gSpirit, slot);
    cFile file;
    std::string path = GhostPath(name);
    if (!file.Open(path.c_str(), kOpenAlways, kGenericRead | kGenericWrite)) return 0;
    if (!file.SeekSet(int32_t(size_t(element) * kSpiritSlotBytes))) return 0;
    return file.WriteExact(slot.data(), uint32_t(slot.size()));
}

int SaveSpirit() { return SaveSpirit(kGhostFile); }

int LoadSpirit(const char* name, int n) {
    if (n < 0 || n >= kSpiritElements) return 0;
    std::vector<uint8_t> bytes;
    cFile file;
    std::string path = GhostPath(name);
    if (file.Open(path.c_str(), kOpenExisting, kGenericRead)) {
        uint32_t size = file.GetSize();
        if (size != kFileInvalid) {
            bytes.resize(size);
            if (size && !file.ReadExact(bytes.data(), size)) bytes.clear();
        }
    }
    SpiritRecord s{};
    if (!SpiritSlotInFile(bytes.data(), bytes.size(), n, &s)) {
        InitSpirit(n);
        return 0;
    }
    gSpirit = s;
    return 1;
}

int LoadSpirit(int n) { return LoadSpirit(kGhostFile, n); }

int GetSpiritValue(int index) {
    static constexpr int kFieldOfValue[16] = {kSpiritElementField, 35, 36, 4, 37, 38, 39, 56, 57, 58, 59, 60, 61, 62, 63, 64};
    if (index >= 0 && index < 16) return gSpirit.Field(kFieldOfValue[index]);
    if (index == 22) gSpirit.Field(46) = 0;
    return 0;
}

void SetSpiritWord(SpiritRecord* spirit, int i, int32_t value) {
    if (i >= 0 && i < 5) spirit->Field(kSpiritFeedField + i) = value;
}

int32_t GetSpiritWord(const SpiritRecord& spirit, int i) {
    return (i >= 0 && i < 5) ? spirit.Field(kSpiritFeedField + i) : 0;
}

void SetSpiritWord(int i, int32_t value) { SetSpiritWord(&gSpirit, i, value); }
int32_t GetSpiritWord(int i) { return GetSpiritWord(gSpirit, i); }

void SpiritSlowStep() {
    int32_t& stage = gSpirit.Field(kSpiritStageField);
    const int32_t length = gSpirit.Field(kSpiritStageEndField);
    // Values come from the companion file: any number keeps the sums in range.
    stage = (stage >= 0 && int64_t(stage) + 1 < length) ? stage + 1 : 0;
    int32_t& fullness = gSpirit.Field(kSpiritFullnessField);
    fullness = int32_t(std::max<int64_t>(0, int64_t(fullness) - (3 + Random(5))));
}

void ResetSpirit() { gSpirit = StartRecord(4); }
