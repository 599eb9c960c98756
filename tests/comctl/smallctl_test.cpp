// Track bar, progress bar, IP address and tooltips: their messages, and the
// notifications that real keys and mouse input cause.
#include "ctltest.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLineEdit>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

using namespace ctltest;

namespace {

class SmallControls : public ::testing::Test {
protected:
    void SetUp() override { top = makeParent(&parent); }
    void TearDown() override {
        QToolTip::hideText();
        DestroyWindow(top);
        current() = nullptr;
    }
    HWND make(const char *cls, DWORD style, int id, int x, int y, int cx, int cy) {
        HWND h = CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, y, cx, cy, top,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        EXPECT_TRUE(h) << cls;
        return h;
    }
    // The scroll codes the parent got, in order.
    std::vector<int> scrolls(UINT msg) const {
        std::vector<int> out;
        for (const Note &n : parent.notes)
            if (n.msg == msg) out.push_back(LOWORD(n.wParam));
        return out;
    }

    Parent parent;
    HWND top = nullptr;
};

// Types into whichever widget has the focus, key by key, as a user would.
void type(const char *keys) {
    for (; *keys; ++keys) QTest::keyClick(QApplication::focusWidget(), *keys);
}

TEST_F(SmallControls, TrackBarPositionRangeAndScrollNotifications) {
    HWND tb = make(TRACKBAR_CLASSA, TBS_AUTOTICKS, 30, 10, 10, 200, 30);
    SendMessageA(tb, TBM_SETRANGE, TRUE, MAKELONG(0, 5));
    SendMessageA(tb, TBM_SETPOS, TRUE, 3);
    EXPECT_EQ(SendMessageA(tb, TBM_GETPOS, 0, 0), 3);
    SendMessageA(tb, TBM_SETPOS, TRUE, 9);  // clamped to the range
    EXPECT_EQ(SendMessageA(tb, TBM_GETPOS, 0, 0), 5);
    SendMessageA(tb, TBM_SETRANGEMAX, TRUE, 4);  // the position follows a shrinking range
    EXPECT_EQ(SendMessageA(tb, TBM_GETPOS, 0, 0), 4);
    SendMessageA(tb, TBM_SETRANGEMIN, TRUE, 1);
    EXPECT_EQ(SendMessageA(tb, TBM_GETRANGEMIN, 0, 0), 1);
    EXPECT_EQ(SendMessageA(tb, TBM_GETRANGEMAX, 0, 0), 4);
    SendMessageA(tb, TBM_SETTICFREQ, 1, 0);
    EXPECT_EQ(SendMessageA(tb, TBM_SETLINESIZE, 0, 1), 1);
    EXPECT_EQ(SendMessageA(tb, TBM_SETPAGESIZE, 0, 2), 1);  // the default page: a fifth of the range, at least 1
    EXPECT_EQ(SendMessageA(tb, TBM_GETPAGESIZE, 0, 0), 2);
    EXPECT_TRUE(parent.notes.empty());  // messages change it quietly

    SendMessageA(tb, TBM_SETPOS, TRUE, 1);
    auto *slider = qobject_cast<QSlider *>(widgetOf(tb));
    ASSERT_TRUE(slider);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    QTest::keyClick(slider, Qt::Key_PageDown);
    QTest::keyClick(slider, Qt::Key_Home);
    EXPECT_EQ(scrolls(WM_HSCROLL), (std::vector<int>{TB_LINEDOWN, TB_ENDTRACK, TB_PAGEDOWN, TB_ENDTRACK, TB_TOP,
                                                    TB_ENDTRACK}));
    EXPECT_EQ(SendMessageA(tb, TBM_GETPOS, 0, 0), 1);
    EXPECT_EQ(parent.notes.front().lParam, reinterpret_cast<LPARAM>(tb));

    // Dragging the thumb to the far end reports the track and the final position.
    parent.notes.clear();
    QStyleOptionSlider opt;
    opt.initFrom(slider);
    opt.orientation = slider->orientation();
    opt.minimum = slider->minimum(), opt.maximum = slider->maximum();
    opt.sliderPosition = opt.sliderValue = slider->value();
    QRect handle = slider->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, slider);
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, handle.center());
    QTest::mouseMove(slider, QPoint(slider->width() - 2, handle.center().y()));
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(slider->width() - 2, handle.center().y()));
    EXPECT_EQ(SendMessageA(tb, TBM_GETPOS, 0, 0), 4);
    std::vector<int> codes = scrolls(WM_HSCROLL);
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(codes.front(), TB_THUMBTRACK);
    EXPECT_EQ(codes[codes.size() - 2], TB_THUMBPOSITION);
    EXPECT_EQ(codes.back(), TB_ENDTRACK);
    EXPECT_EQ(HIWORD(parent.notes[parent.notes.size() - 2].wParam), 4);

    // A vertical bar reports through WM_VSCROLL; Down moves away from the top.
    HWND vb = make(TRACKBAR_CLASSA, TBS_VERT, 31, 250, 10, 30, 150);
    SendMessageA(vb, TBM_SETRANGE, TRUE, MAKELONG(0, 10));
    parent.notes.clear();
    QWidget *v = widgetOf(vb);
    v->setFocus();
    QTest::keyClick(v, Qt::Key_Down);
    EXPECT_EQ(scrolls(WM_VSCROLL), (std::vector<int>{TB_LINEDOWN, TB_ENDTRACK}));
    EXPECT_EQ(SendMessageA(vb, TBM_GETPOS, 0, 0), 1);
}

