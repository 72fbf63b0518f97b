#pragma once
#include <windows.h>

#include "control/state_record.h"
#include "control/usage_ledger.h"

// Keeps the control module running in the active console session, as that
// session's user, while the user is one the settings control. A module the
// guard did not start (the Run key's, a sender's) is adopted; one that ends
// without the parents' request is started again at the next follow(). It also
// keeps the user's ledger: the module's record while the module runs, and the
// minutes the session is in use while it is missing; and it holds the sleep
// time, asking for the shut-down itself when the module does not.
class SessionGuard {
public:
    using Clock = uint64_t (*)();  // UTC FILETIME
    using Shutdown = void (*)();
    // The service passes the system's clock and shut-down; tests their own.
    SessionGuard(Clock clock, Shutdown shutdown) : clock_(clock), shutdown_(shutdown) {}
    ~SessionGuard();
    SessionGuard(const SessionGuard&) = delete;
    SessionGuard& operator=(const SessionGuard&) = delete;

    // Called every two seconds by the service.
    void follow();
    // The parents are closing the module of the active console session: the
    // guard leaves it until a module started later runs there, or its user
    // logs on or off.
    void parentsClose();
    // The parents' close did not happen.
    void followAgain() { leftSession_ = kNoSession; }
    // A user logged on to or off the session.
    void sessionLogonOrLogoff(DWORD session);

private:
    static constexpr DWORD kNoSession = 0xFFFFFFFF;

    void forgetModule();
    void keepModule(DWORD session, HANDLE token);
    // moduleRan: the session's module was running when the look began.
    void keepLedger(DWORD session, HANDLE token, bool moduleRan);

    HANDLE module_ = nullptr;
    DWORD moduleSession_ = kNoSession;
    DWORD leftSession_ = kNoSession;  // the session the parents closed the module of
    FILETIME leftAt_{};

    wchar_t ledgerPath_[MAX_PATH] = L"";  // the ledger of the user last seen
    StateRecord ledger_;
    SessionUseCount use_;
    SleepTimeHold sleepTime_;
    Clock clock_;
    Shutdown shutdown_;
};

uint64_t systemUtcNow();
// Switches the computer off, ending programs that hold it up: from a service,
// as ExitWindowsEx cannot.
void shutDownFromService();
