// Keeps the notification area as a Windows shell always has it: a hidden
// window with one icon there, for as long as the tests run. Under Wine without
// a window manager the area's window is withdrawn whenever its last icon goes,
// which blocks Wine's desktop process for 2 s; every module that starts
// meanwhile waits for it to add its own icon.
#include <windows.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    const WNDCLASSW windowClass{0,       DefWindowProcW, 0,       0,       instance,
                                nullptr, nullptr,        nullptr, nullptr, L"PalloTrayKeeper"};
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(L"PalloTrayKeeper", L"Tray keeper", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                instance, nullptr);
    NOTIFYICONDATAW icon{};
    icon.cbSize = NOTIFYICONDATAW_V1_SIZE;
    icon.hWnd = window;
    icon.uFlags = NIF_ICON | NIF_TIP;
    icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    lstrcpyW(icon.szTip, L"Tray keeper");
    Shell_NotifyIconW(NIM_ADD, &icon);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