TEST_F(SmallControls, ProgressBarRangesPositionsAndSteps) {
    HWND pb = make(PROGRESS_CLASSA, 0, 11, 10, 10, 200, 16);
    EXPECT_EQ(SendMessageA(pb, PBM_SETRANGE, 0, MAKELPARAM(0, 8)), MAKELONG(0, 100));
    EXPECT_EQ(SendMessageA(pb, PBM_SETPOS, 5, 0), 0);
    EXPECT_EQ(SendMessageA(pb, PBM_GETPOS, 0, 0), 5);
    EXPECT_EQ(SendMessageA(pb, PBM_SETPOS, 20, 0), 5);  // clamped to the range
    EXPECT_EQ(SendMessageA(pb, PBM_GETPOS, 0, 0), 8);
    EXPECT_EQ(SendMessageA(pb, PBM_DELTAPOS, static_cast<WPARAM>(-3), 0), 8);
    EXPECT_EQ(SendMessageA(pb, PBM_GETPOS, 0, 0), 5);
    EXPECT_EQ(SendMessageA(pb, PBM_SETSTEP, 2, 0), 10);
    SendMessageA(pb, PBM_STEPIT, 0, 0);
    EXPECT_EQ(SendMessageA(pb, PBM_GETPOS, 0, 0), 7);
    SendMessageA(pb, PBM_STEPIT, 0, 0);  // past the end: starts over
    EXPECT_EQ(SendMessageA(pb, PBM_GETPOS, 0, 0), 1);

    // 32-bit ranges beyond 16 bits; the position is kept when still inside.
    SendMessageA(pb, PBM_SETRANGE32, 0, 200000);
    SendMessageA(pb, PBM_SETPOS, 150000, 0);
    PBRANGE r{};
    EXPECT_EQ(SendMessageA(pb, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&r)), 0);
    EXPECT_EQ(r.iHigh, 200000);
    EXPECT_EQ(SendMessageA(pb, PBM_GETRANGE, FALSE, 0), 200000);
    EXPECT_EQ(SendMessageA(pb, PBM_GETPOS, 0, 0), 150000);
    // An empty range shows an empty bar, not a busy one, and keeps the position at its low end.
    SendMessageA(pb, PBM_SETRANGE32, 4, 4);
    EXPECT_EQ(SendMessageA(pb, PBM_GETPOS, 0, 0), 4);
    EXPECT_EQ(SendMessageA(pb, PBM_STEPIT, 0, 0), 4);
}

