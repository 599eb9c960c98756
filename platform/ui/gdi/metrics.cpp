// GetSystemMetrics and GetDeviceCaps: the classic Windows sizes at 96 dots
// per inch, with the screen's real geometry.
#include "gdi/dcobject.h"

#include "core/app.h"

#include <QGuiApplication>
#include <QScreen>

using namespace platform;
using namespace platform::ui;

namespace {

QRect screenGeometry(bool available) {
    uiApplication();
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) return QRect(0, 0, 1024, 768);
    return available ? screen->availableGeometry() : screen->geometry();
}

QRect virtualGeometry() {
    uiApplication();
    QRect all;
    for (QScreen *screen : QGuiApplication::screens()) all = all.united(screen->geometry());
    return all.isEmpty() ? QRect(0, 0, 1024, 768) : all;
}

}  // namespace

extern "C" {

WINBASEAPI int WINAPI GetSystemMetrics(int nIndex) {
    switch (nIndex) {
    case SM_CXSCREEN: return screenGeometry(false).width();
    case SM_CYSCREEN: return screenGeometry(false).height();
    case SM_CXFULLSCREEN: return screenGeometry(true).width();
    case SM_CYFULLSCREEN: return screenGeometry(true).height() - 19;
    case SM_XVIRTUALSCREEN: return virtualGeometry().x();
    case SM_YVIRTUALSCREEN: return virtualGeometry().y();
    case SM_CXVIRTUALSCREEN: return virtualGeometry().width();
    case SM_CYVIRTUALSCREEN: return virtualGeometry().height();
    case SM_CMONITORS: uiApplication(); return static_cast<int>(QGuiApplication::screens().size());
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB: return 16;
    case SM_CYCAPTION: return 19;
    case SM_CYSMCAPTION: return 15;
    case SM_CXBORDER:
    case SM_CYBORDER:
    case SM_CXFOCUSBORDER:
    case SM_CYFOCUSBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CYMENU: return 19;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CXSIZE:
    case SM_CYSIZE: return 18;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
    case SM_CXDRAG:
    case SM_CYDRAG: return 4;
    case SM_CXICONSPACING:
    case SM_CYICONSPACING: return 75;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK: return 13;
    case SM_SWAPBUTTON:
    case SM_CLEANBOOT:
    case SM_REMOTESESSION: return 0;
    default: return 0;
    }
}

WINBASEAPI int WINAPI GetDeviceCaps(HDC hdc, int index) {
    auto dc = dcGet(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    QSize size = dc->kind == DcObject::Kind::Memory ? screenGeometry(false).size() : dc->deviceSize();
    switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return DT_RASDISPLAY;
    case HORZRES: return size.width();
    case VERTRES: return size.height();
    case HORZSIZE: return size.width() * 254 / 960;
    case VERTSIZE: return size.height() * 254 / 960;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case ASPECTX:
    case ASPECTY: return 36;
    case ASPECTXY: return 51;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case SIZEPALETTE: return 0;
    case RASTERCAPS: return RC_BITBLT | RC_STRETCHBLT;
    default: return 0;
    }
}

}  // extern "C"
