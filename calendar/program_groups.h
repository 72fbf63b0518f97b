#pragma once
#include <string>
#include <vector>

#include "calendar/weekly_calendar.h"
#include "common/key_value_document.h"

// Programs the parents limit together, for one child. The limits file names a
// group's programs under "program.<group>" ("program.Игры = minecraft.exe |
// Minecraft"): the names a program goes by, separated by "|", each its file's
// name or a name its version information gives. The group's hours and minutes
// a day are the calendar's keys after the group's ("program.Игры.monday",
// "program.Игры.monday.minutes"); "program.<group>.always = on" makes its
// minutes count towards no limit (the school's learning program). Keys after
// a user's name ("Маша/program.Игры") are that child's, over the common ones,
// and a group named only there is that child's alone.
struct ProgramGroup {
    std::u16string name;                   // as the file spells it
    std::vector<std::u16string> programs;  // in lower case
    bool alwaysAllowed = false;
    WeeklyCalendar week;
    bool limited() const { return !alwaysAllowed && week.restricts(); }
};
constexpr char16_t kProgramKeyPrefix[] = u"program.";
constexpr char16_t kAlwaysAllowedKey[] = u".always";

// The groups in the order of their names.
std::vector<ProgramGroup> programGroupsOf(const KeyValueDocument& limits, const std::u16string& userName);

// What a program's file says of itself: the names a renamed copy keeps (its
// version information's) beside its file's own.
struct ProgramIdentity {
    std::u16string fileName;  // "minecraft.exe"
    std::u16string originalFileName;
    std::u16string internalName;
    std::u16string productName;
    // What a copy keeps though renamed and without version information: the
    // file's size and the digest of its ends (raw bytes); empty where unread.
    std::string fingerprint;
};
// The first group that knows the program by any of its names, in any case; -1 for none.
int groupOfProgram(const std::vector<ProgramGroup>& groups, const ProgramIdentity& program);
