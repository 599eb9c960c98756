// "UXTHEME.DLL": visual styles drawn with the application's Qt style, so
// owner-drawn buttons look like the desktop's own.
#include "gdi/dc.h"

#include "win/gdi.h"
#include "win/uxtheme.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <cstdlib>
#include <cstring>

using namespace platform;
using namespace platform::ui;

namespace {

class ThemeObject : public PlatformObject {
public:
    ThemeObject() : PlatformObject(ObjectType::Other) {}
};

QString fromWide(LPCWSTR text, int length) {
    if (!text) return QString();
    if (length < 0) {
        length = 0;
        while (text[length]) ++length;
    }
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(text), length);
}

QRect toQRect(const RECT &r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

// State flags and palette of a part in a state. Drawing needs a device
// context, whose making has created the application and its style.
void describe(QStyleOption &option, int part, int state, const QRect &rect) {
    option.rect = rect;
    option.palette = QApplication::palette();
    option.state = QStyle::State_Enabled;
    if (part == BP_PUSHBUTTON) {
        switch (state) {
        case PBS_HOT: option.state |= QStyle::State_MouseOver | QStyle::State_Raised; break;
        case PBS_PRESSED: option.state |= QStyle::State_Sunken | QStyle::State_MouseOver; break;
        case PBS_DISABLED: option.state &= ~QStyle::State_Enabled; option.state |= QStyle::State_Raised; break;
        case PBS_DEFAULTED: option.state |= QStyle::State_Raised | QStyle::State_HasFocus; break;
        default: option.state |= QStyle::State_Raised; break;
        }
    } else if (part == BP_CHECKBOX || part == BP_RADIOBUTTON) {
        option.state |= state >= 5 ? QStyle::State_On : QStyle::State_Off;
        int s = (state - 1) % 4 + 1;
        if (s == 2) option.state |= QStyle::State_MouseOver;
        if (s == 3) option.state |= QStyle::State_Sunken;
        if (s == 4) option.state &= ~QStyle::State_Enabled;
    } else if (part == BP_GROUPBOX && state == GBS_DISABLED) {
        option.state &= ~QStyle::State_Enabled;
    }
    if (!(option.state & QStyle::State_Enabled)) option.palette.setCurrentColorGroup(QPalette::Disabled);
}

bool validTheme(HTHEME theme) { return handleGet<ThemeObject>(theme) != nullptr; }

}  // namespace

extern "C" {

// Programs ask for the classic look by refusing this module.
WINBASEAPI BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    const char *classic = std::getenv("SUITE_CLASSIC_LOOK");
    return !(classic && std::strcmp(classic, "1") == 0);
}

WINBASEAPI BOOL WINAPI IsThemeActive(void) { return TRUE; }
WINBASEAPI BOOL WINAPI IsAppThemed(void) { return TRUE; }

WINBASEAPI HTHEME WINAPI OpenThemeData(HWND, LPCWSTR pszClassList) {
    QString classes = fromWide(pszClassList, -1);
    for (const QString &name : classes.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (name.trimmed().compare(QLatin1String("Button"), Qt::CaseInsensitive) == 0) {
            return handleNew<HTHEME>(std::make_shared<ThemeObject>());
        }
    }
    SetLastError(ERROR_NOT_FOUND);
    return nullptr;
}

WINBASEAPI HRESULT WINAPI CloseThemeData(HTHEME hTheme) {
    if (!validTheme(hTheme)) return E_HANDLE;
    handleRemove(handleValue(hTheme));
    return S_OK;
}

