// The texts of a role's act that cannot be played, shared by the party's
// and the enemies' players.
#pragma once

inline constexpr char kAttackActCaption[] = "Attack Act";
// "[%s]QQ:%d號錯誤!!"
inline constexpr char kActErrorText[] = "[%s]QQ:%d\xB8\xB9\xBF\xF9\xBB~!!";
