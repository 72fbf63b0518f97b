#include "tools/vfs_tool_support.h"

#include <filesystem>
#include <iostream>

#include "content/file_byte_source.h"

std::string utf8(const std::u16string& text) { return std::filesystem::path(text).u8string(); }

std::u16string utf16(const std::string& text) { return std::filesystem::u8path(text).u16string(); }

std::unique_ptr<VfsArchive> openArchiveForTool(const char* tool, const std::string& path) {
    std::unique_ptr<FileByteSource> source = FileByteSource::open(path);
    if (!source) {
        std::cerr << tool << ": cannot open '" << path << "'\n";
        return nullptr;
    }
    std::unique_ptr<VfsArchive> archive = VfsArchive::mount(std::move(source), VfsCodec::standard(), utf16(path));
    if (!archive) std::cerr << tool << ": '" << path << "' is not a content archive, or its directory is damaged\n";
    return archive;
}
