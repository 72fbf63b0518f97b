#include "guard/module_protection_win.h"

#include <sddl.h>

const wchar_t kModuleIntegrity[] = L"S-1-16-12288";
// PROCESS_ALL_ACCESS for the system and administrators; OW (owner rights)
// takes the place of an owner's implicit right to change the rules.
const wchar_t kModuleProcessAccess[] = L"D:P(A;;0x1fffff;;;SY)(A;;0x1fffff;;;BA)(A;;0x101000;;;OW)(A;;0x101000;;;IU)";

HANDLE raisedToken(HANDLE token) {
    HANDLE primary = nullptr;
    if (!DuplicateTokenEx(token, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary, &primary))
        return nullptr;
    PSID level = nullptr;
    bool raised = ConvertStringSidToSidW(kModuleIntegrity, &level) != FALSE;
    if (raised) {
        TOKEN_MANDATORY_LABEL label{};
        label.Label.Attributes = SE_GROUP_INTEGRITY;
        label.Label.Sid = level;
        raised = SetTokenInformation(primary, TokenIntegrityLevel, &label, sizeof label + GetLengthSid(level)) != FALSE;
        LocalFree(level);
    }
    if (raised) return primary;
    CloseHandle(primary);
    return nullptr;
}

bool moduleProcessAttributes(SECURITY_ATTRIBUTES& attributes) {
    attributes = SECURITY_ATTRIBUTES{sizeof attributes, nullptr, FALSE};
    return ConvertStringSecurityDescriptorToSecurityDescriptorW(kModuleProcessAccess, SDDL_REVISION_1,
                                                                &attributes.lpSecurityDescriptor, nullptr) != FALSE;
}
