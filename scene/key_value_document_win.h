#pragma once
#include <string>

// UTF-16 text in the system's ANSI code page: the narrowing of
// KeyValueDocument::ansiText in the program.
std::string toAnsiCodePage(const std::u16string& text);
