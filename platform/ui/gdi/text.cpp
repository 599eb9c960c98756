// TextOutA, DrawTextA and GetTextExtentPoint32A: GDI's line breaking,
// alignment, prefixes, tab expansion and ellipses, measured with the
// context's font.
#include "gdi/text.h"

#include "gdi/dc.h"

#include <QFontMetrics>

#include <vector>

using namespace platform;
using namespace platform::ui;

namespace platform::ui {

QString stripPrefixes(const QString &text, int *underline) {
    QString out;
    int mark = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&')) {
                out.append(QLatin1Char('&'));
                ++i;
                continue;
            }
            if (i + 1 < text.size()) mark = static_cast<int>(out.size());
            continue;
        }
        out.append(text[i]);
    }
    if (underline) *underline = mark;
    return out;
}

void drawTextLine(DcObject &dc, QPainter &p, int x, int y, const QString &text, int underline, const QColor *color) {
    const QFont &font = dcFont(dc);
    QFontMetrics m(font);
    int width = m.horizontalAdvance(text);
    int height = m.ascent() + m.descent();
    if (dc.state.bkMode == OPAQUE && width > 0) p.fillRect(QRect(x, y, width, height), toQColor(dc.state.bkColor));
    p.setFont(font);
    p.setPen(color ? *color : toQColor(dc.state.textColor));
    p.drawText(QPoint(x, y + m.ascent()), text);
    if (underline >= 0 && underline < text.size()) {
        int x0 = x + m.horizontalAdvance(text.left(underline));
        int w = m.horizontalAdvance(text.mid(underline, 1));
        int uy = y + m.ascent() + (m.underlinePos() > 0 ? m.underlinePos() : 1);
        int thickness = m.lineWidth() > 0 ? m.lineWidth() : 1;
        p.fillRect(QRect(x0, uy, w, thickness), color ? *color : toQColor(dc.state.textColor));
    }
}

}  // namespace platform::ui

namespace {

std::shared_ptr<DcObject> dcOrFail(HDC hdc) {
    auto dc = dcGet(hdc);
    if (!dc) SetLastError(ERROR_INVALID_HANDLE);
    return dc;
}

struct Line {
    QString text;
    int underline = -1;  // index in text
};

QString expandTabs(const QString &text, const QFontMetrics &m, int tabWidth, int *underline) {
    if (!text.contains(QLatin1Char('\t'))) return text;
    QString out;
    int mark = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (underline && *underline == i) mark = static_cast<int>(out.size());
        if (text[i] != QLatin1Char('\t')) {
            out.append(text[i]);
            continue;
        }
        int x = m.horizontalAdvance(out);
        int next = (x / tabWidth + 1) * tabWidth;
        int space = m.horizontalAdvance(QLatin1Char(' '));
        do out.append(QLatin1Char(' '));
        while (space > 0 && m.horizontalAdvance(out) < next);
    }
    if (underline) *underline = mark;
    return out;
}

// Text ending in "..." that fits width (at least the "...").
QString endEllipsis(const QString &text, const QFontMetrics &m, int width) {
    if (m.horizontalAdvance(text) <= width) return text;
    const QString dots = QStringLiteral("...");
    for (qsizetype n = text.size() - 1; n > 0; --n) {
        QString candidate = text.left(n) + dots;
        if (m.horizontalAdvance(candidate) <= width) return candidate;
    }
    return dots;
}

// A path shortened in its middle: the last component stays whole.
QString pathEllipsis(const QString &text, const QFontMetrics &m, int width) {
    if (m.horizontalAdvance(text) <= width) return text;
    qsizetype slash = std::max(text.lastIndexOf(QLatin1Char('\\')), text.lastIndexOf(QLatin1Char('/')));
    if (slash <= 0) return endEllipsis(text, m, width);
    QString tail = text.mid(slash);
    const QString dots = QStringLiteral("...");
    for (qsizetype n = slash - 1; n >= 0; --n) {
        QString candidate = text.left(n) + dots + tail;
        if (m.horizontalAdvance(candidate) <= width) return candidate;
    }
    return endEllipsis(dots + tail, m, width);
}

