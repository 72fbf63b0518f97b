// The smallest Win32 window program: one green window, the yardstick for how
// fast a scene shows its first frame. With a number N on its command line it
// opens N hidden top-level windows instead, the crowd other programs leave.
#include <windows.h>

#include <cstdlib>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = CreateSolidBrush(RGB(0, 220, 0));
    windowClass.lpszClassName = L"PalloEmptyWindow";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(L"PalloEmptyWindow", L"Empty", WS_OVERLAPPEDWINDOW, 100, 100, 320, 240, nullptr,
                                nullptr, instance, nullptr);
    const int crowd = _wtoi(commandLine);
    for (int i = 0; i < crowd; ++i) {
        wchar_t title[64];
        wsprintfW(title, L"Document %d - Editor", i);
        CreateWindowW(L"PalloEmptyWindow", title, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, instance,
                      nullptr);
    }
    if (crowd == 0) ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
