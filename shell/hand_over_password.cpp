#include "shell/hand_over_password.h"

std::u16string passwordFromHandOver(const uint8_t* bytes, size_t size) {
    std::u16string password;
    password.reserve(kHandOverPasswordLimit);  // one buffer: no copy left behind by growing
    for (size_t at = 0; at + 1 < size && password.size() < kHandOverPasswordLimit; at += 2) {
        const char16_t unit = static_cast<char16_t>(bytes[at] | (bytes[at + 1] << 8));
        if (unit == 0) break;
        password.push_back(unit);
    }
    return password;
}
