#pragma once
#include <windows.h>
#include <commctrl.h>

// The common controls library, loaded when a window first needs it: at start
// it would cost every process of the suite tens of milliseconds under Wine,
// and only the settings dialogs hold a common control.
namespace commonControls {

// Registers the list view class; false when the library is missing.
bool initListViews();

BOOL setWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data);
BOOL removeWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id);
LRESULT defSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace commonControls
