// The item menu's texts as the game's Big5 bytes (generated: each line is
// the text in the comment beside it).
#pragma once

inline constexpr char kTextTabUse[] = "\xA8\xCF\xA5\xCE"; // \u4F7F\u7528 - tab 30
inline constexpr char kTextTabTidy[] = "\xBE\xE3\xB2z"; // \u6574\u7406 - tab 31
inline constexpr char kTextTabDiscard[] = "\xA5\xE1\xB1\xF3"; // \u4E1F\u68C4 - tab 32
inline constexpr char kTextNoItems[] = "\xA8S\xA6\xB3\xAA\xAB\xAB~"; // \u6C92\u6709\u7269\u54C1 - an empty list
inline constexpr char kTextAskDiscard[] = "\xACO\xA7_\xA5\xE1\xB1\xF3"; // \u662F\u5426\u4E1F\u68C4
inline constexpr char kTextYesNo[] = "  \xACO  \xA7_"; //   \u662F  \u5426
inline constexpr char kTextMarkerInUse[] = "\xA8\xCF\xA5\xCE\xA4\xA4 \xADn\xA6^\xA6\xAC\xB6\xDC?"; // \u4F7F\u7528\u4E2D \u8981\u56DE\u6536\u55CE? - a placed marker
inline constexpr char kTextMarkerIdle[] = "\xB6\xA2\xB8m\xA4\xA4 \xADn\xA8\xCF\xA5\xCE\xB6\xDC?"; // \u9592\u7F6E\u4E2D \u8981\u4F7F\u7528\u55CE? - an idle marker
inline constexpr char kTextConfirmGiveUp[] = "\xBDT\xA9w  \xA9\xF1\xB1\xF3"; // \u78BA\u5B9A  \u653E\u68C4
inline constexpr char kTextCannotUseHere[] = "\xA6\xB9\xA6" "a\xB5L\xAAk\xA8\xCF\xA5\xCE"; // \u6B64\u5730\u7121\u6CD5\u4F7F\u7528 - the default refusal
inline constexpr char kTextMarkerCaption[] = "\xC6" "F\xAC\xC9\xAB\xFC\xBC\xD0\xB0\xDD\xC3" "D"; // \u9748\u754C\u6307\u6A19\u554F\u984C - error caption
inline constexpr char kTextMarkerMissing[] = "Maps\xA7\xE4\xA4\xA3\xA8\xEC\xB3o\xAD\xD3\xAB\xFC\xBC\xD0 [%d] [\xA8\xA4\xA6\xE2\xB8\xB9\xBDX\xA7\xE4\xA4\xA3\xA8\xEC %d]"; // Maps\u627E\u4E0D\u5230\u9019\u500B\u6307\u6A19 [%d] [\u89D2\u8272\u865F\u78BC\u627E\u4E0D\u5230 %d]
