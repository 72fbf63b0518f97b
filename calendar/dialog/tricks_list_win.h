#pragma once
#include <windows.h>

#include "ui/dialog_win.h"
#include "ui/report_list_ctrl_win.h"

// The tricks the guard beat, the newest first, as its own record in its
// folder keeps them (which the parents' dialog, run as an administrator, may read).
class TricksList : public Dialog {
public:
    explicit TricksList(HWND parent);

protected:
    bool onInitDialog() override;

private:
    ReportListCtrl list_;
};
