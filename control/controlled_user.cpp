#include "control/controlled_user.h"

#include <algorithm>

bool isControlledUser(const Settings& settings, std::u16string_view userName) {
    if (!settings.selectedUsersOnly) return true;
    return std::any_of(settings.users.begin(), settings.users.end(),
                       [&](const std::u16string& name) { return name == userName; });
}
