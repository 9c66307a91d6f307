#include "LineListModel.h"

#include "text/Cp932Codec.h"
#include "text/LineReader.h"

#include <algorithm>
#include <climits>
#include <string_view>

namespace zentu {

int LineListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_starts.size());
}

QVariant LineListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole) {
        return {};
    }
    return lineText(index.row());
}

void LineListModel::appendLines(QByteArray bytes) {
    const std::size_t base = static_cast<std::size_t>(m_buffer.size());
    std::vector<std::uint64_t> starts;
    std::vector<std::uint32_t> lengths;
    const std::string_view all(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    // A list view counts its rows in int: lines past that many are not listed.
    const std::size_t room = static_cast<std::size_t>(INT_MAX) - m_starts.size();
    LineReader reader(all);
    std::string_view line;
    while (starts.size() < room && reader.next(line)) {
        starts.push_back(base + static_cast<std::uint64_t>(line.data() - all.data()));
        lengths.push_back(static_cast<std::uint32_t>(std::min<std::size_t>(line.size(), UINT32_MAX)));
    }
    if (starts.empty()) {
        return;
    }
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(starts.size()) - 1);
    if (m_buffer.isEmpty()) {
        m_buffer = std::move(bytes); // the common case, a whole file at once: no copy
    } else {
        m_buffer.append(bytes);
    }
    if (m_starts.empty()) {
        m_starts = std::move(starts);
        m_lengths = std::move(lengths);
    } else {
        m_starts.insert(m_starts.end(), starts.begin(), starts.end());
        m_lengths.insert(m_lengths.end(), lengths.begin(), lengths.end());
    }
    endInsertRows();
}

void LineListModel::insertLine(int row, QByteArrayView bytes) {
    row = std::clamp(row, 0, rowCount());
    beginInsertRows(QModelIndex(), row, row);
    const auto start = static_cast<std::uint64_t>(m_buffer.size());
    m_buffer.append(bytes);
    m_starts.insert(m_starts.begin() + row, start);
    m_lengths.insert(m_lengths.begin() + row,
                     static_cast<std::uint32_t>(
                         std::min<std::uint64_t>(static_cast<std::uint64_t>(bytes.size()), std::uint64_t{UINT32_MAX})));
    endInsertRows();
}

QByteArrayView LineListModel::lineBytes(int row) const {
    const auto r = static_cast<std::size_t>(row);
    return QByteArrayView(m_buffer.constData() + m_starts[r], static_cast<qsizetype>(m_lengths[r]));
}

QString LineListModel::lineText(int row) const {
    const QByteArrayView bytes = lineBytes(row);
    const std::string utf8 =
        Cp932Codec::decodeLossy(std::string_view(bytes.data(), static_cast<std::size_t>(bytes.size())));
    return QString::fromStdString(utf8);
}

} // namespace zentu
