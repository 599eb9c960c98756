// The tree view's Qt side: a QTreeWidget whose items carry the Win32 item
// fields, and whose selection model asks the parent before the current item
// changes (TVN_SELCHANGING) so that a change can be refused.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <QItemSelectionModel>
#include <QTreeWidget>

#include <string>
#include <unordered_map>

namespace platform::ui {

class TreeView;

class TreeItem : public QTreeWidgetItem {
public:
    explicit TreeItem(HTREEITEM h) : handle(h) {}
    QVariant data(int column, int role) const override;
    void changed() { emitDataChanged(); }

    HTREEITEM handle;
    std::string label;  // the item text as the caller gave it
    int image = 0;
    int selectedImage = 0;
    int children = 0;    // cChildren: 1 shows a button before any child exists
    LPARAM param = 0;
    UINT state = 0;      // the stored bits: bold, cut, drop highlight, expanded once, overlay, state image
};

class TreeView : public QTreeWidget {
public:
    TreeView(HWND hwnd, DWORD style, QWidget *parent);

    HWND hwnd() const { return hwnd_; }
    TreeItem *find(HTREEITEM h) const;
    TreeItem *itemOf(const QModelIndex &index) const;
    TreeItem *selected() const { return find(selected_); }
    size_t count() const { return items_.size(); }

    HTREEITEM insert(const TVINSERTSTRUCTA &ins);
    // Deletes an item and its subtree (TVI_ROOT or null: every item), telling
    // the parent of each with TVN_DELETEITEM first.
    bool remove(HTREEITEM h);
    // Makes item (or none) the selected item; asks the parent first when
    // mayRefuse. False when refused or when the item went away meanwhile.
    bool changeSelection(TreeItem *to, UINT cause, bool mayRefuse);
    // TVM_EXPAND.
    bool expandItem(TreeItem *item, UINT code);
    void fillItem(TreeItem *item, TVITEMA *out, UINT mask) const;
    UINT stateOf(const TreeItem *item) const;
    bool setItem(const TVITEMA &in);
    // Whether every ancestor of item is expanded.
    bool shown(const TreeItem *item) const;

    // The Qt icon of an image of the normal image list (null when none).
    QIcon iconFor(int image, int selectedImage) const;
    HIMAGELIST images = nullptr;
    HIMAGELIST stateImages = nullptr;

    UINT cause = TVC_UNKNOWN;  // what the event being handled is
    bool applying = false;     // the selection model carries out our own change

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    bool viewportEvent(QEvent *e) override;

private:
    void onExpansion(const QModelIndex &index, bool expanded);
    LRESULT notifyTree(UINT code, UINT action, TreeItem *oldItem, TreeItem *newItem);
    void forget(TreeItem *item);

    HWND hwnd_;
    std::unordered_map<HTREEITEM, TreeItem *> items_;
    HTREEITEM selected_ = nullptr;
    int expandGuard_ = 0;
};


}  // namespace platform::ui
