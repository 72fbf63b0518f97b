#pragma once
// The parents' password: its salted digest and the rules that check it
// against the bytes of the digest file (nessel20p.cfg).
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using PasswordDigest = std::array<uint8_t, 32>;

// SHA-256 over the salt "SetHookKeyW" followed by the password's UTF-16LE code units.
PasswordDigest passwordDigest(const std::u16string& password);

// fileStart: up to the first 32 bytes of the digest file, or nothing when the
// file cannot be opened. A missing file accepts only the empty password; a
// file shorter than 32 bytes accepts every password; otherwise the digest of
// the password must equal the first 32 bytes.
bool passwordAccepted(const std::u16string& password, const std::optional<std::vector<uint8_t>>& fileStart);

// The password typed when this process's settings dialog was opened (empty
// when no prompt was needed); sent along with the Parents command, and wiped
// when the dialog closes.
std::u16string& promptedPassword();
