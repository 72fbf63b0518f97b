#pragma once
#include <windows.h>

#include <cstdint>

// The guard's events in Windows' Application log, where administrators look
// for what a service did, under a source of its own whose Russian texts are
// the message table of qz.exe.
extern const wchar_t kEventSource[];

// Registers the source with this program as its message file; removes it.
bool registerEventSource();
void removeEventSource();

// Writes one event (control/trick_log.h's ids) with the text put in for %1.
void reportGuardEvent(uint32_t id, bool warning, const wchar_t* insert = L"");
