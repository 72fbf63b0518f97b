#include "guard/evening_ending.h"

#include "calendar/child_limits.h"
#include "content/lower_case.h"

namespace {

constexpr char16_t kEndingKey[] = u"end";

}  // namespace

EveningEnding endingOf(const KeyValueDocument& limits, const std::u16string& userName) {
    std::optional<std::u16string> chosen = limitSetFor(limits, userName, kEndingKey);
    if (!chosen) chosen = limitSetFor(limits, u"", kEndingKey);
    const std::u16string value = chosen ? lowerCase(*chosen) : std::u16string();
    if (value == u"logoff") return EveningEnding::Logoff;
    if (value == u"lock") return EveningEnding::Lock;
    return EveningEnding::Shutdown;
}

EndAction endActionFor(EveningEnding ending, bool otherUsersSessionOpen) {
    switch (ending) {
    case EveningEnding::Logoff: return EndAction::LogOff;
    case EveningEnding::Lock: return EndAction::Lock;
    case EveningEnding::Shutdown: break;
    }
    return otherUsersSessionOpen ? EndAction::LogOff : EndAction::ShutDown;
}
