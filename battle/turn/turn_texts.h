// The turn model's own texts, as Big5 bytes.
#pragma once

// "取回被偷的物品!!"
inline constexpr char kStolenBackText[] = "\xA8\xFA\xA6^\xB3Q\xB0\xBD\xAA\xBA\xAA\xAB\xAB~!!";
// "撤退失敗!!", "撤退成功!!", "無法撤退!!"
inline constexpr char kRetreatFailedText[] = "\xBAM\xB0h\xA5\xA2\xB1\xD1!!";
inline constexpr char kRetreatDoneText[] = "\xBAM\xB0h\xA6\xA8\xA5\\!!";
inline constexpr char kNoRetreatText[] = "\xB5L\xAAk\xBAM\xB0h!!";
