#include <windowsx.h>

#include <algorithm>
#include <functional>
#include <map>

#include "app/resource.h"
#include "lists/list_view.h"
#include "lists/categories.h"
#include "sandbox.h"

namespace mx::test {
namespace {

class Lists : public MainWindowTest {
protected:
    // Starts with a selection file holding `waiting` entries in the waiting list and three wallpapers.
    void StartWithEntries(int waiting = 7) {
        std::string text = "[START]\r\nC:\\S\\START1.SYS\r\nC:\\S\\START2.SYS\r\n\r\n[WAIT]\r\n";
        for (int i = 0; i < waiting; ++i) text += "C:\\W\\WAIT" + std::to_string(i) + ".SYS\r\n";
        text += "\r\n[SHUT]\r\n\r\n[WALLPAPER]\r\nC:\\P\\C.JPG, Mirror\r\nC:\\P\\A.BMP, Tiled\r\nB.GIF\r\n";
        sandbox->WriteFile(DataFile(), text);
        StartProgram();
    }
    std::string Style(int row) const { return ItemText(form->ListWall, row, ColumnStyle); }
    bool ButtonDown(HWND button) const { return Button_GetCheck(button) == BST_CHECKED; }
};

TEST_F(Lists, CountLabelFollowsTheCurrentList) {
    StartWithEntries();
    EXPECT_EQ(Text(form->LblNumber), "0 / 2");
    // The list of a category not yet shown is made when first asked for, as a hidden list.
    SelectRow(form->ListForCategory(CategoryWait), 1);
    SelectRow(form->ListWait, 4);
    Click(form->sbtnWait);
    EXPECT_EQ(form->CurrentCategory, 20);
    EXPECT_EQ(Text(form->LblNumber), "2 / 7");
    Click(form->sbtnShut);
    EXPECT_EQ(Text(form->LblNumber), "0 / 0");
    // Selecting in the visible list refreshes the count at once.
    Click(form->sbtnStart);
    SelectRow(form->ListStart, 0);
    EXPECT_EQ(Text(form->LblNumber), "1 / 2");
}

TEST_F(Lists, ExactlyOneListIsShownAndTheOthersKeepTheirSelection) {
    StartWithEntries();
    SelectRow(form->ListStart, 1);
    Click(form->sbtnWall);
    EXPECT_TRUE(Visible(form->ListWall));
    for (HWND list : {form->ListStart, form->ListWait, form->ListShut}) EXPECT_FALSE(Visible(list));
    Click(form->sbtnStart);
    EXPECT_TRUE(Visible(form->ListStart));
    EXPECT_FALSE(Visible(form->ListWall));
    EXPECT_TRUE(IsSelected(form->ListStart, 1));
    EXPECT_FALSE(IsSelected(form->ListStart, 0));
    EXPECT_EQ(Text(form->LblNumber), "1 / 2");
}

TEST_F(Lists, CategoryButtonsAreOneRadioGroupWithTheActiveLook) {
    StartWithEntries();
    EXPECT_TRUE(ButtonDown(form->sbtnStart));
    Click(form->sbtnShut);
    EXPECT_EQ(form->CurrentCategory, 30);
    for (HWND b : {form->sbtnStart, form->sbtnWait, form->sbtnShut, form->sbtnWall}) {
        bool active = b == form->sbtnShut;
        EXPECT_EQ(ButtonDown(b), active);
        EXPECT_EQ(form->IsButtonActive(b), active);
        EXPECT_EQ(form->ButtonTextColor(b), active ? RGB(0, 0, 128) : RGB(0, 0, 0));
        LOGFONTA font{};
        ::GetObjectA(GetWindowFont(b), sizeof font, &font);
        EXPECT_EQ(font.lfWeight, active ? FW_BOLD : FW_NORMAL);
        EXPECT_EQ(font.lfHeight, -12);
        EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
    }
    // Pressing the button that is down keeps it down and runs the switch again.
    Click(form->sbtnShut);
    EXPECT_TRUE(ButtonDown(form->sbtnShut));
    EXPECT_EQ(form->CurrentCategory, 30);
}

TEST_F(Lists, WallpaperCategoryShowsTheStyleBoxInPlaceOfTheCheckBox) {
    StartWithEntries();
    EXPECT_TRUE(Visible(form->chkbStartUpRun));
    EXPECT_FALSE(Visible(form->CBStyle));
    EXPECT_FALSE(::IsWindowEnabled(form->CBStyle));
    Click(form->sbtnWall);
    EXPECT_FALSE(Visible(form->chkbStartUpRun));
    EXPECT_TRUE(Visible(form->CBStyle));
    EXPECT_TRUE(Visible(form->LblStyle));
    EXPECT_TRUE(::IsWindowEnabled(form->CBStyle));
    EXPECT_EQ(Text(form->CBStyle), "Centred");
    EXPECT_EQ(form->PopMFileInfo.VisibleCaptions(),
              (std::vector<std::string>{"Set as current &Wallpaper", "-", "Info about file"}));
    Click(form->sbtnWait);
    EXPECT_TRUE(Visible(form->chkbStartUpRun));
    EXPECT_FALSE(Visible(form->CBStyle));
    EXPECT_FALSE(Visible(form->LblStyle));
    EXPECT_EQ(ComboBox_GetCurSel(form->CBStyle), -1);
    EXPECT_EQ(form->PopMFileInfo.VisibleCaptions(),
              (std::vector<std::string>{"Set as current &Screen", "-", "Info about file"}));
}

TEST_F(Lists, EnteringTheWallpaperCategoryResetsTheStyleBoxAndChangesNoEntry) {
    StartWithEntries();
    Click(form->sbtnWall);
    PickStyle("Stretched");
    EXPECT_FALSE(form->UnsavedChanges);  // nothing selected: nothing changed
    SelectRow(form->ListWall, 0);
    Click(form->sbtnWall);
    EXPECT_EQ(Text(form->CBStyle), "Centred");
    EXPECT_EQ(Style(0), "Tiled");
    EXPECT_FALSE(form->UnsavedChanges);
}

TEST_F(Lists, PickingAStyleGivesItToEverySelectedWallpaper) {
    StartWithEntries();
    Click(form->sbtnWall);
    ASSERT_EQ(Captions(form->ListWall), (std::vector<std::string>{"A.BMP", "B.GIF", "C.JPG"}));
    SelectRow(form->ListWall, 0);
    SelectRow(form->ListWall, 2);
    PickStyle("Tiled");
    EXPECT_EQ(Style(0), "Tiled");
    EXPECT_EQ(Style(1), "Centred");
    EXPECT_EQ(Style(2), "Tiled");
    EXPECT_TRUE(form->UnsavedChanges);
}

TEST_F(Lists, SortedWithTheSystemsComparison) {
    sandbox->WriteFile(DataFile(), "[START]\r\nC:\\c.bmp\r\nC:\\B.bmp\r\nC:\\a.bmp\r\n");
    StartProgram();
    // lstrcmpA puts a before B although 'B' < 'a' in bytes.
    EXPECT_EQ(Captions(form->ListStart), (std::vector<std::string>{"a.bmp", "B.bmp", "c.bmp"}));
    // A new entry takes its sorted place at once.
    form->AddEntry(form->ListStart, {"A.bmp", "C:\\", ""});
    form->AddEntry(form->ListStart, {"b.bmp", "C:\\", ""});
    EXPECT_EQ(Captions(form->ListStart), (std::vector<std::string>{"a.bmp", "A.bmp", "b.bmp", "B.bmp", "c.bmp"}));
}

// Once, and in a list long enough for its sort keys to be made on two threads, where entries of one
// caption keep the file's order (their directories count up); the list sorted as the file is read,
// when its category is the one the window opens with, and when its rows are first asked for.
TEST_F(Lists, LoadedListsFollowLstrcmpForAwkwardNames) {
    const char* names[] = {"a-b.bmp", "ab.bmp", "a'b.bmp", "A.bmp", "a.bmp", "_x.bmp", "10.bmp", "2.bmp", "1.bmp",
                           "co-op.sys", "coop.sys", "Z.bmp", "z.bmp", "~t.bmp", "a b.bmp", "\xe9t\xe9.bmp", "ete.bmp"};
    for (auto [copies, category] : {std::pair{1, "10"}, {150, "10"}, {150, "30"}}) {
        SCOPED_TRACE(std::to_string(copies) + " in category " + category);
        Sandbox::SetValue("Software\\Kelbrant\\Mosalux\\Mosalux Selector", "Selected Screen Button", category);
        std::string text = "[SHUT]\r\n";
        for (int k = 0; k < copies; ++k)
            for (const char* n : names) text += "C:\\" + std::to_string(10000 + k) + "\\" + n + "\r\n";
        sandbox->WriteFile(DataFile(), text);
        StartProgram();
        std::vector<std::string> captions = Captions(form->ListForCategory(CategoryShut));
        ASSERT_EQ(captions.size(), std::size(names) * size_t(copies));
        for (int i = 1; i < int(captions.size()); ++i) {
            int order = ::lstrcmpA(captions[i - 1].c_str(), captions[i].c_str());
            EXPECT_LE(order, 0) << captions[i - 1] << " / " << captions[i];
            if (order == 0) {
                EXPECT_LT(ItemText(form->ListShut, i - 1, ColumnPath), ItemText(form->ListShut, i, ColumnPath));
            }
        }
    }
}

TEST_F(Lists, ListViewsAreReportViewsWithTheirColumns) {
    StartWithEntries();
    for (int category : {CategoryStart, CategoryWait, CategoryShut, CategoryWall}) {
        HWND list = form->ListForCategory(category);
        LONG_PTR style = ::GetWindowLongPtrA(list, GWL_STYLE);
        EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
        EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
        EXPECT_TRUE(style & LVS_NOSORTHEADER);
        EXPECT_FALSE(style & LVS_SINGLESEL);
        EXPECT_FALSE(style & LVS_EDITLABELS);
        EXPECT_TRUE(ListView_GetExtendedListViewStyle(list) & LVS_EX_FULLROWSELECT);
        HWND header = ListView_GetHeader(list);
        int columns = Header_GetItemCount(header);
        EXPECT_EQ(columns, list == form->ListWall ? 3 : 2);
    }
    // Filename and Path fit their longest text.
    RECT rect{};
    ListView_GetSubItemRect(form->ListStart, 0, ColumnPath, LVIR_LABEL, &rect);
    EXPECT_GT(ListView_GetColumnWidth(form->ListStart, ColumnFilename),
              ListView_GetStringWidth(form->ListStart, "START1.SYS"));
    // The last column of the wallpaper list fills the rest of its width.
    RECT client{};
    ::GetClientRect(form->ListWall, &client);
    int total = 0;
    for (int c = 0; c < 3; ++c) total += ListView_GetColumnWidth(form->ListWall, c);
    EXPECT_GE(total, client.right);
}

// Clicks, keys and the list's commands select as in an ordinary list view, the count follows, and the
// program's own changes leave the selection and the focus with their entries.
TEST_F(Lists, TheUsersSelectionAsInAnOrdinaryList) {
    sandbox->WriteFile(DataFile(), "[START]\r\nC:\\P\\b.sys\r\nC:\\P\\d.sys\r\nC:\\P\\f.sys\r\nC:\\P\\h.sys\r\n"
                                   "C:\\P\\j.sys\r\nC:\\P\\l.sys\r\n");
    StartProgram();
    HWND list = form->ListStart;
    auto click = [&](int row, WPARAM keys) {
        RECT r{};
        ListView_GetItemRect(list, row, &r, LVIR_BOUNDS);
        LPARAM at = MAKELPARAM(r.left + 4, (r.top + r.bottom) / 2);
        ::SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
        ::SendMessageA(list, WM_LBUTTONUP, keys, at);
    };
    using Names = std::vector<std::string>;
    const struct { const char* what; std::function<void()> act; Names selected; const char* focus; } steps[] = {
        {"click", [&] { click(1, 0); }, {"d.sys"}, "d.sys"},
        {"shift-click", [&] { click(4, MK_SHIFT); }, {"d.sys", "f.sys", "h.sys", "j.sys"}, "j.sys"},
        {"ctrl-click", [&] { click(2, MK_CONTROL); }, {"d.sys", "h.sys", "j.sys"}, "f.sys"},
        {"an entry added before them", [&] { form->AddEntry(list, {"a.sys", "C:\\P", ""}); },
         {"d.sys", "h.sys", "j.sys"}, "f.sys"},
        {"an entry added among them", [&] { form->AddEntry(list, {"i.sys", "C:\\P", ""}); },
         {"d.sys", "h.sys", "j.sys"}, "f.sys"},
        {"Select All", [&] { Menu(IDM_SEL_SELECTALL); },
         {"a.sys", "b.sys", "d.sys", "f.sys", "h.sys", "i.sys", "j.sys", "l.sys"}, "f.sys"},
        {"a click unselects the rest", [&] { click(2, 0); }, {"d.sys"}, "d.sys"},
        {"Invert Selection", [&] { Menu(IDM_SEL_INVERT); },
         {"a.sys", "b.sys", "f.sys", "h.sys", "i.sys", "j.sys", "l.sys"}, "d.sys"},
        {"typing a name's first letter, from the row after the focus on", [&] { ::SendMessageA(list, WM_CHAR, 'B', 1); },
         {"b.sys"}, "b.sys"},
        {"shift-click on the focused row", [&] { click(1, MK_SHIFT); }, {"b.sys"}, "b.sys"},
        {"ctrl-clicks", [&] { click(0, MK_CONTROL), click(6, MK_CONTROL); }, {"a.sys", "b.sys", "j.sys"}, "j.sys"},
        {"Remove", [&] { Menu(IDM_SEL_REMOVE); }, {}, "l.sys"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        Names selected;
        for (int i = 0; i < ItemCount(list); ++i)
            if (IsSelected(list, i)) selected.push_back(ItemText(list, i, ColumnFilename));
        EXPECT_EQ(selected, step.selected);
        int focus = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
        EXPECT_EQ(focus >= 0 ? ItemText(list, focus, ColumnFilename) : "", step.focus);
        EXPECT_EQ(Text(form->LblNumber), std::to_string(selected.size()) + " / " + std::to_string(ItemCount(list)));
    }
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"d.sys", "f.sys", "h.sys", "i.sys", "l.sys"}));
    Menu(IDM_SAVE);
    EXPECT_EQ(sandbox->ReadFile(DataFile()),
              "[START]\r\nC:\\P\\d.sys\r\nC:\\P\\f.sys\r\nC:\\P\\h.sys\r\nC:\\P\\i.sys\r\nC:\\P\\l.sys\r\n\r\n"
              "[WAIT]\r\n\r\n[SHUT]\r\n\r\n[WALLPAPER]\r\n");
}

