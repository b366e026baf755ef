// ORBELA_XB: the first and second cosmic velocity for a given distance from
// the centre of a central body and for its mass.
//
// The whole program is one modal dialog box. The controls hold all of its
// state; this file carries texts between them and the velocity core.

#include <windows.h>

#include "cp1250.h"
#include "dlgAbout.h"
#include "funkceCZ.h"
#include "resource.h"
#include "velocity.h"
#include "version.h"

namespace {

// Each text of a velocity command is read into a buffer of this size.
const SIZE_T kTextBufferSize = 65536;

const COLORREF kTitleColour  = RGB(255, 255, 160);
const COLORREF kResultColour = RGB(255, 0, 160);
const COLORREF kLabelColour  = RGB(0, 0, 255);

// The title's character height in dialog units: 22 pixels with the dialog
// font of 96 DPI, and as much larger as a larger font makes the window.
const RECT kTitleHeight = {0, 0, 0, 11};

// The texts of the message boxes, captions and texts, in Windows-1250.
constexpr auto kDefinition1Caption = cp1250(u8"Prvni kosm.rychlost");
constexpr auto kDefinition1 = cp1250(
    u8"1. kosmická rychlost - rychlost, jíž by obíhalo těleso\n"
    " zanedbatelné hmotnosti po kruhové dráze, obvykle\n"
    " na úrovni povrchu tělesa.");
constexpr auto kDefinition2Caption = cp1250(u8"Druhá kosm.rychlost");
constexpr auto kDefinition2 = cp1250(
    u8"2. kosmická rychlost - minimální úniková rychlost.");
constexpr auto kDefinition3Caption = cp1250(u8"Třetí kosm.rychlost");
constexpr auto kDefinition3 = cp1250(
    u8"3. kosmická rychlost - někdy používaný pojem pro\n"
    " rychlost potřebnou k úniku z gravitačního působení centrální hvězdy (Slunce).");
constexpr auto kUsageCaption = cp1250(u8"Help");
constexpr auto kUsage = cp1250(
    u8"Do editboxu  \"Vzdalenost v metrech\" zadate vzdalenost v metrech od centraniho tělesa napr. Vzdalenost\n"
    "Země Měsíc bude 3.84e8 a do comboboxu zadáte hmotnost centrálního tělesa v kilogramech.\n"
    "Pak zvolíte Kruhova r.I ,to je vypočet první kosmicke rychlosti a, nebo Unikova r.II,\n"
    "to  je Druhá kosmická rychlost. Pokud dosadíte hmotnost Slunce, bude Druhá kosmická rychlost\n"
    "zároveň Třetí kosmickou, porotože se družice začne neustále vzdalovat od Slunce.");

INT_PTR OnInitDialog(HWND hWnd)
{
    NaInitDialog(hWnd);

    LOGFONTA logFont;
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof logFont, &logFont);
    RECT height = kTitleHeight;
    MapDialogRect(hWnd, &height);
    logFont.lfHeight = -height.bottom;
    logFont.lfItalic = 1;
    lstrcpyA(logFont.lfFaceName, "Times New Roman");
    // The title font stays with the window for the rest of the process.
    HFONT hfNadpis = CreateFontIndirectA(&logFont);
    SendDlgItemMessageA(hWnd, IDC_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(hfNadpis), TRUE);
    return FALSE;
}

INT_PTR OnCtlColorStatic(HWND hWnd, HDC hdc, HWND hwndCtl)
{
    if (hwndCtl == GetDlgItem(hWnd, IDC_TITLE))
        SetTextColor(hdc, kTitleColour);
    else if (hwndCtl == GetDlgItem(hWnd, IDC_RESULT))
        SetTextColor(hdc, kResultColour);
    else
        SetTextColor(hdc, kLabelColour);
    SetBkMode(hdc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_MENU));
}

