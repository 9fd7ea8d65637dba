// The shop's texts as the game's Big5 bytes (generated: each line is the
// text in the comment beside it).
#pragma once

inline constexpr char kShopTextBuy[] = "\xB6R"; // \u8CB7
inline constexpr char kShopTextSell[] = "\xBD\xE6"; // \u8CE3
inline constexpr char kShopTextGreeting[] = "\xAB\xC8\xAD\xBE \xB1z\xADn\xB6R\xAA" "F\xA6\xE8\xC1\xD9\xACO\xBD\xE6\xAA" "F\xA6\xE8"; // \u5BA2\u500C \u60A8\u8981\u8CB7\u6771\u897F\u9084\u662F\u8CE3\u6771\u897F - the choice box
inline constexpr char kShopTextChoices[] = "\xB6R   \xBD\xE6   \xC2\xF7\xB6}"; // \u8CB7   \u8CE3   \u96E2\u958B
inline constexpr char kShopTextAskBuy[] = "\xC1`\xA6@\xACO %d \xBB\xC8\xA8\xE2 \xADn\xB6R\xB6\xDC?"; // \u7E3D\u5171\u662F %d \u9280\u5169 \u8981\u8CB7\u55CE? - the question of a purchase
inline constexpr char kShopTextAskSell[] = "\xC1`\xA6@\xACO %d \xBB\xC8\xA8\xE2 \xADn\xBD\xE6\xB6\xDC?"; // \u7E3D\u5171\u662F %d \u9280\u5169 \u8981\u8CE3\u55CE? - the question of a sale
inline constexpr char kShopTextAskEquip[] = "\xADn\xB0\xA8\xA4W\xB8\xCB\xB3\xC6\xB6\xDC?"; // \u8981\u99AC\u4E0A\u88DD\u5099\u55CE? - after buying equipment
inline constexpr char kShopTextNoMoney[] = "\xBF\xFA\xB1" "a\xA6h\xA4@\xC2I\xA6" "A\xA8\xD3\xA7" "a"; // \u9322\u5E36\u591A\u4E00\u9EDE\u518D\u4F86\u5427 - not enough money
inline constexpr char kShopTextYesNo[] = "\xBDT\xA9w  \xA9\xF1\xB1\xF3"; // \u78BA\u5B9A  \u653E\u68C4
inline constexpr char kShopTextYesNoEquip[] = " \xBDT\xA9w  \xA9\xF1\xB1\xF3 "; //  \u78BA\u5B9A  \u653E\u68C4 
inline constexpr char kShopCaptionStock[] = "\xB0\xD3\xA9\xB1\xA6s\xB3" "f\xB3]\xA9w"; // \u5546\u5E97\u5B58\u8CA8\u8A2D\u5B9A - error caption
inline constexpr char kShopTextNoObject[] = "\xA8S\xA6\xB3\xA9w\xB8q\xAA\xAB\xAB~\xB8\xB9\xBDX(%d)"; // \u6C92\u6709\u5B9A\u7FA9\u7269\u54C1\u865F\u78BC(%d)
inline constexpr char kShopTitleBuy[] = "\xC1\xCA\xB6R"; // \u8CFC\u8CB7 - list titles
inline constexpr char kShopTitleSell[] = "\xBD\xE6\xA5X"; // \u8CE3\u51FA
inline constexpr char kShopTextAttack[] = "\xA7\xF0"; // \u653B - the comparison
inline constexpr char kShopTextDefence[] = "\xA8\xBE"; // \u9632
inline constexpr char kShopTextTotal[] = "\xC1`\xBB\xF9 %d \xBEl\xC3" "B %d"; // \u7E3D\u50F9 %d \u9918\u984D %d - the total and the money left
inline constexpr char kShopTextRun[] = "\xB0\xF5\xA6\xE6"; // \u57F7\u884C - the button
