// Grid lines for a list in report view: QTreeWidget draws none of its own, so
// this delegate paints a light line under and to the right of every cell.
#pragma once

#include <QStyledItemDelegate>

namespace quaverly {

class GridLineDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace quaverly
