#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "control/usage_history.h"
#include "calendar/week_entries.h"
#include "calendar/weekly_calendar.h"
#include "resources/resource_ids.h"
#include "settings/suite_dialog_look_win.h"
#include "ui/dialog_win.h"

// Opens the parents' week and history ("/calendar"): started again elevated
// (qza.exe) where the user is no administrator, then only after the password,
// and not while another is open (which stays as it is).
void openCalendar(bool (*isUserAnAdmin)());

// The parents' week for all users or one, and that user's last 14 days. The
// entries are kept in the limits file's text while another user is chosen;
// OK writes the file where it changed and tells the control module.
class CalendarForm : public Dialog {
public:
    CalendarForm() : Dialog(IDD_CALENDAR) {}

protected:
    bool onInitDialog() override;
    void onOK() override;
    bool onCommand(int id, int code) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // The chosen user's name; empty for all users.
    std::u16string userAt(int level) const;
    // The text with the entries on the page set for the level; `bad` the
    // first entry that cannot be read, which is left out.
    std::u16string textWithEntries(int level, std::optional<BadEntry>& bad) const;
    // Takes the page's entries into the text; false, with the entry pointed
    // out, when one cannot be read.
    bool keepEntries();
    // Fills the page from the text and the history for the chosen user.
    void showLevel(int level);
    WeeklyCalendar shownWeek() const;
    void offerRequests();

    SuiteDialogLook look_;
    std::vector<std::u16string> users_;
    std::u16string original_;
    std::u16string text_;
    int level_ = 0;
    bool requestsOffered_ = false;
    std::string historyText_;  // the chosen user's, as exported
    std::vector<HistoryDay> history_;
};
