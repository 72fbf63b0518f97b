#pragma once
#include <windows.h>

// The suite's icon (resource 128) at the system's small or large icon size,
// which grows with the DPI. The caller destroys it.
HICON loadSuiteIcon(bool small);
