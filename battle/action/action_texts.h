// The texts of the command application, as Big5 bytes.
#pragma once

// The retreat's and the returned items' texts are the turns'.
#include "battle/turn/turn_texts.h"

// "收化成功"
inline constexpr char kCaptureOkText[] = "\xA6\xAC\xA4\xC6\xA6\xA8\xA5\x5C";
// "收化失敗"
inline constexpr char kCaptureFailText[] = "\xA6\xAC\xA4\xC6\xA5\xA2\xB1\xD1";
// "撤退成功!!"
inline constexpr char kFleeOkText[] = "\xBAM\xB0h\xA6\xA8\xA5\x5C!!";
// "敵人身上無任何物品!!"
inline constexpr char kStealNothingText[] = "\xBC\xC4\xA4H\xA8\xAD\xA4W\xB5L\xA5\xF4\xA6\xF3\xAA\xAB\xAB~!!";
// "偷竊失敗!!"
inline constexpr char kStealFailText[] = "\xB0\xBD\xC5\xD1\xA5\xA2\xB1\xD1!!";
// "成功偷到[%s]!!"
inline constexpr char kStealOkText[] = "\xA6\xA8\xA5\x5C\xB0\xBD\xA8\xEC[%s]!!";
// "控制失敗!!"
inline constexpr char kControlFailText[] = "\xB1\xB1\xA8\xEE\xA5\xA2\xB1\xD1!!";
// "控制成功!!"
inline constexpr char kControlOkText[] = "\xB1\xB1\xA8\xEE\xA6\xA8\xA5\x5C!!";
// "敵人成功偷走了[%s]"
inline constexpr char kEnemyStoleText[] = "\xBC\xC4\xA4H\xA6\xA8\xA5\x5C\xB0\xBD\xA8\xAB\xA4" "F[%s]";
// "偷竊失敗"
inline constexpr char kEnemyStealFailText[] = "\xB0\xBD\xC5\xD1\xA5\xA2\xB1\xD1";
