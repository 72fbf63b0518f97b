#include "settings/password_store_win.h"

#include <aclapi.h>
#include <sddl.h>

#include <optional>
#include <vector>

#include "common/text_win.h"
#include "crypto/wipe.h"
#include "resources/resource_ids.h"
#include "settings/password.h"
#include "common/whole_file_win.h"
#include "shell/data_locations_win.h"
#include "shell/guard_presence_win.h"
#include "shell/messages_win.h"

const wchar_t kGuardedDigestAccess[] = L"D:P(A;;FA;;;SY)(A;;FA;;;BA)";

namespace {

constexpr int kPasswordCapacity = 1024;

std::u16string fieldText(HWND dialog, int id) {
    wchar_t text[kPasswordCapacity + 1] = L"";
    getWindowTextU(GetDlgItem(dialog, id), text, kPasswordCapacity + 1);
    std::u16string field = reinterpret_cast<const char16_t*>(text);
    wipeMemory(text, sizeof text);
    return field;
}

// The three fields of a change of password, wiped when it is done.
struct PasswordFields {
    std::u16string oldPassword, newPassword, confirmation;
    ~PasswordFields() {
        wipeText(oldPassword);
        wipeText(newPassword);
        wipeText(confirmation);
    }
};

}  // namespace

bool checkPasswordAt(const wchar_t* digestPath, const std::u16string& password) {
    std::optional<std::vector<uint8_t>> fileStart;
    HANDLE file =
        createFileU(digestPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    // A digest that is there but cannot be read now (held open, kept from this
    // user) accepts nothing; only a missing one means no password is set.
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND)
        return false;
    if (file != INVALID_HANDLE_VALUE) {
        std::vector<uint8_t> bytes(32);
        DWORD read = 0;
        if (!ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr)) read = 0;
        CloseHandle(file);
        bytes.resize(read);
        fileStart = std::move(bytes);
    }
    return passwordAccepted(password, fileStart);
}

bool checkPassword(const std::u16string& password) { return checkPasswordAt(dataLocations().passwordPath(), password); }

bool storePasswordAt(const wchar_t* digestPath, const std::u16string& password) {
    setFileAttributesU(digestPath, FILE_ATTRIBUTE_NORMAL);
    const PasswordDigest digest = passwordDigest(password);
    if (!writeWholeFile(digestPath, digest.data(), DWORD(digest.size()))) return false;
    // Where the guard checks passwords, nobody else needs to read the digest.
    return runningGuardProcess() == 0 || keepDigestFromUsers(digestPath);
}

bool keepDigestFromUsers(const wchar_t* digestPath) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kGuardedDigestAccess, SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return false;
    PACL access = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    GetSecurityDescriptorDacl(descriptor, &present, &access, &defaulted);
    const bool kept = SetNamedSecurityInfoW(const_cast<wchar_t*>(digestPath), SE_FILE_OBJECT,
                                            DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                            nullptr, access, nullptr) == ERROR_SUCCESS;
    LocalFree(descriptor);
    return kept;
}

bool storePassword(const std::u16string& password) { return storePasswordAt(dataLocations().passwordPath(), password); }

int changePassword(HWND dialog) {
    PasswordFields fields{fieldText(dialog, kOldPasswordId), fieldText(dialog, kNewPasswordId),
                          fieldText(dialog, kConfirmPasswordId)};
    const std::u16string& oldPassword = fields.oldPassword;
    const std::u16string& newPassword = fields.newPassword;
    const std::u16string& confirmation = fields.confirmation;
    if (oldPassword.empty() && newPassword.empty() && confirmation.empty()) return 0;
    if (!checkPassword(oldPassword)) {
        errorBox(dialog, IDS_WRONG_PASSWORD, false);
        SetFocus(GetDlgItem(dialog, kOldPasswordId));
        return 1;
    }
    if (newPassword != confirmation) {
        errorBox(dialog, IDS_PASSWORD_NOT_CONFIRMED, false);
        SetFocus(GetDlgItem(dialog, kNewPasswordId));
        return 2;
    }
    if (!storePassword(newPassword)) {
        errorBox(dialog, IDS_CONFIG_NOT_SAVED, false);
        return 3;
    }
    return 0;
}
