// The book's texts as the game's Big5 bytes (generated: each line is the
// text in the comment beside it).
#pragma once

inline constexpr char kTextBookCaption[] = "\xA9\xC7\xAA\xAB\xB6\xB0\xA6X"; // \u602A\u7269\u96C6\u5408 - error caption
inline constexpr char kTextBookUnreadable[] = "\xAA\xAB\xAB~\xB8\xEA\xAE\xC6\xB5L\xAAk\xC5\xAA\xA8\xFA(%d)"; // \u7269\u54C1\u8CC7\u6599\u7121\u6CD5\u8B80\u53D6(%d)
inline constexpr char kTextBookWrongData[] = "\xB8\xEA\xAE\xC6\xBF\xF9\xBB~(%d)"; // \u8CC7\u6599\u932F\u8AA4(%d)
inline constexpr char kTextBookCardCaption[] = "\xC5\xAA\xA8\xFA\xB9" "D\xA8\xE3(book)"; // \u8B80\u53D6\u9053\u5177(book)
inline constexpr char kTextBookNoObject[] = "\xA8S\xA6\xB3\xA9w\xB8q\xAA\xAB\xAB~\xB8\xB9\xBDX(%d)"; // \u6C92\u6709\u5B9A\u7FA9\u7269\u54C1\u865F\u78BC(%d)
inline constexpr char kTextBookLevel[] = "%4d\xAF\xC5"; // %4d\u7D1A
inline constexpr char kTextBookLevelUnknown[] = "????\xAF\xC5"; // ????\u7D1A
inline constexpr char kTextLife[] = "\xA5\xCD\xA9R"; // \u751F\u547D
inline constexpr char kTextSpirit[] = "\xC6" "F\xA4O"; // \u9748\u529B
inline constexpr char kTextStamina[] = "\xC5\xE9\xA4O"; // \u9AD4\u529B
inline constexpr char kTextAttackLabel[] = "\xA7\xF0\xC0\xBB"; // \u653B\u64CA
inline constexpr char kTextDefenceLabel[] = "\xA8\xBE\xBFm"; // \u9632\u79A6
inline constexpr char kTextAgilityLabel[] = "\xB1\xD3\xB1\xB6"; // \u654F\u6377
inline constexpr char kTextEstimateExact[] = "%s \xACO %4d"; // %s \u662F %4d
inline constexpr char kTextEstimateNear[] = "%4s \xA4j\xB7\xA7\xACO %4d"; // %4s \u5927\u6982\u662F %4d
inline constexpr char kTextEstimateVague[] = "%4s \xA6\xFC\xA5G\xACO %4d"; // %4s \u4F3C\u4E4E\u662F %4d

// The creature and object type names, by type (0..21).
inline constexpr const char* kBookTypeNames[] = {
    "\xA4\xD1\xAF\xAB", // \u5929\u795E
    "\xC5]\xAF\xAB", // \u9B54\u795E
    "\xA5P\xC6" "F", // \u4ED9\u9748
    "\xAF\xAB\xC3~", // \u795E\u7378
    "\xC5]\xC3~", // \u9B54\u7378
    "\xA7\xAF\xC6" "F", // \u5996\u9748
    "\xBA\xEB\xA9\xC7", // \u7CBE\u602A
    "\xB0\xAD\xBB\xEE", // \u9B3C\u9B42
    "\xAC\xA1\xAB\xCD", // \u6D3B\u5C4D
    "\xB4\xB9\xC4q", // \u6676\u7926
    "\xA5\xCD\xAA\xAB", // \u751F\u7269
    "\xAAZ\xBE\xB9", // \u6B66\u5668
    "\xA8\xBE\xA8\xE3", // \u9632\u5177
    "\xC6" "F\xC3\xC4", // \u9748\u85E5
    "\xB2\xC5\xBE\xB9", // \u7B26\u5668
    "\xBC@\xB1\xA1", // \u5287\u60C5
    "\xAAk\xC4_", // \u6CD5\u5BF6
    "\xA9_\xB3N", // \u5947\u8853
    "\xA4H\xB1\xDA", // \u4EBA\u65CF
    "\xA4\xA3\xAF\xE0\xBDm\xA4\xC6", // \u4E0D\u80FD\u7DF4\u5316
    "\xB5\xB4\xA7\xDE", // \u7D55\u6280
    "\xA9_\xAA\xAB", // \u5947\u7269
};
