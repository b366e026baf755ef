// What the About box tests need beyond the common driver: the stand-in
// browser and mail program.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Registers `recorder` as the handler of http, https and mailto in this
// prefix (HKEY_LOCAL_MACHINE\Software\Classes, where Wine reads them), so
// that every address handed to the shell lands as one line in `log`.
// Empties `log`. Returns "" on success, otherwise what went wrong.
std::string registerRecorder(const std::string& recorder, const std::string& log);
// The lines in `log` so far.
std::vector<std::string> logLines(const std::string& log);
// Waits up to `ms` until `log` holds at least `count` lines; returns them.
std::vector<std::string> waitLogLines(const std::string& log, size_t count, DWORD ms);
