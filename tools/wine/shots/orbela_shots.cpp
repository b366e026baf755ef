// Starts ORBELA.exe, saves pictures of its main window and of its About
// box, and closes it through its exit question, as a user would.
//
//   orbela_shots <path of ORBELA.exe> <folder for the pictures>
//
// Exits with the program's own exit code, or 2 when something did not
// appear in time.

#include <cstdio>
#include <string>

#include "driver.h"
#include "resource.h"

namespace {

int Fail(Program& p, const std::string& what)
{
    std::fprintf(stderr, "orbela_shots: %s\n", what.c_str());
    stopProgram(p);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: orbela_shots ORBELA.exe folder\n");
        return 2;
    }
    const std::string folder = argv[2];
    Program p;
    const std::string error = startProgram(p, argv[1], "ORBELA_XB");
    if (!error.empty())
        return Fail(p, error);
    activate(p.main);
    if (!saveScreenshot(p.main, folder + "/main.bmp"))
        return Fail(p, "cannot save main.bmp");

    PostMessageW(p.main, WM_COMMAND, IDM_ABOUT, 0);
    HWND about = waitOwnedDialog(p.main);
    if (about == nullptr)
        return Fail(p, "the About box did not appear");
    if (!saveScreenshot(about, folder + "/about.bmp"))
        return Fail(p, "cannot save about.bmp");
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    if (!waitGone(about))
        return Fail(p, "the About box did not close");

    PostMessageW(p.main, WM_COMMAND, IDCANCEL, 0);
    HWND question = waitOwnedDialog(p.main);
    if (question == nullptr)
        return Fail(p, "the exit question did not appear");
    PostMessageW(GetDlgItem(question, IDYES), BM_CLICK, 0, 0);

    DWORD code = 0;
    if (WaitForSingleObject(p.process, kAppearMs) != WAIT_OBJECT_0 || !GetExitCodeProcess(p.process, &code))
        return Fail(p, "the program did not end after Yes");
    stopProgram(p);
    return static_cast<int>(code);
}
