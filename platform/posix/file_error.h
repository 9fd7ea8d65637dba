// The failure text that every Plat file call leaves behind.
#pragma once

// Keeps the system's text for errno value err as this thread's last error.
void PosixSetError(int err);
