#include "guard/program_fingerprints.h"

#include <algorithm>

#include "common/little_endian.h"
#include "content/lower_case.h"

namespace {

void putText(std::vector<uint8_t>& bytes, const std::u16string& text) {
    const size_t at = bytes.size();
    bytes.resize(at + 2 + 2 * text.size());
    putLittleEndian(&bytes[at], text.size(), 2);
    for (size_t i = 0; i < text.size(); ++i) putLittleEndian(&bytes[at + 2 + 2 * i], text[i], 2);
}

// The text at the offset, moved past it; false where the bytes end before it does.
bool getText(const uint8_t* bytes, size_t size, size_t& at, std::u16string& text) {
    if (size - at < 2) return false;
    const size_t units = static_cast<size_t>(getLittleEndian(bytes + at, 2));
    if (size - at - 2 < 2 * units) return false;
    text.assign(units, u'\0');
    for (size_t i = 0; i < units; ++i) text[i] = static_cast<char16_t>(getLittleEndian(bytes + at + 2 + 2 * i, 2));
    at += 2 + 2 * units;
    return true;
}

}  // namespace

ProgramMatch ProgramFingerprints::match(const std::vector<ProgramGroup>& groups, const ProgramIdentity& program,
                                        const std::u16string& path) {
    ProgramMatch found{groupOfProgram(groups, program)};
    const auto learned = program.fingerprint.empty() ? names_.end() : names_.find(program.fingerprint);
    if (learned != names_.end()) {
        ProgramIdentity seenAs;
        seenAs.fileName = learned->second.fileName;
        const int known = groupOfProgram(groups, seenAs);
        if (known >= 0 && (found.group < 0 || (groups[static_cast<size_t>(known)].limited() &&
                                               !groups[static_cast<size_t>(found.group)].limited())))
            found.group = known;
    }
    if (found.group < 0) return found;
    const std::vector<std::u16string>& names = groups[static_cast<size_t>(found.group)].programs;
    const std::u16string fileName = lowerCase(program.fileName);
    found.renamed = std::find(names.begin(), names.end(), fileName) == names.end();
    found.copied = !found.renamed && learned != names_.end() && learned->second.path != lowerCase(path);
    if (!found.renamed && learned == names_.end() && program.fingerprint.size() == kFingerprintSize)
        learn(program.fingerprint, {fileName, lowerCase(path)});
    return found;
}

void ProgramFingerprints::learn(const std::string& fingerprint, Seen seen) {
    if (seen.fileName.size() > UINT16_MAX || seen.path.size() > UINT16_MAX) return;
    if (order_.size() == kKept) {
        names_.erase(order_.front());
        order_.erase(order_.begin());
    }
    names_[fingerprint] = std::move(seen);
    ++learnedCount_;
    order_.push_back(fingerprint);
}

std::vector<uint8_t> ProgramFingerprints::encode() const {
    std::vector<uint8_t> bytes;
    for (const std::string& fingerprint : order_) {
        const Seen& seen = names_.at(fingerprint);
        bytes.insert(bytes.end(), fingerprint.begin(), fingerprint.end());
        putText(bytes, seen.fileName);
        putText(bytes, seen.path);
    }
    return bytes;
}

void ProgramFingerprints::decode(const uint8_t* bytes, size_t size) {
    Seen seen;
    for (size_t at = 0; size - at >= kFingerprintSize;) {
        const std::string fingerprint(reinterpret_cast<const char*>(bytes + at), kFingerprintSize);
        at += kFingerprintSize;
        if (!getText(bytes, size, at, seen.fileName) || !getText(bytes, size, at, seen.path)) break;
        if (!names_.count(fingerprint)) learn(fingerprint, seen);
    }
}
