#include "menu/install_place.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "base/settings.h"

namespace {

TEST(InstallPlace, TheFolderNameStandsWhereTheDriveLetterWas) {
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"/home/player/Games/kyv/", "kyv"},
        {"/opt/kyv", "kyv"},
        {"/", "/"},
        {"/games/a-very-long-folder-name/", "a-very-long-"},
        {"/games/\xE5\x8A\x8D/", "???"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", c.path);
        EXPECT_EQ(InstallPlaceName(), c.name);
    }
    std::snprintf(gInstallPath, sizeof gInstallPath, "/opt/kyv/");
    EXPECT_EQ(DiskNeedText(100), "kyv\xBA\xD0 ,\xBB\xDD\xAD\x6E 100MB");
    gInstallPath[0] = 0;
}

} // namespace
