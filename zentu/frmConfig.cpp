#include "frmConfig.h"

#include "Cp932Input.h"
#include "ZentuHelpers.h"
#include "ZentuState.h"
#include "ZentuTexts.h"
#include "ZentuWindows.h"
#include "frmSet_hdb.h"
#include "gui/UpDown.h"
#include "ui_frmConfig.h"
#include "zentu.h"

#include "convert/JobFiles.h"
#include "gui/PositionStore.h"
#include "gui/Prompts.h"
#include "platform/ProgramPaths.h"
#include "text/NumberText.h"
#include "text/TextHelpers.h"

#include <QCloseEvent>

#include <system_error>

namespace zentu {

namespace {

namespace texts = zentu_texts;

// How the path checks name the two paths.
constexpr char kLogWhat[] = "ログファイル";
constexpr char kOutputWhat[] = "出力ファイル";

const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

void SetColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

bool IsBlank(const std::string& text) {
    return TrimBlanks(text).empty();
}

std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

} // namespace

std::string MasterPathOf(const std::string& logPath) {
    return ReplaceAll(UpperAscii(logPath), ".HDB", ".MST");
}

bool MasterFileExists(const std::string& logPath) {
    if (TrimBlanks(MasterPathOf(logPath)).empty()) {
        return false;
    }
    // Upper-casing a whole path names no file on a file system that tells letter cases apart: the master file's
    // name is looked up in the log's own folder without regard to case.
    const std::filesystem::path log = PathFromUtf8(logPath);
    const std::string name = MasterPathOf(Utf8FromPath(log.filename()));
    if (name.empty()) {
        return false;
    }
    const std::optional<std::filesystem::path> found = FindFileIgnoringCase(log.parent_path(), name);
    std::error_code ignored;
    return found && std::filesystem::is_regular_file(*found, ignored);
}

frmConfig::frmConfig(ZentuState& state, ZentuWindows& windows, Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window), m_ui(std::make_unique<Ui::frmConfig>()), m_state(state), m_windows(windows),
      m_prompts(prompts) {
    m_ui->setupUi(this);
    // Where the window stands until a stored position applies: the main window at the left, the dialogs at its right.
    move(720, 40);
    SetColour(m_ui->Label3, kRed);
    new SpinnerBinding(m_ui->Text1, m_ui->UpDown1, SpinnerBinding::Decimal, true);
    for (QLineEdit* box : {m_ui->txtSet_hdb_dir, m_ui->txtSet_outcsv_dir, m_ui->Text1}) {
        RefuseTextOutsideCp932(box, prompts);
    }
    // A path longer than a job's file can hold is refused as it is typed, never cut.
    RefusePathThatDoesNotFit(m_ui->txtSet_hdb_dir, prompts, kLogWhat);
    RefusePathThatDoesNotFit(m_ui->txtSet_outcsv_dir, prompts, kOutputWhat);
    connect(m_ui->txtSet_hdb_dir, &QLineEdit::textChanged, this, &frmConfig::hdbChanged);
    connect(m_ui->txtSet_outcsv_dir, &QLineEdit::textChanged, this, &frmConfig::outcsvChanged);
    connect(m_ui->Text1, &QLineEdit::textChanged, this, &frmConfig::endTimeChanged);
    // The spinner's own rule: the binding has written its value into Text1 (unless Text1 moved it).
    connect(m_ui->UpDown1, &UpDown::valueChanged, this, [this] { endTimeChanged(m_ui->Text1->text()); });
    // A click, not a change: loading the dialog does not write the settings file.
    connect(m_ui->Check1, &QCheckBox::clicked, this, &frmConfig::check1Clicked);
    connect(m_ui->Command1, &QPushButton::clicked, this, &frmConfig::browseLog);
    connect(m_ui->Command2, &QPushButton::clicked, this, &frmConfig::browseOutput);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmConfig::save);
}

frmConfig::~frmConfig() = default;

void frmConfig::load() {
    JobSettings& settings = m_state.settings;
    RestoreWindowPosition(m_state.positions, *this, m_state.ProgramFolder, kPositionFrmConfig);
    KeepOnScreen(*this);
    setWindowTitle(QString::fromUtf8(texts::kConfigRunCaption) + Q(kZentuVersion));
    m_ui->txtSet_hdb_dir->setText(Q(settings.set_hdb_dir));
    m_ui->txtSet_outcsv_dir->setText(Q(settings.set_outcsv_dir));
    if (IsBlank(settings.zentu_arun_end_time)) {
        settings.zentu_arun_end_time = "3";
    }
    m_ui->Check1->setChecked(settings.adif_out == "1");
    SetColour(m_ui->Check1, settings.adif_out == "1" ? kBlue : kBlack);
    m_ui->Text1->setText(Q(settings.zentu_arun_end_time));
    m_ui->UpDown1->setValueOrShowClamped(Val(settings.zentu_arun_end_time));

    HdbProblem = MstProblem = CsvProblem = true;
    hdbChanged(m_ui->txtSet_hdb_dir->text());
    outcsvChanged(m_ui->txtSet_outcsv_dir->text());
    m_state.ConfigOpened = true;
}

