// A plain active role for tests: the record cleared, then its GUID, its
// position in pixels and the active flag; the role count grows to hold it.
#pragma once
#include <cstdint>

#include "world/role/role_record.h"

inline RoleRecord& PlaceTestRole(uint32_t index, uint16_t guid, int x, int y) {
    RoleRecord& r = gRole[index];
    r = RoleRecord{};
    r.guid = guid;
    r.x = x;
    r.y = y;
    r.flags = kRoleActive;
    if (TotalRole <= index) TotalRole = index + 1;
    return r;
}
