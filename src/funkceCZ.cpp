#include "funkceCZ.h"

#include "resource.h"

void NaInitDialog(HWND hWnd)
{
    SendDlgItemMessageA(hWnd, IDC_MASS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Země 5.98e24"));
    SendDlgItemMessageA(hWnd, IDC_MASS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Slunce 1.987e30"));

    HICON hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_SMALL));
    SendMessageA(hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hIcon));
}

void fcMesbox(HWND hwndDlg, char* txt1, char* txt2)
{
    MessageBoxA(hwndDlg, "Zadejte do pole číslici", "chyba", MB_OK);
    GlobalFree(txt1);
    GlobalFree(txt2);
}
