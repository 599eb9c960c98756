// The header control's items and its Qt view. A header shows the columns of
// a ColumnModel: its own, for a header window made on its own, or the list
// view's model, whose columns the header then shows and edits.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QPixmap>

#include <functional>
#include <map>
#include <vector>

namespace platform::ui {

struct HeaderItem {
    QString text;
    int fmt = HDF_LEFT | HDF_STRING;  // HDF_* bits
    int width = 50;
    int image = 0;                    // index in the header's image list, shown with HDF_IMAGE
    LPARAM lParam = 0;
    HBITMAP bitmap = nullptr;         // shown with HDF_BITMAP
    int subItem = 0;                  // the list view column's sub-item (LVCF_SUBITEM)
};

// Pixmaps of an image list, fetched again whenever the list changes.
class ImageCache {
public:
    void setList(HIMAGELIST list);
    HIMAGELIST list() const { return list_; }
    QPixmap pixmap(int index) const;
    QSize size() const;

private:
    HIMAGELIST list_ = nullptr;
    mutable unsigned generation_ = 0;
    mutable std::map<int, QPixmap> cache_;
};

class ColumnModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int count() const { return static_cast<int>(columns_.size()); }
    const HeaderItem &column(int i) const { return columns_[static_cast<size_t>(i)]; }
    // Inserts at i (clamped to the end); returns the index used.
    int insertColumnItem(int i, const HeaderItem &item);
    bool removeColumnItem(int i);
    void setColumnItem(int i, const HeaderItem &item);
    void setColumnWidth(int i, int width) { columns_[static_cast<size_t>(i)].width = width; }

    ImageCache &headerImages() { return headerImages_; }
    const ImageCache &headerImages() const { return headerImages_; }
    // Tells the views that every section may look different.
    void headerChanged();

protected:
    // The list view keeps one model column while it has none of its own, so
    // that its icon views can show items.
    virtual int minimumColumns() const { return 0; }
    // Called before and after the columns at i change in number (sub-item
    // texts of the list view move with them).
    virtual void columnInserted(int) {}
    virtual void columnRemoved(int) {}

private:
    std::vector<HeaderItem> columns_;
    ImageCache headerImages_;
};

// QHeaderView that draws images on the right of a section (HDF_BITMAP_ON_RIGHT)
// and reports clicks and width changes.
class HeaderView : public QHeaderView {
public:
    explicit HeaderView(QWidget *parent);

    // The header window; notifications go to its parent, or to the list view
    // that owns the header through onClick.
    HWND hwnd = nullptr;
    std::function<void(int)> onClick;  // set by a list view: its column click

    ColumnModel *columns() const { return dynamic_cast<ColumnModel *>(model()); }
    // Applies the items' widths and sort marks to the sections.
    void syncSections();

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    bool syncing_ = false;
};

// The window procedure of the header class; also answers HDM_* sent to a
// list view's header.
LRESULT CALLBACK headerProc(HWND, UINT, WPARAM, LPARAM);

// The HeaderView of a header window (null if hwnd is none).
HeaderView *headerViewOf(HWND hwnd);

}  // namespace platform::ui
