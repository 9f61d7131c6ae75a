// The rows of the sequence page ListViewSeq as a read-only table model over
// the rows an analysis or a load produced (columns "Time", "Ch", "Tone",
// "Len"). The longest melody has some 133,000 rows: the model keeps them as
// they came and the view asks only for the rows it shows.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "UnitMld/MelodyToScore.h"

namespace quaverly {

class SequenceRowModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void Clear();
    // Adds the rows after those already shown.
    void Append(std::vector<SequenceRow> rows);

private:
    std::vector<SequenceRow> m_rows;
};

}  // namespace quaverly
