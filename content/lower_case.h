#pragma once
#include <string>
#include <string_view>

// Lower case of one UTF-16 unit for the Latin, Greek and Cyrillic letters;
// every other unit is returned as it is.
char16_t lowerCase(char16_t unit);
std::u16string lowerCase(std::u16string_view text);
