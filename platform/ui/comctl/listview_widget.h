// The list view's widget: a container holding the report view (QTreeView)
// or the icon views (QListView), both over one ListModel and one selection
// model. Selection, focus, clicks, keys and tool tips of the Qt views become
// the list view's WM_NOTIFY notifications to its parent.
#pragma once

#include "comctl/listview_model.h"

#include <QItemSelectionModel>
#include <QListView>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <unordered_map>

namespace platform::ui {

class ListViewWidget;

// Every selection change, by the user or by a message, passes here: the
// parent hears LVN_ITEMCHANGING (and may refuse) and LVN_ITEMCHANGED.
class ListSelection : public QItemSelectionModel {
public:
    ListSelection(QAbstractItemModel *model, ListViewWidget *owner) : QItemSelectionModel(model), owner_(owner) {}
    using QItemSelectionModel::select;
    void select(const QItemSelection &selection, QItemSelectionModel::SelectionFlags command) override;
    // Selected rows, ascending.
    std::vector<int> rows() const;
    void selectQuietly(const QItemSelection &selection, QItemSelectionModel::SelectionFlags command) {
        QItemSelectionModel::select(selection, command);
    }

private:
    ListViewWidget *owner_;
};

// Draws grid lines and, without full-row selection, the selection on the
// first column only; asks the parent before and after in-place edits.
class ListDelegate : public QStyledItemDelegate {
public:
    explicit ListDelegate(ListViewWidget *owner);
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void initOption(QStyleOptionViewItem *option, const QModelIndex &index) const { initStyleOption(option, index); }

private:
    ListViewWidget *owner_;
};

// What both views share: their input reported to the list view.
template <class Base>
class ListViewBase : public Base {
public:
    ListViewBase(ListViewWidget *owner, QWidget *parent) : Base(parent), owner_(owner) {}
    void viewItemOption(QStyleOptionViewItem *option) { this->initViewItemOption(option); }

protected:
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    bool viewportEvent(QEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

    ListViewWidget *owner_;
};

using ListTree = ListViewBase<QTreeView>;
using ListIcons = ListViewBase<QListView>;

class ListViewWidget : public QWidget {
public:
    ListViewWidget(HWND hwnd, QWidget *parent);

    const HWND hwnd;
    ListModel *model() const { return model_; }
    ListSelection *selection() const { return selection_; }
    QAbstractItemView *view() const { return view_; }
    bool report() const { return view_ == tree_; }
    DWORD exStyle() const { return exStyle_; }
    DWORD style() const { return style_; }

    // The header child window (made when first needed: it is a window of
    // its own, so it cannot be made while the list view's window is).
    HWND header();
    // Puts the widget in the shape of the window style (view, selection
    // mode, header, label editing).
    void applyStyle(DWORD style);
    // Returns the previous extended style.
    DWORD setExStyle(DWORD mask, DWORD style);

    // State bits of item i, selection and focus included.
    UINT itemState(int i) const;
    // Sets the bits of mask to state on item i (-1: every item), with the
    // notifications; false if i is not an item.
    bool setItemState(int i, UINT state, UINT mask);

    // Sends a notification (its header filled in here) to the parent.
    LRESULT notify(NMHDR *hdr, UINT code);
    // LVN_ITEMCHANGING/CHANGED, LVN_INSERTITEM, LVN_DELETEITEM (NMLISTVIEW).
    LRESULT notifyItem(UINT code, int item, UINT oldState, UINT newState, UINT changed);
    bool alive() const;

    // Hit testing in client coordinates (LVM_HITTEST, LVM_SUBITEMHITTEST).
    int hitTest(LVHITTESTINFO *info, bool subItems) const;
    // Item rectangles in client coordinates; false if i is not an item.
    bool itemRect(int i, int sub, int code, RECT *out) const;
    QPoint viewportOffset() const;
    int countPerPage() const;
    int topIndex() const;
    // Column width from content (LVSCW_AUTOSIZE) or content and header
    // (LVSCW_AUTOSIZE_USEHEADER).
    int autoWidth(int column, bool useHeader) const;
    void setColumnWidth(int column, int width);

    // Called by the views and the selection model.
    void selectionChanging(const std::vector<int> &before, const std::vector<int> &after);
    void clicked(QMouseEvent *e, bool doubleClick);
    void keyPressed(QKeyEvent *e);
    bool toolTip(QHelpEvent *e);
    void focusChanged(bool in);
    bool editBegins(int item);
    bool editEnds(int item, const QString *text);

    // While true, changes to the items are not reported (deletion moves the
    // selection and focus without notifications).
    int quiet = 0;
    int selectionMark = -1;
    COLORREF background = CLR_DEFAULT, textColor = CLR_DEFAULT, textBackground = CLR_DEFAULT;

private:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous);
    ListIcons *icons();
    void applyIconMode(DWORD style);

    ListModel *model_;
    ListSelection *selection_;
    ListDelegate *delegate_;
    ListTree *tree_;
    ListIcons *icons_ = nullptr;
    QAbstractItemView *view_ = nullptr;
    HWND header_ = nullptr;
    DWORD exStyle_ = 0;
    DWORD style_ = 0;
    std::unordered_map<int, bool> pendingSelected_;  // old selection of rows being changed
};

// The list view widget of a window (null if hwnd is none).
ListViewWidget *listViewOf(HWND hwnd);

}  // namespace platform::ui
