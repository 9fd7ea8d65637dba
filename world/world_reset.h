// One reset of the world's map state for tests: the archive and its tables,
// the map cache's state, the current map, the roles and their draw order,
// the camera, the renderer's and the effects' state.
#pragma once

void ResetWorld();
