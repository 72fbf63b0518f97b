#include "settings/password.h"

#include <algorithm>

#include "content/digest.h"
#include "content/wipe.h"

namespace {

constexpr char salt[] = "SetHookKeyW";
constexpr size_t saltLength = sizeof salt - 1;

}  // namespace

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
    sha256.add(context, salt, saltLength);
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

uint32_t proof(uint32_t x) {
    const uint8_t challenge[4] = {uint8_t(x), uint8_t(x >> 8), uint8_t(x >> 16), uint8_t(x >> 24)};
    uint8_t answer[4];
    hashDigest(sha256Descriptor, answer, 4, challenge, 4, salt, 10);
    return uint32_t(answer[0]) | uint32_t(answer[1]) << 8 | uint32_t(answer[2]) << 16 | uint32_t(answer[3]) << 24;
}
