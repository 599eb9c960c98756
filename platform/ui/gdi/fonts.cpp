// Fonts: Windows face names resolved through fontconfig, heights in pixels at
// 96 dots per inch, text metrics and face names.
#include "gdi/dcobject.h"

#include "core/app.h"

#include <QFontMetricsF>

#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <strings.h>

using namespace platform;
using namespace platform::ui;

namespace {

// Windows names that fontconfig's own aliases do not cover: the classic
// bitmap and dialog faces are sans-serif, the old "Tms Rmn" family is the
// Times-metric serif.
const char *windowsAlias(const char *face) {
    static const struct {
        const char *name, *alias;
    } table[] = {
        {"MS Sans Serif", "sans-serif"}, {"MS Shell Dlg", "sans-serif"}, {"MS Shell Dlg 2", "sans-serif"},
        {"Helv", "sans-serif"},          {"Tahoma", "sans-serif"},       {"SmallFonts", "sans-serif"},
        {"Small Fonts", "sans-serif"},   {"System", "sans-serif"},       {"Verdana", "sans-serif"},
        {"Times Roman", "Times New Roman"}, {"Tms Rmn", "Times New Roman"}, {"Times", "Times New Roman"},
        {"Fixedsys", "monospace"},       {"Terminal", "monospace"},
    };
    for (const auto &entry : table)
        if (strcasecmp(entry.name, face) == 0) return entry.alias;
    return face;
}

QString fontconfigFamily(const std::string &name) {
    FcPattern *pattern = FcNameParse(reinterpret_cast<const FcChar8 *>(name.c_str()));
    if (!pattern) return QString();
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern *match = FcFontMatch(nullptr, pattern, &result);
    QString family;
    FcChar8 *value = nullptr;
    if (match && FcPatternGetString(match, FC_FAMILY, 0, &value) == FcResultMatch && value)
        family = QString::fromUtf8(reinterpret_cast<const char *>(value));
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return family;
}

}  // namespace

