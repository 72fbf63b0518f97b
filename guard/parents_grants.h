#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "shell/guard_channel_protocol.h"

// Who asks the guard's channel, as the pipe tells it.
struct ChannelClient {
    uint32_t session = 0;
    bool administrator = false;
    uint32_t process = 0;  // 0 where the system cannot tell (Windows XP)
};

// The guard's answers on its channel. The parents' password, given by an
// administrator's process, lets the guard's module of that session follow
// the parents' commands for a short while; the module asks, and nobody else
// may: a window of the module's title that the guard did not start gets
// neither the password nor the grant.
class ParentsGrants {
public:
    static constexpr uint64_t kGrantMs = 30'000;

    using PasswordCheck = std::function<bool(const std::u16string&)>;
    // modules: each session's module process, 0 for none; nowMs: a clock that never goes back.
    GuardAnswer answer(const GuardQuestion& question, const ChannelClient& client,
                       const std::map<uint32_t, uint32_t>& modules, const PasswordCheck& passwordAccepted,
                       uint64_t nowMs);

private:
    std::map<uint32_t, uint64_t> grantedUntil_;  // by session
};
