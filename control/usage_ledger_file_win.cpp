#include "control/usage_ledger_file_win.h"

#include <sddl.h>

#include <cwchar>

#include "shell/data_locations_win.h"
#include "shell/folder_access_win.h"
#include "shell/process_identity_win.h"

const wchar_t kLedgerFolderAccess[] = L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FR;;;BU)";
const wchar_t kGuardRecordsAccess[] = L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

namespace {

constexpr wchar_t kLedgerFolderName[] = L"ledger";
constexpr wchar_t kGuardRecordsFolderName[] = L"guard";

bool folderOf(const wchar_t* path, wchar_t (&folder)[MAX_PATH]) {
    std::wcsncpy(folder, path, MAX_PATH - 1);
    folder[MAX_PATH - 1] = 0;
    wchar_t* slash = std::wcsrchr(folder, L'\\');
    if (!slash) return false;
    *slash = 0;
    return true;
}

}  // namespace

namespace {

bool ledgerPathOfSid(PSID user, wchar_t (&path)[MAX_PATH], const wchar_t* extension,
                     const wchar_t* folder = kLedgerFolderName) {
    wchar_t* sid = nullptr;
    if (!user || !ConvertSidToStringSidW(user, &sid)) return false;
    const int length =
        std::swprintf(path, MAX_PATH, L"%ls\\%ls\\%ls.%ls", dataLocations().commonFolder(), folder, sid, extension);
    LocalFree(sid);
    return length > 0 && length < MAX_PATH;
}

}  // namespace

bool ledgerPathOf(HANDLE token, wchar_t (&path)[MAX_PATH], const wchar_t* extension) {
    TokenUserBuffer buffer;
    return ledgerPathOfSid(userOfToken(token, buffer), path, extension);
}

bool ledgerPathOfUser(const wchar_t* userName, wchar_t (&path)[MAX_PATH], const wchar_t* extension) {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof sid;
    wchar_t domain[256];
    DWORD domainSize = 256;
    SID_NAME_USE use{};
    return LookupAccountNameW(nullptr, userName, sid, &sidSize, domain, &domainSize, &use) &&
           ledgerPathOfSid(sid, path, extension);
}

bool ledgerFolderFile(const wchar_t* name, wchar_t (&path)[MAX_PATH]) {
    const int length =
        std::swprintf(path, MAX_PATH, L"%ls\\%ls\\%ls", dataLocations().commonFolder(), kLedgerFolderName, name);
    return length > 0 && length < MAX_PATH;
}

bool prepareLedgerFolder() {
    wchar_t folder[MAX_PATH];
    const int length = std::swprintf(folder, MAX_PATH, L"%ls\\%ls", dataLocations().commonFolder(), kLedgerFolderName);
    return length > 0 && length < MAX_PATH && prepareFolder(folder, kLedgerFolderAccess);
}

size_t readLedgerFile(const wchar_t* path, uint8_t* bytes, size_t capacity) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD read = 0;
    if (!ReadFile(file, bytes, static_cast<DWORD>(capacity), &read, nullptr)) read = 0;
    CloseHandle(file);
    return read;
}

bool guardRecordPathOf(HANDLE token, wchar_t (&path)[MAX_PATH], const wchar_t* extension) {
    TokenUserBuffer buffer;
    return ledgerPathOfSid(userOfToken(token, buffer), path, extension, kGuardRecordsFolderName);
}

bool guardRecordPath(const wchar_t* name, wchar_t (&path)[MAX_PATH]) {
    const int length = std::swprintf(path, MAX_PATH, L"%ls\\%ls\\%ls", dataLocations().commonFolder(),
                                     kGuardRecordsFolderName, name);
    return length > 0 && length < MAX_PATH;
}

namespace {

bool replaceInFolder(const wchar_t* path, const uint8_t* bytes, size_t size, const wchar_t* rules) {
    wchar_t folder[MAX_PATH], fresh[MAX_PATH];
    if (!folderOf(path, folder) || !prepareFolder(folder, rules)) return false;
    if (std::swprintf(fresh, MAX_PATH, L"%ls.new", path) <= 0) return false;
    // A file of that name made beforehand (a link to another file, say) is
    // never written through: only its name goes, and a new file is made.
    DeleteFileW(fresh);
    HANDLE file = CreateFileW(fresh, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool whole = WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr) && written == size &&
                       FlushFileBuffers(file);
    CloseHandle(file);
    return whole && MoveFileExW(fresh, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

}  // namespace

bool writeLedgerFile(const wchar_t* path, const uint8_t* bytes, size_t size) {
    return replaceInFolder(path, bytes, size, kLedgerFolderAccess);
}

bool writeGuardRecord(const wchar_t* path, const uint8_t* bytes, size_t size) {
    return replaceInFolder(path, bytes, size, kGuardRecordsAccess);
}
