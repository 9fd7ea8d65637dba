// The categories of the command lists: which magic and which bag entries a
// command menu of a party role shows.
#pragma once
#include <cstdint>

struct ItemRecord;

// Target kinds of a magic (ObjRecord byte 86).
constexpr uint16_t kMagicOneTarget = 17, kMagicAllTargets = 20;

// The type-bit mask of a category: 0 16, 1 12, 2 4097, 3 2048 (guards),
// 4 8192 (throwing), 5 0x8000000 (talismans), 6 2 (capture items); any other
// value is the mask itself.
uint32_t CategoryMask(uint32_t category);
// A magic usable in battle, of the category and of target kind 17 (kind 0)
// or 20 (kind 1); any other kind matches nothing.
bool IsMagicOfKind(const ItemRecord& node, uint32_t category, int kind);
// A bag entry with at least one available (count + new count - reserved),
// of the category, usable in battle (capture items need no battle-use flag);
// category 4 also takes every throwable entry.
bool IsItemOfCategory(const ItemRecord& node, uint32_t category);
