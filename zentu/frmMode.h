#pragma once

#include "ToolContext.h"

#include <QMainWindow>

#include <functional>
#include <memory>

namespace Ui {
class frmMode;
}

class QAbstractButton;
class QKeyEvent;
class QLineEdit;
class QTableWidget;

namespace zentu {

/// The mode table editor: the mode table of the program folder (mode_tbl.csv, found whatever its letter case) in a grid
/// of 37 rows and 5 columns. Row 0 holds the heads and column 0 the ADIF names (both fixed); rows 1 to 36, columns 1 to
/// 4, hold the Hamlog spellings, edited in a yellow box laid over the cell. Every cell text begins with one space that
/// is not part of the value. The file changes only through "[ 保存 ]".
///
/// The main window opens it with Open() after hiding itself; "[ 戻る ]" and closing the window from its title bar
/// both call `backToMain`, which shows the main window again (and reads the table anew).
class frmMode : public QMainWindow {
    Q_OBJECT

public:
    using BackToMain = std::function<void()>;

    frmMode(const ToolContext& context, BackToMain backToMain, QWidget* parent = nullptr);
    ~frmMode() override;

    /// Builds an editor that deletes itself when it closes, loads it and shows it.
    static frmMode* Open(const ToolContext& context, BackToMain backToMain, QWidget* parent = nullptr);

    /// The editor's load: the stored position, the table read from the file, the grid filled; the current cell is
    /// then row 36, column 4. A missing or unreadable file gives an empty grid and a message, shown once the
    /// window is on the screen.
    void load();

    /// The text a cell shows, in the grid's own numbering (row 0 the heads, column 0 the ADIF names).
    QString TextMatrix(int row, int col) const;
    /// The current cell (rows 1 to 36, columns 1 to 4).
    int Row() const;
    int Col() const;
    /// Moves the current cell; an open edit box is first committed into the cell it leaves.
    void setCurrentCell(int row, int col);

    /// Opens the edit box over the current cell: holding `typed` with the caret after it when a character was
    /// typed, otherwise holding the cell's text (its leading space included) with the caret at the end.
    void BeginCellEdit(const QString& typed = QString());
    /// While the edit box is open: the edited cell becomes a space and the box's text in upper case with the
    /// blanks at both ends removed; the box is hidden. False when the text cannot be stored (the box stays).
    bool CommitCellEdit();
    /// Whether the edit box is open.
    bool isEditing() const { return m_editing; }

    /// The section of the window position file this window uses.
    static constexpr const char* kPositionSection = "Position_frmMode";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setHeads();
    void fitNameColumn();
    void setCell(int row, int col, const QByteArray& cp932);
    QByteArray cellBytes(int row, int col) const;
    bool gridKeyPress(QKeyEvent* event);
    bool EditBoxKeyDown(QKeyEvent* event);
    void focusTrap(bool forward);
    void refuseTyping();
    void save();
    void back();
    void showHelp();
    void giveGridFocus();

    std::unique_ptr<Ui::frmMode> m_ui;
    // The controls by what they do (their objectNames are the names the editor has always had).
    QTableWidget* m_grid = nullptr;      ///< MSFlexGrid1
    QLineEdit* m_editBox = nullptr;      ///< Text1: the yellow box laid over the cell being edited
    QLineEdit* m_nextTrap = nullptr;     ///< Text2: the focus trap Tab reaches
    QLineEdit* m_previousTrap = nullptr; ///< Text3: the focus trap Shift+Tab reaches
    ToolContext m_context;
    BackToMain m_backToMain;
    QAbstractButton* m_corner = nullptr;
    bool m_editing = false;
    int m_editRow = 0;
    int m_editCol = 0;
    bool m_mainShown = false;
};

} // namespace zentu
