// A window that notes in "<its own path>.log" whether the session told it to end.
#include <windows.h>

namespace {

wchar_t logPath[MAX_PATH];

void note(const char* text) {
    HANDLE log = CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(log, text, lstrlenA(text), &written, nullptr);
    CloseHandle(log);
}

LRESULT CALLBACK canaryProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION) note("query\n");
    if (message == WM_ENDSESSION && wParam) note("end\n");
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    GetModuleFileNameW(nullptr, logPath, MAX_PATH);
    lstrcatW(logPath, L".log");
    const WNDCLASSW windowClass{0, canaryProc, 0, 0, instance, nullptr, nullptr, nullptr, nullptr, L"PalloCanary"};
    RegisterClassW(&windowClass);
    CreateWindowW(L"PalloCanary", L"pallo-canary", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, instance, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