TEST_F(SmallControls, IpAddressTypingDotsClampingAndCounts) {
    HWND ip = make(WC_IPADDRESSA, 0, 11, 10, 10, 160, 22);
    HWND other = make("EDIT", WS_BORDER, 12, 10, 40, 100, 20);
    EXPECT_TRUE(SendMessageA(ip, IPM_ISBLANK, 0, 0));
    DWORD addr = 1;
    EXPECT_EQ(SendMessageA(ip, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&addr)), 0);
    EXPECT_EQ(addr, 0u);

    SetFocus(ip);
    QWidget *focus = QApplication::focusWidget();
    ASSERT_TRUE(qobject_cast<QLineEdit *>(focus));
    int setFocusNotes = 0;
    for (const Note &n : parent.notes) setFocusNotes += n.msg == WM_COMMAND && n.code == EN_SETFOCUS && n.id == 11;
    EXPECT_EQ(setFocusNotes, 1);

    // "10.0.": a dot ends a field; "." in an empty field stays; "192168" fills
    // a field and moves on by itself; 300 is clamped once the field is left.
    type("10.");
    type(".0.");
    type("7.300");
    char text[32];
    GetWindowTextA(ip, text, sizeof text);
    EXPECT_STREQ(text, "10.0.7.300");
    SetFocus(other);
    GetWindowTextA(ip, text, sizeof text);
    EXPECT_STREQ(text, "10.0.7.255");
    EXPECT_EQ(SendMessageA(ip, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&addr)), 4);
    EXPECT_EQ(addr, static_cast<DWORD>(MAKEIPADDRESS(10, 0, 7, 255)));
    EXPECT_EQ(FIRST_IPADDRESS(addr), 10u);
    EXPECT_EQ(FOURTH_IPADDRESS(addr), 255u);

    int changes = 0, kills = 0;
    for (const Note &n : parent.notes) {
        changes += n.msg == WM_COMMAND && n.code == EN_CHANGE && n.id == 11;
        kills += n.msg == WM_COMMAND && n.code == EN_KILLFOCUS && n.id == 11;
    }
    EXPECT_GE(changes, 4);
    EXPECT_EQ(kills, 1);
    EXPECT_EQ(parent.count(IPN_FIELDCHANGED), 4);

    // Typing three digits moves on: "192168" fills two fields.
    SendMessageA(ip, IPM_CLEARADDRESS, 0, 0);
    SendMessageA(ip, IPM_SETFOCUS, 0, 0);
    type("192168");
    GetWindowTextA(ip, text, sizeof text);
    EXPECT_STREQ(text, "192.168..");
    EXPECT_EQ(SendMessageA(ip, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&addr)), 2);
    EXPECT_FALSE(SendMessageA(ip, IPM_ISBLANK, 0, 0));

    // Messages: set, ranges, text.
    SendMessageA(ip, IPM_SETADDRESS, 0, MAKEIPADDRESS(192, 168, 0, 1));
    GetWindowTextA(ip, text, sizeof text);
    EXPECT_STREQ(text, "192.168.0.1");
    EXPECT_TRUE(SendMessageA(ip, IPM_SETRANGE, 3, MAKEIPRANGE(10, 20)));
    GetWindowTextA(ip, text, sizeof text);
    EXPECT_STREQ(text, "192.168.0.10");
    EXPECT_FALSE(SendMessageA(ip, IPM_SETRANGE, 4, MAKEIPRANGE(0, 1)));
    SetWindowTextA(ip, "1.2.x.4");
    GetWindowTextA(ip, text, sizeof text);
    EXPECT_STREQ(text, "1.2..10");  // the last field keeps its range
    EXPECT_EQ(SendMessageA(ip, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&addr)), 3);
}

TEST_F(SmallControls, IpAddressParentMayChangeAFieldValue) {
    HWND ip = make(WC_IPADDRESSA, 0, 11, 10, 10, 160, 22);
    HWND other = make("EDIT", WS_BORDER, 12, 10, 40, 100, 20);
    std::vector<std::pair<int, int>> seen;
    parent.answer = [&seen](NMHDR *h) -> LRESULT {
        if (h->code == IPN_FIELDCHANGED) {
            auto *nm = reinterpret_cast<NMIPADDRESS *>(h);
            seen.emplace_back(nm->iField, nm->iValue);
            if (nm->iField == 0) nm->iValue = 127;
        }
        return 0;
    };
    SendMessageA(ip, IPM_SETFOCUS, 0, 0);
    type("9");
    SetFocus(other);
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{0, 9}}));
    char text[32];
    GetWindowTextA(ip, text, sizeof text);
    EXPECT_STREQ(text, "127...");
}

