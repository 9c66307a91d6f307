#pragma once

#include "ZentuWindow.h"

#include "settings/JobSettings.h"

#include <QWidget>

#include <memory>

namespace Ui {
class frmConfig;
}

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zentu {

class UpDown;

/// The environment settings dialog: the log to read, the CSV file to write, ADIF output (with the ADIF 3.1 option and
/// the station's call signs) and the auto-run program's wait. It edits a copy of the job's settings, checks the two
/// paths (and the log's master file) at every change, and enables Save only when both are usable; Save stores its keys
/// through the job session and leads on to the range settings dialog.
class frmConfig : public ZentuWindow<QWidget> {
    Q_OBJECT

public:
    frmConfig(JobSession& session, ZentuWindows& windows, Prompts& prompts);
    ~frmConfig() override;

    /// The load: the job's settings copied into the controls, both paths checked.
    void load();

    /// The settings as edited here and not saved yet.
    const JobSettings& edited() const { return m_edited; }

private:
    void hdbChanged(const QString& text);
    void outcsvChanged(const QString& text);
    void ShowConfigStatus();
    void check1Clicked();
    void check2Clicked();
    /// The ADIF 3.1 check box is usable while ADIF is on, its call signs while both are on.
    void enableAdifV31Controls();
    /// Stores the environment keys at once (a click of either ADIF check box).
    void storeAdifChoice();
    void browseLog();
    void browseOutput();
    void endTimeChanged(const QString& text);
    /// Tells the user and returns true when a chosen path cannot be stored (a character CP932 lacks, too long).
    bool RefuseUnusablePath(const QString& path, const char* what);
    void save();

    std::unique_ptr<Ui::frmConfig> m_ui;
    JobSettings m_edited;
    // The state of the last path check.
    bool HdbProblem = true; ///< the log path is blank
    bool MstProblem = true; ///< the log's master file is not there
    bool CsvProblem = true; ///< the output path is blank
    // The controls by what they do (their objectNames are the names the dialog has always had).
    QLineEdit* m_logBox = nullptr;       ///< txtSet_hdb_dir
    QLineEdit* m_outputBox = nullptr;    ///< txtSet_outcsv_dir
    QLabel* m_logCaption = nullptr;      ///< lblHdb
    QLabel* m_outputCaption = nullptr;   ///< lblOutcsv
    QCheckBox* m_adifBox = nullptr;      ///< Check1
    QCheckBox* m_adifV31Box = nullptr;   ///< Check2: ADIF 3.1
    QLineEdit* m_stationBox = nullptr;   ///< Text2: station_callsign
    QLineEdit* m_operatorBox = nullptr;  ///< Text3: operator
    QLineEdit* m_waitBox = nullptr;      ///< Text1
    UpDown* m_waitSpinner = nullptr;     ///< UpDown1
    QLabel* m_hint = nullptr;            ///< Label3
    QLabel* m_status = nullptr;          ///< Label6
    QPushButton* m_saveButton = nullptr; ///< cmdOK
};

} // namespace zentu