// Splits a paragraph at blanks so that each line fits width; a word wider
// than the line stays whole on its own line. The underline index follows
// its character.
void wrapParagraph(const QString &text, int underline, const QFontMetrics &m, int width, std::vector<Line> &out) {
    qsizetype start = 0;
    while (true) {
        // Longest prefix from start that ends at a word boundary and fits.
        qsizetype end = text.size();
        if (m.horizontalAdvance(text.mid(start)) > width) {
            qsizetype best = -1;
            for (qsizetype i = start + 1; i <= text.size(); ++i) {
                if (i < text.size() && text[i] != QLatin1Char(' ')) continue;
                if (m.horizontalAdvance(text.mid(start, i - start)) > width) break;
                best = i;
            }
            if (best < 0) {
                // The first word does not fit: it takes a line of its own.
                best = text.indexOf(QLatin1Char(' '), start + 1);
                if (best < 0) best = text.size();
            }
            end = best;
        }
        Line line;
        line.text = text.mid(start, end - start);
        if (underline >= start && underline < end) line.underline = static_cast<int>(underline - start);
        out.push_back(line);
        start = end;
        while (start < text.size() && text[start] == QLatin1Char(' ')) ++start;
        if (start >= text.size()) break;
    }
}

}  // namespace

extern "C" {

WINBASEAPI BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl) {
    auto dc = dcOrFail(hdc);
    if (!dc || !psizl || c < 0 || (c > 0 && !lpString)) {
        if (dc) SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    QFontMetrics m(dcFont(*dc));
    psizl->cx = m.horizontalAdvance(gdiFromAnsi(lpString, c));
    psizl->cy = m.ascent() + m.descent();
    return TRUE;
}

WINBASEAPI BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
    auto dc = dcOrFail(hdc);
    if (!dc || c < 0 || (c > 0 && !lpString)) {
        if (dc) SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    QString text = gdiFromAnsi(lpString, c);
    QFontMetrics m(dcFont(*dc));
    int width = m.horizontalAdvance(text);
    UINT align = dc->state.textAlign;
    if (align & TA_UPDATECP) x = dc->state.position.x, y = dc->state.position.y;
    int left = x;
    if ((align & TA_CENTER) == TA_CENTER) left = x - width / 2;
    else if (align & TA_RIGHT) left = x - width;
    int top = y;
    if ((align & TA_BASELINE) == TA_BASELINE) top = y - m.ascent();
    else if (align & TA_BOTTOM) top = y - (m.ascent() + m.descent());
    QPainter &p = dc->paint();
    drawTextLine(*dc, p, left, top, text, -1);
    if (align & TA_UPDATECP) {
        if ((align & TA_CENTER) != TA_CENTER) dc->state.position.x = (align & TA_RIGHT) ? x - width : x + width;
    }
    return TRUE;
}

WINBASEAPI int WINAPI DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format) {
    auto dc = dcOrFail(hdc);
    if (!dc || !lprc || (cchText != 0 && !lpchText) || cchText < -1) {
        if (dc) SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    QString text = gdiFromAnsi(lpchText, cchText);
    const QFont &font = dcFont(*dc);
    QFontMetrics m(font);
    int lineHeight = m.ascent() + m.descent() + ((format & DT_EXTERNALLEADING) ? std::max(0, m.leading()) : 0);
    int width = lprc->right - lprc->left;

    int underline = -1;
    if (!(format & DT_NOPREFIX)) {
        text = stripPrefixes(text, &underline);
        if (format & DT_HIDEPREFIX) underline = -1;
    }
    int tabWidth = 8 * std::max(1, m.averageCharWidth());
    if ((format & DT_TABSTOP) && ((format >> 8) & 0xFF)) tabWidth = static_cast<int>((format >> 8) & 0xFF) * std::max(1, m.averageCharWidth());

    // Paragraphs at line ends, unless single-line (where line ends are dropped).
    std::vector<Line> lines;
    std::vector<QString> paragraphs;
    std::vector<int> starts;  // index of each paragraph's first character
    if (format & DT_SINGLELINE) {
        QString flat;
        int mark = -1;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (i == underline) mark = static_cast<int>(flat.size());
            if (text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n')) flat.append(text[i]);
        }
        underline = mark;
        paragraphs.push_back(flat);
        starts.push_back(0);
    } else {
        QString current;
        int start = 0;
        for (qsizetype i = 0; i <= text.size(); ++i) {
            if (i == text.size() || text[i] == QLatin1Char('\n') || text[i] == QLatin1Char('\r')) {
                paragraphs.push_back(current);
                starts.push_back(start);
                current.clear();
                if (i + 1 < text.size() && text[i] == QLatin1Char('\r') && text[i + 1] == QLatin1Char('\n')) ++i;
                start = static_cast<int>(i) + 1;
                continue;
            }
            current.append(text[i]);
        }
    }
    for (size_t k = 0; k < paragraphs.size(); ++k) {
        const QString &para = paragraphs[k];
        int offset = starts[k];
        int mark = (underline >= offset && underline < offset + para.size()) ? underline - offset : -1;
        QString expanded = (format & DT_EXPANDTABS) ? expandTabs(para, m, tabWidth, &mark) : para;
        if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE) && width > 0) {
            wrapParagraph(expanded, mark, m, width, lines);
        } else {
            lines.push_back(Line{expanded, mark});
        }
    }
    if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)) {
        for (Line &line : lines) {
            QString shortened = (format & DT_PATH_ELLIPSIS) ? pathEllipsis(line.text, m, width)
                                                            : endEllipsis(line.text, m, width);
            if (shortened != line.text) {
                if (line.underline >= shortened.size() - 3) line.underline = -1;
                line.text = shortened;
            }
        }
    }

    int textHeight = static_cast<int>(lines.size()) * lineHeight;
    int textWidth = 0;
    for (const Line &line : lines) textWidth = std::max(textWidth, m.horizontalAdvance(line.text));

    if (format & DT_CALCRECT) {
        lprc->right = lprc->left + textWidth;
        lprc->bottom = lprc->top + textHeight;
        return textHeight;
    }

    int top = lprc->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) top = lprc->top + ((lprc->bottom - lprc->top) - textHeight) / 2;
        else if (format & DT_BOTTOM) top = lprc->bottom - textHeight;
    }
    QPainter &p = dc->paint();
    if (!(format & DT_NOCLIP)) p.setClipRect(QRect(lprc->left, lprc->top, width, lprc->bottom - lprc->top), Qt::IntersectClip);
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line &line = lines[i];
        int w = m.horizontalAdvance(line.text);
        int x = lprc->left;
        if (format & DT_CENTER) x = lprc->left + (width - w) / 2;
        else if (format & DT_RIGHT) x = lprc->right - w;
        int y = top + static_cast<int>(i) * lineHeight;
        if (format & DT_PREFIXONLY) {
            if (line.underline >= 0) {
                int x0 = x + m.horizontalAdvance(line.text.left(line.underline));
                int cw = m.horizontalAdvance(line.text.mid(line.underline, 1));
                p.fillRect(QRect(x0, y + m.ascent() + std::max(1, m.underlinePos()), cw, std::max(1, m.lineWidth())),
                           toQColor(dc->state.textColor));
            }
            continue;
        }
        drawTextLine(*dc, p, x, y, line.text, line.underline);
    }
    // With vertical placement the result counts from the rectangle's top.
    return (top - lprc->top) + textHeight;
}

}  // extern "C"
