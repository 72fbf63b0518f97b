#include "guard/parents_grants.h"

#include "control/time_request.h"

GuardAnswer ParentsGrants::answer(const GuardQuestion& question, const ChannelClient& client,
                                  const std::map<uint32_t, uint32_t>& modules, const PasswordCheck& passwordAccepted,
                                  uint64_t nowMs) {
    GuardAnswer answer;
    const auto module = modules.find(client.session);
    answer.moduleProcess = module == modules.end() ? 0 : module->second;
    // The module known by its process; on Windows XP the pipe names no process.
    const bool byModule = answer.moduleProcess != 0 && client.process == answer.moduleProcess;
    switch (question.ask) {
    case GuardAsk::Module: answer.yes = answer.moduleProcess != 0; break;
    case GuardAsk::Grant:
        answer.yes = client.administrator && passwordAccepted(question.password);
        if (answer.yes) grantedUntil_[client.session] = nowMs + kGrantMs;
        break;
    case GuardAsk::TakeGrant: {
        const bool fromModule = byModule || (answer.moduleProcess != 0 && client.process == 0);
        const auto grant = grantedUntil_.find(client.session);
        answer.yes = fromModule && grant != grantedUntil_.end() && nowMs < grant->second;
        break;
    }
    // What the screen shows frees time (an always-allowed program in front),
    // and a request reaches the parents, so only the module known by its
    // process may say either (on Windows XP nobody may); a request is for
    // minutes the parents may be asked for.
    case GuardAsk::Screen: answer.yes = byModule; break;
    case GuardAsk::Request: answer.yes = byModule && requestableMinutes(static_cast<int32_t>(question.command)); break;
    }
    return answer;
}
