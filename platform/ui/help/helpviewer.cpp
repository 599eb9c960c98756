// Pages through Qt's desktop services, pop-ups as frameless tooltip-coloured
// windows that close on the next click or key.
#include "help/helpviewer.h"

#include "core/app.h"
#include "gdi/dc.h"
#include "help/helparchive.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QUrl>

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace platform::ui {
namespace {

void record(const std::string &line) {
    const char *path = std::getenv("SUITE_HELP_RECORD");
    if (!path || !*path) return;
    if (FILE *f = std::fopen(path, "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

bool recording() {
    const char *path = std::getenv("SUITE_HELP_RECORD");
    return path && *path;
}

class Popup : public QLabel {
public:
    Popup() : QLabel(nullptr, Qt::Popup | Qt::FramelessWindowHint) {
        setAttribute(Qt::WA_DeleteOnClose);
        setWordWrap(true);
        setTextFormat(Qt::PlainText);
        setFrameStyle(QFrame::Box | QFrame::Plain);
    }

protected:
    void mousePressEvent(QMouseEvent *) override { close(); }
    void keyPressEvent(QKeyEvent *) override { close(); }
};

QPointer<Popup> current;

QFont popupFont(const char *spec) {
    std::string s = spec ? spec : "";
    std::string face = s.substr(0, s.find(','));
    int points = 8;
    if (size_t comma = s.find(','); comma != std::string::npos) {
        int p = std::atoi(s.c_str() + comma + 1);
        if (p > 0 && p <= 72) points = p;
    }
    bool bold = s.find("BOLD") != std::string::npos;
    HFONT f = CreateFontA(-(points * 96 + 36) / 72, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0,
                          0, 0, face.empty() ? "MS Sans Serif" : face.c_str());
    QFont font = gdiFont(f);
    DeleteObject(f);
    return font;
}

}  // namespace

bool helpOpenPage(const std::string &archive, const std::string &target) {
    std::string page = target.substr(0, target.find('#'));
    std::string anchor = target.find('#') == std::string::npos ? "" : target.substr(target.find('#') + 1);
    while (!page.empty() && page.front() == '/') page.erase(0, 1);
    if (!helpSafeEntryName(page)) return false;
    auto dir = helpUnpack(archive);
    if (!dir) return false;
    std::string path = *dir + "/" + page;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(path));
    if (!anchor.empty()) url.setFragment(QString::fromStdString(anchor));
    if (recording()) {
        record("open " + url.toString(QUrl::FullyEncoded).toStdString());
        return true;
    }
    uiApplication();
    return QDesktopServices::openUrl(url);
}

void helpShowPopup(const std::string &text, POINT at, const char *font, COLORREF foreground, COLORREF background,
                   RECT margins) {
    std::string escaped;
    for (char c : text) escaped += c == '\n' ? std::string("\\n") : std::string(1, c);
    record("popup " + escaped);
    uiApplication();
    helpClosePopups();
    auto *popup = new Popup;
    popup->setText(gdiFromAnsi(text.c_str(), static_cast<int>(text.size())));
    popup->setFont(popupFont(font));
    QPalette palette = QApplication::palette("QToolTip");
    QColor fg = foreground == CLR_INVALID ? palette.color(QPalette::ToolTipText) : gdiColor(foreground);
    QColor bg = background == CLR_INVALID ? palette.color(QPalette::ToolTipBase) : gdiColor(background);
    palette.setColor(QPalette::WindowText, fg);
    palette.setColor(QPalette::Window, bg);
    popup->setPalette(palette);
    popup->setAutoFillBackground(true);
    auto margin = [](LONG v) { return v < 0 ? 6 : static_cast<int>(v > 100 ? 100 : v); };
    popup->setContentsMargins(margin(margins.left), margin(margins.top), margin(margins.right), margin(margins.bottom));
    popup->setMaximumWidth(360);
    popup->adjustSize();
    // The pop-up's top edge is centred on the point.
    popup->move(at.x - popup->width() / 2, at.y);
    popup->show();
    current = popup;
}

void helpClosePopups() {
    if (current) current->close();
}

POINT helpPointerPosition() {
    uiApplication();
    QPoint p = QCursor::pos();
    return POINT{p.x(), p.y()};
}

}  // namespace platform::ui
