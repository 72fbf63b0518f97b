#pragma once
#include <string>

// The control module's side of a command with a password: reads the hand-over
// file (existing, no sharing, at most 1024 code units), then wipes it. Empty
// when there is no file. The caller wipes the result (wipeText) when done.
std::u16string takeHandOverPassword();
