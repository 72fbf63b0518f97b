#include "guard/guard_channel_server_win.h"

#include <sddl.h>

#include <optional>
#include <tuple>
#include <vector>

#include "common/system_function_win.h"
#include "crypto/wipe.h"
#include "control/usage_time.h"
#include "guard/awake_clock_win.h"
#include "settings/password_store_win.h"
#include "shell/guard_channel_win.h"

// Users get FILE_GENERIC_READ and FILE_WRITE_DATA, not FILE_CREATE_PIPE_INSTANCE.
const wchar_t kGuardChannelAccess[] = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x12008b;;;AU)";

namespace {

constexpr DWORD kAskerMs = 3000;
constexpr DWORD kPipeBuffer = 4096;

// Waits for an overlapped operation, giving up at the time limit or the stop.
bool finished(HANDLE pipe, OVERLAPPED& overlapped, BOOL started, HANDLE stop, DWORD& transferred) {
    if (!started && GetLastError() != ERROR_IO_PENDING && GetLastError() != ERROR_PIPE_CONNECTED) return false;
    HANDLE events[] = {overlapped.hEvent, stop};
    if (!started && GetLastError() == ERROR_IO_PENDING &&
        WaitForMultipleObjects(2, events, FALSE, kAskerMs) != WAIT_OBJECT_0) {
        CancelIo(pipe);
        GetOverlappedResult(pipe, &overlapped, &transferred, TRUE);
        return false;
    }
    return GetOverlappedResult(pipe, &overlapped, &transferred, FALSE) || GetLastError() == ERROR_PIPE_CONNECTED;
}

// Who asks, from the asker's own token and the pipe.
std::optional<ChannelClient> clientOf(HANDLE pipe) {
    if (!ImpersonateNamedPipeClient(pipe)) return std::nullopt;
    HANDLE token = nullptr;
    const bool opened = OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token);
    RevertToSelf();
    if (!opened) return std::nullopt;
    ChannelClient client;
    DWORD size = 0;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof administrators;
    BOOL member = FALSE;
    const bool known = GetTokenInformation(token, TokenSessionId, &client.session, sizeof client.session, &size) &&
                       CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &sidSize) &&
                       CheckTokenMembership(token, administrators, &member);
    CloseHandle(token);
    if (!known) return std::nullopt;
    client.administrator = member != FALSE;
    static const auto clientProcess =
        systemFunction<BOOL(WINAPI*)(HANDLE, PULONG)>(L"kernel32.dll", "GetNamedPipeClientProcessId");
    ULONG process = 0;
    if (clientProcess && !clientProcess(pipe, &process)) return std::nullopt;
    client.process = process;
    return client;
}

}  // namespace

GuardChannelServer::GuardChannelServer(GrantNotice onGrant, RequestNotice onRequest, ScreenReports& screens)
    : onGrant_(onGrant), onRequest_(onRequest), screens_(screens) {
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &GuardChannelServer::serve, this, 0, nullptr);
}

GuardChannelServer::~GuardChannelServer() {
    SetEvent(stop_);
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    CloseHandle(stop_);
}

void GuardChannelServer::publishModules(const std::map<uint32_t, uint32_t>& modules) {
    std::lock_guard<std::mutex> hold(lock_);
    modules_ = modules;
}

DWORD WINAPI GuardChannelServer::serve(void* self) {
    auto& server = *static_cast<GuardChannelServer*>(self);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kGuardChannelAccess, SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return 0;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    // One instance, made first: nobody else serves an instance of the name.
    HANDLE pipe =
        CreateNamedPipeW(kGuardPipeName, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                         PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, kPipeBuffer, kPipeBuffer, 0,
                         &attributes);
    LocalFree(descriptor);
    if (pipe == INVALID_HANDLE_VALUE) return 0;
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    while (WaitForSingleObject(server.stop_, 0) == WAIT_TIMEOUT) {
        OVERLAPPED connecting{};
        connecting.hEvent = event;
        ResetEvent(event);
        const BOOL connected = ConnectNamedPipe(pipe, &connecting);
        HANDLE events[] = {event, server.stop_};
        if (!connected && GetLastError() == ERROR_IO_PENDING &&
            WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
            CancelIo(pipe);
            break;
        }
        server.serveOne(pipe, event);
        DisconnectNamedPipe(pipe);
    }
    CloseHandle(event);
    CloseHandle(pipe);
    return 0;
}

void GuardChannelServer::serveOne(HANDLE pipe, HANDLE event) {
    std::vector<uint8_t> asked(kGuardQuestionLimit);
    OVERLAPPED reading{};
    reading.hEvent = event;
    ResetEvent(event);
    DWORD size = 0;
    const BOOL read = ReadFile(pipe, asked.data(), static_cast<DWORD>(asked.size()), &size, &reading);
    const bool whole = finished(pipe, reading, read, stop_, size);
    std::optional<GuardQuestion> question = whole ? decodeQuestion(asked.data(), size) : std::nullopt;
    wipeMemory(asked.data(), asked.size());
    const std::optional<ChannelClient> client = question ? clientOf(pipe) : std::nullopt;
    if (!client) return;
    GuardAnswer answer;
    const uint64_t nowMs = awakeUnits() / kUnitsPerMillisecond;
    {
        std::lock_guard<std::mutex> hold(lock_);
        answer = grants_.answer(
            *question, *client, modules_, [](const std::u16string& password) { return checkPassword(password); },
            nowMs);
    }
    if (question->ask == GuardAsk::Screen && answer.yes) {
        screens_.put(client->session, {std::move(question->onScreen), question->command, nowMs});
        std::tie(answer.note, answer.noteValue) = screens_.takeNote(client->session, nowMs);
    }
    if (question->ask == GuardAsk::Request && answer.yes)
        onRequest_(client->session, static_cast<int32_t>(question->command), question->password);
    wipeText(question->password);
    if (question->ask == GuardAsk::Grant && answer.yes) onGrant_(client->session, question->command);
    const std::vector<uint8_t> reply = encodeAnswer(answer);
    OVERLAPPED writing{};
    writing.hEvent = event;
    ResetEvent(event);
    DWORD written = 0;
    finished(pipe, writing, WriteFile(pipe, reply.data(), static_cast<DWORD>(reply.size()), &written, &writing), stop_,
             written);
}
