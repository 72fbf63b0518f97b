#include "calendar/program_groups.h"

#include <map>

#include "calendar/child_limits.h"
#include "content/lower_case.h"

namespace {

constexpr size_t kPrefixLength = sizeof kProgramKeyPrefix / sizeof kProgramKeyPrefix[0] - 1;

// The group a key names ("program.Игры"), after the lower-case prefix given
// (a child's "маша/" or none); empty where it names none. Group names hold
// neither "." (which starts a group's own key) nor "/" (a child's).
std::u16string groupNamed(const std::u16string& key, const std::u16string& prefix) {
    if (lowerCase(key.substr(0, prefix.size())) != prefix) return {};
    const std::u16string rest = key.substr(prefix.size());
    if (rest.compare(0, kPrefixLength, kProgramKeyPrefix) != 0) return {};
    const std::u16string name = rest.substr(kPrefixLength);
    return name.find_first_of(u"./") == std::u16string::npos ? name : std::u16string();
}

std::vector<std::u16string> namesIn(std::u16string_view list) {
    std::vector<std::u16string> names;
    while (!list.empty()) {
        const size_t bar = std::min(list.find(u'|'), list.size());
        const std::u16string_view name = trimBlanks(list.substr(0, bar));
        if (!name.empty()) names.push_back(lowerCase(name));
        list.remove_prefix(std::min(bar + 1, list.size()));
    }
    return names;
}

}  // namespace

std::vector<ProgramGroup> programGroupsOf(const KeyValueDocument& limits, const std::u16string& userName) {
    // By the name in lower case, spelled as the common key spells it where there is one.
    std::map<std::u16string, std::u16string> named;
    for (const std::u16string& prefix : {std::u16string(), userName.empty() ? u"" : lowerCase(userName) + u"/"})
        for (const auto& pair : limits.pairs())
            if (const std::u16string name = groupNamed(pair.first, prefix); !name.empty())
                named.emplace(lowerCase(name), name);

    std::vector<ProgramGroup> groups;
    for (const auto& [lower, name] : named) {
        ProgramGroup group;
        group.name = name;
        const std::u16string key = kProgramKeyPrefix + name;
        group.programs = namesIn(limitFor(limits, userName, key).value_or(u""));
        group.alwaysAllowed = limitFor(limits, userName, key + kAlwaysAllowedKey) == u"on";
        group.week = weekUnder(limits, userName, key + u".");
        groups.push_back(std::move(group));
    }
    return groups;
}

int groupOfProgram(const std::vector<ProgramGroup>& groups, const ProgramIdentity& program) {
    const std::u16string names[] = {lowerCase(program.fileName), lowerCase(program.originalFileName),
                                    lowerCase(program.internalName), lowerCase(program.productName)};
    for (size_t group = 0; group < groups.size(); ++group)
        for (const std::u16string& known : groups[group].programs)
            for (const std::u16string& name : names)
                if (!name.empty() && name == known) return static_cast<int>(group);
    return -1;
}
