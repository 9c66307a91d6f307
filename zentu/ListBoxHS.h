#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>

class QListView;

namespace zentu {

class LineListModel;
class ExtentDelegate;

/// Serves a list view as a list box whose items can be scrolled sideways. The items are lines of 8-bit text
/// (CP932), held in a LineListModel that the list shows; every item added is measured with the list's font, and
/// the widest measurement so far sets the list's horizontal scroll extent.
///
/// Adding one item with AddItem measures it and, while AlwaysRefresh is true, refreshes the extent. A whole file
/// goes in with AddLines, which measures every line in one pass over the bytes and refreshes the extent once.
class ListBoxHS {
public:
    ListBoxHS();
    ~ListBoxHS();
    ListBoxHS(const ListBoxHS&) = delete;
    ListBoxHS& operator=(const ListBoxHS&) = delete;

    /// Binds the object to a list view: the view gets the object's items, a per-pixel horizontal scroll and rows
    /// of one height.
    void setListBox(QListView* lstTarget);
    QListView* ListBox() const;

    /// True: every AddItem and AddLines ends with RefreshHSBar.
    bool AlwaysRefresh = true;

    /// The widest item added so far, in pixels (0 at first; it never decreases).
    std::int32_t MaxItemWidth() const { return m_maxItemWidth; }

    /// Adds an item (CP932 bytes): at the end when `intIndex` is 0, otherwise at position `intIndex`.
    void AddItem(QByteArrayView strItem, int intIndex = 0);
    /// Adds every line of `bytes` (CP932, lines ended by CR LF, LF or a lone CR) at the end.
    void AddLines(QByteArray bytes);

    /// Sets the list's horizontal scroll extent: none when the widest item fits in the list, otherwise the widest
    /// item's width.
    void RefreshHSBar();

    /// The extent RefreshHSBar set last (0: none).
    int extent() const;
    /// The items.
    LineListModel* items() const;

    /// The width of an item in pixels with the list's font: the item's text followed by one more character, as the
    /// list box measures it, so the widest item never ends flush at the edge.
    int TextWidthPixels(QByteArrayView cp932) const;

private:
    class Measure;

    QPointer<QListView> m_list;
    QPointer<LineListModel> m_model;
    QPointer<ExtentDelegate> m_delegate;
    std::int32_t m_maxItemWidth = 0;
};

} // namespace zentu
