// The same item drawn with Qt's painter directly: the peer of the graphics
// benchmark (bench/ui_gdi), kept beside the platform layer because it uses Qt.
#include "workload.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <chrono>
#include <cstdio>

double drawWithQt(int items, unsigned *checksum) {
    if (!QApplication::instance()) {
        static int argc = 1;
        static char name[] = "gdibench";
        static char *argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
    QImage surface(200, 24, QImage::Format_RGBA8888);
    QImage icon(16, 16, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    {
        QPainter p(&icon);
        p.fillRect(2, 2, 12, 12, QColor(40, 120, 200));
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setKerning(false);
    QFontMetrics metrics(font);
    QPainter p(&surface);
    p.setFont(font);
    char text[64];
    auto start = std::chrono::steady_clock::now();
    unsigned sum = 0;
    for (int i = 0; i < items; ++i) {
        std::snprintf(text, sizeof text, "&Properties of item %d\tCtrl+P", i);
        QString s = QString::fromLatin1(text);
        p.fillRect(0, 0, 200, 24, QColor(0xF7, 0xFB, 0xFF));
        p.setPen(QColor(0x6B, 0x24, 0x08));
        p.drawRect(0, 0, 199, 23);
        p.drawImage(4, 4, icon);
        p.setPen(Qt::black);
        p.drawText(QRect(30, 2, 170, 20), Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic | Qt::TextExpandTabs, s);
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        for (int x = 1; x < 199; x += 2) p.fillRect(x, 1, 1, 1, Qt::black), p.fillRect(x, 22, 1, 1, Qt::black);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        sum += static_cast<unsigned>(metrics.horizontalAdvance(s)) + surface.pixel(40 + i % 100, 12);
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    *checksum = sum;
    return seconds;
}
