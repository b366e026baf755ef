// Stand-in browser and mail program for the About box tests. Registered as
// the handler of http, https and mailto, it is started as
//
//   about_recorder.exe LOG ADDRESS...
//
// and appends the address (its remaining arguments, space-separated, UTF-8)
// to LOG as one line, then exits. It opens no window, so it takes neither
// the focus nor the foreground from the program under test.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::string utf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) return 2;
    std::wstring address;
    for (int i = 2; i < argc; ++i) {
        if (i > 2) address += L' ';
        address += argv[i];
    }
    std::string line = utf8(address) + "\n";

    // Two starts may overlap: retry while the other one holds the file.
    HANDLE log = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 200 && log == INVALID_HANDLE_VALUE; ++attempt) {
        log = CreateFileW(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (log == INVALID_HANDLE_VALUE) Sleep(10);
    }
    LocalFree(argv);
    if (log == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    BOOL ok = WriteFile(log, line.data(), DWORD(line.size()), &written, nullptr);
    CloseHandle(log);
    return ok && written == line.size() ? 0 : 4;
}
