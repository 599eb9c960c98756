// The list view's items as a Qt table model: one row per item, one column per
// list view column (at least one, so the icon views can show items). Rows
// hold texts, image, lParam and the state bits that are not selection or
// focus (those live in the selection model).
#pragma once

#include "comctl/header_model.h"

#include <unordered_map>

namespace platform::ui {

struct ListItem {
    std::vector<QString> texts;  // [0]: the item's text; [i]: sub-item i
    uint32_t callbackTexts = 0;  // bit i: text i is asked for (LPSTR_TEXTCALLBACK)
    int image = 0;
    UINT state = 0;              // LVIS_* bits other than LVIS_SELECTED and LVIS_FOCUSED
    LPARAM lParam = 0;
    int indent = 0;
};

class ListModel : public ColumnModel {
public:
    ListModel(HWND hwnd, QObject *parent) : ColumnModel(parent), hwnd_(hwnd) {}

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    int itemCount() const { return static_cast<int>(items_.size()); }

    // While frozen (the list's redraw is off), items appended at the end are
    // announced to the views in one batch and changes are reported once, when
    // the model thaws or anything else needs the views to know every item.
    void setFrozen(bool frozen);
    void flush();
    const ListItem &item(int i) const { return items_[static_cast<size_t>(i)]; }
    ListItem &itemForChange(int i) { paramIndexValid_ = false; return items_[static_cast<size_t>(i)]; }
    void itemChanged(int i);
    void itemsChanged(int first, int last);

    int insertItem(int at, ListItem item);
    void removeItem(int i);
    void removeAll();
    void reserve(int n) { items_.reserve(static_cast<size_t>(std::max(0, n))); }

    // The text of item i, column sub, as shown (asking the parent for
    // callback texts).
    QString text(int i, int sub) const;
    int imageOf(int i) const;
    // First item from start+1 whose lParam is value (-1 if none).
    int findParam(LPARAM value, int start) const;
    // Reorders the items by the caller's comparison; the items keep their
    // places while the comparison runs.
    void sortItems(const std::function<int(const ListItem &, const ListItem &)> &compare);
    bool sorting() const { return sorting_; }

    void setSmallImages(HIMAGELIST l) { smallImages_.setList(l); allChanged(); }
    void setNormalImages(HIMAGELIST l) { normalImages_.setList(l); allChanged(); }
    void setStateImages(HIMAGELIST l) { stateImages_.setList(l); allChanged(); }
    const ImageCache &smallImages() const { return smallImages_; }
    const ImageCache &normalImages() const { return normalImages_; }
    const ImageCache &stateImages() const { return stateImages_; }
    void setIconView(bool icons) { iconView_ = icons; allChanged(); }
    bool iconView() const { return iconView_; }
    void setCheckBoxes(bool on) { checkBoxes_ = on; allChanged(); }
    void setEditable(bool on) { editable_ = on; }
    void setTextColor(const QVariant &c) { textColor_ = c; allChanged(); }
    void setTextBackground(const QVariant &c) { textBackground_ = c; allChanged(); }
    void allChanged();

    // Called when the user changes a check box (the list view notifies).
    std::function<void(int item, UINT oldState, UINT newState)> onStateImageChange;
    // Called when an in-place edit ends with a text; true keeps it.
    std::function<bool(int item, const QString &text)> onLabelEdited;

protected:
    int minimumColumns() const override { return 1; }
    void columnInserted(int i) override;
    void columnRemoved(int i) override;

private:
    HWND hwnd_;
    std::vector<ListItem> items_;
    ImageCache smallImages_, normalImages_, stateImages_;
    bool iconView_ = false;
    bool checkBoxes_ = false;
    bool editable_ = false;
    bool sorting_ = false;
    bool frozen_ = false;
    int announced_ = 0;                  // rows the views know of
    int dirtyFirst_ = -1, dirtyLast_ = -1;  // rows changed while frozen
    QVariant textColor_, textBackground_;
    mutable std::unordered_map<LPARAM, int> paramIndex_;  // lParam -> first item with it
    mutable bool paramIndexValid_ = false;
};

}  // namespace platform::ui