// A tool whose text its window gives on demand.
TEST_F(SmallControls, TooltipAsksForCallbackTextOnRelayedMouseMoves) {
    HWND button = make("BUTTON", BS_PUSHBUTTON, 102, 20, 20, 80, 24);
    HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, top, nullptr,
                               nullptr, nullptr);
    ASSERT_TRUE(tip);
    TOOLINFOA ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = top;
    ti.uId = reinterpret_cast<UINT_PTR>(button);
    ti.lpszText = LPSTR_TEXTCALLBACKA;
    ASSERT_TRUE(SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti)));
    EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    SendMessageA(tip, TTM_SETDELAYTIME, TTDT_INITIAL, 20);
    EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 20);
    parent.answer = [button](NMHDR *h) -> LRESULT {
        if (h->code == TTN_GETDISPINFOA && reinterpret_cast<HWND>(h->idFrom) == button)
            lstrcpynA(reinterpret_cast<NMTTDISPINFOA *>(h)->szText, "Rotate left", 80);
        return 0;
    };
    auto relay = [&](UINT msg) {
        MSG m{};
        m.hwnd = button, m.message = msg, m.lParam = MAKELPARAM(5, 5);
        POINT p{5, 5};
        ClientToScreen(button, &p);
        m.pt = p;
        SendMessageA(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
    };
    relay(WM_MOUSEMOVE);
    EXPECT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 3000));
    EXPECT_EQ(QToolTip::text(), "Rotate left");
    EXPECT_EQ(parent.count(TTN_GETDISPINFOA), 1);
    EXPECT_EQ(parent.count(TTN_SHOW), 1);
    const Note *ask = parent.last(TTN_GETDISPINFOA);
    EXPECT_EQ(ask->from, tip);

    // A click pops the tip; a move within the same tool does not ask again.
    relay(WM_LBUTTONDOWN);
    EXPECT_EQ(parent.count(TTN_POP), 1);
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000));

    // Inactive tooltips show nothing; a deleted tool is gone.
    SendMessageA(tip, TTM_ACTIVATE, FALSE, 0);
    relay(WM_MOUSEMOVE);
    QTest::qWait(60);
    EXPECT_EQ(parent.count(TTN_GETDISPINFOA), 1);
    SendMessageA(tip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 0);
}

TEST_F(SmallControls, TooltipOfASubclassedToolShowsOnQtTooltipEvents) {
    HWND combo = make("COMBOBOX", CBS_DROPDOWNLIST, 10, 20, 20, 120, 100);
    HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, 0, 0, 0, 0, top, nullptr, nullptr, nullptr);
    TOOLINFOA ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_CENTERTIP;
    ti.hwnd = top;
    ti.uId = reinterpret_cast<UINT_PTR>(combo);
    ti.lpszText = const_cast<LPSTR>("Select the desired language from the list");
    ASSERT_TRUE(SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti)));
    QWidget *w = widgetOf(combo);
    auto hover = [w] {
        QPoint p(5, 5);
        QHelpEvent e(QEvent::ToolTip, p, w->mapToGlobal(p));
        QApplication::sendEvent(w, &e);
    };
    hover();
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), "Select the desired language from the list");

    // New text shows at once; a maximum width breaks it into lines.
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 60);
    ti.lpszText = const_cast<LPSTR>("Pick one of the languages offered");
    SendMessageA(tip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
    EXPECT_TRUE(QToolTip::text().contains(QLatin1Char('\n')));
    EXPECT_EQ(QToolTip::text().split(QLatin1Char('\n')).join(QLatin1Char(' ')), "Pick one of the languages offered");
    char buf[80];
    TOOLINFOA get{};
    get.cbSize = sizeof get, get.hwnd = top, get.uId = ti.uId, get.lpszText = buf;
    ASSERT_TRUE(SendMessageA(tip, TTM_GETTEXTA, sizeof buf, reinterpret_cast<LPARAM>(&get)));
    EXPECT_STREQ(buf, "Pick one of the languages offered");
    SendMessageA(tip, TTM_POP, 0, 0);
    EXPECT_EQ(parent.count(TTN_POP), 1);

    // Once the tooltip window is gone its tools show nothing.
    DestroyWindow(tip);
    QTest::qWait(1);
    QToolTip::hideText();
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000));
    hover();
    EXPECT_FALSE(QToolTip::isVisible());
}

}  // namespace
