// The smallest Win32 window program: one green window, the yardstick for how
// fast a scene shows its first frame.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = CreateSolidBrush(RGB(0, 220, 0));
    windowClass.lpszClassName = L"PalloEmptyWindow";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(L"PalloEmptyWindow", L"Empty", WS_OVERLAPPEDWINDOW, 100, 100, 320, 240, nullptr,
                                nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
