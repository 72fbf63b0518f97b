#include "content/archive_win.h"

#include <string>

#include "common/text_win.h"

namespace {

// Reads of an open archive file: one seek and one read each.
class HandleByteSource : public ByteSource {
public:
    HandleByteSource(HANDLE file, uint64_t size) : file_(file), size_(size) {}
    ~HandleByteSource() override { CloseHandle(file_); }
    uint64_t size() const override { return size_; }
    bool read(uint64_t offset, void* out, size_t length) override {
        if (offset > size_ || length > size_ - offset || length > MAXDWORD) return false;
        LONG high = static_cast<LONG>(offset >> 32);
        if (SetFilePointer(file_, static_cast<LONG>(offset), &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
            GetLastError() != NO_ERROR)
            return false;
        DWORD done = 0;
        return ReadFile(file_, out, static_cast<DWORD>(length), &done, nullptr) && done == length;
    }

private:
    HANDLE file_;
    uint64_t size_;
};

// The first match of the pattern with the pattern's folder part; empty when none.
std::wstring firstMatch(const wchar_t* pattern) {
    std::wstring name;
    if (isWideApiAvailable()) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(pattern, &found);
        if (search == INVALID_HANDLE_VALUE) return name;
        FindClose(search);
        name = found.cFileName;
    } else {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(wideToCodePage(kFileNameCodePage, pattern).get(), &found);
        if (search == INVALID_HANDLE_VALUE) return name;
        FindClose(search);
        name = codePageToWide(kFileNameCodePage, found.cFileName).get();
    }
    std::wstring folder = pattern;
    size_t slash = folder.find_last_of(L"\\/:");
    folder.erase(slash == std::wstring::npos ? 0 : slash + 1);
    return folder + name;
}

std::unique_ptr<VfsArchive>& processArchive() {
    static std::unique_ptr<VfsArchive> archive;
    return archive;
}

}  // namespace

std::unique_ptr<VfsArchive> vfsOpenArchive(const wchar_t* pattern, VfsCodec codec, int* error) {
    if (error) *error = kVfsNotFound;
    std::wstring path = firstMatch(pattern);
    if (path.empty()) return nullptr;
    HANDLE file = createFileU(path.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        CloseHandle(file);
        return nullptr;
    }
    auto source = std::make_unique<HandleByteSource>(file, uint64_t(high) << 32 | low);
    return VfsArchive::mount(std::move(source), std::move(codec),
                             std::u16string(reinterpret_cast<const char16_t*>(path.c_str())), error);
}

VfsArchive* vfsArchive() {
    std::unique_ptr<VfsArchive>& archive = processArchive();
    if (!archive) archive = vfsOpenArchive(L"*.vfs", VfsCodec::standard());
    return archive.get();
}

void vfsCloseArchive() { processArchive().reset(); }

VfsBuffer vfsReadFile(VfsArchive* archive, const wchar_t* path, uint32_t* size) {
    if (!archive || !path) return nullptr;
    std::wstring folded = path;
    CharLowerW(folded.data());
    return vfsReadFile(archive, std::u16string_view(reinterpret_cast<const char16_t*>(folded.c_str())), size);
}

VfsBuffer vfsReadFileA(VfsArchive* archive, const char* path, uint32_t* size) {
    if (!archive || !path) return nullptr;
    std::string folded = path;
    CharLowerA(folded.data());
    std::unique_ptr<wchar_t[]> wide = ansiToWide(folded.c_str());
    return vfsReadFile(archive, std::u16string_view(reinterpret_cast<const char16_t*>(wide.get())), size);
}
