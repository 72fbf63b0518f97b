#include "parents/history_export_win.h"

#include <commdlg.h>

#include <cwchar>
#include <string>

#include "common/whole_file_win.h"
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

bool exportHistory(HWND owner, const std::wstring& userName, const std::string& history) {
    const auto saveFileDialog = commonDialogFunction<SaveFileDialog>("GetSaveFileNameW");
    const auto dialogError = commonDialogFunction<DialogError>("CommDlgExtendedError");
    if (!saveFileDialog || !dialogError) return false;
    wchar_t target[MAX_PATH] = L"";
    std::swprintf(target, MAX_PATH, loadedString(IDS_CALENDAR_EXPORT_NAME).c_str(), userName.c_str());
    const std::wstring filter = loadedString(IDS_CALENDAR_CSV_FILTER) + L'\0' + L"*.csv" + L'\0' + L'\0';
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = target;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = L"csv";
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!saveFileDialog(&dialog)) return dialogError() == 0;
    return writeWholeFile(target, reinterpret_cast<const uint8_t*>(history.data()), static_cast<DWORD>(history.size()));
}
