// Texts of the map modules, as Big5 bytes.
#pragma once

inline constexpr const char kTextOldFormatMap[] = "\xA6" "a\xB9\xCF[%d]\xACO\xC2\xC2\xAE\xE6\xA6\xA1";
inline constexpr const char kCaptionLoadMap3[] = "LoadMap3";
inline constexpr const char kTextOldPixelLayer[] = "\xB3o\xA6" "a\xB9\xCF\xACO\xC2\xC2\xAE\xE6\xA6\xA1";
inline constexpr const char kCaptionMapCache[] = "\xA6" "a\xB9\xCF\xA7\xD6\xA8\xFA\xBBs\xA7@";
inline constexpr const char kTextBadBattleGroup[] = "\xBF\xF9\xBB~\xAA\xBA\xBE\xD4\xB0\xAB\xBE\xF7\xB2v\xB2\xD5[%d]";
inline constexpr const char kCaptionLoadMap[] = "\xB8\xFC\xA4J\xA6" "a\xB9\xCF";
inline constexpr const char kTextNoStartMap[] = "\xA7\xE4\xA4\xA3\xA8\xEC\xB3]\xA9w\xAA\xBA\xB0_\xA9l\xA6" "a\xB9\xCF\xBDX (%d)";
inline constexpr const char kCaptionGameStart[] = "\xB9" "C\xC0\xB8\xAA\xEC\xA9l";
inline constexpr const char kTextLoadFailed[] = "\xB9L\xB5{\xB5o\xA5\xCD\xBF\xF9\xBB~";
inline constexpr const char kTextNoMapName[] = "MapName.txt\xA4\xA4\xA7\xE4\xA4\xA3\xA8\xEC\xA6" "a\xB9\xCF[%d]\xA6W\xBA\xD9";
inline constexpr const char kCaptionMapName[] = "\xC5\xAA\xA8\xFA\xA6" "a\xB9\xCF\xA6W\xBA\xD9";
inline constexpr const char kTextUnknownName[] = "\xA4\xA3\xAA\xBE\xB9" "D";
inline constexpr const char kTextDuplicateRole[] = "\xAD\xAB\xBD\xC6\xA9w\xB8q\xA8\xA4\xA6\xE2(%d)";
inline constexpr const char kCaptionReadRoles[] = "\xC5\xAA\xA8\xFA\xB8\xF4\xA4H";
inline constexpr const char kTextRoleOutside[] = "\xA6" "a\xB9\xCF(%d)\xB1\xD2\xB0\xCA\xB9\xEF\xB8\xDC(%d)\n\xB8\xF4\xA4H(%d)\xA6\xEC\xB8m\xB6W\xA5X\xA6" "a\xB9\xCF\n\xA6" "a\xB9\xCF(%d,%d)\n\xB8\xF4\xA4H(%d,%d)";
inline constexpr const char kTextTooManyChimneys[] = "\xA6" "a\xB9\xCF(%d)\xA9w\xB8q\xB7\xCF\xA7w\xAA\xAB\xA5\xF3\xBC\xC6\xB6q\xB6W\xB9L\xA5|\xAD\xD3";
inline constexpr const char kTextActErrGuid[] = "\xB3]\xA9w\xBF\xF9\xBB~ GUID[%d]\nact[%d] qq[%d] dir[%d]";
inline constexpr const char kTextActErr[] = "\xB3]\xA9w\xBF\xF9\xBB~ \nact[%d] qq[%d] dir[%d]";
// The map's debug overlay.
inline constexpr const char kTextOverlayMusic[] = "[%d/%d][%d/%d][playing/%d][mode/%s],\xB3\xF5\xB4\xBA%s,\xBC@\xB1\xA1%s";
inline constexpr const char kTextOverlayNoPoint[] = "\xBF\xF9\xBB~\xAA\xBA\xA6" "a\xB9\xCF\xBC@\xB1\xA1\xB8\xB9\xBDX (%d)";
inline constexpr const char kTextOverlayPoint[] = "\xBC@\xB1\xA1\xB8\xB9\xBDX[%d] [%d,%s] [%d,%s]";
inline constexpr const char kTextOverlayClickable[] = "\xA5i\xC2I\xBF\xEF";
inline constexpr const char kTextOverlayNotClickable[] = "\xA4\xA3\xA5i\xC2I\xBF\xEF";
inline constexpr const char kTextOverlayPassable[] = "\xA5i\xB3q\xB9L";
inline constexpr const char kTextOverlayNotPassable[] = "\xA4\xA3\xA5i\xB3q\xB9L";
inline constexpr const char kTextOverlayRole[] = "\xA8\xA4\xA6\xE2 [GUID %d] [act %d] [qq %d] [dir %d] [1v%d][2v%d]";
inline constexpr const char kTextOverlayOverlap[] = "\xA8\xA4\xA6\xE2\xAD\xAB\xC5|";
