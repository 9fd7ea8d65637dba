// The command menus of the commanding member.
#pragma once

void DrawCommandMenu();
