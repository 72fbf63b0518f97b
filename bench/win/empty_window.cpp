// The smallest Win32 window program: one green window, the yardstick for how
// fast a scene shows its first frame. "WxH" on its command line gives the
// window that client size; a number N opens N hidden top-level windows
// instead, the crowd other programs leave.
#include <windows.h>

#include <cstdlib>
#include <cwchar>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = CreateSolidBrush(RGB(0, 220, 0));
    windowClass.lpszClassName = L"PalloEmptyWindow";
    RegisterClassW(&windowClass);
    RECT frame{0, 0, 320, 240};
    int crowd = 0;
    if (std::swscanf(commandLine, L"%ldx%ld", &frame.right, &frame.bottom) == 2)
        AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    else
        crowd = _wtoi(commandLine);
    HWND window = CreateWindowW(L"PalloEmptyWindow", L"Empty", WS_OVERLAPPEDWINDOW, 100, 100, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
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
