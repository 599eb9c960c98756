// The log rows put into a QTreeView through a QStandardItemModel directly:
// the peer of the log list benchmark (bench/logbook_display).
#include "peer.h"

#include <QApplication>
#include <QStandardItemModel>
#include <QTreeView>

#include <chrono>

double fillWithQt(const std::vector<PeerRow> &rows, double *paintSeconds) {
    if (!QApplication::instance()) {
        static int argc = 1;
        static char name[] = "logdisplay_bench";
        static char *argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
    using Clock = std::chrono::steady_clock;
    QTreeView view;
    view.setRootIsDecorated(false);
    view.setUniformRowHeights(true);
    view.resize(600, 400);
    view.show();
    QApplication::processEvents();
    auto start = Clock::now();
    QStandardItemModel model(0, 2);
    model.setHorizontalHeaderLabels({QStringLiteral("Date"), QStringLiteral("Message")});
    for (const PeerRow &r : rows) {
        QList<QStandardItem *> row{new QStandardItem(QString::fromLatin1(r.date.c_str())),
                                   new QStandardItem(QString::fromLatin1(r.message.c_str()))};
        model.appendRow(row);
    }
    view.setModel(&model);
    double fill = std::chrono::duration<double>(Clock::now() - start).count();
    start = Clock::now();
    view.repaint();
    QApplication::processEvents();
    *paintSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    view.setModel(nullptr);
    return fill;
}
