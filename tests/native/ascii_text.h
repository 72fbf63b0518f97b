#pragma once
// Text for messages and for the readers that take a code page's conversion.
#include <string>

// Units below 0x80 kept, every other unit as '?': enough where a value is only
// compared with ASCII words or scanned for numbers.
inline std::string asciiText(const std::u16string& text) {
    std::string narrow(text.size(), '?');
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] < 0x80) narrow[i] = static_cast<char>(text[i]);
    return narrow;
}
