#include "ui/common_controls_win.h"

namespace {

struct Library {
    decltype(&InitCommonControlsEx) initialise = nullptr;
    decltype(&SetWindowSubclass) setSubclass = nullptr;
    decltype(&RemoveWindowSubclass) removeSubclass = nullptr;
    decltype(&DefSubclassProc) defSubclass = nullptr;
};

// Version 6 exports the subclass functions by name, version 5.8 by ordinal only.
template <typename Function>
void find(HMODULE module, const char* name, WORD ordinal, Function& function) {
    FARPROC found = GetProcAddress(module, name);
    if (!found && ordinal) found = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

const Library& library() {
    static const Library loaded = [] {
        Library functions;
        if (HMODULE module = LoadLibraryW(L"comctl32.dll")) {
            find(module, "InitCommonControlsEx", 0, functions.initialise);
            find(module, "SetWindowSubclass", 410, functions.setSubclass);
            find(module, "RemoveWindowSubclass", 412, functions.removeSubclass);
            find(module, "DefSubclassProc", 413, functions.defSubclass);
        }
        return functions;
    }();
    return loaded;
}

}  // namespace

namespace commonControls {

bool initListViews() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    return library().initialise && library().initialise(&controls);
}

BOOL setWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
    return library().setSubclass ? library().setSubclass(window, procedure, id, data) : FALSE;
}

BOOL removeWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id) {
    return library().removeSubclass ? library().removeSubclass(window, procedure, id) : FALSE;
}

LRESULT defSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return library().defSubclass ? library().defSubclass(window, message, wParam, lParam)
                                 : DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace commonControls
