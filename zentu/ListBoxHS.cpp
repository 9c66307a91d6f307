#include "ListBoxHS.h"

#include "LineListModel.h"

#include "text/Cp932Codec.h"
#include "text/TextHelpers.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QListView>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <queue>
#include <string_view>
#include <utility>
#include <vector>

namespace zentu {

/// Draws the items as usual but gives each the width of the extent, so the list's contents are as wide as the
/// extent and the horizontal scroll range follows from it (the list asks only its first item, all rows being alike).
class ExtentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setWidth(m_extent);
        return size;
    }

    int extent() const { return m_extent; }
    void setExtent(int extent) { m_extent = extent; }

private:
    int m_extent = 0;
};

namespace {

std::string_view View(QByteArrayView bytes) {
    return {bytes.data(), static_cast<std::size_t>(bytes.size())};
}

QString Decoded(QByteArrayView cp932) {
    return QString::fromStdString(Cp932Codec::decodeLossy(View(cp932)));
}

} // namespace

/// Measures many lines fast: the width of a line is the sum of its characters' advances, each character's advance
/// taken once from the font metrics and kept in a table indexed by its CP932 bytes. The bytes are walked the way
/// the codec decodes them, so a byte that is not CP932 counts as the replacement character shown for it.
class ListBoxHS::Measure {
public:
    explicit Measure(const QFont& font) : m_metrics(font) {
        m_replacement = m_metrics.horizontalAdvance(QChar(0xFFFD));
        for (int byte = 0; byte < 256; ++byte) {
            const char single = static_cast<char>(byte);
            const CodecResult decoded = Cp932Codec::decode(std::string_view(&single, 1));
            m_single[static_cast<std::size_t>(byte)] =
                decoded.ok ? m_metrics.horizontalAdvance(QString::fromStdString(decoded.text)) : m_replacement;
        }
        m_pairs.assign(65536, kUnknown);
    }

    /// The line's width with one more half-width character, as TextWidthPixels measures it, in fractional pixels.
    double width(std::string_view bytes) {
        double sum = m_single[' '];
        const std::size_t size = bytes.size();
        for (std::size_t i = 0; i < size; ++i) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            if (IsCp932LeadByte(byte)) {
                if (i + 1 < size) {
                    const double advance = pair(byte, static_cast<unsigned char>(bytes[i + 1]));
                    if (advance >= 0) {
                        sum += advance;
                        ++i;
                        continue;
                    }
                }
                sum += m_replacement; // a lead byte without its second byte shows as one replacement character
                continue;
            }
            sum += m_single[byte];
        }
        return sum;
    }

private:
    static constexpr double kUnknown = -2.0;
    static constexpr double kNotAPair = -1.0;

    double pair(unsigned char lead, unsigned char trail) {
        double& advance = m_pairs[static_cast<std::size_t>(lead) << 8 | trail];
        if (advance == kUnknown) {
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            const CodecResult decoded = Cp932Codec::decode(std::string_view(bytes, 2));
            advance = decoded.ok && !decoded.text.empty()
                          ? m_metrics.horizontalAdvance(QString::fromStdString(decoded.text))
                          : kNotAPair;
        }
        return advance;
    }

    QFontMetricsF m_metrics;
    double m_replacement = 0;
    std::array<double, 256> m_single{};
    std::vector<double> m_pairs;
};

ListBoxHS::ListBoxHS() = default;
ListBoxHS::~ListBoxHS() = default;

void ListBoxHS::setListBox(QListView* lstTarget) {
    m_list = lstTarget;
    if (m_list == nullptr) {
        return;
    }
    m_model = new LineListModel(m_list);
    m_delegate = new ExtentDelegate(m_list);
    m_list->setModel(m_model);
    m_list->setItemDelegate(m_delegate);
    // All rows have one height, so the list lays out a million lines at once without asking each for its size.
    m_list->setUniformItemSizes(true);
    m_list->setWordWrap(false);
    m_list->setTextElideMode(Qt::ElideNone);
    m_list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->ensurePolished();
}

void ListBoxHS::AddItem(QByteArrayView strItem, int intIndex) {
    if (m_model == nullptr) {
        return;
    }
    m_model->insertLine(intIndex == 0 ? m_model->rowCount() : intIndex, strItem);
    m_maxItemWidth = std::max(m_maxItemWidth, TextWidthPixels(strItem));
    if (AlwaysRefresh) {
        RefreshHSBar();
    }
}

void ListBoxHS::AddLines(QByteArray bytes) {
    if (m_model == nullptr) {
        return;
    }
    const int first = m_model->rowCount();
    m_model->appendLines(std::move(bytes));
    const int last = m_model->rowCount();

    // One pass estimates every line from the table of character advances and keeps the few widest. Those are then
    // measured as whole texts, so the result is the font's own width of the widest line even where a font would
    // shape a line differently from the sum of its characters.
    constexpr std::size_t kCandidates = 32;
    using Candidate = std::pair<double, int>;
    std::priority_queue<Candidate, std::vector<Candidate>, std::greater<>> widest;
    Measure measure(m_list->font());
    for (int row = first; row < last; ++row) {
        const double width = measure.width(View(m_model->lineBytes(row)));
        if (widest.size() < kCandidates) {
            widest.emplace(width, row);
        } else if (width > widest.top().first) {
            widest.pop();
            widest.emplace(width, row);
        }
    }
    while (!widest.empty()) {
        m_maxItemWidth = std::max(m_maxItemWidth, TextWidthPixels(m_model->lineBytes(widest.top().second)));
        widest.pop();
    }
    if (AlwaysRefresh) {
        RefreshHSBar();
    }
}

void ListBoxHS::RefreshHSBar() {
    if (m_list == nullptr || m_delegate == nullptr) {
        return;
    }
    // The room the items have: the list less its frame and a vertical scroll bar. When the widest item is wider, it
    // becomes the extent; the list shows a horizontal bar only while the extent exceeds what it shows.
    const int frame = 2 * m_list->frameWidth();
    const int bar = m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_list);
    const int room = m_list->width() - frame - bar;
    const int extent = room >= m_maxItemWidth ? 0 : m_maxItemWidth;
    m_delegate->setExtent(extent);
    m_list->doItemsLayout();
}

QListView* ListBoxHS::ListBox() const {
    return m_list;
}

LineListModel* ListBoxHS::items() const {
    return m_model;
}

int ListBoxHS::extent() const {
    return m_delegate != nullptr ? m_delegate->extent() : 0;
}

int ListBoxHS::TextWidthPixels(QByteArrayView cp932) const {
    if (m_list == nullptr) {
        return 0;
    }
    return QFontMetrics(m_list->font()).horizontalAdvance(Decoded(cp932) + QLatin1Char(' '));
}

} // namespace zentu
