// The HUD's and the command panels' texts, as the game stores them (Big5).
#pragma once

constexpr char kTextAttackColon[] = "\xA7\xF0:";  // 攻:
constexpr char kTextDefenceColon[] = "\xA8\xBE:";  // 防:
constexpr char kTextSpeedColon[] = "\xB1\xD3:";  // 敏:
constexpr char kTextAttack1[] = "\xA7\xF0";  // 攻
constexpr char kTextDefence1[] = "\xA8\xBE";  // 防
constexpr char kTextSpeed1[] = "\xB1\xD3";  // 敏
constexpr char kTextGoOn[] = "\xC4~\xC4\xF2";  // 繼續
constexpr char kTextRelease[] = "\xA9\xF1\xABl";  // 放勁
constexpr char kTextAuto[] = "\xA6\xDB\xB0\xCA\xA7\xF0\xC0\xBB";  // 自動攻擊
constexpr char kTextNone[] = "\xB5L";  // 無
constexpr char kTextLifeOf[] = "\xA5\xCD\xA9R:%d/%d";  // 生命:%d/%d
constexpr char kTextExpBonus[] = "\xA6\xB9\xB3\xF5\xBE\xD4\xB0\xAB\xB8g\xC5\xE7\xAD\xC8\xA5[\xA6\xCA\xA4\xC0\xA4\xA7%d";  // 此場戰鬥經驗值加百分之%d
constexpr char kTextMoneyFactor[] = "\xA6\xB9\xB3\xF5\xBE\xD4\xB0\xAB\xAA\xF7\xBF\xFA\xC5\xDC%d\xAD\xBF";  // 此場戰鬥金錢變%d倍
constexpr char kTextTreasureExp[] = "\xC0s\xA6|\xAAk\xC4_\xA5[%d\xC2I\xC3" "B\xA5~\xB8g\xC5\xE7";  // 龍帆法寶加%d點額外經驗
constexpr char kTextThrow[] = "\xA7\xEB\xC2Y";  // 投擲
constexpr char kTextSkills[] = "\xB5\xB4\xA7\xDE";  // 絕技
constexpr char kTextTalisman[] = "\xB7\xD2\xB2\xC5";  // 煉符
constexpr char kTextFuse[] = "\xBF\xC4\xA6X";  // 融合
constexpr char kTextLure[] = "\xBB\xA4\xBB\xE7";  // 誘餌
constexpr char kTextPlaceGuards[] = "\xA7G\xB8m\xC5@\xBEr";  // 佈置護駕
constexpr char kTextFuseGuards[] = "\xC5@\xBEr\xBF\xC4\xA6X";  // 護駕融合
constexpr char kTextControl[] = "\xB1\xB1\xA8\xEE";  // 控制
constexpr char kTextSpecial[] = "\xAFS\xAE\xED%d";  // 特殊%d
constexpr char kTextFree[] = "\xC4\xC0\xA9\xF1";  // 釋放
constexpr char kTextAttack[] = "\xA7\xF0\xC0\xBB";  // 攻擊

constexpr const char* kCommandLabels[5] = {
    "\xA7\xF0\xC0\xBB",  // 攻擊
    "\xA9_\xB3N",  // 奇術
    "\xAA\xAB\xAB~",  // 物品
    "\xB5\xB4\xA7\xDE",  // 絕技
    "\xA8\xBE\xBFm",  // 防禦
};
constexpr const char* kOrderNames[8] = {
    "\xA6\xDB\xA5\xD1\xA7\xF0\xC0\xBB",  // 自由攻擊
    "\xABO\xA6s\xC6" "F\xA4O",  // 保存靈力
    "\xC6" "F\xA4O\xA7\xF0\xC0\xBB",  // 靈力攻擊
    "\xABO\xC5@\xA5" "D\xA4H",  // 保護主人
    "\xA7\xF0\xC0\xBB\xAEz\xAA\xCC",  // 攻擊弱者
    "\xA7\xF0\xC0\xBB\xB1j\xAA\xCC",  // 攻擊強者
    "\xB4\xA9\xA7U\xB9\xD9\xA6\xF1",  // 援助夥伴
    "\xC2\xEA\xA9w\xA5\xD8\xBC\xD0",  // 鎖定目標
};
constexpr const char* kCaptureLabels[2] = {
    "\xA6\xAC\xA4\xC6",  // 收化
    "\xBB\xA4\xBB\xE7",  // 誘餌
};
constexpr const char* kElementNames[5] = {
    "\xAA\xF7",  // 金
    "\xA4\xEC",  // 木
    "\xA4\xF4",  // 水
    "\xA4\xF5",  // 火
    "\xA4g",  // 土
};
