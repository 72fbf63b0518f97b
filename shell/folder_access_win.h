#pragma once
#include <windows.h>

// Folders that only the system and administrators change. Under the common
// application data every user may create files and folders and owns what he
// creates, so a folder of a fixed name there, or a file in it, may be a
// child's before the suite makes it: it keeps his access rules when an
// elevated process later writes into it, unless it is taken over.

// Makes the folder with the access rules given (in the system's text form,
// with an owner and a protected DACL), or gives a folder that exists that
// owner and DACL; false when it can do neither. What is inside keeps its own
// rules.
bool prepareFolder(const wchar_t* folder, const wchar_t* access);

// The same for the folder and everything inside it: each file and folder
// inside gets that owner and only what the folder passes on. A link (reparse
// point) is never the suite's and is not followed: it is removed, and so is
// the folder itself when it is one, and made anew. Needs administrator rights.
bool takeOverFolderTree(const wchar_t* folder, const wchar_t* access);
