#include "shell/guard_channel_win.h"

#include "common/system_function_win.h"
#include "crypto/wipe.h"
#include "shell/guard_presence_win.h"

namespace {

constexpr DWORD kPipeWaitMs = 2000;

// Whether the pipe's server is the guard's process. Before Vista the system
// cannot tell; a user cannot create the pipe there while the guard holds it.
bool servedByGuard(HANDLE pipe) {
    static const auto serverOf =
        systemFunction<BOOL(WINAPI*)(HANDLE, PULONG)>(L"kernel32.dll", "GetNamedPipeServerProcessId");
    if (!serverOf) return true;
    ULONG server = 0;
    return serverOf(pipe, &server) && server == runningGuardProcess();
}

}  // namespace

bool guardChannelOpen() {
    // Without the pipe there is no guard to ask, and the service manager,
    // which may be slow to answer a first question, is not asked either.
    constexpr DWORD kLookMs = 1;
    return WaitNamedPipeW(kGuardPipeName, kLookMs) || GetLastError() != ERROR_FILE_NOT_FOUND;
}

std::optional<GuardAnswer> askGuard(const GuardQuestion& question) {
    // Without the pipe the open fails at once: there is no guard to ask.
    HANDLE pipe = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 2 && pipe == INVALID_HANDLE_VALUE; ++attempt) {
        // Identification is all the guard needs of the asker's token.
        pipe = CreateFileW(kGuardPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
        if (pipe == INVALID_HANDLE_VALUE &&
            (GetLastError() != ERROR_PIPE_BUSY || !WaitNamedPipeW(kGuardPipeName, kPipeWaitMs)))
            return std::nullopt;
    }
    std::optional<GuardAnswer> answer;
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (servedByGuard(pipe) && SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr)) {
        std::vector<uint8_t> asked = encodeQuestion(question);
        uint8_t reply[kGuardAnswerSize];
        DWORD read = 0;
        if (TransactNamedPipe(pipe, asked.data(), static_cast<DWORD>(asked.size()), reply, sizeof reply, &read,
                              nullptr))
            answer = decodeAnswer(reply, read);
        wipeMemory(asked.data(), asked.size());
    }
    CloseHandle(pipe);
    return answer;
}

HWND windowOfProcess(DWORD process, const wchar_t* title) {
    for (HWND window = FindWindowW(nullptr, title); window; window = FindWindowExW(nullptr, window, nullptr, title)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process) return window;
    }
    return nullptr;
}
