#pragma once

// How far restrictDllSearch narrowed where the process finds a DLL named
// without a folder.
enum class DllSearch {
    SystemFolderOnly,  // Windows 8 on, and 7 with its loader update
    NotCurrentFolder,  // Windows XP SP1 on: the program's folder, the system's, then PATH
    Unrestricted,      // older systems
};

// Narrows the search for the process's life. By default the program's folder
// and the current one come first, and a process of the suite that runs
// elevated or as LocalSystem must not load a DLL a user put there under a
// system DLL's name. The suite's own DLL is then loaded by its full path.
DllSearch restrictDllSearch();
