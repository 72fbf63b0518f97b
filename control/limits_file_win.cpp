#include "control/limits_file_win.h"

#include <windows.h>

#include <vector>

#include "common/whole_file_win.h"
#include "control/usage_ledger_file_win.h"

namespace {

constexpr wchar_t kLimitsFileName[] = L"limits.txt";
constexpr DWORD kLongestLimitsFile = 1 << 20;

bool isUtf16(const std::vector<uint8_t>& bytes) { return bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE; }

// Narrow text: UTF-8, with or without its mark, or, where it is not UTF-8,
// the ANSI code page's, which Notepad saves by default on Windows XP.
std::u16string fromNarrow(const std::vector<uint8_t>& bytes) {
    const char* text = reinterpret_cast<const char*>(bytes.data());
    const int size = static_cast<int>(bytes.size());
    for (UINT codePage : {UINT{CP_UTF8}, UINT{CP_ACP}}) {
        const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
        const int length = MultiByteToWideChar(codePage, flags, text, size, nullptr, 0);
        if (length <= 0) continue;
        std::u16string wide(static_cast<size_t>(length), u'\0');
        MultiByteToWideChar(codePage, flags, text, size, reinterpret_cast<wchar_t*>(&wide[0]), length);
        if (wide[0] == u'\xFEFF') wide.erase(0, 1);
        return wide;
    }
    return {};
}

}  // namespace

bool limitsFilePath(wchar_t (&path)[MAX_PATH]) { return ledgerFolderFile(kLimitsFileName, path); }

std::optional<std::u16string> limitsTextOf(const std::vector<uint8_t>& bytes) {
    if (bytes.size() > kLongestLimitsFile) return std::nullopt;
    if (!isUtf16(bytes)) return fromNarrow(bytes);
    // The units after the byte-order mark, which the text does not keep.
    std::u16string text(bytes.size() / 2 - 1, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(bytes[2 * i + 2] | (bytes[2 * i + 3] << 8));
    return text;
}

std::optional<std::u16string> readLimitsText() {
    wchar_t path[MAX_PATH];
    if (!limitsFilePath(path)) return std::nullopt;
    const std::optional<std::vector<uint8_t>> bytes = readExistingFile(path);
    return bytes ? limitsTextOf(*bytes) : std::nullopt;
}

bool writeLimitsFile(const std::u16string& text) {
    wchar_t path[MAX_PATH];
    if (!limitsFilePath(path)) return false;
    std::vector<uint8_t> bytes{0xFF, 0xFE};
    for (char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return writeLedgerFile(path, bytes.data(), bytes.size());
}
