// SystemParametersInfoA for the settings the programs ask (window animation,
// the work area) and DrawAnimatedRects: a caption-coloured rectangle that
// moves and grows from one rectangle to the other in a fifth of a second,
// or nothing where animations are off or no display exists.
#include "core/app.h"
#include "user/window.h"

#include <shellapi.h>

#include <QApplication>
#include <QEventLoop>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QVariantAnimation>
#include <QWidget>

#include <atomic>

namespace {

constexpr int kAnimationMs = 200;

// -1 until a program sets it: then the desktop's own setting applies.
std::atomic<int> animationOverride{-1};

bool animationsEnabled() {
    int set = animationOverride.load();
    if (set >= 0) return set != 0;
    return QApplication::isEffectEnabled(Qt::UI_General) && QApplication::isEffectEnabled(Qt::UI_AnimateMenu);
}

class CaptionRect : public QWidget {
public:
    CaptionRect()
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                               Qt::WindowDoesNotAcceptFocus) {
        setAttribute(Qt::WA_ShowWithoutActivating);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Active, QPalette::Highlight));
        painter.setPen(palette().color(QPalette::Active, QPalette::Dark));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

QRect qrectOf(const RECT &r) { return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)); }

void animate(const RECT &from, const RECT &to) {
    CaptionRect caption;
    QVariantAnimation animation;
    animation.setDuration(kAnimationMs);
    animation.setStartValue(qrectOf(from));
    animation.setEndValue(qrectOf(to));
    QObject::connect(&animation, &QVariantAnimation::valueChanged, &caption,
                     [&caption](const QVariant &value) { caption.setGeometry(value.toRect()); });
    QEventLoop loop;
    QObject::connect(&animation, &QVariantAnimation::finished, &loop, &QEventLoop::quit);
    caption.setGeometry(qrectOf(from));
    caption.show();
    animation.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

extern "C" BOOL SystemParametersInfoA(UINT uiAction, UINT uiParam, void *pvParam, UINT) {
    switch (uiAction) {
    case SPI_GETANIMATION:
    case SPI_SETANIMATION: {
        auto *info = static_cast<ANIMATIONINFO *>(pvParam);
        if (!info || info->cbSize != sizeof(ANIMATIONINFO) || uiParam != sizeof(ANIMATIONINFO)) break;
        if (uiAction == SPI_SETANIMATION) {
            animationOverride = info->iMinAnimate ? 1 : 0;
        } else {
            platform::ui::uiApplication();
            info->iMinAnimate = animationsEnabled() ? 1 : 0;
        }
        return TRUE;
    }
    case SPI_GETWORKAREA: {
        auto *rect = static_cast<RECT *>(pvParam);
        if (!rect) break;
        platform::ui::uiApplication();
        QScreen *screen = QGuiApplication::primaryScreen();
        QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
        *rect = RECT{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
        return TRUE;
    }
    default:
        break;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

extern "C" BOOL DrawAnimatedRects(HWND, int idAni, const RECT *lprcFrom, const RECT *lprcTo) {
    if (!lprcFrom || !lprcTo || (idAni != IDANI_CAPTION && idAni != IDANI_OPEN)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    platform::ui::uiApplication();
    if (platform::ui::uiHeadless() || !animationsEnabled()) return TRUE;
    RECT from = *lprcFrom, to = *lprcTo;
    platform::ui::onUiThread([from, to] { animate(from, to); });
    return TRUE;
}
