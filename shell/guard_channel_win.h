#pragma once
#include <windows.h>

#include <optional>

#include "shell/guard_channel_protocol.h"

// The guard's channel: a pipe the guard serves, which only it may create.
constexpr wchar_t kGuardPipeName[] = L"\\\\.\\pipe\\qz-tolder-guard";

// Whether the guard's pipe is there: the guard runs (or another program
// holds the name, which askGuard then finds out).
bool guardChannelOpen();

// The guard's answer; nothing where no guard answers (none runs, or the pipe
// of that name is served by another process, which is then told nothing).
std::optional<GuardAnswer> askGuard(const GuardQuestion& question);

// The window of the given title that the process shows; null for none.
HWND windowOfProcess(DWORD process, const wchar_t* title);
