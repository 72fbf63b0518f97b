// A stand-in for a program the suite starts: appends its command line, its
// working directory and the show state it was given ("show N", -1 for none)
// to "<its own path>.log" and ends, or with "/stay" keeps
// running for a minute (a program whose file is in use).
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    wchar_t self[MAX_PATH], directory[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    GetCurrentDirectoryW(MAX_PATH, directory);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    std::wstring line =
        std::wstring(GetCommandLineW()) + L"\n" + directory + L"\nshow " + std::to_wstring(show) + L"\n";
    HANDLE log = CreateFileW((std::wstring(self) + L".log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written;
    WriteFile(log, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(log);
    if (wcsstr(GetCommandLineW(), L"/stay")) Sleep(60000);
    return 0;
}
