// Start-up time of the calculator against the floor of this platform, a
// minimal dialog program built by the same toolchain.
//
//   startup_bench <ORBELA.exe> <minimal_dialog.exe> [runs]
//
// Each run starts the program and stops the clock when its dialog window is
// visible; the two programs take turns, so both see the same conditions.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM lParam)
{
    auto* s = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[16] = L"";
    GetClassNameW(hwnd, cls, 16);
    if (pid == s->pid && IsWindowVisible(hwnd) && wcscmp(cls, L"#32770") == 0) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(to.QuadPart - from.QuadPart) / double(f.QuadPart);
}

// Milliseconds from CreateProcess to a visible dialog, or a negative value
// when no window came within 10 s.
double TimeToWindow(const char* exe)
{
    std::string cmd = std::string("\"") + exe + "\"";
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};

    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    Search s = {pi.dwProcessId, nullptr};
    double ms = -1;
    for (;;) {
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&s));
        QueryPerformanceCounter(&t1);
        if (s.found != nullptr) {
            ms = 1000 * Seconds(t0, t1);
            break;
        }
        if (Seconds(t0, t1) > 10)
            break;
        Sleep(1);
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ms;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_bench ORBELA.exe minimal_dialog.exe [runs]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::atoi(argv[3]) : 20;

    // One run of each, not counted: the first start fills the caches.
    TimeToWindow(argv[1]);
    TimeToWindow(argv[2]);

    std::vector<double> program, floor;
    for (int i = 0; i < runs; ++i) {
        const double a = TimeToWindow(argv[1]);
        const double b = TimeToWindow(argv[2]);
        if (a < 0 || b < 0) {
            std::fprintf(stderr, "startup_bench: a window did not appear\n");
            return 1;
        }
        program.push_back(a);
        floor.push_back(b);
    }

    const double mp = Median(program), mf = Median(floor);
    std::printf("start-up to a visible window, median of %d runs:\n", runs);
    std::printf("  ORBELA.exe          %8.1f ms (min %.1f)\n", mp,
                *std::min_element(program.begin(), program.end()));
    std::printf("  minimal dialog      %8.1f ms (min %.1f)\n", mf,
                *std::min_element(floor.begin(), floor.end()));
    std::printf("  ratio               %8.3f\n", mp / mf);
    return 0;
}
