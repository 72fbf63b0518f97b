#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "control/usage_history.h"
#include "ui/dialog_win.h"

// The parents' groups of programs for all users or one child, over the limits
// file's text the week holds: a group's name (one typed anew makes a group),
// the names its programs go by (typed, picked from the programs the children
// ran lately, or from a program's file), always allowed or each weekday's
// hours and minutes, and the child's last 14 days of the group. Its text,
// after OK, holds the entries; the week's OK writes the file.
class ProgramsForm : public Dialog {
public:
    ProgramsForm(HWND parent, std::u16string text, std::u16string userName);
    const std::u16string& text() const { return text_; }

protected:
    bool onInitDialog() override;
    void onOK() override;
    bool onCommand(int id, int code) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // Takes the shown group's entries into the text; false, with the entry
    // pointed out, when one cannot be read.
    bool keepEntries();
    void showGroup(const std::u16string& group);
    void addProgram(const std::wstring& name);
    void addProgramFile();

    std::u16string text_;
    std::u16string user_;
    std::u16string group_;  // the group the entries are for: the combo box's text
    std::vector<std::wstring> seen_;
    std::string historyText_;
    std::vector<HistoryDay> history_;
};
