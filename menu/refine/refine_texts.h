// The refining and feeding pages' texts as the game's Big5 bytes (generated:
// each line is the text in the comment beside it).
#pragma once

inline constexpr char kTextRefineUnavailable[] = "\xA5\xD8\xAB" "e\xB5L\xAAk\xA8\xCF\xA5\xCE"; // \u76EE\u524D\u7121\u6CD5\u4F7F\u7528 - the page without story flag 73
inline constexpr char kTextRefineRefused[] = "\xB5L\xAAk\xBDm\xA4\xC6"; // \u7121\u6CD5\u7DF4\u5316
inline constexpr char kTextRefineChooseTwo[] = "\xBD\xD0\xB1N\xA8\xE2\xAD\xD3\xC4\xE6\xA6\xEC\xBF\xEF\xBE\xDC\xAA\xAB\xAB~"; // \u8ACB\u5C07\u5169\u500B\u6B04\u4F4D\u9078\u64C7\u7269\u54C1
inline constexpr char kTextRefineLevelShort[] = "\xB5\xA5\xAF\xC5\xA4\xA3\xA8\xAC \xB5L\xAAk\xADq\xAB\xB4\xAC\xF9"; // \u7B49\u7D1A\u4E0D\u8DB3 \u7121\u6CD5\u8A02\u5951\u7D04
inline constexpr char kTextRefineFieldType[] = "%-8s  %2d\xAF\xC5"; // %-8s  %2d\u7D1A - type name and level
inline constexpr char kTextRefineLevel[] = "%d \xAF\xC5"; // %d \u7D1A
inline constexpr char kTextRefineLife[] = " \xA5\xCD\xA9R  %4d"; //  \u751F\u547D  %4d
inline constexpr char kTextRefineSpirit[] = " \xC6" "F\xA4O  %4d"; //  \u9748\u529B  %4d
inline constexpr char kTextRefineStamina[] = " \xC5\xE9\xA4O  %4d"; //  \u9AD4\u529B  %4d
inline constexpr char kTextRefineAttack[] = " \xA7\xF0\xC0\xBB  %4d"; //  \u653B\u64CA  %4d
inline constexpr char kTextRefineDefence[] = " \xA8\xBE\xBFm  %4d"; //  \u9632\u79A6  %4d
inline constexpr char kTextRefineAgility[] = " \xB1\xD3\xB1\xB6  %4d"; //  \u654F\u6377  %4d
inline constexpr char kTextType0[] = "\xA4\xD1\xAF\xAB"; // \u5929\u795E
inline constexpr char kTextType1[] = "\xC5]\xAF\xAB"; // \u9B54\u795E
inline constexpr char kTextType2[] = "\xA5P\xC6" "F"; // \u4ED9\u9748
inline constexpr char kTextType3[] = "\xAF\xAB\xC3~"; // \u795E\u7378
inline constexpr char kTextType4[] = "\xC5]\xC3~"; // \u9B54\u7378
inline constexpr char kTextType5[] = "\xA7\xAF\xC6" "F"; // \u5996\u9748
inline constexpr char kTextType6[] = "\xBA\xEB\xA9\xC7"; // \u7CBE\u602A
inline constexpr char kTextType7[] = "\xB0\xAD\xBB\xEE"; // \u9B3C\u9B42
inline constexpr char kTextType8[] = "\xAC\xA1\xAB\xCD"; // \u6D3B\u5C4D
inline constexpr char kTextType9[] = "\xB4\xB9\xC4q"; // \u6676\u7926
inline constexpr char kTextType10[] = "\xA5\xCD\xAA\xAB"; // \u751F\u7269
inline constexpr char kTextType11[] = "\xAAZ\xBE\xB9"; // \u6B66\u5668
inline constexpr char kTextType12[] = "\xA8\xBE\xA8\xE3"; // \u9632\u5177
inline constexpr char kTextType13[] = "\xC6" "F\xC3\xC4"; // \u9748\u85E5
inline constexpr char kTextType14[] = "\xB2\xC5\xBE\xB9"; // \u7B26\u5668
inline constexpr char kTextType15[] = "\xBC@\xB1\xA1"; // \u5287\u60C5
inline constexpr char kTextType16[] = "\xAAk\xC4_"; // \u6CD5\u5BF6
inline constexpr char kTextType17[] = "\xA9_\xB3N"; // \u5947\u8853
inline constexpr char kTextType18[] = "\xA4H\xB1\xDA"; // \u4EBA\u65CF
inline constexpr char kTextType19[] = "\xA4\xA3\xAF\xE0\xBDm\xA4\xC6"; // \u4E0D\u80FD\u7DF4\u5316
inline constexpr char kTextType20[] = "\xB5\xB4\xA7\xDE"; // \u7D55\u6280
inline constexpr char kTextType21[] = "\xA9_\xAA\xAB"; // \u5947\u7269
inline constexpr char kTextFeedDirect[] = "\xAA\xBD\xB1\xB5\xC1\xFD\xAD\xB9"; // \u76F4\u63A5\u9935\u98DF
inline constexpr char kTextFeedTooFull[] = "\xA4\xD3\xB9\xA1\xA4" "F \xB5L\xAAk\xC1\xFD\xAD\xB9"; // \u592A\u98FD\u4E86 \u7121\u6CD5\u9935\u98DF
inline constexpr char kTextFeedWrongElement[] = "\xC4\xDD\xA9\xCA\xA4\xA3\xA6X \xB5L\xAAk\xC1\xFD\xAD\xB9"; // \u5C6C\u6027\u4E0D\u5408 \u7121\u6CD5\u9935\u98DF
inline constexpr char kTextFeedNothing[] = "\xB5L"; // \u7121 - the empty list

// The object types' names, by type 0..21.
inline constexpr const char* kTypeNames[22] = {
    kTextType0,  kTextType1,  kTextType2,  kTextType3,  kTextType4,  kTextType5,  kTextType6,  kTextType7,
    kTextType8,  kTextType9,  kTextType10, kTextType11, kTextType12, kTextType13, kTextType14, kTextType15,
    kTextType16, kTextType17, kTextType18, kTextType19, kTextType20, kTextType21,
};
// A type's name, or an empty text for a type outside 0..21.
inline const char* TypeName(int type) { return type >= 0 && type < 22 ? kTypeNames[type] : ""; }
