#pragma once
#include <string>
#include <vector>

// The folders an absolute path passes through below its drive or share root,
// then the path itself, shortest first: "C:\a\b\f" gives "C:\a", "C:\a\b" and
// "C:\a\b\f". Roots are "C:\", "\\server\share\", "\\?\C:\" and
// "\\?\UNC\server\share\"; either slash separates. A path with no such root
// (relative, "C:a", a bare server) gives nothing.
std::vector<std::u16string> pathSteps(const std::u16string& path);
