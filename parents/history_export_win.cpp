#include "parents/history_export_win.h"

#include <commdlg.h>

#include <cwchar>
#include <string>
#include <vector>

#include "common/whole_file_win.h"
#include "control/usage_history.h"
#include "control/usage_ledger_file_win.h"
#include "resources/resource_ids.h"
#include "shell/messages_win.h"

namespace {

using SaveFileDialog = BOOL(WINAPI*)(OPENFILENAMEW*);
using DialogError = DWORD(WINAPI*)();

// From the common dialogs' library, loaded when a parent exports rather than
// by every start of qz.exe, a scene's among them.
template <typename Function>
Function commonDialogFunction(const char* name) {
    static const HMODULE library = LoadLibraryW(L"comdlg32.dll");
    return library ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

}  // namespace

bool exportHistory(HWND owner, const std::wstring& userName) {
    const auto saveFileDialog = commonDialogFunction<SaveFileDialog>("GetSaveFileNameW");
    const auto dialogError = commonDialogFunction<DialogError>("CommDlgExtendedError");
    if (!saveFileDialog || !dialogError) return false;
    wchar_t source[MAX_PATH];
    std::vector<uint8_t> history;
    if (!ledgerPathOfUser(userName.c_str(), source, L"csv")) return false;
    if (readWholeFile(source, history) == 0) {
        const std::string header = std::string(kHistoryHeader) + "\r\n";
        history.assign(header.begin(), header.end());
    }
    wchar_t format[128] = L"", filterName[128] = L"";
    loadString(IDS_CALENDAR_EXPORT_NAME, format, 128);
    loadString(IDS_CALENDAR_CSV_FILTER, filterName, 128);
    wchar_t target[MAX_PATH] = L"";
    std::swprintf(target, MAX_PATH, format, userName.c_str());
    const std::wstring filter = std::wstring(filterName) + L'\0' + L"*.csv" + L'\0' + L'\0';
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = target;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = L"csv";
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!saveFileDialog(&dialog)) return dialogError() == 0;
    return writeWholeFile(target, history.data(), static_cast<DWORD>(history.size()));
}
