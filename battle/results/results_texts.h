// The result pages' texts, as Big5 bytes.
#pragma once

inline constexpr char kVictoryTitle[] = "\xBE\xD4\xB0\xAB\xB3\xD3\xA7Q";                                // 戰鬥勝利
inline constexpr char kVictoryExpText[] = "\xA8" "C\xA4H\xB1o\xA8\xEC\xB8g\xC5\xE7\xAD\xC8:%d";       // 每人得到經驗值:%d
inline constexpr char kVictorySilverText[] = "\xB1o\xA8\xEC\xBB\xC8\xA8\xE2:%d";                       // 得到銀兩:%d
inline constexpr char kVictoryTreasureText[] = "\xB1o\xA8\xEC\xAAk\xC4_\xB8g\xC5\xE7\xAD\xC8:%d";      // 得到法寶經驗值:%d
inline constexpr char kLevelUpTitle[] = "\xA4\xC9\xAF\xC5";                                            // 升級
inline constexpr char kLevelUpText[] = "%s\xA4\xC9\xB2\xC4%d\xAF\xC5";                                 // %s升第%d級
inline constexpr const char* kStatTexts[7] = {
    "\xA5\xCD\xA9R\xA4O:%4d",      // 生命力
    "\xC6" "F  \xA4O:%4d",         // 靈  力
    "\xC5\xE9  \xA4O:%4d",         // 體  力
    "\xA4O  \xB6q:%4d",            // 力  量
    "\xAD@  \xA4O:%4d",            // 耐  力
    "\xB4\xBC  \xBCz:%4d",         // 智  慧
    "\xB1\xD3  \xB1\xB6:%4d",      // 敏  捷
};
inline constexpr char kStatArrow[] = " ==> ";
inline constexpr char kNewArtTitle[] = "%s\xBE\xC7\xA8\xEC\xB7s\xA9_\xB3N";                            // %s學到新奇術
inline constexpr char kNewSkillTitle[] = "%s\xBE\xC7\xA8\xEC\xB7s\xB5\xB4\xA7\xDE";                    // %s學到新絕技
inline constexpr char kBracketText[] = "[%s]";
inline constexpr char kTreasureWord[] = "\xAAk\xC4_";                                                  // 法寶
inline constexpr char kTurnedIntoWord[] = "\xC2\xE0\xA4\xC6\xAC\xB0";                                  // 轉化為
inline constexpr char kTreasureGrownText[] = "\xAAk\xC4_%s\xA4w\xA7\xB9\xA5\xFE\xA6\xA8\xAA\xF8!!";    // 法寶%s已完全成長!!
inline constexpr char kSpoilsTitle[] = "\xBE\xD4\xA7Q\xAB~";                                           // 戰利品
inline constexpr char kSpoilLine[] = "%-12s X %2d";
inline constexpr char kDefeatTitle[] = "\xBE\xD4\xB0\xAB\xA5\xA2\xB1\xD1";                             // 戰鬥失敗
inline constexpr char kDefeatText[] = "\xB6\xA4\xA5\xEE\xA5\xFE\xB7\xC0!!";                            // 隊伍全滅!!
inline constexpr char kTalismanMadeTitle[] = "\xB7\xD2\xB2\xC5\xA6\xA8\xA5\x5C";                       // 煉符成功
inline constexpr char kTalismanMadeText[] = "\xB1o\xA8\xEC\xB2\xC5\xA9G:%s";                           // 得到符咒:%s
inline constexpr char kTalismanFailTitle[] = "\xB7\xD2\xB2\xC5\xA5\xA2\xB1\xD1";                       // 煉符失敗
inline constexpr char kTalismanFailText[] = "\xA8S\xA6\xB3\xB1o\xA8\xEC\xAA" "F\xA6\xE8";             // 沒有得到東西
