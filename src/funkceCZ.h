// Support functions of the main window.
#pragma once

#include <windows.h>

// Fills the mass presets and sets the window's small icon.
void NaInitDialog(HWND hWnd);

// Tells the user that a field holds no usable number, then releases the
// velocity command's two text buffers.
void fcMesbox(HWND hwndDlg, char* txt1, char* txt2);
