// The equipment page's texts as the game's Big5 bytes (generated: each
// line is the text in the comment beside it).
#pragma once

inline constexpr char kTextNoBareHands[] = "\xB5L\xAAk\xAA\xC5\xA4\xE2\xBE\xD4\xB0\xAB"; // \u7121\u6CD5\u7A7A\u624B\u6230\u9B25 - the weapon cannot be taken off
inline constexpr char kTextReturnCaption[] = "\xB8\xCB\xB3\xC6\xB9" "D\xA8\xE3\xC2k\xC1\xD9"; // \u88DD\u5099\u9053\u5177\u6B78\u9084 - caption: a worn item goes back
inline constexpr char kTextWrongKind[] = "\xA8\xF8\xA4U\xA4" "F\xBA\xD8\xC3\xFE\xA4\xA3\xB2\xC5\xAA\xBA\xB8\xCB\xB3\xC6(%d)"; // \u5378\u4E0B\u4E86\u7A2E\u985E\u4E0D\u7B26\u7684\u88DD\u5099(%d) - a worn item did not fit its slot
inline constexpr char kTextSlotWeapon[] = "\xAAZ\xBE\xB9"; // \u6B66\u5668
inline constexpr char kTextSlotHead[] = "\xC0Y\xB3\xA1"; // \u982D\u90E8
inline constexpr char kTextSlotBody[] = "\xA8\xAD\xC5\xE9"; // \u8EAB\u9AD4
inline constexpr char kTextSlotHands[] = "\xA4\xE2\xB3\xA1"; // \u624B\u90E8
inline constexpr char kTextSlotFeet[] = "\xA8\xAC\xB3\xA1"; // \u8DB3\u90E8
inline constexpr char kTextSlotTrinket[] = "\xB9\xA2\xAB~"; // \u98FE\u54C1
inline constexpr char kTextSlotTalisman[] = "\xAAk\xC4_"; // \u6CD5\u5BF6
inline constexpr char kTextSlotGuard[] = "\xC5@\xBEr"; // \u8B77\u99D5
inline constexpr char kTextSlotBlank[] = "    "; //      - second slot of a kind
inline constexpr char kTextEquipAttack[] = " \xA7\xF0\xC0\xBB"; //  \u653B\u64CA
inline constexpr char kTextEquipDefence[] = " \xA8\xBE\xBFm"; //  \u9632\u79A6
inline constexpr char kTextEquipAgility[] = " \xB1\xD3\xB1\xB6"; //  \u654F\u6377
inline constexpr char kTextEquipSkill[] = " \xBC\xF4\xBDm"; //  \u719F\u7DF4 - weapon use
inline constexpr char kTextEquipGrowth[] = " \xA6\xA8\xAA\xF8"; //  \u6210\u9577 - talisman growth
inline constexpr char kTextEquipKnown[] = " \xBF\xEB\xC3\xD1"; //  \u8FA8\u8B58 - guard knowledge
inline constexpr char kTextNoItems[] = "\xA8S\xA6\xB3\xAA\xAB\xAB~"; // \u6C92\u6709\u7269\u54C1 - no candidate
