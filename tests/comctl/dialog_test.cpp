// The common controls in a dialog template (named by class), filled and
// photographed: build/<cfg>/screenshots/controls/comctl-dialog.png.
#include "ctltest.h"
#include "uitest.h"

#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// A DLGTEMPLATEEX whose items name their class by string.
class NamedTemplate {
public:
    NamedTemplate(short cx, short cy, const char *caption) {
        u16(1), u16(0xFFFF), u32(0), u32(0), u32(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT);
        countAt_ = bytes_.size();
        u16(0), u16(0), u16(0), u16(static_cast<WORD>(cx)), u16(static_cast<WORD>(cy));
        u16(0), u16(0), wstr(caption);
        u16(8), u16(400), u16(0x0100), wstr("MS Sans Serif");
    }
    NamedTemplate &item(const char *cls, const char *title, DWORD id, DWORD style, short x, short y, short cx, short cy) {
        while (bytes_.size() % 4) bytes_.push_back(0);
        u32(0), u32(0), u32(style | WS_CHILD | WS_VISIBLE);
        u16(static_cast<WORD>(x)), u16(static_cast<WORD>(y)), u16(static_cast<WORD>(cx)), u16(static_cast<WORD>(cy));
        u32(id), wstr(cls), wstr(title), u16(0);
        ++bytes_[countAt_];
        return *this;
    }
    LPCDLGTEMPLATEA get() const { return reinterpret_cast<LPCDLGTEMPLATEA>(bytes_.data()); }

private:
    void u16(WORD v) { bytes_.push_back(static_cast<uint8_t>(v)), bytes_.push_back(static_cast<uint8_t>(v >> 8)); }
    void u32(DWORD v) { u16(static_cast<WORD>(v)), u16(static_cast<WORD>(v >> 16)); }
    void wstr(const char *s) {
        for (; s && *s; ++s) u16(static_cast<unsigned char>(*s));
        u16(0);
    }
    std::vector<uint8_t> bytes_;
    size_t countAt_ = 0;
};

INT_PTR CALLBACK quietProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

HTREEITEM add(HWND tree, HTREEITEM parent, const char *text, int image) {
    TVINSERTSTRUCTA ins{};
    ins.hParent = parent;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    ins.item.pszText = const_cast<LPSTR>(text);
    ins.item.iImage = ins.item.iSelectedImage = image;
    return TreeView_InsertItem(tree, &ins);
}

TEST(ComctlDialog, TemplateNamesTheControlsAndTheyDrawFilled) {
    NamedTemplate t(300, 170, "Common controls");
    t.item(WC_TREEVIEWA, "", 10, WS_BORDER | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT |
                                     TVS_SHOWSELALWAYS | TVS_INFOTIP,
           5, 5, 110, 160)
        .item("STATIC", "Maximum size:", 31, SS_LEFT, 125, 8, 100, 8)
        .item(TRACKBAR_CLASSA, "", 30, TBS_AUTOTICKS | WS_TABSTOP, 125, 20, 170, 20)
        .item("STATIC", "Progress:", 32, SS_LEFT, 125, 50, 100, 8)
        .item(PROGRESS_CLASSA, "", 11, WS_BORDER, 125, 62, 170, 10)
        .item("STATIC", "&Host or Network:", 33, SS_LEFT, 125, 84, 100, 8)
        .item(WC_IPADDRESSA, "", 12, WS_TABSTOP, 125, 96, 100, 14)
        .item("BUTTON", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 245, 150, 50, 14);
    HWND dlg = CreateDialogIndirectParamA(nullptr, t.get(), nullptr, quietProc, 0);
    ASSERT_TRUE(dlg);
    HWND tree = GetDlgItem(dlg, 10);
    char cls[64];
    ASSERT_TRUE(GetClassNameA(tree, cls, sizeof cls));
    EXPECT_STREQ(cls, WC_TREEVIEWA);
    ASSERT_TRUE(ctltest::widgetOf(GetDlgItem(dlg, 30)));
    ASSERT_TRUE(ctltest::widgetOf(GetDlgItem(dlg, 11)));
    ASSERT_TRUE(ctltest::widgetOf(GetDlgItem(dlg, 12)));

    // Two images: a blue and a green square.
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 0);
    for (COLORREF c : {RGB(0, 0, 255), RGB(0, 160, 0)}) {
        HDC screen = GetDC(nullptr);
        HDC mem = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateCompatibleBitmap(screen, 16, 16);
        HGDIOBJ old = SelectObject(mem, bmp);
        RECT r{0, 0, 16, 16};
        HBRUSH brush = CreateSolidBrush(c);
        FillRect(mem, &r, brush);
        SelectObject(mem, old);
        ImageList_AddMasked(images, bmp, RGB(255, 0, 255));
        DeleteObject(brush);
        DeleteObject(bmp);
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
    }
    TreeView_SetImageList(tree, images, TVSIL_NORMAL);
    HTREEITEM photos = add(tree, TVI_ROOT, "Photo Sharing", 0);
    add(tree, photos, "Settings", 1);
    HTREEITEM options = add(tree, photos, "Options", 1);
    add(tree, photos, "Security", 1);
    HTREEITEM upnp = add(tree, TVI_ROOT, "UPnP", 0);
    add(tree, upnp, "Services", 1);
    add(tree, TVI_ROOT, "About", 1);
    TreeView_Expand(tree, photos, TVE_EXPAND);
    TreeView_SelectItem(tree, options);
    SendDlgItemMessageA(dlg, 30, TBM_SETRANGE, TRUE, MAKELONG(0, 5));
    SendDlgItemMessageA(dlg, 30, TBM_SETPOS, TRUE, 2);
    SendDlgItemMessageA(dlg, 11, PBM_SETRANGE32, 0, 10);
    SendDlgItemMessageA(dlg, 11, PBM_SETPOS, 6, 0);
    SendDlgItemMessageA(dlg, 12, IPM_SETADDRESS, 0, MAKEIPADDRESS(192, 168, 0, 1));
    ShowWindow(dlg, SW_SHOW);

    QString dir = QStringLiteral(SUITE_BINARY_DIR "/screenshots/controls");
    QDir().mkpath(dir);
    QString path = dir + QStringLiteral("/comctl-dialog.png");
    ASSERT_TRUE(uiSnapshotWindow(dlg, path.toUtf8().constData()));
    QImage img(path);
    ASSERT_FALSE(img.isNull());
    // The tree's images are painted: blue and green pixels are there.
    bool blue = false, green = false;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            QRgb p = img.pixel(x, y);
            blue |= qRed(p) < 30 && qGreen(p) < 30 && qBlue(p) > 220;
            green |= qRed(p) < 30 && qGreen(p) > 140 && qGreen(p) < 180 && qBlue(p) < 30;
        }
    EXPECT_TRUE(blue);
    EXPECT_TRUE(green);
    DestroyWindow(dlg);
    ImageList_Destroy(images);
}

