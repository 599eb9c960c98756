// The benchmark's dialog built with Qt widgets directly: the peer of the
// dialog benchmark (bench/ui_dialog), kept beside the platform layer because
// it uses Qt. Geometry comes from the same dialog units, at the base units of
// an 8-point sans-serif font.
#include "dialog_workload.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <chrono>

namespace {

void ensureApplication() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "dlgbench";
    static char *argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

QDialog *makeDialog() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    QFontMetrics fm(font);
    int baseX = (fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 26 + 1) / 2;
    int baseY = fm.height();
    auto px = [&](int v) { return (v * baseX + 2) / 4; };
    auto py = [&](int v) { return (v * baseY + 4) / 8; };
    auto *d = new QDialog;
    d->setWindowTitle(QStringLiteral("Benchmark"));
    d->setFont(font);
    d->resize(px(kDialogCx), py(kDialogCy));
    int count = 0;
    const ControlSpec *controls = dialogControls(&count);
    for (int i = 0; i < count; ++i) {
        const ControlSpec &c = controls[i];
        QString text = QString::fromLatin1(c.text);
        QWidget *w = nullptr;
        switch (c.kind) {
        case ControlKind::Label: w = new QLabel(text, d); break;
        case ControlKind::Edit: w = new QLineEdit(text, d); break;
        case ControlKind::Check: w = new QCheckBox(text, d); break;
        case ControlKind::Radio: w = new QRadioButton(text, d); break;
        case ControlKind::Push: w = new QPushButton(text, d); break;
        case ControlKind::Combo: {
            auto *combo = new QComboBox(d);
            combo->addItems({QStringLiteral("First"), QStringLiteral("Second"), QStringLiteral("Third")});
            w = combo;
            break;
        }
        case ControlKind::List: {
            auto *list = new QListWidget(d);
            list->addItems({QStringLiteral("alpha"), QStringLiteral("beta"), QStringLiteral("gamma")});
            w = list;
            break;
        }
        case ControlKind::Group: w = new QGroupBox(text, d); break;
        }
        int h = c.kind == ControlKind::Combo ? py(12) : py(c.cy);
        w->setGeometry(px(c.x), py(c.y), px(c.cx), h);
    }
    return d;
}

}  // namespace

double dialogsWithQt(int rounds) {
    ensureApplication();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) {
        QDialog *d = makeDialog();
        d->show();
        QCoreApplication::processEvents();
        delete d;
        QCoreApplication::processEvents();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void windowingStateWithQt() {
    ensureApplication();
    static QWidget hidden;
    hidden.winId();
    QCoreApplication::processEvents();
}
