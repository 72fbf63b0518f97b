// The smallest Win32 window program: one green window, the yardstick for how
// fast a scene shows its first frame. "WxH" on its command line gives the
// window that client size; "dialog WxH" shows an empty modal dialog of that
// client size instead, the kind of window a scene is; a number N opens N
// hidden top-level windows instead, the crowd other programs leave.
#include <windows.h>

#include <cstdlib>
#include <cwchar>

namespace {

HBRUSH green;

INT_PTR CALLBACK emptyDialog(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        RECT frame{0, 0, LOWORD(lParam), HIWORD(lParam)};
        AdjustWindowRectEx(&frame, GetWindowLongW(dialog, GWL_STYLE), FALSE, GetWindowLongW(dialog, GWL_EXSTYLE));
        SetWindowPos(dialog, nullptr, 100, 100, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return TRUE;
    }
    if (message == WM_CTLCOLORDLG) return reinterpret_cast<INT_PTR>(green);
    return FALSE;
}

// A hidden modal dialog with a caption, shown by the dialog manager once its
// queue is empty, as the scene's is.
int runEmptyDialog(HINSTANCE instance, int width, int height) {
    struct alignas(4) {  // a template starts on a DWORD
        DLGTEMPLATE header;
        WORD menu, windowClass;
        wchar_t title[12];
    } dialogTemplate{};
    dialogTemplate.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    dialogTemplate.header.cx = 200;
    dialogTemplate.header.cy = 150;
    wcscpy(dialogTemplate.title, L"EmptyDialog");
    return static_cast<int>(
        DialogBoxIndirectParamW(instance, &dialogTemplate.header, nullptr, emptyDialog, MAKELPARAM(width, height)));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
    green = CreateSolidBrush(RGB(0, 220, 0));
    int width, height;
    if (std::swscanf(commandLine, L"dialog %dx%d", &width, &height) == 2)
        return runEmptyDialog(instance, width, height);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = green;
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
