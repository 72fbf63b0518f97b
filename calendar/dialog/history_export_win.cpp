#include "calendar/dialog/history_export_win.h"

#include <commdlg.h>

#include <cwchar>
#include <string>

#include "common/system_function_win.h"
#include "common/whole_file_win.h"
#include "resources/resource_ids.h"
#include "shell/messages_win.h"

bool exportHistory(HWND owner, const std::wstring& userName, const std::string& history) {
    // The common dialogs' library, loaded when a parent exports.
    static const auto saveFileDialog = systemFunction<decltype(&GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
    static const auto dialogError =
        systemFunction<decltype(&CommDlgExtendedError)>(L"comdlg32.dll", "CommDlgExtendedError");
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
