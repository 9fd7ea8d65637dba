// The README names the keys a player needs, and names them as the game's
// default key map and the window's own keys have them.
#include "shell_fixture.h"

#include <fstream>
#include <sstream>
#include <string>

namespace {

// The README's "Keys" section, up to the next heading.
std::string KeysSection() {
    std::ifstream in(SourceRoot() + "README.md");
    std::stringstream text;
    text << in.rdbuf();
    const std::string all = text.str();
    const size_t at = all.find("\n## Keys\n");
    if (at == std::string::npos) return "";
    const size_t end = all.find("\n## ", at + 1);
    return all.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

// The table row whose first cell holds `what`.
std::string RowOf(const std::string& section, const std::string& what) {
    std::istringstream in(section);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("| ", 0) != 0) continue;
        const size_t cellEnd = line.find(" |", 2);
        if (cellEnd != std::string::npos && line.substr(2, cellEnd - 2).find(what) != std::string::npos) return line;
    }
    return "";
}

TEST(ReadmeKeys, TheReadmeNamesTheKeysThatPlay) {
    const std::string section = KeysSection();
    ASSERT_FALSE(section.empty()) << "README.md has no \"## Keys\" section";
    ResetSettings(); // the default key map
    // The default map's keys by their scan code, as the README names them.
    const struct {
        const char* what;
        int slot;   // key-map slot, or -1 for a key of the window itself
        const char* key;
    } cases[] = {
        {"confirm", 1, "Space"}, {"menu", 12, "Enter"},  {"back", 0, "Esc"},  {"run", 16, "R"},
        {"walk", 3, "arrow"},    {"screenshot", -1, "P"}, {"pause", -1, "F8"},
    };
    const struct {
        uint32_t code;
        const char* key;
    } names[] = {{57, "Space"}, {28, "Enter"}, {1, "Esc"}, {19, "R"}, {203, "arrow"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string row = RowOf(section, c.what);
        ASSERT_FALSE(row.empty()) << "no row for " << c.what << " in\n" << section;
        const size_t keyCell = row.rfind("| ", row.size() - 2);
        EXPECT_NE(row.find(c.key, keyCell), std::string::npos) << row;
        if (c.slot < 0) continue;
        bool known = false;
        for (const auto& n : names)
            if (n.code == gKeyMap.k[c.slot]) known = std::string(n.key) == c.key;
        EXPECT_TRUE(known) << "the default key of slot " << c.slot << " is scan code " << gKeyMap.k[c.slot];
    }
}

} // namespace
