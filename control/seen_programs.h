#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The programs that ran lately in the children's sessions, for the parents to
// pick from when they name a group's programs: "programs.csv" in the guard's
// folder, under a header a line a program, the most recently seen first: the
// day it was seen, its file's name in lower case and its product name (UTF-8).

extern const char kSeenProgramsHeader[];
constexpr size_t kSeenProgramsKept = 100;

// The list with the program first, seen on the day, and its older line (the
// same file name) dropped, keeping kSeenProgramsKept lines. Text that is not
// such a list gives way to a fresh one.
std::string withSeenProgram(const std::string& list, const std::u16string& fileName,
                            const std::u16string& productName, int32_t day);

struct SeenProgram {
    std::string fileName;     // UTF-8, in lower case
    std::string productName;  // UTF-8; may be empty
};
// The list's programs, the most recently seen first; damaged lines are left out.
std::vector<SeenProgram> seenProgramsOf(const std::string& list);
