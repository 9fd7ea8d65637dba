// The party roles' own texts, as Big5 bytes.
#pragma once

#include "battle/role/act_texts.h"

// "戰鬥角色actNumber為0!!", "護駕actNumber為0!!", "符鬼actNumber為0!!"
inline constexpr char kMemberNoSpriteText[] = "\xBE\xD4\xB0\xAB\xA8\xA4\xA6\xE2" "actNumber\xAC\xB0" "0!!";
inline constexpr char kGuardNoSpriteText[] = "\xC5@\xBE\x72" "actNumber\xAC\xB0" "0!!";
inline constexpr char kSpiritNoSpriteText[] = "\xB2\xC5\xB0\xAD" "actNumber\xAC\xB0" "0!!";
// "武器%d號的強攻擊act沒設!!"
inline constexpr char kWeaponNoStrongActText[] = "\xAAZ\xBE\xB9%d\xB8\xB9\xAA\xBA\xB1j\xA7\xF0\xC0\xBB" "act\xA8S\xB3]!!";
// "龍帆法寶升級"
inline constexpr char kTreasureLevelUpText[] = "\xC0s\xA6|\xAAk\xC4_\xA4\xC9\xAF\xC5";
// "物品不夠!!", "靈力值不夠!!", "體力值不夠!!"
inline constexpr char kNoItemText[] = "\xAA\xAB\xAB~\xA4\xA3\xB0\xF7!!";
inline constexpr char kNoSpiritText[] = "\xC6" "F\xA4O\xAD\xC8\xA4\xA3\xB0\xF7!!";
inline constexpr char kNoStaminaText[] = "\xC5\xE9\xA4O\xAD\xC8\xA4\xA3\xB0\xF7!!";
