#include "dlgAbout.h"

#include <cstring>
#include <shellapi.h>

#include "maker.h"
#include "resource.h"
#include "version.h"

namespace {

const COLORREF kLinkColour = RGB(0, 0, 255);
// Where the home-page address stands, in the box's dialog units: 160, 140
// pixels with the dialog font of 96 DPI, and with a larger font (large
// fonts, 120 DPI) as far in as the controls around it.
const RECT kHomePage = {80, 70, 0, 0};

INT_PTR OnInitDialog(HWND hwndDlgAbout)
{
    SetWindowTextA(GetDlgItem(hwndDlgAbout, IDC_ABOUT_NAME), ORBELA_NAME_VERSION);
    return FALSE;
}

// The home-page address is painted text, underlined in the link colour.
INT_PTR OnPaint(HWND hwndDlgAbout)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwndDlgAbout, &ps);

    LOGFONTA logFont;
    memset(&logFont, 0, sizeof logFont);
    logFont.lfUnderline = 1;
    strcpy(logFont.lfFaceName, "system");
    HFONT hFont = CreateFontIndirectA(&logFont);
    HGDIOBJ hOldFont = SelectObject(hdc, hFont);

    SetTextColor(hdc, kLinkColour);
    SetBkMode(hdc, TRANSPARENT);
    RECT at = kHomePage;
    MapDialogRect(hwndDlgAbout, &at);
    TextOutA(hdc, at.left, at.top, MAKER_HOME_PAGE, sizeof MAKER_HOME_PAGE - 1);

    SelectObject(hdc, hOldFont);
    DeleteObject(hFont);
    EndPaint(hwndDlgAbout, &ps);
    return FALSE;
}

INT_PTR OnLButtonDown(HWND hwndDlgAbout)
{
    ShellExecuteA(hwndDlgAbout, nullptr, MAKER_LISTING_PAGE, nullptr, nullptr, SW_SHOWNORMAL);
    return FALSE;
}

INT_PTR OnCommand(HWND hwndDlgAbout, WORD wId, WORD wNotify)
{
    switch (wId) {
    case IDOK:
        EndDialog(hwndDlgAbout, IDOK);
        break;
    case IDC_ABOUT_MAIL:
        if (wNotify == BN_CLICKED)
            ShellExecuteA(nullptr, "open", "mailto:" MAKER_MAIL, nullptr, nullptr, SW_SHOWNORMAL);
        break;
    }
    return FALSE;
}

INT_PTR OnClose(HWND hwndDlgAbout)
{
    EndDialog(hwndDlgAbout, 0);
    return FALSE;
}

// The box keeps the dialog's own background brush.
INT_PTR OnCtlColorDlg(HDC hdc)
{
    SetBkMode(hdc, TRANSPARENT);
    return FALSE;
}

// Esc (IDCANCEL) is deliberately ignored: only OK, Enter and a close
// request end the box.
INT_PTR CALLBACK DialogAboutProc(HWND hwndDlgAbout, UINT uMsg, WPARAM wParam, LPARAM)
{
    switch (uMsg) {
    case WM_INITDIALOG:  return OnInitDialog(hwndDlgAbout);
    case WM_PAINT:       return OnPaint(hwndDlgAbout);
    case WM_LBUTTONDOWN: return OnLButtonDown(hwndDlgAbout);
    case WM_COMMAND:     return OnCommand(hwndDlgAbout, LOWORD(wParam), HIWORD(wParam));
    case WM_CLOSE:       return OnClose(hwndDlgAbout);
    case WM_CTLCOLORDLG: return OnCtlColorDlg(reinterpret_cast<HDC>(wParam));
    }
    return FALSE;
}

} // namespace

void OpenAboutBox(HWND hwndOwner)
{
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), hwndOwner,
                    DialogAboutProc, 0);
}
