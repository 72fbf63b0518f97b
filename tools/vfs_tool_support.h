#pragma once
#include <memory>
#include <string>

#include "content/archive.h"

// Mounts the archive file for a command-line tool; on failure prints why,
// prefixed with the tool's name, and returns null.
std::unique_ptr<VfsArchive> openArchiveForTool(const char* tool, const std::string& path);

std::string utf8(const std::u16string& text);
std::u16string utf16(const std::string& text);