WINBASEAPI HRESULT WINAPI DrawThemeBackground(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, const RECT *pRect,
                                              const RECT *pClipRect) {
    if (!validTheme(hTheme)) return E_HANDLE;
    QPainter *p = gdiPainter(hdc);
    if (!p || !pRect || iPartId < BP_PUSHBUTTON || iPartId > BP_GROUPBOX) return E_INVALIDARG;
    if (pClipRect) p->setClipRect(toQRect(*pClipRect), Qt::IntersectClip);
    QStyle *style = QApplication::style();
    QRect rect = toQRect(*pRect);
    switch (iPartId) {
    case BP_PUSHBUTTON: {
        QStyleOptionButton option;
        describe(option, iPartId, iStateId, rect);
        if (iStateId == PBS_DEFAULTED) option.features |= QStyleOptionButton::DefaultButton;
        style->drawControl(QStyle::CE_PushButtonBevel, &option, p, nullptr);
        break;
    }
    case BP_CHECKBOX:
    case BP_RADIOBUTTON: {
        QStyleOptionButton option;
        describe(option, iPartId, iStateId, rect);
        style->drawPrimitive(iPartId == BP_CHECKBOX ? QStyle::PE_IndicatorCheckBox : QStyle::PE_IndicatorRadioButton,
                             &option, p, nullptr);
        break;
    }
    case BP_GROUPBOX: {
        QStyleOptionFrame option;
        describe(option, iPartId, iStateId, rect);
        option.lineWidth = 1;
        style->drawPrimitive(QStyle::PE_FrameGroupBox, &option, p, nullptr);
        break;
    }
    }
    return S_OK;
}

WINBASEAPI HRESULT WINAPI DrawThemeText(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCWSTR pszText,
                                        int cchText, DWORD dwTextFlags, DWORD dwTextFlags2, const RECT *pRect) {
    if (!validTheme(hTheme)) return E_HANDLE;
    DcTextState text{};
    QPainter *p = gdiPainter(hdc);
    if (!p || !pRect || !pszText || !gdiDcTextState(hdc, &text)) return E_INVALIDARG;
    QStyleOption option;
    describe(option, iPartId, iStateId, toQRect(*pRect));
    bool grayed = (dwTextFlags2 & DTT_GRAYED) || !(option.state & QStyle::State_Enabled);
    int flags = 0;
    flags |= (dwTextFlags & DT_CENTER) ? Qt::AlignHCenter : (dwTextFlags & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
    if (dwTextFlags & DT_SINGLELINE) {
        flags |= (dwTextFlags & DT_VCENTER) ? Qt::AlignVCenter : (dwTextFlags & DT_BOTTOM) ? Qt::AlignBottom : Qt::AlignTop;
        flags |= Qt::TextSingleLine;
    } else {
        flags |= Qt::AlignTop;
    }
    if (dwTextFlags & DT_WORDBREAK) flags |= Qt::TextWordWrap;
    if (dwTextFlags & DT_EXPANDTABS) flags |= Qt::TextExpandTabs;
    if (!(dwTextFlags & DT_NOPREFIX)) flags |= (dwTextFlags & DT_HIDEPREFIX) ? Qt::TextHideMnemonic : Qt::TextShowMnemonic;
    p->setFont(gdiFont(text.font));
    QPalette palette = option.palette;
    palette.setCurrentColorGroup(grayed ? QPalette::Disabled : QPalette::Active);
    QApplication::style()->drawItemText(p, option.rect, flags, palette, !grayed, fromWide(pszText, cchText),
                                        QPalette::ButtonText);
    return S_OK;
}

WINBASEAPI HRESULT WINAPI GetThemeBackgroundContentRect(HTHEME hTheme, HDC, int iPartId, int iStateId,
                                                        const RECT *pBoundingRect, RECT *pContentRect) {
    if (!validTheme(hTheme)) return E_HANDLE;
    if (!pBoundingRect || !pContentRect) return E_INVALIDARG;
    QStyleOptionButton option;
    describe(option, iPartId, iStateId, toQRect(*pBoundingRect));
    QRect inside = iPartId == BP_PUSHBUTTON
                       ? QApplication::style()->subElementRect(QStyle::SE_PushButtonContents, &option, nullptr)
                       : option.rect.adjusted(1, 1, -1, -1);
    inside = inside.intersected(option.rect);
    *pContentRect = RECT{inside.left(), inside.top(), inside.left() + inside.width(), inside.top() + inside.height()};
    return S_OK;
}

}  // extern "C"
