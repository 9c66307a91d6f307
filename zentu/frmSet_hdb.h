#pragma once

#include <QWidget>

#include <array>
#include <memory>
#include <string>

namespace Ui {
class frmSet_hdb;
}

class QLineEdit;
class QRadioButton;

namespace zentu {

class Prompts;
class UpDown;
class ZentuWindows;
struct ZentuState;

/// The range settings dialog: which records of the log the next run takes (all, a date range with its time base, a
/// number range, the last N, or the new additions), shown against the log's first and last date and its record
/// count. Every control's rule runs whenever its value changes, by the user or by the program; Save stores the
/// job settings and brings the main window with the new summary.
class frmSet_hdb : public QWidget {
    Q_OBJECT

public:
    frmSet_hdb(ZentuState& state, ZentuWindows& windows, Prompts& prompts, QWidget* parent = nullptr);
    ~frmSet_hdb() override;

    /// The load. False when the log's master file could not be opened and the program ends.
    bool load();

    /// What the main window's summary writes into this dialog: the stored settings, completed where blank, in the
    /// controls (ShowJobSettings, part B).
    void showJobSettings();

    /// Reads the log's record count and the dates of its first and newest record (log path in use). False when the
    /// master file could not be opened: the user is told, and the program ends.
    bool ReadLogBounds();

    /// The rule of the range mode options: runs whenever Option1 (mode) becomes selected.
    void ApplyRangeMode(int mode);

    /// The log this dialog was loaded for.
    const std::string& logPath() const { return m_logPath; }

    /// The six texts the date spinners and Save gathered (start year, month, day, end year, month, day).
    std::array<std::string, 6> date_parts;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void fillControls();
    void showNewAdditions();
    void showSpacedDates();
    void setDateBoxes(int first, const std::string& date);
    void setNumber(int index, const std::string& text);
    void setNumberFromCount(int index, double value);
    void setLastNNumbers();
    void countLog();
    void dateSpinnerChanged(int index);
    void numberChanged(int index, const QString& text);
    void countChanged(const QString& text);
    void option2Toggled(int index, bool checked);
    void check1Toggled(bool checked);
    void save();

    std::unique_ptr<Ui::frmSet_hdb> m_ui;
    ZentuState& m_state;
    ZentuWindows& m_windows;
    Prompts& m_prompts;
    std::array<QRadioButton*, 5> m_option1{};
    std::array<QRadioButton*, 3> m_option2{};
    std::array<QLineEdit*, 6> m_text1{};
    std::array<UpDown*, 6> m_upDown1{};
    std::array<QLineEdit*, 2> m_text2{};
    std::array<UpDown*, 2> m_upDown2{};
    std::string m_logPath;
    bool m_ending = false; ///< the program is ending (master file not found): no rule may go on
};

} // namespace zentu