// Reads both fields, computes, and shows the result or the input error.
// Without memory for the texts the command changes nothing.
void RunVelocityCommand(HWND hWnd, VelocityKind kind)
{
    char* text1 = static_cast<char*>(GlobalAlloc(GPTR, kTextBufferSize));
    char* text2 = static_cast<char*>(GlobalAlloc(GPTR, kTextBufferSize));
    if (text1 == nullptr || text2 == nullptr) {
        if (text1 != nullptr)
            GlobalFree(text1);
        if (text2 != nullptr)
            GlobalFree(text2);
        return;
    }

    SendDlgItemMessageA(hWnd, IDC_DISTANCE, WM_GETTEXT, kTextBufferSize - 1, reinterpret_cast<LPARAM>(text1));
    SendDlgItemMessageA(hWnd, IDC_MASS, WM_GETTEXT, kTextBufferSize - 1, reinterpret_cast<LPARAM>(text2));

    if (!fcVelocity(kind, text1, text2, text1, kTextBufferSize)) {
        fcMesbox(hWnd, text1, text2);
        return;
    }
    SendDlgItemMessageA(hWnd, IDC_RESULT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text1));
    GlobalFree(text1);
    GlobalFree(text2);
}

constexpr auto kExitQuestion = cp1250(u8"Chcete ukončit?");

void AskExit(HWND hWnd)
{
    if (MessageBoxA(hWnd, kExitQuestion, ORBELA_NAME_VERSION, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    EndDialog(hWnd, IDM_EXIT);
    PostQuitMessage(0);
}

INT_PTR OnCommand(HWND hWnd, WORD wId)
{
    switch (wId) {
    case IDOK:       RunVelocityCommand(hWnd, VelocityKind::Circular); break;
    case IDC_ESCAPE: RunVelocityCommand(hWnd, VelocityKind::Escape); break;
    case IDC_DEF1:   MessageBoxA(hWnd, kDefinition1, kDefinition1Caption, MB_OK); break;
    case IDC_DEF2:   MessageBoxA(hWnd, kDefinition2, kDefinition2Caption, MB_OK); break;
    case IDC_DEF3:   MessageBoxA(hWnd, kDefinition3, kDefinition3Caption, MB_OK); break;
    case IDM_HELP:   MessageBoxA(hWnd, kUsage, kUsageCaption, MB_OK); break;
    case IDM_ABOUT:  OpenAboutBox(hWnd); break;
    case IDCANCEL:
    case IDM_EXIT:   AskExit(hWnd); break;
    }
    return FALSE;
}

INT_PTR OnDestroy()
{
    PostQuitMessage(0);
    return FALSE;
}

// Close requests reach the dialog as IDCANCEL, so they all pass through
// the exit question.
INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_INITDIALOG:     return OnInitDialog(hWnd);
    case WM_DESTROY:        return OnDestroy();
    case WM_COMMAND:        return OnCommand(hWnd, LOWORD(wParam));
    case WM_CTLCOLORSTATIC: return OnCtlColorStatic(hWnd, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    }
    return FALSE;
}

// DLLs loaded by name while the program runs (the input method, the
// themes, those of the shell's hand-offs) come from Windows' own folder
// only, never from the program's: a DLL of such a name lying beside a
// downloaded program is not loaded. SetDefaultDllDirectories came with
// Windows 8 and an update of Windows 7; where it is missing,
// SetDllDirectoryA("") takes at least the current folder out of the search.
void KeepDllSearchToTheSystem()
{
    const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    if (const FARPROC set = GetProcAddress(kernel32, "SetDefaultDllDirectories"))
        reinterpret_cast<BOOL(WINAPI*)(DWORD)>(reinterpret_cast<void (*)()>(set))(LOAD_LIBRARY_SEARCH_SYSTEM32);
    else if (const FARPROC setA = GetProcAddress(kernel32, "SetDllDirectoryA"))
        reinterpret_cast<BOOL(WINAPI*)(LPCSTR)>(reinterpret_cast<void (*)()>(setA))("");
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    KeepDllSearchToTheSystem();
    DialogBoxParamA(hInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, DialogProc, 0);
    return 0;
}
