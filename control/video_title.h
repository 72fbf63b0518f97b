#pragma once
#include <string_view>

// Whether a window title names a video: one of the known player or file-type
// patterns (first occurrence, ASCII letters in any case) followed by at most
// three more characters or by " - ".
bool isVideoTitle(std::u16string_view title);
