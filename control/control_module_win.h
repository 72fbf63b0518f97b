#pragma once
#include <windows.h>

// What a test may change about the control module: the length of its minute
// and of its second (the scene watchdog's and Tolder's fast timer), its clock,
// what a shut-down request does, who else hears of the icon's tip and how long it waits for a module's window
// where the mutex's name is taken.
struct ControlModuleOptions {
    UINT minuteMs = 60000;
    UINT secondMs = 1000;
    DWORD nameHolderWaitMs = 10000;
    void (*readClock)(FILETIME* utc) = nullptr;          // null: the system clock
    void (*shutdown)(bool force) = nullptr;              // null: ask Windows
    void (*trayTipShown)(const wchar_t* tip) = nullptr;  // told each new tip of the icon
};

// Held by the running control module, in the session's namespace.
constexpr wchar_t kOneModuleMutex[] = L"Local\\qz-tolder-ControlModule";

// Runs the resident control module until it is closed; returns when another
// one already runs in this session (its window answers the window test, at
// once or, where the mutex's name is taken, within the wait).
void runControlModule();
void runControlModule(const ControlModuleOptions& options);
