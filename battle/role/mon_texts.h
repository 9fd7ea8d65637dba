// The enemy roles' own texts, as Big5 bytes.
#pragma once

// "逃跑失敗!!" after the enemy's name
inline constexpr char kEscapeFailedText[] = "\xB0k\xB6]\xA5\xA2\xB1\xD1!!";
// "Attack Act" / "Special Act" / "Leave Act" with "[%s]QQ:%d號錯誤!!"
inline constexpr char kMonAttackActCaption[] = "Attack Act";
inline constexpr char kMonSpecialActCaption[] = "Special Act";
inline constexpr char kMonActErrorText[] = "[%s]QQ:%d\xB8\xB9\xBF\xF9\xBB~!!";