void frmConfig::hdbChanged(const QString& text) {
    JobSettings& settings = m_state.settings;
    settings.set_hdb_dir = U(text);
    MstPath = MasterPathOf(settings.set_hdb_dir);
    HdbProblem = IsBlank(settings.set_hdb_dir);
    // A relative path names a file of the program folder, as the runs take it.
    MstProblem = !MasterFileExists(Utf8FromPath(JobFilePath(m_state.ProgramFolder, settings.set_hdb_dir)));
    SetColour(m_ui->lblHdb, !HdbProblem && !MstProblem ? kBlue : kRed);
    ShowConfigStatus();
}

void frmConfig::outcsvChanged(const QString& text) {
    m_state.settings.set_outcsv_dir = U(text);
    CsvProblem = IsBlank(m_state.settings.set_outcsv_dir);
    SetColour(m_ui->lblOutcsv, CsvProblem ? kRed : kBlue);
    ShowConfigStatus();
}

void frmConfig::ShowConfigStatus() {
    const JobSettings& settings = m_state.settings;
    m_ui->Label6->clear();
    ProblemCount = static_cast<int>(CsvProblem) + static_cast<int>(HdbProblem) + static_cast<int>(MstProblem);
    if (ProblemCount != 0) {
        m_ui->cmdOK->setEnabled(false);
        SetColour(m_ui->Label6, kRed);
        m_ui->Label6->setText(QString::fromUtf8(texts::kBlankItems));
        const char* hint = "";
        if (HdbProblem) {
            hint = CsvProblem ? texts::kNeedHdbAndCsv : texts::kNeedHdb;
        } else if (MstProblem) {
            hint = CsvProblem ? texts::kNoMstNeedCsv : texts::kNoMst;
        } else {
            hint = texts::kNeedCsv;
        }
        SetColour(m_ui->lblHdb, HdbProblem || MstProblem ? kRed : kBlue);
        SetColour(m_ui->lblOutcsv, CsvProblem ? kRed : kBlue);
        m_ui->Label3->setText(QString::fromUtf8(hint));
        return;
    }
    if (!IsBlank(MstPath) && !settings.set_hdb_dir.empty() && !settings.set_outcsv_dir.empty()) {
        m_ui->cmdOK->setEnabled(true);
        SetColour(m_ui->Label6, kBlue);
        m_ui->Label6->setText(QString::fromUtf8(texts::kPressSave));
        SetColour(m_ui->lblHdb, kBlue);
        SetColour(m_ui->lblOutcsv, kBlue);
        m_ui->Label3->clear();
        m_state.ConfigSaved = true;
        if (m_state.RangeSaved) {
            if (zentu* main = m_windows.mainWindow()) {
                main->setJobSaveEnabled(true);
            }
        }
        return;
    }
    m_ui->cmdOK->setEnabled(false);
    SetColour(m_ui->Label6, kRed);
    m_ui->Label6->setText(QString::fromUtf8(texts::kBlankItems));
}

void frmConfig::check1Clicked() {
    JobSettings& settings = m_state.settings;
    settings.adif_out = m_ui->Check1->isChecked() ? "1" : "0";
    SetColour(m_ui->Check1, m_ui->Check1->isChecked() ? kBlue : kBlack);
    std::string error;
    if (!SaveJobSettings(m_state.ProgramFolder, m_state.CurrentJob, settings, kZentuVersion, &error)) {
        m_prompts.warn(this, Q(error));
    }
}

void frmConfig::browseLog() {
    const QString filter = QString::fromUtf8(texts::kHdbFilterName) + QStringLiteral(" (") +
                           QString::fromUtf8(texts::kHdbFilterPatterns) + QLatin1Char(')');
    const QString chosen = m_prompts.openFile(this, filter, Q(m_state.settings.set_hdb_dir));
    const bool refused = !chosen.isEmpty() && RefuseUnusablePath(chosen, kLogWhat);
    if (chosen.isEmpty() || refused) {
        // Nothing chosen: a job that had no log yet gets the default one, the box stays as it is.
        if (IsBlank(m_state.shownLogPath)) {
            m_state.shownLogPath = m_state.settings.set_hdb_dir = Utf8FromPath(DefaultHamlogFiles::log());
        }
        return;
    }
    m_state.settings.set_hdb_dir = U(chosen);
    m_ui->txtSet_hdb_dir->setText(chosen);
    ShowConfigStatus();
}

