#include "world/party/member_stats.h"

#include <algorithm>

#include "base/bytes.h"

MemberStats gMemberStats[kPartyMembers] = {};

int32_t GetMemberStat(int field, int member) {
    if (member < 0 || member >= kPartyMembers) return 0;
    const MemberStats& m = gMemberStats[member];
    if (field >= 0 && field <= 2) return m.gauge[field];
    if (field >= 3 && field <= 5) return m.gaugeMax[field - 3];
    if (field >= 6 && field <= 13) return m.stat[field - 6];
    switch (field) {
    case 14: return int32_t(m.nextExperience);
    case 15: return int32_t(m.experience);
    case 16: return m.level;
    default: return 0;
    }
}

void WriteMemberStats(const MemberStats& m, std::vector<uint8_t>& out) {
    ByteWriter w(out);
    w.u32(m.experience);
    for (int16_t v : m.gauge) w.i16(v);
    for (int16_t v : m.gaugeMax) w.i16(v);
    for (uint16_t v : m.stat) w.u16(v);
    w.u32(m.nextExperience);
    w.u16(m.status);
    for (uint16_t v : m.bonus) w.u16(v);
    w.u16(m.word42);
    w.u8(m.level);
    for (int8_t v : m.element) w.i8(v);
    w.u8(m.firstElement);
    w.bytes(m.bytes51, sizeof m.bytes51);
    w.u8(m.elementIndex);
    w.u8(m.ownElement);
    w.u8(m.byte57);
    w.u16(m.lastWord);
}

bool ReadMemberStats(ByteReader& in, MemberStats* out) {
    MemberStats m{};
    m.experience = in.u32();
    for (int16_t& v : m.gauge) v = in.i16();
    for (int16_t& v : m.gaugeMax) v = in.i16();
    for (uint16_t& v : m.stat) v = in.u16();
    m.nextExperience = in.u32();
    m.status = in.u16();
    for (uint16_t& v : m.bonus) v = in.u16();
    m.word42 = in.u16();
    m.level = in.u8();
    for (int8_t& v : m.element) v = in.i8();
    m.firstElement = in.u8();
    in.bytes(m.bytes51, sizeof m.bytes51);
    m.elementIndex = in.u8();
    m.ownElement = in.u8();
    m.byte57 = in.u8();
    m.lastWord = in.u16();
    if (!in.ok()) return false;
    *out = m;
    return true;
}

void CrossPartyGauges(uint8_t* bytes) {
    std::swap_ranges(bytes + 4, bytes + 10, bytes + 10);
}

void ResetMemberStats() {
    for (MemberStats& m : gMemberStats) m = MemberStats{};
}
