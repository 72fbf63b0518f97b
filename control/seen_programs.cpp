#include "control/seen_programs.h"

#include "content/lower_case.h"
#include "control/csv_text.h"
#include "control/usage_history.h"

const char kSeenProgramsHeader[] = "date;file;product";

namespace {

constexpr size_t kDateLength = 10;

// The file's field of a line "date;file;product"; empty for a damaged line.
std::string fileOf(const std::string& line) {
    const size_t first = line.find(';'), last = line.rfind(';');
    if (first != kDateLength || last == first || dayOfDate(line.substr(0, first)) < 0) return {};
    return line.substr(first + 1, last - first - 1);
}

}  // namespace

std::string withSeenProgram(const std::string& list, const std::u16string& fileName,
                            const std::u16string& productName, int32_t day) {
    const std::string file = csvFieldOf(lowerCase(fileName));
    std::vector<std::string> lines = csvLinesOf(list);
    if (lines.empty() || lines.front() != kSeenProgramsHeader) lines.assign(1, kSeenProgramsHeader);
    std::string text = std::string(kSeenProgramsHeader) + "\r\n" + dateOf(day) + ";" + file + ";" +
                       csvFieldOf(productName) + "\r\n";
    size_t kept = 1;
    for (size_t at = 1; at < lines.size() && kept < kSeenProgramsKept; ++at) {
        const std::string known = fileOf(lines[at]);
        if (known.empty() || known == file) continue;
        text += lines[at] + "\r\n";
        ++kept;
    }
    return text;
}

std::vector<SeenProgram> seenProgramsOf(const std::string& list) {
    std::vector<SeenProgram> programs;
    const std::vector<std::string> lines = csvLinesOf(list);
    for (size_t at = 1; at < lines.size() && lines.front() == kSeenProgramsHeader; ++at)
        if (std::string file = fileOf(lines[at]); !file.empty())
            programs.push_back({std::move(file), lines[at].substr(lines[at].rfind(';') + 1)});
    return programs;
}