void frmConfig::browseOutput() {
    const QString filter = QString::fromUtf8(texts::kCsvFilterName) + QStringLiteral(" (") +
                           QString::fromUtf8(texts::kCsvFilterPatterns) + QLatin1Char(')');
    const QString chosen = m_prompts.saveFile(this, filter, Q(m_state.settings.set_outcsv_dir));
    const bool refused = !chosen.isEmpty() && RefuseUnusablePath(chosen, kOutputWhat);
    if (chosen.isEmpty() || refused) {
        if (IsBlank(m_state.shownOutputPath)) {
            m_state.shownOutputPath = m_state.settings.set_outcsv_dir = Utf8FromPath(DefaultHamlogFiles::outputCsv());
        }
        return;
    }
    JobSettings& settings = m_state.settings;
    settings.set_outcsv_dir = U(chosen);
    m_ui->txtSet_outcsv_dir->setText(chosen);
    if (m_state.MainWindowOpen) {
        if (zentu* main = m_windows.mainWindow()) {
            main->setOutputMenuEnabled(!IsBlank(settings.set_outcsv_dir));
        }
    }
    CsvProblem = IsBlank(settings.set_outcsv_dir);
    SetColour(m_ui->lblOutcsv, CsvProblem ? kRed : kBlue);
    ShowConfigStatus();
}

bool frmConfig::RefuseUnusablePath(const QString& path, const char* what) {
    const QString character = FirstCharacterOutsideCp932(path);
    if (!character.isEmpty()) {
        m_prompts.warn(this, QString::fromUtf8(texts::kNotCp932).arg(character));
        return true;
    }
    if (auto problem = CheckPathSetting(U(path), what)) {
        m_prompts.warn(this, Q(*problem));
        return true;
    }
    return false;
}

void frmConfig::endTimeChanged(const QString& text) {
    m_state.settings.zentu_arun_end_time = U(text);
}

void frmConfig::save() {
    JobSettings& settings = m_state.settings;
    settings.set_outcsv_dir = U(m_ui->txtSet_outcsv_dir->text());
    settings.set_hdb_dir = U(m_ui->txtSet_hdb_dir->text());
    // Paths a run would refuse are not stored: an output that would replace the log, its master file, the other
    // output or a file of the program folder, or a path that does not fit. The dialog keeps what was typed.
    if (auto problem = CheckJobPaths(settings, m_state.ProgramFolder)) {
        m_prompts.warn(this, Q(*problem));
        return;
    }
    SaveWindowPosition(m_state.positions, *this, m_state.ProgramFolder, kPositionFrmConfig);

    // The saved paths are the ones in use from now on: the range dialog reads the log named here, and the main
    // window shows both.
    m_state.shownLogPath = settings.set_hdb_dir;
    m_state.shownOutputPath = settings.set_outcsv_dir;
    zentu* main = m_state.MainWindowOpen ? m_windows.mainWindow() : nullptr;
    if (main != nullptr) {
        main->showPaths();
    }
    if (!IsBlank(settings.set_hdb_dir) && settings.set_hdb_dir.find(kNativeSeparator) != std::string::npos) {
        const std::int32_t count =
            m_state.library.countRecords(JobFilePath(m_state.ProgramFolder, settings.set_hdb_dir));
        if (count >= 0) {
            m_state.record_count = count;
            if (main != nullptr) {
                main->showInputCount();
            }
        }
    }
    m_state.ConfigSaved = true;
    if (m_state.RangeSaved && main != nullptr) {
        main->setJobSaveEnabled(true);
    }
    std::string error;
    if (!SaveJobSettings(m_state.ProgramFolder, m_state.CurrentJob, settings, kZentuVersion, &error)) {
        m_prompts.warn(this, Q(error));
        return;
    }
    m_ui->Label6->clear();
    m_state.positions.SaveAll();

    // A range dialog made for another log shows that log's bounds: it is made afresh for the log saved here.
    if (frmSet_hdb* range = m_windows.range(); range != nullptr && range->logPath() != settings.set_hdb_dir) {
        m_windows.unloadRange();
    }
    m_windows.unloadConfig();
    m_windows.showRange();
}

void frmConfig::closeEvent(QCloseEvent* event) {
    event->accept();
    m_windows.closedByUser(this);
}

} // namespace zentu
