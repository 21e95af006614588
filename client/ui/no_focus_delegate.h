#pragma once

#include <QStyledItemDelegate>

namespace qc::ui {

// Draws a grid's cells without the focus frame or the built-in selection:
// the windows mark rows with colours of their own.
class NoFocusDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem o(option);
        o.state &= ~(QStyle::State_HasFocus | QStyle::State_Selected);
        QStyledItemDelegate::paint(painter, o, index);
    }
};

}  // namespace qc::ui
