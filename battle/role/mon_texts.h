// The enemy roles' own texts, as Big5 bytes.
#pragma once

#include "battle/role/act_texts.h"

// "逃跑失敗!!" after the enemy's name
inline constexpr char kEscapeFailedText[] = "\xB0k\xB6]\xA5\xA2\xB1\xD1!!";
inline constexpr char kMonSpecialActCaption[] = "Special Act";
