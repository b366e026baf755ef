// A dialog program with no code of its own: the template IDD_MAIN behind a
// procedure that only closes it. Linked with a one-button template it is the
// minimal dialog program; linked with the calculator's resources it shows
// what the window system needs to build the calculator's window.
#include <windows.h>

#include "resource.h"

namespace {

INT_PTR CALLBACK FloorProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM)
{
    if (uMsg == WM_COMMAND && LOWORD(wParam) == IDCANCEL)
        EndDialog(hwnd, 0);
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    DialogBoxParamA(hInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, FloorProc, 0);
    return 0;
}
