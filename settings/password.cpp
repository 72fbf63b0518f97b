#include "settings/password.h"

#include <algorithm>

#include "crypto/digest.h"
#include "crypto/wipe.h"
#include "shell/control_commands.h"

PasswordDigest passwordDigest(const std::u16string& password) {
    std::vector<uint8_t> bytes;
    bytes.reserve(password.size() * 2);
    for (char16_t unit : password) {
        bytes.push_back(uint8_t(unit));
        bytes.push_back(uint8_t(unit >> 8));
    }
    const HashDescriptor& sha256 = *sha256Descriptor();
    alignas(8) uint8_t context[256];
    sha256.begin(context, 0);
    sha256.add(context, kSuiteSalt, sizeof kSuiteSalt - 1);
    sha256.add(context, bytes.data(), bytes.size());
    PasswordDigest digest;
    sha256.finish(context, digest.data());
    wipeMemory(bytes.data(), bytes.size());
    wipeMemory(context, sizeof context);
    return digest;
}

bool passwordAccepted(const std::u16string& password, const std::optional<std::vector<uint8_t>>& fileStart) {
    if (!fileStart) return password.empty();
    const PasswordDigest digest = passwordDigest(password);
    if (fileStart->size() < digest.size()) return true;
    return std::equal(digest.begin(), digest.end(), fileStart->begin());
}

std::u16string& promptedPassword() {
    static std::u16string password;
    return password;
}
