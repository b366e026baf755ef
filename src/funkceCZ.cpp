#include "funkceCZ.h"

#include "cp1250.h"
#include "resource.h"

namespace {

constexpr auto kEarth = cp1250(u8"Země 5.98e24");
constexpr auto kSun = cp1250(u8"Slunce 1.987e30");
constexpr auto kInputError = cp1250(u8"Zadejte do pole číslici");
constexpr auto kInputErrorCaption = cp1250(u8"chyba");

} // namespace

void NaInitDialog(HWND hWnd)
{
    SendDlgItemMessageA(hWnd, IDC_MASS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kEarth.text));
    SendDlgItemMessageA(hWnd, IDC_MASS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kSun.text));

    HICON hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_SMALL));
    SendMessageA(hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hIcon));
}

void fcMesbox(HWND hwndDlg, char* txt1, char* txt2)
{
    MessageBoxA(hwndDlg, kInputError, kInputErrorCaption, MB_OK);
    GlobalFree(txt1);
    GlobalFree(txt2);
}
