#pragma once
#include <windows.h>

#include <map>
#include <optional>
#include <set>
#include <utility>
#include <string>
#include <vector>

#include "calendar/program_groups.h"
#include "control/trick_log.h"
#include "guard/guard_core.h"
#include "guard/program_fingerprints.h"
#include "guard/program_watch.h"
#include "guard/screen_reports.h"
#include "shell/process_identity_win.h"

// The guard's hands for the programs the parents limit. Each look it lists
// the processes in a child's sessions, knows each program's file by its name,
// by the names its version information gives and by the fingerprint of a file
// once seen under a name the parents gave (read once for each path),
// hands ProgramWatch what it saw, and carries out the steps: the guard's
// module in the child's session (else the child's own qz.exe) warns, asks the
// program's windows to close and says why a program ended, and the guard ends
// the processes itself. A service sees nothing of
// the child's desktop: the guard's module there says which processes have a
// window on the screen and which one is in front. Without its word, every
// running process of a limited program counts as one on the screen. The
// groups' records live in the guard's folder, so a restart gives no minutes
// back; their days go to the child's program history beside the ledgers, and
// the programs the children run to the list the parents pick names from.
class ProgramGuard {
public:
    // qz.exe started as the token's user with the switch given.
    using Tell = void (*)(HANDLE token, const wchar_t* switches);
    // The notes go to the modules that report their screens, where there are.
    ProgramGuard(Tell tell, ScreenReports* screens) : tell_(tell), screens_(screens) {}

    struct Look {
        // Limited programs found running under another name than the
        // parents gave, or copied elsewhere, by path, once for each process.
        std::vector<std::pair<Trick, std::wstring>> tricks;
        // An always-allowed program has the foreground: this look's time
        // counts towards none of the computer's budgets.
        bool freeTime = false;
    };
    // One look at a child (by SID, with the name the limits file knows, the
    // sessions logged on, the look's processes and what the sessions' screens
    // show, where known).
    Look follow(const std::string& user, const std::u16string& name, HANDLE token,
                const std::vector<uint32_t>& sessions, const std::vector<ListedProcess>& listed,
                const std::optional<ScreenReport>& screen, const KeyValueDocument& limits, GuardClock now,
                LocalMinute local, bool extraTime);

private:
    struct Process {
        DWORD id;
        uint32_t session;
        std::wstring path;
        int group;
        std::optional<Trick> trick;  // renamed (known by its version information or fingerprint) or copied
    };
    // The limited or always-allowed programs' processes in the sessions.
    // Each program's file in the sessions is also noted among the programs seen.
    std::vector<Process> processesOf(const std::vector<uint32_t>& sessions, const std::vector<ListedProcess>& listed,
                                     const std::vector<ProgramGroup>& groups, int32_t today);
    const ProgramIdentity& identityOf(const std::wstring& path);
    void store(const std::string& user, HANDLE token);
    // Each group's day into the child's program history, where it changed.
    void keepHistory(const std::string& user, HANDLE token, const std::vector<ProgramGroup>& groups);
    // Tells the child through the module of each session that reports its
    // screen (Tikko's quiet balloon), else through the child's own qz.exe.
    void tell(HANDLE token, const std::vector<uint32_t>& sessions, uint64_t nowMs, GuardNote note, uint32_t value,
              const std::wstring& switches);
    // Reads the fingerprints learned before, at the first look that can, then
    // keeps them where they changed.
    void storeFingerprints();
    void storeSeen(const std::vector<const ProgramIdentity*>& seen, int32_t today);

    Tell tell_;
    ScreenReports* screens_;
    ProgramWatch watch_;
    std::map<std::wstring, ProgramIdentity> identities_;  // by the file's path
    std::map<std::string, std::vector<uint8_t>> stored_;  // each child's records as last written
    std::set<std::pair<DWORD, std::wstring>> noted_;       // processes whose trick is already reported, with their paths
    ProgramFingerprints fingerprints_;
    bool fingerprintsRead_ = false;
    uint64_t fingerprintsStored_ = 0;  // the learned count the guard's file holds
    std::map<std::u16string, int32_t> seen_;                // the day each file name was last noted as seen
    std::map<std::string, std::map<std::u16string, std::string>> historyLines_;  // each group's as last written
};
