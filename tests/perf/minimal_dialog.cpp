// The smallest dialog program this toolchain makes: the floor against which
// the calculator's start-up is measured.
#include <windows.h>

namespace {

const int kMinimalDialog = 1;

INT_PTR CALLBACK MinimalProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM)
{
    if (uMsg == WM_COMMAND && LOWORD(wParam) == IDCANCEL)
        EndDialog(hwnd, 0);
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    DialogBoxParamA(hInstance, MAKEINTRESOURCEA(kMinimalDialog), nullptr, MinimalProc, 0);
    return 0;
}
