// Cursor resources of a module: a PNG with its hot spot, loaded once per
// module and name, and set on the widget under the pointer.
#include "ctltest.h"

#include <QCursor>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

TEST(CursorResource, LoadsWithItsHotSpotAndShowsOnTheWidgetUnderThePointer) {
    HINSTANCE self = GetModuleHandleA(nullptr);
    HCURSOR pointer = LoadCursorA(self, MAKEINTRESOURCEA(110));
    ASSERT_TRUE(pointer);
    EXPECT_EQ(LoadCursorA(self, MAKEINTRESOURCEA(110)), pointer);  // shared, like the system's
    HCURSOR byName = LoadCursorA(self, "link");
    ASSERT_TRUE(byName);
    EXPECT_NE(byName, pointer);
    SetLastError(0);
    EXPECT_EQ(LoadCursorA(self, MAKEINTRESOURCEA(111)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    // The standard shapes still come from a null module.
    EXPECT_TRUE(LoadCursorA(nullptr, IDC_HAND));

    ctltest::Parent parent;
    HWND top = ctltest::makeParent(&parent);
    QWidget *w = ctltest::widgetOf(top);
    ASSERT_TRUE(w);
    QCursor::setPos(w->mapToGlobal(QPoint(50, 50)));
    SetCursor(pointer);
    QWidget *under = QApplication::widgetAt(QCursor::pos());
    ASSERT_TRUE(under);
    QCursor c = under->cursor();
    EXPECT_EQ(c.shape(), Qt::BitmapCursor);
    EXPECT_EQ(c.hotSpot(), QPoint(5, 2));
    QImage img = c.pixmap().toImage();
    ASSERT_EQ(img.size(), QSize(32, 32));
    EXPECT_EQ(img.pixelColor(5, 2), QColor(255, 0, 0));
    EXPECT_EQ(img.pixelColor(30, 1).alpha(), 0);

    // A cursor without a given hot spot has it at the top-left corner.
    SetCursor(byName);
    EXPECT_EQ(QApplication::widgetAt(QCursor::pos())->cursor().hotSpot(), QPoint(0, 0));
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    DestroyWindow(top);
    ctltest::current() = nullptr;
}

}  // namespace
