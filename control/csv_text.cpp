#include "control/csv_text.h"

#include <cstdint>

std::string csvFieldOf(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t unit = text[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            unit = 0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (unit >= 0xD800 && unit < 0xE000)
            unit = 0xFFFD;
        if (unit == ';' || unit == '\r' || unit == '\n') continue;
        if (unit < 0x80) {
            out += static_cast<char>(unit);
        } else if (unit < 0x800) {
            out += {static_cast<char>(0xC0 | unit >> 6), static_cast<char>(0x80 | (unit & 0x3F))};
        } else if (unit < 0x10000) {
            out += {static_cast<char>(0xE0 | unit >> 12), static_cast<char>(0x80 | ((unit >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (unit & 0x3F))};
        } else {
            out += {static_cast<char>(0xF0 | unit >> 18), static_cast<char>(0x80 | ((unit >> 12) & 0x3F)),
                    static_cast<char>(0x80 | ((unit >> 6) & 0x3F)), static_cast<char>(0x80 | (unit & 0x3F))};
        }
    }
    return out;
}

std::vector<std::string> csvLinesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}
