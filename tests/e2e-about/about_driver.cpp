#include "about_driver.h"

#include "driver.h"

namespace {

bool setValue(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          DWORD(value.size() + 1)) == ERROR_SUCCESS;
}

std::string readAll(const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return {};
    std::string text;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got) text.append(buf, got);
    CloseHandle(f);
    return text;
}

}  // namespace

std::string registerRecorder(const std::string& recorder, const std::string& log) {
    if (GetFileAttributesA(recorder.c_str()) == INVALID_FILE_ATTRIBUTES)
        return "no recorder at " + recorder;
    DeleteFileA(log.c_str());
    const std::string command = "\"" + recorder + "\" \"" + log + "\" \"%1\"";
    for (const char* protocol : {"http", "https", "mailto"}) {
        std::string base = std::string("Software\\Classes\\") + protocol;
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, base.c_str());
        HKEY key = nullptr, open = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, base.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr) != ERROR_SUCCESS)
            return "cannot create HKLM\\" + base;
        bool ok = setValue(key, nullptr, std::string("URL:") + protocol) &&
                  setValue(key, "URL Protocol", "") &&
                  RegCreateKeyExA(key, "shell\\open\\command", 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &open, nullptr) == ERROR_SUCCESS &&
                  setValue(open, nullptr, command);
        if (open) RegCloseKey(open);
        RegCloseKey(key);
        if (!ok) return "cannot write the handler of " + std::string(protocol);
    }
    return {};
}

std::vector<std::string> logLines(const std::string& log) {
    std::vector<std::string> lines;
    std::string text = readAll(log);
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(text.substr(start, nl - start));
    return lines;
}

std::vector<std::string> waitLogLines(const std::string& log, size_t count, DWORD ms) {
    std::vector<std::string> lines;
    waitUntil([&] { return (lines = logLines(log)).size() >= count; }, ms);
    return lines;
}
