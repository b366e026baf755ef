// Start-up time of the calculator against the floors of this platform: a
// minimal dialog program, and the calculator's own dialog template behind a
// procedure that does nothing, all built by the same toolchain.
//
//   startup_bench <ORBELA.exe> <template_dialog.exe> <minimal_dialog.exe> [runs]
//
// Each run starts a program and stops the clock when its dialog window is
// visible; the programs take turns, so all see the same conditions.
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
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_bench ORBELA.exe template_dialog.exe minimal_dialog.exe [runs]\n");
        return 2;
    }
    const char* const names[] = {"ORBELA.exe", "same template, no code", "minimal dialog"};
    const int programs = 3;
    const int runs = argc > 4 ? std::atoi(argv[4]) : 20;

    // One start of each, not counted: the first start fills the caches.
    for (int i = 0; i < programs; ++i)
        TimeToWindow(argv[1 + i]);

    std::vector<double> ms[programs];
    for (int run = 0; run < runs; ++run) {
        for (int i = 0; i < programs; ++i) {
            const double t = TimeToWindow(argv[1 + i]);
            if (t < 0) {
                std::fprintf(stderr, "startup_bench: %s showed no window\n", argv[1 + i]);
                return 1;
            }
            ms[i].push_back(t);
        }
    }

    double median[programs];
    std::printf("start-up to a visible window, %d runs each:\n", runs);
    std::printf("  %-24s %10s %10s\n", "", "median", "minimum");
    for (int i = 0; i < programs; ++i) {
        median[i] = Median(ms[i]);
        std::printf("  %-24s %7.1f ms %7.1f ms\n", names[i], median[i],
                    *std::min_element(ms[i].begin(), ms[i].end()));
    }
    std::printf("  ratio to the minimal dialog         %6.3f\n", median[0] / median[2]);
    std::printf("  ratio to the same template, no code %6.3f\n", median[0] / median[1]);
    return 0;
}
