#include "ui/suite_icon_win.h"

#include "resources/resource_ids.h"

HICON loadSuiteIcon(bool small) {
    const int width = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
    const int height = GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON);
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TIKKO), IMAGE_ICON, width, height, 0));
}
