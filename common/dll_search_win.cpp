#include "common/dll_search_win.h"

#include <windows.h>

#include "common/system_function_win.h"

DllSearch restrictDllSearch() {
    // Neither is in Windows XP's kernel32 as first shipped: both are found at run time.
    static const auto searchOnly =
        systemFunction<decltype(&SetDefaultDllDirectories)>(L"kernel32.dll", "SetDefaultDllDirectories");
    if (searchOnly && searchOnly(LOAD_LIBRARY_SEARCH_SYSTEM32)) return DllSearch::SystemFolderOnly;
    static const auto searchFolder = systemFunction<decltype(&SetDllDirectoryW)>(L"kernel32.dll", "SetDllDirectoryW");
    if (searchFolder && searchFolder(L"")) return DllSearch::NotCurrentFolder;
    return DllSearch::Unrestricted;
}