// What a list shows on screen: the caption last painted at each row's top. A paint forgets the rows it
// covers and then paints them again; rows outside it keep what they showed.
class ScreenRows {
public:
    ScreenRows(HWND form, HWND list) : form_(form), list_(list) {
        ::SetWindowSubclass(form_, Notified, 1, DWORD_PTR(this));
        ::SetWindowSubclass(list_, Painted, 1, DWORD_PTR(this));
    }
    ~ScreenRows() {
        ::RemoveWindowSubclass(form_, Notified, 1);
        ::RemoveWindowSubclass(list_, Painted, 1);
    }
    // After the pending paint, the captions shown from the top down are those of the rows in sight.
    ::testing::AssertionResult ShowsItsRows() {
        ::UpdateWindow(list_);
        RECT client{}, row{};
        ::GetClientRect(list_, &client);
        std::vector<std::string> shown, inSight;
        for (const auto& [top, caption] : rows_)
            if (top < client.bottom) shown.push_back(caption);
        for (int i = ListView_GetTopIndex(list_); i < ItemCount(list_); ++i)
            if (ListView_GetItemRect(list_, i, &row, LVIR_BOUNDS) && row.top < client.bottom)
                inSight.push_back(ItemText(list_, i, ColumnFilename));
        if (shown == inSight) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "shown " << testing::PrintToString(shown) << ", in sight "
                                             << testing::PrintToString(inSight);
    }

private:
    static LRESULT CALLBACK Notified(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
        auto* self = reinterpret_cast<ScreenRows*>(data);
        auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(lp);
        if (msg == WM_NOTIFY && draw->hdr.hwndFrom == self->list_ && draw->hdr.code == NM_CUSTOMDRAW) {
            if (draw->dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
            if (draw->dwDrawStage == CDDS_ITEMPREPAINT)
                self->rows_[draw->rc.top] = ItemText(self->list_, int(draw->dwItemSpec), ColumnFilename);
            return CDRF_DODEFAULT;
        }
        return ::DefSubclassProc(hwnd, msg, wp, lp);
    }
    static LRESULT CALLBACK Painted(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
        auto& rows = reinterpret_cast<ScreenRows*>(data)->rows_;
        RECT update{};
        if (msg == WM_PAINT && ::GetUpdateRect(hwnd, &update, FALSE))
            std::erase_if(rows, [&](const auto& row) { return row.first >= update.top && row.first < update.bottom; });
        return ::DefSubclassProc(hwnd, msg, wp, lp);
    }
    HWND form_, list_;
    std::map<int, std::string> rows_;
};

// Twelve wallpapers and a duplicate, the list scrolled to its end, as when the last rows were added.
TEST_F(Lists, RemovingRowsLeavesTheListShowingWhatItHolds) {
    const char* names[] = {"alps", "beach", "canyon", "desert", "forest", "glacier", "harbour",
                           "island", "lake", "lake", "meadow", "river", "valley"};
    const struct { const char* what; std::vector<int> rows; } cases[] = {
        {"first", {0}}, {"middle", {6}}, {"duplicate", {9}}, {"last", {12}}, {"several", {1, 8, 9, 12}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        form.reset();
        sandbox.reset();
        SetUp();
        std::string text = "[WALLPAPER]\r\n";
        for (const char* n : names) text += std::string("C:\\P\\") + n + ".jpg, Tiled\r\n";
        sandbox->WriteFile(DataFile(), text);
        StartProgram();
        Click(form->sbtnWall);
        HWND list = form->ListWall;
        ListView_EnsureVisible(list, ItemCount(list) - 1, FALSE);
        ScreenRows screen(form->Handle(), list);
        ::InvalidateRect(list, nullptr, TRUE);
        ASSERT_TRUE(screen.ShowsItsRows());
        std::vector<std::string> kept;
        for (int i = 0; i < int(std::size(names)); ++i) {
            bool removed = std::ranges::find(c.rows, i) != c.rows.end();
            SelectRow(list, i, removed);
            if (!removed) kept.push_back(std::string(names[i]) + ".jpg");
        }
        Click(form->btnRemove);
        EXPECT_EQ(Captions(list), kept);
        EXPECT_TRUE(screen.ShowsItsRows());
    }
}

// "Path" takes the width that "Filename" and "Style" leave, so that no column is pushed out of sight.
TEST_F(Lists, StyleStaysInSightAndPathTakesTheRest) {
    const std::string entry = "C:\\" + std::string(246, 'd') + "\\P.BMP, Fit 2 Screen\r\n";
    std::string text = "[START]\r\n";
    for (int i = 0; i < 30; ++i) text += entry;  // a list to scroll
    sandbox->WriteFile(DataFile(), text + "[WALLPAPER]\r\n" + entry);
    StartProgram();
    auto check = [&](HWND list) {
        ASSERT_EQ(ItemText(list, 0, ColumnPath).size(), 250u);
        int columns = list == form->ListWall ? 3 : 2, total = 0;
        for (int i = 0; i < columns; ++i) total += ListView_GetColumnWidth(list, i);
        RECT client{};
        ::GetClientRect(list, &client);
        EXPECT_EQ(total, client.right);
        EXPECT_FALSE(::GetWindowLongPtrA(list, GWL_STYLE) & WS_HSCROLL);
        EXPECT_GT(ListView_GetColumnWidth(list, ColumnPath), client.right / 3);
        if (columns == 3) { EXPECT_GT(ListView_GetColumnWidth(list, ColumnStyle), ListView_GetStringWidth(list, "Fit 2 Screen")); }
    };
    check(form->ListStart);
    Click(form->sbtnWall);
    check(form->ListWall);
    form->PnlExtendClick();  // the tall window
    check(form->ListWall);
}

}  // namespace
}  // namespace mx::test
