// Start-up time of the calculator against the floors of this platform: a
// minimal dialog program, and the calculator's own dialog template behind a
// procedure that does nothing, all built by the same toolchain.
//
//   startup_bench RUNS minimal_dialog.exe template_dialog.exe ORBELA.exe...
//
// Each run starts a program and stops the clock when its dialog window is
// visible; the programs take turns, so all see the same conditions. The
// calculator may be given more than once: as the 64-bit build and as the
// 32-bit product.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver.h"

namespace {

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
    double ms = -1;
    for (;;) {
        const HWND found = findWindow("#32770", nullptr, pi.dwProcessId);
        QueryPerformanceCounter(&t1);
        if (found != nullptr) {
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
    if (argc < 5) {
        std::fprintf(stderr, "usage: startup_bench RUNS minimal_dialog.exe template_dialog.exe ORBELA.exe...\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const int programs = argc - 2;

    // One start of each, not counted: the first start fills the caches.
    for (int i = 0; i < programs; ++i)
        TimeToWindow(argv[2 + i]);

    std::vector<std::vector<double>> ms(programs);
    for (int run = 0; run < runs; ++run) {
        for (int i = 0; i < programs; ++i) {
            const double t = TimeToWindow(argv[2 + i]);
            if (t < 0) {
                std::fprintf(stderr, "startup_bench: %s showed no window\n", argv[2 + i]);
                return 1;
            }
            ms[i].push_back(t);
        }
    }

    std::printf("start-up to a visible window, %d runs each; ratios of the medians to the\n"
                "minimal dialog and to the same template without code:\n", runs);
    std::printf("  %-44s %10s %10s %8s %8s\n", "", "median", "minimum", "minimal", "template");
    for (int i = 0; i < programs; ++i) {
        const double median = Median(ms[i]);
        std::printf("  %-44s %7.1f ms %7.1f ms %8.3f %8.3f\n", argv[2 + i], median,
                    *std::min_element(ms[i].begin(), ms[i].end()), median / Median(ms[0]), median / Median(ms[1]));
    }
    return 0;
}
