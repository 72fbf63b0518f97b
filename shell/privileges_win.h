#pragma once
#include <windows.h>

// True when the user has administrator rights; systems without the test
// count every user as one.
bool isUserAnAdmin();

// True when the process (this one unless given) runs with an elevated token
// (Windows Vista on); false where the system cannot tell (Windows XP).
bool isProcessElevated(HANDLE process = GetCurrentProcess());
// Whether this process runs above medium integrity (elevated, or raised by
// the guard), where Windows drops most messages from the user's own programs;
// false before Vista, which has no integrity levels.
bool runsAboveMediumIntegrity();

// True when both processes run as the same user; false where either
// process's user cannot be read.
bool isSameUser(HANDLE process, HANDLE other);

// Enables a privilege of this process's token for the life of the object,
// when the token holds it, and then puts its earlier state back.
class EnabledPrivilege {
public:
    explicit EnabledPrivilege(const wchar_t* name);
    ~EnabledPrivilege();
    EnabledPrivilege(const EnabledPrivilege&) = delete;
    EnabledPrivilege& operator=(const EnabledPrivilege&) = delete;

private:
    HANDLE token_ = nullptr;
    TOKEN_PRIVILEGES previous_{};
    bool changed_ = false;
};
