// The calculator's own dialog template and resources behind a dialog
// procedure that does nothing: what the window system needs to build the
// window, without any of the program's code.
#include <windows.h>

#include "resource.h"

namespace {

INT_PTR CALLBACK TemplateProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM)
{
    if (uMsg == WM_COMMAND && LOWORD(wParam) == IDCANCEL)
        EndDialog(hwnd, 0);
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    DialogBoxParamA(hInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, TemplateProc, 0);
    return 0;
}