namespace platform::ui {

QString resolveFontFamily(const char *faceName, BYTE pitchAndFamily) {
    std::string name;
    if (faceName && *faceName) {
        name = windowsAlias(faceName);
    } else {
        int family = pitchAndFamily & 0xF0;
        if ((pitchAndFamily & 3) == FIXED_PITCH || family == FF_MODERN) name = "monospace";
        else if (family == FF_ROMAN) name = "Times New Roman";
        else name = "sans-serif";
    }
    static std::mutex mutex;
    static std::map<std::string, QString> cache;
    std::lock_guard lock(mutex);
    auto it = cache.find(name);
    if (it != cache.end()) return it->second;
    // Fontconfig's pattern syntax treats '-' and ':' specially.
    std::string escaped;
    for (char c : name) {
        if (c == '-' || c == ':' || c == ',' || c == '\\') escaped += '\\';
        escaped += c;
    }
    QString family = fontconfigFamily(escaped);
    if (family.isEmpty()) family = QStringLiteral("DejaVu Sans");
    cache.emplace(name, family);
    return family;
}

FontObject::FontObject(const LOGFONTA &logIn, bool permanent) : GdiObject(ObjectType::Other, permanent), log(logIn) {
    LOGFONTA &l = const_cast<LOGFONTA &>(log);
    l.lfFaceName[LF_FACESIZE - 1] = 0;
    font.setFamily(resolveFontFamily(log.lfFaceName, log.lfPitchAndFamily));
    font.setKerning(false);  // GDI text output does not kern
    int weight = log.lfWeight <= 0 ? FW_NORMAL : (log.lfWeight > 1000 ? 1000 : static_cast<int>(log.lfWeight));
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(log.lfItalic != 0);
    font.setUnderline(log.lfUnderline != 0);
    font.setStrikeOut(log.lfStrikeOut != 0);
    if (log.lfQuality == NONANTIALIASED_QUALITY) font.setStyleStrategy(QFont::NoAntialias);
    // Negative: the character (em) height; positive: the cell height, ascent
    // plus descent, so the em is scaled by the family's em-to-cell ratio.
    LONG h = log.lfHeight;
    int pixels;
    if (h < 0) {
        pixels = static_cast<int>(-static_cast<int64_t>(h) > 2000 ? 2000 : -h);
    } else {
        if (h == 0) h = 16;
        if (h > 2000) h = 2000;
        QFont probe = font;
        probe.setPixelSize(200);
        QFontMetricsF m(probe);
        double cell = m.ascent() + m.descent();
        pixels = cell > 0 ? static_cast<int>(std::lround(h * 200.0 / cell)) : static_cast<int>(h);
    }
    font.setPixelSize(pixels < 1 ? 1 : pixels);
    if (log.lfWidth > 0) {
        // A requested average width stretches the face against its own.
        QFontMetricsF m(font);
        double average = m.averageCharWidth();
        if (average > 0) {
            int stretch = static_cast<int>(std::lround(log.lfWidth * 100.0 / average));
            font.setStretch(stretch < 1 ? 1 : (stretch > 4000 ? 4000 : stretch));
        }
    }
}

int FontObject::gdiDescribe(int c, void *pv) const {
    if (pv == nullptr) return static_cast<int>(sizeof(LOGFONTA));
    if (c <= 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    // Windows copies as much of the record as fits.
    int n = c < static_cast<int>(sizeof(LOGFONTA)) ? c : static_cast<int>(sizeof(LOGFONTA));
    std::memcpy(pv, &log, static_cast<size_t>(n));
    return n;
}

const QFont &dcFont(DcObject &dc) { return dc.state.font->font; }

}  // namespace platform::ui

extern "C" {

WINBASEAPI HFONT WINAPI CreateFontIndirectA(const LOGFONTA *lplf) {
    if (lplf == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    uiApplication();
    return handleNew<HFONT>(std::make_shared<FontObject>(*lplf, false));
}

WINBASEAPI HFONT WINAPI CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                                    DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                                    DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality,
                                    DWORD iPitchAndFamily, LPCSTR pszFaceName) {
    LOGFONTA log{};
    log.lfHeight = cHeight;
    log.lfWidth = cWidth;
    log.lfEscapement = cEscapement;
    log.lfOrientation = cOrientation;
    log.lfWeight = cWeight;
    log.lfItalic = static_cast<BYTE>(bItalic != 0);
    log.lfUnderline = static_cast<BYTE>(bUnderline != 0);
    log.lfStrikeOut = static_cast<BYTE>(bStrikeOut != 0);
    log.lfCharSet = static_cast<BYTE>(iCharSet);
    log.lfOutPrecision = static_cast<BYTE>(iOutPrecision);
    log.lfClipPrecision = static_cast<BYTE>(iClipPrecision);
    log.lfQuality = static_cast<BYTE>(iQuality);
    log.lfPitchAndFamily = static_cast<BYTE>(iPitchAndFamily);
    if (pszFaceName) std::strncpy(log.lfFaceName, pszFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectA(&log);
}

WINBASEAPI BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm) {
    auto dc = dcGet(hdc);
    if (!dc || lptm == nullptr) {
        SetLastError(dc ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const FontObject &f = *dc->state.font;
    QFontMetrics m(f.font);
    TEXTMETRICA tm{};
    tm.tmAscent = m.ascent();
    tm.tmDescent = m.descent();
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = tm.tmHeight - f.font.pixelSize() > 0 ? tm.tmHeight - f.font.pixelSize() : 0;
    tm.tmExternalLeading = m.leading() > 0 ? m.leading() : 0;
    tm.tmAveCharWidth = m.averageCharWidth();
    tm.tmMaxCharWidth = m.maxWidth();
    tm.tmWeight = f.font.weight();
    tm.tmOverhang = 0;
    tm.tmDigitizedAspectX = 96;
    tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = 0x20;
    tm.tmLastChar = 0xFF;
    tm.tmDefaultChar = 0x1F;
    tm.tmBreakChar = 0x20;
    tm.tmItalic = f.font.italic() ? 0xFF : 0;
    tm.tmUnderlined = f.font.underline() ? 0xFF : 0;
    tm.tmStruckOut = f.font.strikeOut() ? 0xFF : 0;
    QFontInfo info(f.font);
    BYTE family = static_cast<BYTE>(f.log.lfPitchAndFamily & 0xF0);
    // TMPF_FIXED_PITCH set means variable pitch (a Windows quirk kept for callers).
    tm.tmPitchAndFamily = static_cast<BYTE>(family | TMPF_TRUETYPE | TMPF_VECTOR | (info.fixedPitch() ? 0 : TMPF_FIXED_PITCH));
    tm.tmCharSet = f.log.lfCharSet;
    *lptm = tm;
    return TRUE;
}

WINBASEAPI int WINAPI GetTextFaceA(HDC hdc, int c, LPSTR lpName) {
    auto dc = dcGet(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    const char *face = dc->state.font->log.lfFaceName;
    int len = static_cast<int>(std::strlen(face));
    if (lpName == nullptr) return len + 1;
    if (c <= 0) return 0;
    int n = len < c - 1 ? len : c - 1;
    std::memcpy(lpName, face, static_cast<size_t>(n));
    lpName[n] = 0;
    return n;
}

}  // extern "C"
