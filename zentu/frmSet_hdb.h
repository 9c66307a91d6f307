#pragma once

#include "ZentuWindow.h"

#include "convert/RangeMode.h"
#include "settings/JobSettings.h"

#include <QWidget>

#include <array>
#include <memory>
#include <string>

namespace Ui {
class frmSet_hdb;
}

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace zentu {

class UpDown;

/// The range settings dialog: which records of the log the next run takes (all, a date range with its time base, a
/// number range, the last N, or the new additions), shown against the log's first and last date and its record
/// count. It edits a copy of the job's settings; every control's rule runs whenever its value changes, by the user
/// or by the program. Save stores its keys through the job session and brings the main window with the new summary.
class frmSet_hdb : public ZentuWindow<QWidget> {
    Q_OBJECT

public:
    frmSet_hdb(JobSession& session, ZentuWindows& windows, Prompts& prompts);
    ~frmSet_hdb() override;

    /// The load. False when the log's master file could not be opened and the program ends.
    bool load();

    /// The main window's summary completed the job's blank settings: the same blanks are completed here and the
    /// controls filled again.
    void showJobSettings();

    /// The rule of the range mode options: runs whenever a mode option becomes selected.
    void ApplyRangeMode(RangeMode mode);

    /// The log this dialog was loaded for.
    const std::string& logPath() const { return m_logPath; }
    /// The settings as edited here and not saved yet (the range mode and the time base are written into them at
    /// Save).
    const JobSettings& edited() const { return m_edited; }

private:
    /// Reads the log's bounds; when its master file cannot be opened the user is told which file it is and the
    /// program ends (false).
    bool readLogBounds();
    void fillControls();
    void showNewAdditions();
    void showSpacedDates();
    void setDateBoxes(int first, const std::string& date);
    void setNumber(int index, const std::string& text);
    void setNumberFromCount(int index, double value);
    void setLastNNumbers();
    void dateSpinnerChanged(int index);
    void numberChanged(int index, const QString& text);
    void countChanged(const QString& text);
    void timeBaseToggled(TimeBase base, bool checked);
    void check1Toggled(bool checked);
    void save();

    std::unique_ptr<Ui::frmSet_hdb> m_ui;
    JobSettings m_edited;
    RangeMode m_mode = RangeMode::All;
    TimeBase m_timeBase = TimeBase::DateOnly;
    /// The six texts the date spinners and Save gathered (start year, month, day, end year, month, day).
    std::array<std::string, 6> date_parts;
    std::string m_logPath;
    bool m_ending = false; ///< the program is ending (master file not found): no rule may go on

    // The controls by what they do (their objectNames are the names the dialog has always had).
    std::array<QRadioButton*, 5> m_modeOptions{};     ///< Option1_0 .. Option1_4, by range mode
    std::array<QRadioButton*, 3> m_timeBaseOptions{}; ///< Option2_0 .. Option2_2: UTC, JST, the date alone
    std::array<QLineEdit*, 6> m_dateBoxes{};          ///< Text1_0 .. Text1_5: start year, month, day, end ...
    std::array<UpDown*, 6> m_dateSpinners{};          ///< UpDown1_0 .. UpDown1_5
    std::array<QLineEdit*, 2> m_numberBoxes{};        ///< Text2_0, Text2_1: first and last record number
    std::array<UpDown*, 2> m_numberSpinners{};        ///< UpDown2_0, UpDown2_1
    QLineEdit* m_countBox = nullptr;                  ///< Text3: N of the newest N records
    UpDown* m_countSpinner = nullptr;                 ///< UpDown3
    QCheckBox* m_toNewest = nullptr;                  ///< Check1: "最終は最新データまで"
    QLabel* m_startDate = nullptr;                    ///< Label1: the start date spread out
    QLabel* m_endDate = nullptr;                      ///< Label2: the end date spread out
    QLabel* m_oldRange = nullptr;                     ///< Label7: the previous run's range
    QLabel* m_newRange = nullptr;                     ///< Label8: the range the next run takes
    QGroupBox* m_datesFrame = nullptr;                ///< Frame2
    QGroupBox* m_numbersFrame = nullptr;              ///< Frame3
    QGroupBox* m_newAdditionsFrame = nullptr;         ///< Frame4
};

} // namespace zentu
