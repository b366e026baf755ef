// Starts ORBELA.exe, saves pictures of its main window, its About box and
// its message boxes, and closes it through its exit question.
//
//   orbela_shots <ORBELA.exe> <folder> [suffix]
//
// writes <folder>/main<suffix>.bmp, about<suffix>.bmp and one picture of
// each message box. Exits with the program's own exit code, or 2 when
// something did not appear in time.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "driver.h"
#include "resource.h"

namespace {

// What the screen shows of `wnd`, freshly painted, as a 24-bit BMP file.
bool SaveWindow(HWND wnd, const std::string& path)
{
    activate(wnd);
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (!painted(wnd))
        return false;
    RECT r;
    GetWindowRect(wnd, &r);
    // Under load the controls may paint after their window, and Wine 10
    // may show a new window all black at first: the picture counts once
    // two captures in a row show the same, in more than one colour.
    Image shot = captureScreen(r);
    const bool settled = waitUntil([&] {
        Image again = captureScreen(r);
        const bool same = again.px == shot.px &&
                          std::adjacent_find(shot.px.begin(), shot.px.end(), std::not_equal_to<>()) != shot.px.end();
        shot = std::move(again);
        return same;
    }, kAppearMs);
    if (!settled)
        return false;
    const LONG stride = (shot.width * 3 + 3) & ~3;
    BITMAPINFOHEADER ih = {sizeof ih, shot.width, shot.height, 1, 24, BI_RGB, DWORD(stride * shot.height), 0, 0, 0, 0};
    BITMAPFILEHEADER fh = {0x4D42, DWORD(sizeof fh + sizeof ih + ih.biSizeImage), 0, 0, sizeof fh + sizeof ih};
    std::vector<BYTE> pixels(ih.biSizeImage);
    for (int y = 0; y < shot.height; ++y)   // bottom row first
        for (int x = 0; x < shot.width; ++x)
            for (int c = 0; c < 3; ++c)
                pixels[size_t(shot.height - 1 - y) * stride + 3 * x + c] = BYTE(shot.at(x, y) >> (8 * c));
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    std::fwrite(&fh, sizeof fh, 1, f);
    std::fwrite(&ih, sizeof ih, 1, f);
    std::fwrite(pixels.data(), 1, pixels.size(), f);
    return std::fclose(f) == 0;
}

// Pictures of the main window and of every box it opens, each closed
// again by its button; then Yes to the exit question. Null when all went
// well, else what failed.
const char* TakePictures(HWND main, const std::string& prefix, const std::string& suffix)
{
    struct Shot {
        WORD command;  // what opens the box (IDOK with empty fields: the input error)
        const char* name;
        int button;    // what closes it
    };
    const Shot shots[] = {
        {IDM_ABOUT, "about", IDOK},          {IDOK, "error", IDOK},
        {IDC_DEF1, "definition1", IDOK},     {IDC_DEF2, "definition2", IDOK},
        {IDC_DEF3, "definition3", IDOK},     {IDM_HELP, "usage", IDOK},
        {IDCANCEL, "exit-question", IDNO},
    };
    if (!SaveWindow(main, prefix + "main" + suffix + ".bmp"))
        return "the main window";
    for (const Shot& shot : shots) {
        PostMessageA(main, WM_COMMAND, shot.command, 0);
        HWND box = ownedBox(main, kAppearMs);
        if (box == nullptr || !SaveWindow(box, prefix + shot.name + suffix + ".bmp"))
            return shot.name;
        PostMessageA(GetDlgItem(box, shot.button), BM_CLICK, 0, 0);
        waitGone(box);
    }
    PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
    HWND question = ownedBox(main, kAppearMs);
    if (question == nullptr)
        return "the exit question";
    PostMessageA(GetDlgItem(question, IDYES), BM_CLICK, 0, 0);
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: orbela_shots ORBELA.exe folder [suffix]\n");
        return 2;
    }
    Program program;
    const char* missing = !startProgram(argv[1], "ORBELA_XB", program)
                              ? "the main window"
                              : TakePictures(program.main, std::string(argv[2]) + "\\", argc > 3 ? argv[3] : "");
    if (missing != nullptr)
        std::fprintf(stderr, "orbela_shots: no picture of %s\n", missing);
    else if (WaitForSingleObject(program.process, kAppearMs) != WAIT_OBJECT_0)
        std::fprintf(stderr, "orbela_shots: the program did not end after Yes\n");
    DWORD code = 2;
    if (missing == nullptr && WaitForSingleObject(program.process, 0) == WAIT_OBJECT_0)
        GetExitCodeProcess(program.process, &code);
    endProgram(program);
    return static_cast<int>(code);
}