// A label edited in place in a dialog: Enter ends the edit and Escape
// cancels it, instead of pressing the dialog's default or Cancel button.
struct EditDialog {
    std::vector<int> commands;
    std::vector<std::string> ends;  // the text of each LVN_ENDLABELEDIT, "(cancelled)" without one
};
EditDialog *editDialog = nullptr;

INT_PTR CALLBACK editProc(HWND dlg, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg == WM_COMMAND && (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL)) {
        editDialog->commands.push_back(LOWORD(w));
        return TRUE;
    }
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR *>(l)->code == LVN_ENDLABELEDITA) {
        auto *info = reinterpret_cast<NMLVDISPINFOA *>(l);
        editDialog->ends.push_back(info->item.pszText ? info->item.pszText : "(cancelled)");
        SetWindowLongPtrA(dlg, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    return FALSE;
}

TEST(ComctlDialog, AnInPlaceEditTakesEnterAndEscapeBeforeTheDialogsButtons) {
    EditDialog seen;
    editDialog = &seen;
    NamedTemplate t(200, 120, "Labels");
    t.item(WC_LISTVIEWA, "", 10, WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_EDITLABELS, 5, 5, 190, 90)
        .item("BUTTON", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 90, 100, 50, 14)
        .item("BUTTON", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 145, 100, 50, 14);
    HWND dlg = CreateDialogIndirectParamA(nullptr, t.get(), nullptr, editProc, 0);
    ASSERT_TRUE(dlg);
    ShowWindow(dlg, SW_SHOW);
    HWND list = GetDlgItem(dlg, 10);
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<LPSTR>("Host");
    column.cx = 150;
    ListView_InsertColumn(list, 0, &column);
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<LPSTR>("10.0.0.1");
    ListView_InsertItem(list, &item);

    auto editor = [&] {
        SendMessageA(list, LVM_EDITLABELA, 0, 0);
        return qobject_cast<QLineEdit *>(QApplication::focusWidget());
    };
    QLineEdit *edit = editor();
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    QTest::keyClicks(edit, "10.0.0.2");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(uitest::pumpUntil([&] { return !seen.ends.empty(); }, 2000));
    EXPECT_EQ(seen.ends, std::vector<std::string>{"10.0.0.2"});
    char text[32] = "";
    ListView_GetItemText(list, 0, 0, text, sizeof text);
    EXPECT_STREQ(text, "10.0.0.2");

    edit = editor();
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, "x");
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_TRUE(uitest::pumpUntil([&] { return seen.ends.size() > 1; }, 2000));
    ASSERT_EQ(seen.ends.size(), 2u);
    EXPECT_EQ(seen.ends[1], "(cancelled)");
    EXPECT_TRUE(seen.commands.empty());

    // Without an editor the keys are the dialog's again.
    SetFocus(list);
    QTest::keyClick(ctltest::widgetOf(list), Qt::Key_Return);
    EXPECT_EQ(seen.commands, std::vector<int>{IDOK});
    DestroyWindow(dlg);
    editDialog = nullptr;
}

}  // namespace
