#include "control/limits_file_win.h"

#include <windows.h>

#include <vector>

#include "common/whole_file_win.h"
#include "control/usage_ledger_file_win.h"

namespace {

constexpr wchar_t kLimitsFileName[] = L"limits.txt";
constexpr DWORD kLongestLimitsFile = 1 << 20;

bool isUtf16(const std::vector<uint8_t>& bytes) { return bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE; }

std::u16string fromUtf8(const std::vector<uint8_t>& bytes) {
    const char* text = reinterpret_cast<const char*>(bytes.data());
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, size, nullptr, 0);
    std::u16string wide(static_cast<size_t>(length > 0 ? length : 0), u'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text, size, reinterpret_cast<wchar_t*>(&wide[0]), length);
    if (!wide.empty() && wide[0] == u'\xFEFF') wide.erase(0, 1);
    return wide;
}

}  // namespace

std::u16string readLimitsFile() {
    wchar_t path[MAX_PATH];
    std::vector<uint8_t> bytes;
    if (!ledgerFolderFile(kLimitsFileName, path) || readWholeFile(path, bytes) == 0 ||
        bytes.size() > kLongestLimitsFile)
        return {};
    if (!isUtf16(bytes)) return fromUtf8(bytes);
    // The units after the byte-order mark, which the text does not keep.
    std::u16string text(bytes.size() / 2 - 1, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(bytes[2 * i + 2] | (bytes[2 * i + 3] << 8));
    return text;
}

bool writeLimitsFile(const std::u16string& text) {
    wchar_t path[MAX_PATH];
    if (!ledgerFolderFile(kLimitsFileName, path)) return false;
    std::vector<uint8_t> bytes{0xFF, 0xFE};
    for (char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return writeLedgerFile(path, bytes.data(), bytes.size());
}
