#pragma once
#include <windows.h>

// The user who runs a window's process, for a sender that may run as another
// user (in a child's session, qza.exe and the settings dialog run as the
// administrator whose name was typed into the elevation prompt).
class WindowUser {
public:
    WindowUser() = default;
    ~WindowUser();
    WindowUser(const WindowUser&) = delete;
    WindowUser& operator=(const WindowUser&) = delete;

    // Takes the user's hand-over path and a token to act as them with;
    // without a token the sender acts as itself.
    void set(const wchar_t* handOverPath, HANDLE impersonationToken);
    const wchar_t* handOverPath() const { return handOverPath_; }
    HANDLE impersonationToken() const { return token_; }

private:
    wchar_t handOverPath_[MAX_PATH] = L"";
    HANDLE token_ = nullptr;
};

// Looks up the user of the window's process: that user's hand-over file, as
// their own token gives their application-data folder, and their token. A
// process of another user opens only with the debug privilege, which an
// elevated administrator holds and which is enabled for the look-up alone.
// False where it cannot be looked up. Windows 9x has no users' tokens: there
// the sender's own hand-over file is the module's.
bool findWindowUser(HWND window, WindowUser& user);

// Acts as the user of the token on this thread for the life of the object,
// and as itself again afterwards. Without a token, nothing changes.
class ActingAs {
public:
    explicit ActingAs(HANDLE impersonationToken);
    ~ActingAs();
    ActingAs(const ActingAs&) = delete;
    ActingAs& operator=(const ActingAs&) = delete;

    bool succeeded() const { return succeeded_; }

private:
    bool acting_ = false;
    bool succeeded_ = true;
};
