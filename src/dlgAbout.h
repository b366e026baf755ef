// The About box: the program's name and version and the maker's links.
#pragma once

#include <windows.h>

// Runs the About box modally, owned by hwndOwner.
void OpenAboutBox(HWND hwndOwner);
