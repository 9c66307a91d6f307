#include "frmConfig.h"

#include "CallsignInput.h"
#include "Cp932Input.h"
#include "JobSession.h"
#include "ZentuHelpers.h"
#include "ZentuTexts.h"
#include "ZentuWindows.h"
#include "frmSet_hdb.h"
#include "gui/UpDown.h"
#include "ui_frmConfig.h"

#include "convert/AdifSettings.h"
#include "convert/JobFiles.h"
#include "gui/PositionStore.h"
#include "gui/Prompts.h"
#include "gui/RunProgress.h"
#include "hamlog/LogFiles.h"
#include "platform/NativeFile.h"
#include "platform/ProgramPaths.h"
#include "text/NumberText.h"
#include "text/TextHelpers.h"

namespace zentu {

namespace {

namespace texts = zentu_texts;

// How the path checks name the two paths.
constexpr char kLogWhat[] = "ログファイル";
constexpr char kOutputWhat[] = "出力ファイル";

/// Whether the log's master file is there: the log's name with ".mst", whatever the letter case, as the record
/// library finds it.
bool MasterFileExists(const std::string& logPath) {
    if (IsBlank(logPath)) {
        return false;
    }
    const std::optional<std::filesystem::path> master = FindMasterFile(PathFromUtf8(logPath));
    return master && KindOfPath(*master) == PathKind::RegularFile;
}

} // namespace

frmConfig::frmConfig(JobSession& session, ZentuWindows& windows, Prompts& prompts)
    : ZentuWindow(session, windows, prompts, WindowRole::Config), m_ui(std::make_unique<Ui::frmConfig>()) {
    m_ui->setupUi(this);
    m_logBox = m_ui->txtSet_hdb_dir;
    m_outputBox = m_ui->txtSet_outcsv_dir;
    m_logCaption = m_ui->lblHdb;
    m_outputCaption = m_ui->lblOutcsv;
    m_adifBox = m_ui->Check1;
    m_adifV31Box = m_ui->Check2;
    m_stationBox = m_ui->Text2;
    m_operatorBox = m_ui->Text3;
    m_waitBox = m_ui->Text1;
    m_waitSpinner = m_ui->UpDown1;
    m_hint = m_ui->Label3;
    m_status = m_ui->Label6;
    m_saveButton = m_ui->cmdOK;

    SetColour(m_hint, kLightRed);
    new SpinnerBinding(m_waitBox, m_waitSpinner, SpinnerBinding::Decimal, true);
    for (QLineEdit* box : {m_logBox, m_outputBox, m_waitBox}) {
        RefuseTextOutsideCp932(box, prompts);
    }
    // A path longer than a job's file can hold is refused as it is typed, never cut.
    RefusePathThatDoesNotFit(m_logBox, prompts, kLogWhat);
    RefusePathThatDoesNotFit(m_outputBox, prompts, kOutputWhat);
    connect(m_logBox, &QLineEdit::textChanged, this, &frmConfig::hdbChanged);
    connect(m_outputBox, &QLineEdit::textChanged, this, &frmConfig::outcsvChanged);
    connect(m_waitBox, &QLineEdit::textChanged, this, &frmConfig::endTimeChanged);
    // The spinner's own rule: the binding has written its value into the box (unless the box moved it).
    connect(m_waitSpinner, &UpDown::valueChanged, this, [this] { endTimeChanged(m_waitBox->text()); });
    // A click, not a change: loading the dialog does not write the settings file.
    connect(m_adifBox, &QCheckBox::clicked, this, &frmConfig::check1Clicked);
    connect(m_adifV31Box, &QCheckBox::clicked, this, &frmConfig::check2Clicked);
    // ADIF's fields are ASCII: a call sign that holds anything else, or a blank, is refused where it is typed.
    RefuseCallsignAdifCannotHold(m_stationBox, prompts, kStationCallsignWhat);
    RefuseCallsignAdifCannotHold(m_operatorBox, prompts, kOperatorWhat);
    // The box's text as it stands: a refused edit has already been put back when its own change is told.
    connect(m_stationBox, &QLineEdit::textChanged, this,
            [this] { m_edited.station_callsign = U(m_stationBox->text()); });
    connect(m_operatorBox, &QLineEdit::textChanged, this,
            [this] { m_edited.operator_callsign = U(m_operatorBox->text()); });
    connect(m_ui->Command1, &QPushButton::clicked, this, &frmConfig::browseLog);
    connect(m_ui->Command2, &QPushButton::clicked, this, &frmConfig::browseOutput);
    connect(m_saveButton, &QPushButton::clicked, this, &frmConfig::save);
}

frmConfig::~frmConfig() = default;

void frmConfig::load() {
    restorePosition();
    const JobSession& job = session();
    setWindowTitle(job.jobShown() ? QString::fromUtf8(texts::kConfigCaption).arg(WideDigit(job.CurrentJob()))
                                  : QString::fromUtf8(texts::kConfigRunCaption) + Q(kZentuVersion));
    m_edited = job.settings();
    m_logBox->setText(Q(m_edited.set_hdb_dir));
    m_outputBox->setText(Q(m_edited.set_outcsv_dir));
    if (IsBlank(m_edited.zentu_arun_end_time)) {
        m_edited.zentu_arun_end_time = "3";
    }
    const bool adif = m_edited.adif_out == "1";
    m_adifBox->setChecked(adif);
    SetColour(m_adifBox, adif ? kBlue : kBlack);
    const bool v31 = m_edited.adif_v31 == "1";
    m_adifV31Box->setChecked(v31);
    SetColour(m_adifV31Box, v31 ? kBlue : kBlack);
    m_stationBox->setText(Q(m_edited.station_callsign));
    m_operatorBox->setText(Q(m_edited.operator_callsign));
    enableAdifV31Controls();
    const std::string wait = m_edited.zentu_arun_end_time;
    m_waitBox->setText(Q(wait));
    m_waitSpinner->setValueOrShowClamped(Val(wait));

    HdbProblem = MstProblem = CsvProblem = true;
    hdbChanged(m_logBox->text());
    outcsvChanged(m_outputBox->text());
}

void frmConfig::hdbChanged(const QString& text) {
    m_edited.set_hdb_dir = U(text);
    HdbProblem = IsBlank(m_edited.set_hdb_dir);
    // A relative path names a file of the program folder, as the runs take it.
    MstProblem = !MasterFileExists(Utf8FromPath(JobFilePath(session().ProgramFolder(), m_edited.set_hdb_dir)));
    SetColour(m_logCaption, !HdbProblem && !MstProblem ? kBlue : kLightRed);
    ShowConfigStatus();
}

void frmConfig::outcsvChanged(const QString& text) {
    m_edited.set_outcsv_dir = U(text);
    CsvProblem = IsBlank(m_edited.set_outcsv_dir);
    SetColour(m_outputCaption, CsvProblem ? kLightRed : kBlue);
    ShowConfigStatus();
}

void frmConfig::ShowConfigStatus() {
    m_status->clear();
    const int problems = static_cast<int>(CsvProblem) + static_cast<int>(HdbProblem) + static_cast<int>(MstProblem);
    if (problems != 0) {
        m_saveButton->setEnabled(false);
        SetText(m_status, QString::fromUtf8(texts::kBlankItems), kLightRed);
        const char* hint = "";
        if (HdbProblem) {
            hint = CsvProblem ? texts::kNeedHdbAndCsv : texts::kNeedHdb;
        } else if (MstProblem) {
            hint = CsvProblem ? texts::kNoMstNeedCsv : texts::kNoMst;
        } else {
            hint = texts::kNeedCsv;
        }
        SetColour(m_logCaption, HdbProblem || MstProblem ? kLightRed : kBlue);
        SetColour(m_outputCaption, CsvProblem ? kLightRed : kBlue);
        m_hint->setText(QString::fromUtf8(hint));
        return;
    }
    if (!m_edited.set_hdb_dir.empty() && !m_edited.set_outcsv_dir.empty()) {
        m_saveButton->setEnabled(true);
        SetText(m_status, QString::fromUtf8(texts::kPressSave), kBlue);
        SetColour(m_logCaption, kBlue);
        SetColour(m_outputCaption, kBlue);
        m_hint->clear();
        session().markConfigSaved();
        return;
    }
    m_saveButton->setEnabled(false);
    SetText(m_status, QString::fromUtf8(texts::kBlankItems), kLightRed);
}

void frmConfig::check1Clicked() {
    const bool checked = m_adifBox->isChecked();
    m_edited.adif_out = checked ? "1" : "0";
    SetColour(m_adifBox, checked ? kBlue : kBlack);
    enableAdifV31Controls();
    storeAdifChoice();
}

void frmConfig::check2Clicked() {
    const bool checked = m_adifV31Box->isChecked();
    // Off is blank: a job that never used the option keeps a settings file without its key.
    m_edited.adif_v31 = checked ? "1" : "";
    SetColour(m_adifV31Box, checked ? kBlue : kBlack);
    enableAdifV31Controls();
    storeAdifChoice();
}

void frmConfig::enableAdifV31Controls() {
    const bool adif = m_adifBox->isChecked();
    m_adifV31Box->setEnabled(adif);
    const bool callsigns = adif && m_adifV31Box->isChecked();
    for (QWidget* widget : {static_cast<QWidget*>(m_stationBox), static_cast<QWidget*>(m_operatorBox),
                            static_cast<QWidget*>(m_ui->Label5), static_cast<QWidget*>(m_ui->Label7)}) {
        widget->setEnabled(callsigns);
    }
}

void frmConfig::storeAdifChoice() {
    // The choice is stored at once, with the paths as they stand here.
    std::string error;
    if (!session().saveAdifChoice(m_edited, &error)) {
        prompts().warn(this, Q(error));
    }
}

void frmConfig::browseLog() {
    const QString filter = QString::fromUtf8(texts::kHdbFilterName) + QStringLiteral(" (") +
                           QString::fromUtf8(texts::kHdbFilterPatterns) + QLatin1Char(')');
    const QString chosen = prompts().openFile(this, filter, Q(m_edited.set_hdb_dir));
    if (chosen.isEmpty() || RefuseUnusablePath(chosen, kLogWhat)) {
        // Nothing chosen: a job that had no log yet gets the default one, the box stays as it is.
        if (IsBlank(session().shownLogPath())) {
            m_edited.set_hdb_dir = Utf8FromPath(DefaultHamlogFiles::log());
        }
        return;
    }
    m_logBox->setText(chosen);
    ShowConfigStatus();
}

void frmConfig::browseOutput() {
    const QString filter = QString::fromUtf8(texts::kCsvFilterName) + QStringLiteral(" (") +
                           QString::fromUtf8(texts::kCsvFilterPatterns) + QLatin1Char(')');
    const QString chosen = prompts().saveFile(this, filter, Q(m_edited.set_outcsv_dir));
    if (chosen.isEmpty() || RefuseUnusablePath(chosen, kOutputWhat)) {
        if (IsBlank(session().shownOutputPath())) {
            m_edited.set_outcsv_dir = Utf8FromPath(DefaultHamlogFiles::outputCsv());
        }
        return;
    }
    m_outputBox->setText(chosen);
    ShowConfigStatus();
}

bool frmConfig::RefuseUnusablePath(const QString& path, const char* what) {
    const QString character = FirstCharacterOutsideCp932(path);
    if (!character.isEmpty()) {
        prompts().warn(this, QString::fromUtf8(texts::kNotCp932).arg(character));
        return true;
    }
    if (auto problem = CheckPathSetting(U(path), what)) {
        prompts().warn(this, Q(*problem));
        return true;
    }
    return false;
}

void frmConfig::endTimeChanged(const QString& text) {
    m_edited.zentu_arun_end_time = U(text);
}

void frmConfig::save() {
    m_edited.set_outcsv_dir = U(m_outputBox->text());
    m_edited.set_hdb_dir = U(m_logBox->text());
    // Paths a run would refuse are not stored: an output that would replace the log, its master file, the other
    // output or a file of the program folder, or a path that does not fit. The dialog keeps what was typed.
    if (auto problem = CheckJobPaths(m_edited, session().ProgramFolder())) {
        prompts().warn(this, Q(*problem));
        return;
    }
    savePosition();
    // A save refused (a run of the job holds it) is told, and the dialog stays with what was typed.
    std::string error;
    if (!session().saveEnvironment(m_edited, &error)) {
        prompts().warn(this, Q(error));
        return;
    }
    m_status->clear();
    ZentuWindows& owner = windows();
    owner.positions().SaveAll();

    // A range dialog made for another log shows that log's bounds: it is made afresh for the log saved here.
    if (frmSet_hdb* range = owner.range(); range != nullptr && range->logPath() != m_edited.set_hdb_dir) {
        owner.unloadRange();
    }
    owner.unloadConfig();
    owner.showRange();
}

} // namespace zentu
