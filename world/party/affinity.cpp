#include "world/party/affinity.h"

#include <algorithm>

#include "world/org/count_list.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"

int8_t gMemberAffinity[4][kAffinityElements] = {};

namespace {

bool Worn(const ItemRecord* item) { return item && item->id != kPlaceholderItem; }

} // namespace

void MemberAffinity(int member, int8_t out[kAffinityElements]) {
    std::fill(out, out + kAffinityElements, int8_t(0));
    if (member < 0 || member >= kPartyMembers) return;
    const MemberStats& s = gMemberStats[member];
    int sum[kAffinityElements];
    for (int i = 0; i < kAffinityElements; ++i) sum[i] = s.element[i];
    const int e = s.elementIndex;
    if (e < kAffinityElements) {
        for (int slot = 0; slot < kAffinitySlots; ++slot) {
            const ItemRecord* item = gMemberEquip[member][slot];
            if (!Worn(item)) continue;
            const int byte = int8_t(ObjElement(item->obj, e));
            if (slot < kTalismanSlotFirst) {
                sum[e] += byte;
            } else if (byte != 0) {
                sum[e] += GetListValue(&gFameList3, item->id) * kTalismanGrowthShare / 100;
            }
        }
    }
    for (int i = 0; i < kAffinityElements; ++i) out[i] = int8_t(std::clamp(sum[i], 0, kAffinityMax));
}

void ComputeMemberAffinity() {
    for (int m = 0; m < kPartyMembers; ++m) MemberAffinity(m, gMemberAffinity[m]);
}

void ResetMemberAffinity() {
    for (auto& member : gMemberAffinity) std::fill(member, member + kAffinityElements, int8_t(0));
}
