#include "shell/folder_access_win.h"

#include <aclapi.h>
#include <sddl.h>

#include <string>

#include "common/system_function_win.h"
#include "shell/privileges_win.h"

namespace {

constexpr SECURITY_INFORMATION kOwnerAndAccess = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

// The access rules in the form the system's calls take.
class Access {
public:
    explicit Access(const wchar_t* rules) {
        BOOL present = FALSE, defaulted = FALSE;
        valid_ = ConvertStringSecurityDescriptorToSecurityDescriptorW(rules, SDDL_REVISION_1, &descriptor_, nullptr) &&
                 GetSecurityDescriptorOwner(descriptor_, &owner_, &defaulted) && owner_ &&
                 GetSecurityDescriptorDacl(descriptor_, &present, &dacl_, &defaulted) && present;
    }
    ~Access() { LocalFree(descriptor_); }
    Access(const Access&) = delete;
    Access& operator=(const Access&) = delete;

    bool valid() const { return valid_; }
    PSECURITY_DESCRIPTOR descriptor() const { return descriptor_; }
    PSID owner() const { return owner_; }
    PACL dacl() const { return dacl_; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    PSID owner_ = nullptr;
    PACL dacl_ = nullptr;
    bool valid_ = false;
};

bool isLink(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A link is removed itself: a folder's link with RemoveDirectory, which leaves its target alone.
bool removeLink(const std::wstring& path, DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str()) != FALSE
                                                   : DeleteFileW(path.c_str()) != FALSE;
}

bool prepare(const std::wstring& folder, const Access& access) {
    SECURITY_ATTRIBUTES attributes{sizeof attributes, access.descriptor(), FALSE};
    if (CreateDirectoryW(folder.c_str(), &attributes)) return true;
    return GetLastError() == ERROR_ALREADY_EXISTS &&
           SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT,
                                 kOwnerAndAccess | PROTECTED_DACL_SECURITY_INFORMATION, access.owner(), nullptr,
                                 access.dacl(), nullptr) == ERROR_SUCCESS;
}

// Links inside are removed. Where the system's tree reset did not run
// (Windows XP has none), each entry gets the owner and an empty DACL that
// lets what its folder passes on in; a folder is reset before it is listed,
// so that rules a child set on it cannot hide what is inside.
bool walkInside(const std::wstring& folder, PSID owner, bool resetEach) {
    ACL none;
    if (!InitializeAcl(&none, sizeof none, ACL_REVISION)) return false;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    bool all = true;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        if (isLink(found.dwFileAttributes)) {
            all = removeLink(path, found.dwFileAttributes) && all;
            continue;
        }
        if (resetEach)
            all = SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                                        kOwnerAndAccess | UNPROTECTED_DACL_SECURITY_INFORMATION, owner, nullptr,
                                        &none, nullptr) == ERROR_SUCCESS &&
                  all;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) all = walkInside(path, owner, resetEach) && all;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return all;
}

std::wstring withoutTrailingSlash(const wchar_t* folder) {
    std::wstring path = folder;
    while (path.size() > 1 && path.back() == L'\\') path.pop_back();
    return path;
}

}  // namespace

bool prepareFolder(const wchar_t* folder, const wchar_t* access) {
    const Access rules(access);
    return rules.valid() && prepare(folder, rules);
}

bool takeOverFolderTree(const wchar_t* folder, const wchar_t* access) {
    const Access rules(access);
    if (!rules.valid()) return false;
    // Owner and rules are set whatever a child's rules on an entry allow administrators.
    EnabledPrivilege takeOwnership(SE_TAKE_OWNERSHIP_NAME), restore(SE_RESTORE_NAME);
    const std::wstring root = withoutTrailingSlash(folder);
    const DWORD attributes = GetFileAttributesW(root.c_str());
    if (isLink(attributes) && !removeLink(root, attributes)) return false;
    if (!prepare(root, rules)) return false;
    using TreeReset = decltype(&TreeResetNamedSecurityInfoW);
    static const auto treeReset = systemFunction<TreeReset>(L"advapi32.dll", "TreeResetNamedSecurityInfoW");
    // Windows Vista on resets the tree in one call; the walk removes the links inside either way.
    const bool reset = treeReset && treeReset(const_cast<wchar_t*>(root.c_str()), SE_FILE_OBJECT,
                                              kOwnerAndAccess | PROTECTED_DACL_SECURITY_INFORMATION, rules.owner(),
                                              nullptr, rules.dacl(), nullptr, FALSE, nullptr, ProgressInvokeNever,
                                              nullptr) == ERROR_SUCCESS;
    return walkInside(root, rules.owner(), !reset);
}
