#pragma once
#include <windows.h>

// True when the user has administrator rights; systems without the test
// count every user as one.
bool isUserAnAdmin();

// True when the process (this one unless given) runs with an elevated token
// (Windows Vista on); false where the system cannot tell (Windows XP).
bool isProcessElevated(HANDLE process = GetCurrentProcess());
