#include "guard/program_fingerprints.h"

#include <algorithm>

#include "common/little_endian.h"
#include "content/lower_case.h"

ProgramMatch ProgramFingerprints::match(const std::vector<ProgramGroup>& groups, const ProgramIdentity& program) {
    ProgramMatch found{groupOfProgram(groups, program)};
    const auto learned = program.fingerprint.empty() ? names_.end() : names_.find(program.fingerprint);
    if (learned != names_.end()) {
        ProgramIdentity seenAs;
        seenAs.fileName = learned->second;
        const int known = groupOfProgram(groups, seenAs);
        if (known >= 0 && (found.group < 0 || (groups[static_cast<size_t>(known)].limited() &&
                                               !groups[static_cast<size_t>(found.group)].limited())))
            found.group = known;
    }
    if (found.group < 0) return found;
    const std::vector<std::u16string>& names = groups[static_cast<size_t>(found.group)].programs;
    const std::u16string fileName = lowerCase(program.fileName);
    found.renamed = std::find(names.begin(), names.end(), fileName) == names.end();
    if (!found.renamed && learned == names_.end() && program.fingerprint.size() == kFingerprintSize)
        learn(program.fingerprint, fileName);
    return found;
}

void ProgramFingerprints::learn(const std::string& fingerprint, const std::u16string& fileName) {
    if (fileName.size() > UINT16_MAX) return;
    if (order_.size() == kKept) {
        names_.erase(order_.front());
        order_.erase(order_.begin());
    }
    names_[fingerprint] = fileName;
    order_.push_back(fingerprint);
}

std::vector<uint8_t> ProgramFingerprints::encode() const {
    std::vector<uint8_t> bytes;
    for (const std::string& fingerprint : order_) {
        const std::u16string& name = names_.at(fingerprint);
        bytes.insert(bytes.end(), fingerprint.begin(), fingerprint.end());
        const size_t at = bytes.size();
        bytes.resize(at + 2 + 2 * name.size());
        putLittleEndian(&bytes[at], name.size(), 2);
        for (size_t i = 0; i < name.size(); ++i) putLittleEndian(&bytes[at + 2 + 2 * i], name[i], 2);
    }
    return bytes;
}

void ProgramFingerprints::decode(const uint8_t* bytes, size_t size) {
    for (size_t at = 0; size - at >= kFingerprintSize + 2;) {
        const std::string fingerprint(reinterpret_cast<const char*>(bytes + at), kFingerprintSize);
        const size_t units = static_cast<size_t>(getLittleEndian(bytes + at + kFingerprintSize, 2));
        at += kFingerprintSize + 2;
        if (size - at < 2 * units) break;
        std::u16string name(units, u'\0');
        for (size_t i = 0; i < units; ++i) name[i] = static_cast<char16_t>(getLittleEndian(bytes + at + 2 * i, 2));
        at += 2 * units;
        if (!names_.count(fingerprint)) learn(fingerprint, name);
    }
}
