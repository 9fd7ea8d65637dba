// The installer's command line and the start-up environment.
#pragma once
#include <cstdint>

// 1 when the command line was the installer's call (a digit for the install
// kind, then the install folder): the default settings file has been
// written and the program must end. 0 for a normal start.
int RunSetupCommand(const char* commandLine);

// Reads the settings, sizes the memory budget, checks the map cache and
// makes the install sub-folders.
void SetupEnvironment();

// The picture-pack cache limit from the machine's memory. Returns 1.
int SetMemoryBudget();
extern uint32_t gMemoryBudget;

// The sub-folders every install has, in the order they are made.
extern const char* const kInstallSubFolders[5];
