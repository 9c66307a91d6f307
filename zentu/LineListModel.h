#pragma once

#include <QAbstractListModel>
#include <QByteArray>

#include <cstdint>
#include <vector>

namespace zentu {

/// The items of a list of text lines, kept compactly: the lines' CP932 bytes in one buffer and, per item, where
/// its bytes start and how many there are. An item is decoded for showing only when the view asks for it, so a
/// list of a million lines costs little more than the file it came from. Bytes that are not CP932 are shown as
/// U+FFFD, one per byte, never dropped.
class LineListModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    /// Adds the lines of `bytes` (lines end at CR LF, LF or a lone CR) at the end, as one change. The model keeps
    /// the bytes; the items point into them.
    void appendLines(QByteArray bytes);
    /// Inserts one item, given as CP932 bytes, at `row` (0 to rowCount()).
    void insertLine(int row, QByteArrayView bytes);

    /// The CP932 bytes of item `row`, and the item decoded for showing.
    QByteArrayView lineBytes(int row) const;
    QString lineText(int row) const;

private:
    QByteArray m_buffer;
    std::vector<std::uint64_t> m_starts;
    std::vector<std::uint32_t> m_lengths;
};

} // namespace zentu
