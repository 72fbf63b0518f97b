#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/suite.h"
#include "ui/report_list_ctrl_win.h"

namespace {

std::vector<std::pair<WPARAM, LPARAM>> gNotices;

LRESULT CALLBACK parentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == ReportListCtrl::kCheckClickedMessage) gNotices.emplace_back(wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

// A window with a list view of three items, bound in the given check mode.
class ReportList : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        static ATOM registered = [] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = &parentProcedure;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"PalloListParent";
            return RegisterClassW(&windowClass);
        }();
        (void)registered;
        gNotices.clear();
        parent = CreateWindowExW(0, L"PalloListParent", L"list", WS_POPUP | WS_VISIBLE, 10, 10, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr);
        HWND view = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_ICON | LVS_EDITLABELS | LVS_NOSORTHEADER, 0, 0,
                                    300, 200, parent, HMENU(1001), nullptr, nullptr);
        list.bind(view);
        list.insertColumn(0, L"Запускать для пользователей", LVCFMT_LEFT, 250, 0);
        for (const char16_t* name : {u"Маша", u"Petya", u"Kolya"}) {
            int index = list.insertItem(list.itemCount(), L"item");
            list.setItemText(index, 0, name);
        }
    }
    void TearDown() override { DestroyWindow(parent); }

    void click(int item, UINT down = WM_LBUTTONDOWN) { EXPECT_TRUE(suite::clickCheckBox(list.hwnd(), item, down)); }
    bool selected(int item) const {
        return SendMessageW(list.hwnd(), LVM_GETITEMSTATE, item, LVIS_SELECTED) & LVIS_SELECTED;
    }
    std::vector<bool> checks() const {
        std::vector<bool> states;
        for (int item = 0; item < list.itemCount(); ++item) states.push_back(list.getCheck(item));
        return states;
    }

    HWND parent = nullptr;
    ReportListCtrl list;
};

}  // namespace

TEST_F(ReportList, LongTextsAreReadUpToTheBuffer) {
    std::u16string longName(400, u'я');
    list.setItemText(1, 0, longName);
    EXPECT_EQ(list.itemText(1, 0), longName.substr(0, ReportListCtrl::kTextCapacity - 1));
}

TEST_F(ReportList, MultipleModeTogglesAnyNumberSelectsAndTellsTheParent) {
    click(0);
    click(2);
    EXPECT_EQ(checks(), (std::vector<bool>{true, false, true}));
    EXPECT_TRUE(selected(2));
    EXPECT_FALSE(selected(0));
    click(0);
    EXPECT_EQ(checks(), (std::vector<bool>{false, false, true}));
    EXPECT_TRUE(selected(0));
    EXPECT_FALSE(selected(2));
    // The right button changes no check, so nothing is told.
    click(1, WM_RBUTTONDOWN);
    EXPECT_EQ(checks(), (std::vector<bool>{false, false, true}));
    ASSERT_EQ(gNotices.size(), 3u);
    EXPECT_EQ(gNotices[1], (std::pair<WPARAM, LPARAM>{2, WM_LBUTTONDOWN}));
    EXPECT_EQ(gNotices[2], (std::pair<WPARAM, LPARAM>{0, WM_LBUTTONDOWN}));
}

TEST_F(ReportList, SingleModeKeepsOneCheck) {
    list.setCheck(0, true);
    list.setCheck(1, true);
    list.setCheckMode(ReportListCtrl::kSingleCheck);
    EXPECT_EQ(checks(), (std::vector<bool>{true, false, false}));
    list.setCheck(2, true);
    EXPECT_EQ(checks(), (std::vector<bool>{false, false, true}));
    click(1);
    EXPECT_EQ(checks(), (std::vector<bool>{false, true, false}));
    click(1);
    EXPECT_EQ(checks(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(gNotices.size(), 2u);
}

TEST_F(ReportList, FixedModeIgnoresClicks) {
    list.setCheck(1, true);
    list.setCheckMode(ReportListCtrl::kFixedChecks);
    click(0);
    click(1);
    EXPECT_EQ(checks(), (std::vector<bool>{false, true, false}));
    EXPECT_TRUE(gNotices.empty());
    list.setCheckMode(ReportListCtrl::kNoChecks);
    EXPECT_FALSE(SendMessageW(list.hwnd(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES);
}
