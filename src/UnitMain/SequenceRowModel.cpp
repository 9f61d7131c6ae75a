#include "SequenceRowModel.h"

#include <array>
#include <iterator>

#include "platform/SjisText.h"

namespace quaverly {

namespace {

// The columns: the event's time in ticks, its voice 0..3, its note number, its gate.
constexpr std::array<const char*, 4> ColumnTitles{"時刻", "チャンネル", "音程", "ゲート"};

const std::string& Field(const SequenceRow& row, int column)
{
    switch (column) {
        case 0:
            return row.time;
        case 1:
            return row.channel;
        case 2:
            return row.tone;
        default:
            return row.length;
    }
}

}  // namespace

int SequenceRowModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int SequenceRowModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(ColumnTitles.size());
}

QVariant SequenceRowModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
        return {};
    }
    return FromSjis(Field(m_rows[static_cast<size_t>(index.row())], index.column()));
}

QVariant SequenceRowModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount()) {
        return {};
    }
    return QString::fromUtf8(ColumnTitles[static_cast<size_t>(section)]);
}

void SequenceRowModel::Clear()
{
    if (m_rows.empty()) {
        return;
    }
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void SequenceRowModel::Append(std::vector<SequenceRow> rows)
{
    if (rows.empty()) {
        return;
    }
    // Into an empty list, the rows are taken over whole.
    if (m_rows.empty()) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
        return;
    }
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    endInsertRows();
}

}  // namespace quaverly
