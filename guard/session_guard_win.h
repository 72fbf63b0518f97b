#pragma once
#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "guard/clock_watch.h"
#include "guard/guard_core.h"
#include "guard/program_guard_win.h"
#include "control/trick_log.h"
#include "common/key_value_document.h"
#include "shell/process_identity_win.h"
#include "control/time_request.h"

// The guard's hands: each look it finds the active sessions and their users,
// hands GuardCore the time and what the service manager told it, and carries
// out what the core decides, ending the evening as the parents chose and
// never ending another user's session. It keeps the module it started running in every
// session of a user the settings control (another process of the same program
// is not that module), starts the turn-off and sleep scenes itself where that
// module is missing, asks for the shut-down, and keeps its records: its own
// copies, which only the system and administrators may open, and the copies
// users may read, from which a module and the parents' week learn the time.
// It reads nothing under a user's profile: only the shared data folder, where
// users may only read.
class SessionGuard {
public:
    using Clock = GuardClock (*)();
    // How an evening ends: a scene of Tikko's shown to the token's user (the
    // switch given: qz.exe started as that user, which is also how the child
    // hears of a limited program), then the computer shut down, or a session
    // logged off or locked.
    struct Ending {
        void (*showScene)(HANDLE token, const wchar_t* scene);
        void (*shutDown)(bool force);
        void (*logOff)(DWORD session);
        void (*lock)(DWORD session);
    };
    // The service passes the system's clocks and endings and what the modules
    // say of their screens, where the guard leaves its notes for them; tests
    // their own, or no screens.
    SessionGuard(Clock clock, Ending ending, ScreenReports* screens = nullptr)
        : programs_(ending.showScene, screens), screens_(screens), clock_(clock), ending_(ending) {}
    ~SessionGuard();
    SessionGuard(const SessionGuard&) = delete;
    SessionGuard& operator=(const SessionGuard&) = delete;

    // Called every two seconds by the service.
    void follow();
    // What the service manager told the service, and what administrators asked.
    void sessionEvent(DWORD session, SessionEvent event);
    void suspend() {
        core_.suspend();
        clockWatch_.slept();
    }
    void resume() { core_.resume(); }
    void parentsMode(DWORD session) { core_.parentsMode(session); }
    void parentsClose(DWORD session) { core_.parentsClose(session); }
    // The session's child asked for more time: kept at the next look, over
    // an earlier request, for the module and the parents to read.
    void timeRequest(DWORD session, int32_t minutes, const std::u16string& reason);
    // Windows started in Safe Mode, which a child may choose without a password.
    void safeModeStart() { recordTrick(Trick::SafeMode, u"", L""); }
    // The process of the module the guard started in each session where one runs.
    std::map<uint32_t, uint32_t> modules() const;

private:
    struct Watch {
        HANDLE module = nullptr;  // the module the guard started
        DWORD moduleId = 0;
        bool moduleSettled = false;  // the module was running when this look began
        uint64_t heardAtMs = 0;      // the module's last report of its screen heard, on the awake clock; 0 for none
        bool silenceNoted = false;
        bool seen = false;
        std::u16string user;
    };
    struct UserLook {
        std::vector<uint32_t> sessions;
        HANDLE token = nullptr;
        std::u16string name;
    };

    static void forgetModule(Watch& watch);
    static bool moduleRuns(const Watch& watch);
    void keepModule(DWORD session, Watch& watch, HANDLE token, GuardClock now);
    // A module that reported its screen, then fell silent while it runs
    // (its threads suspended, or hung), is noted once for each silence.
    void noteSilence(DWORD session, Watch& watch, GuardClock now);
    void followUser(const std::string& user, const UserLook& look, const Settings& settings,
                    const KeyValueDocument& limits, const std::vector<ListedProcess>& processes, GuardClock now);
    void endEvening(const std::string& user, const UserLook& look, const KeyValueDocument& limits, bool force);
    // Keeps the user's records; false where a copy users read could not be written.
    bool store(const std::string& user, HANDLE token, const GuardRules& rules);
    // A parents' file as the guard last read it: while it cannot be read (held
    // open by another program), the last copy stands, and at the guard's
    // start its own copy in its records.
    struct KeptFile {
        std::vector<uint8_t> bytes;
        bool known = false;
        bool held = false;
    };
    void keepFile(KeptFile& kept, const wchar_t* original, const wchar_t* copyName);
    // Each trick once: a file held open until it can be read again, an
    // imitator once for its process, a module once for each end from outside.
    void recordTrick(Trick trick, const std::u16string& child, const std::wstring& insert);
    std::vector<std::string> unwrittenTricks_;  // lines the log could not take yet, the oldest first
    void watchClock(GuardClock now);
    // Keeps the user's request, new or answered by the parents' extra time.
    void followRequest(const std::string& user, const UserLook& look, uint64_t extraTimeUntil, GuardClock now);
    void watchImitators(const std::vector<DWORD>& sessions, const std::vector<ListedProcess>& processes);
    // What the user's screens show, where each session's module said so lately.
    std::optional<ScreenReport> screenOf(const std::vector<uint32_t>& sessions, GuardClock now) const;

    GuardCore core_;
    ProgramGuard programs_;
    ScreenReports* screens_;
    std::map<DWORD, Watch> watches_;
    KeptFile settings_, limits_;
    std::map<std::string, uint64_t> extraTime_;  // each user's, as last read
    std::map<DWORD, TimeRequest> askedIn_;       // requests not yet kept, by session
    std::map<std::string, std::optional<TimeRequest>> requests_;  // each user's, as kept
    ClockWatch clockWatch_;
    std::vector<DWORD> imitators_;
    std::map<std::string, bool> staleViews_;
    Clock clock_;
    Ending ending_;
};

// Starts qz.exe beside this program, as the module finds it, with the scene's
// switch as the token's user: the service's way to show a scene.
void showSceneAs(HANDLE token, const wchar_t* scene);

// The sessions someone works in now: the console's and every active remote one.
std::vector<DWORD> activeSessions();
