#pragma once
#include <windows.h>

#include <map>
#include <mutex>

#include "guard/parents_grants.h"
#include "guard/screen_reports.h"

// Serves the guard's channel on a thread of its own, one asker at a time,
// each given a few seconds, so that a program that connects and says nothing
// holds up neither the guard's loop nor the channel for long.
class GuardChannelServer {
public:
    // Told of each parents' command granted, on the channel's thread.
    using GrantNotice = void (*)(uint32_t session, uint32_t command);
    // Told of each child's request for more time, on the channel's thread.
    using RequestNotice = void (*)(uint32_t session, int32_t minutes, const std::u16string& reason);
    // The module's reports of its screen go into `screens`, which outlives the server.
    GuardChannelServer(GrantNotice onGrant, RequestNotice onRequest, ScreenReports& screens);
    ~GuardChannelServer();
    GuardChannelServer(const GuardChannelServer&) = delete;
    GuardChannelServer& operator=(const GuardChannelServer&) = delete;

    // The module the guard started in each session, as the loop last found them.
    void publishModules(const std::map<uint32_t, uint32_t>& modules);

private:
    static DWORD WINAPI serve(void* self);
    void serveOne(HANDLE pipe, HANDLE event);

    GrantNotice onGrant_;
    RequestNotice onRequest_;
    ScreenReports& screens_;
    HANDLE stop_ = nullptr;
    HANDLE thread_ = nullptr;
    std::mutex lock_;
    std::map<uint32_t, uint32_t> modules_;
    ParentsGrants grants_;
};

// Who may use the channel: the system and administrators, and any logged-on
// user to ask and be answered, never to serve another instance of the pipe.
extern const wchar_t kGuardChannelAccess[];
