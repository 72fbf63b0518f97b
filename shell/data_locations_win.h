#pragma once
#include <windows.h>

enum class ApiFamily { Wide, Ansi };

// The suite's folders and files: a shared data folder for settings and the
// password, a per-user one for state, calendar, hand-over and temporary files. Building
// the object creates the folders.
class DataLocations {
public:
    explicit DataLocations(ApiFamily family);

    const wchar_t* commonFolder() const { return paths_[kCommonFolder]; }
    const wchar_t* userFolder() const { return paths_[kUserFolder]; }
    const wchar_t* controlModulePath() const { return paths_[kControlModule]; }
    const wchar_t* passwordPath() const { return paths_[kPassword]; }
    const wchar_t* handOverPath() const { return paths_[kHandOver]; }
    const wchar_t* settingsPath() const { return paths_[kSettings]; }
    const wchar_t* statePath() const { return paths_[kState]; }
    const wchar_t* calendarPath() const { return paths_[kCalendar]; }
    const wchar_t* tempFolder() const { return paths_[kTemp]; }

    // The hand-over file of the user whose application-data folder is given,
    // where that user's processes find it; false when the path is too long.
    static bool handOverPathUnder(const wchar_t* appDataFolder, wchar_t (&path)[MAX_PATH]);
    // The same for that user's state file and calendar file.
    static bool statePathUnder(const wchar_t* appDataFolder, wchar_t (&path)[MAX_PATH]);
    static bool calendarPathUnder(const wchar_t* appDataFolder, wchar_t (&path)[MAX_PATH]);

private:
    enum Index {
        kCommonFolder,
        kUserFolder,
        kControlModule,
        kPassword,
        kHandOver,
        kSettings,
        kState,
        kCalendar,
        kTemp,
        kCount
    };

    struct FileInFolder {
        Index index, base;
        const char* name;
    };
    static const FileInFolder kFiles[];

    static bool userPathUnder(const wchar_t* appDataFolder, Index file, wchar_t (&path)[MAX_PATH]);
    void buildWide();
    void buildAnsi();

    wchar_t paths_[kCount][MAX_PATH] = {};
};

// The process-wide object, built during static initialisation.
const DataLocations& dataLocations();
