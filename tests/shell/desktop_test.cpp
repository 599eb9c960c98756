// Desktop settings and the caption animation.
#include <shellapi.h>

#include <gtest/gtest.h>


TEST(DesktopSettings, AnimationSettingAndWorkArea) {
    ANIMATIONINFO info{sizeof(ANIMATIONINFO), 7};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETANIMATION, sizeof info, &info, 0));
    EXPECT_TRUE(info.iMinAnimate == 0 || info.iMinAnimate == 1);

    // A program's own choice wins over the desktop's.
    info.iMinAnimate = 0;
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETANIMATION, sizeof info, &info, 0));
    info.iMinAnimate = 5;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETANIMATION, sizeof info, &info, 0));
    EXPECT_EQ(info.iMinAnimate, 0);

    // The record's size must be given twice, as the callers of this call do.
    ANIMATIONINFO wrong{sizeof(ANIMATIONINFO) + 4, 0};
    EXPECT_FALSE(SystemParametersInfoA(SPI_GETANIMATION, sizeof wrong, &wrong, 0));
    EXPECT_FALSE(SystemParametersInfoA(SPI_GETANIMATION, 0, &info, 0));
    EXPECT_FALSE(SystemParametersInfoA(SPI_GETANIMATION, sizeof info, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(SystemParametersInfoA(0x1234, 0, &info, 0));

    RECT area{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    EXPECT_GT(area.right - area.left, 0);
    EXPECT_GT(area.bottom - area.top, 0);
}

TEST(DesktopSettings, CaptionAnimationNeedsBothRectangles) {
    RECT from{780, 580, 800, 600}, to{100, 100, 500, 400};
    ANIMATIONINFO off{sizeof(ANIMATIONINFO), 0};
    SystemParametersInfoA(SPI_SETANIMATION, sizeof off, &off, 0);
    EXPECT_TRUE(DrawAnimatedRects(nullptr, IDANI_CAPTION, &from, &to));
    EXPECT_FALSE(DrawAnimatedRects(nullptr, IDANI_CAPTION, nullptr, &to));
    EXPECT_FALSE(DrawAnimatedRects(nullptr, IDANI_CAPTION, &from, nullptr));
    EXPECT_FALSE(DrawAnimatedRects(nullptr, 99, &from, &to));
}
