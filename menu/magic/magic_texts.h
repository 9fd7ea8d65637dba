// The magic page's texts as the game's Big5 bytes (generated: each line is
// the text in the comment beside it).
#pragma once

inline constexpr char kTextNotHere[] = "\xA6\xB9\xA6" "a\xB5L\xAAk\xA8\xCF\xA5\xCE"; // \u6B64\u5730\u7121\u6CD5\u4F7F\u7528 - the refusal when the story gave none
