#pragma once
#include <string>
#include <string_view>

// The limits file's text with one key set as the parents' dialog sets it: the
// first line that sets the key (in any case) rewritten as "key = value", later
// ones removed, a new line at the end where none set it. An empty value
// removes every line that sets the key. Comments, blank lines and other keys
// stay as they were, so a file written by hand keeps its notes.
std::u16string withLimit(std::u16string_view text, const std::u16string& key, std::u16string_view value);
