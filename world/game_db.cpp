#include "world/game_db.h"

#include <string>
#include <vector>

#include "base/errorbox.h"
#include "base/settings.h"
#include "platform/plat_system.h"
#include "world/script/path_run.h"

cFile RoleHandle, PathHandle, TalkHandle;
const uint8_t* gPathData = nullptr;
uint32_t gPathDataSize = 0;

namespace {

constexpr char kTitle[] = "KYV3";

bool OpenRead(cFile& file, const char* name) {
    std::string path = std::string(gInstallPath) + name;
    return file.Open(path.c_str(), kOpenExisting, kGenericRead) != 0;
}

// The file is mapped whole (gPathData) and the path scripts take their
// bounded copy of it; a file without a table leaves no scripts, and each role
// that names a path reports it once when its script would run.
bool MapPaths() {
    if (!PathHandle.CreateMapping()) return false;
    gPathData = static_cast<const uint8_t*>(PathHandle.MapView(0, 0));
    gPathDataSize = gPathData ? PathHandle.GetSize() : 0;
    if (!gPathData) return false;
    SetPathDatabase(std::vector<uint8_t>(gPathData, gPathData + gPathDataSize));
    return true;
}

} // namespace

int OpenDataBases() {
    CloseDataBases();
    if (!OpenRead(RoleHandle, "maps.dat")) {
        ErrorBox(kTitle, "RoleDataBase init Failed.");
        return 0;
    }
    if (!OpenRead(PathHandle, "path.dat") || !MapPaths()) {
        ErrorBox(kTitle, "PathDataBase init Failed.");
        return 0;
    }
    if (!OpenRead(TalkHandle, "talk1.dat")) {
        PlatMessageBox(kTitle, "StoryDataBase init Failed.", kMsgButtonsOk);
        return 0;
    }
    return 1;
}

void CloseDataBases() {
    if (RoleHandle.IsOpen() && !RoleHandle.Close()) TraceHook("ReleaseGame : RoleHandle.Close");
    if (gPathData && !PathHandle.CloseView(gPathData)) TraceHook("ReleaseGame : PathHandle.CloseView");
    gPathData = nullptr;
    gPathDataSize = 0;
    SetPathDatabase({});
    if (PathHandle.IsOpen()) {
        PathHandle.CloseMapping();
        if (!PathHandle.Close()) TraceHook("ReleaseGame : PathHandle.Close");
    }
    if (TalkHandle.IsOpen() && !TalkHandle.Close()) TraceHook("ReleaseGame : TalkHandle.Close");
}
