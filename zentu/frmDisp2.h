#pragma once

#include "ListBoxHS.h"
#include "ToolContext.h"

#include <QMainWindow>

#include <filesystem>
#include <memory>

namespace Ui {
class frmDisp2;
}

namespace zentu {

/// The output viewer: shows a text file (the CSV or ADIF output) line by line in a teal list that scrolls
/// sideways to the widest line. It reads the file once when it loads; closing it in any way stores its position.
///
/// The main window opens it with Open() and keeps the pointer (a QPointer) while it lives: choosing the file
/// again while it is open only calls bringToFront(), so the file is not read again and the caption stays. The
/// program's window owner learns from closed() that a window of the program went away.
class frmDisp2 : public QMainWindow {
    Q_OBJECT

public:
    /// `viewer_file` is the full path of the file to show.
    frmDisp2(const ToolContext& context, std::filesystem::path viewer_file, QWidget* parent = nullptr);
    ~frmDisp2() override;

    /// Builds a viewer that deletes itself when it closes, loads it and shows it.
    static frmDisp2* Open(const ToolContext& context, const std::filesystem::path& viewer_file,
                          QWidget* parent = nullptr);

    /// The viewer's load: the stored position, the caption, the file's lines. A file that cannot be read is
    /// reported in a message box and shows as an empty list.
    void load();

    /// Shows the open viewer in front of the other windows, restored when it was minimised.
    void bringToFront();

    /// The list's helper (its items and extent).
    const ListBoxHS& listBox() const { return m_list; }

    /// The section of the window position file this window uses.
    static constexpr const char* kPositionSection = "Position_frmDisp2";

signals:
    /// The viewer was closed (its menu "戻る" or its close box) and stored its position; it is still on the screen
    /// while this is told, and deletes itself afterwards when Open made it.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void placeList();

    std::unique_ptr<Ui::frmDisp2> m_ui;
    ToolContext m_context;
    std::filesystem::path m_file;
    ListBoxHS m_list;
};

} // namespace zentu
