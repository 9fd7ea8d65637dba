// Texts of the maps.dat image that the menus and the battle share: a text
// ended by "%Q" and the item names of table 19.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/bytes.h"

struct ItemRecord;

// Bytes from the reader up to "%Q" (not included, passed over); false when
// the end is not found within the reader or within 256 bytes.
bool ReadQText(ByteReader& r, std::string* out);
// The text at an offset of the image, up to "%Q" (not included); false when
// the offset is outside the image or the text has no end.
bool MapsImageText(uint32_t offset, std::string* text);

// The name text of the last ItemName call.
constexpr size_t kItemNameBytes = 64;
extern char gItemNameBuf[kItemNameBytes];
// The record's name from the item-name table (table 19): empty for null,
// "無" for the placeholder, the bytes up to "%Q" (at most kItemNameBytes - 1)
// otherwise; an id or offset outside the table gives an empty text.
const char* ItemName(const ItemRecord* record);
const char* ItemNameOfId(uint16_t id);
