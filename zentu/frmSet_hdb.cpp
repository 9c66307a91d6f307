#include "frmSet_hdb.h"

#include "Cp932Input.h"
#include "ZentuHelpers.h"
#include "ZentuState.h"
#include "ZentuTexts.h"
#include "ZentuWindows.h"
#include "gui/UpDown.h"
#include "ui_frmSet_hdb.h"
#include "zentu.h"

#include "convert/JobFiles.h"
#include "convert/JobSummary.h"
#include "convert/JobTexts.h"
#include "gui/PositionStore.h"
#include "gui/Prompts.h"
#include "platform/ProgramPaths.h"
#include "text/NumberText.h"
#include "text/TextHelpers.h"

#include <QCloseEvent>

#include <algorithm>
#include <optional>
#include <system_error>

namespace zentu {

namespace {

namespace texts = zentu_texts;

const QColor kBlack(0, 0, 0);
const QColor kGreen(0, 128, 0);
const QColor kBrightGreen(0, 192, 0);
const QColor kBlue(0, 0, 255);
const QColor kLightRed(255, 0, 0);

constexpr const char* kTimeBases[3] = {"UTC", "JST", "NON"};

void SetColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

bool IsBlank(const std::string& text) {
    return TrimBlanks(text).empty();
}

bool ContainsHdbInAnyCase(const std::string& path) {
    return QString::fromStdString(path).contains(QStringLiteral(".HDB"), Qt::CaseInsensitive);
}

bool FileExists(const std::string& path) {
    std::error_code ignored;
    return !path.empty() && std::filesystem::is_regular_file(PathFromUtf8(path), ignored);
}

/// A date field "yy/mm/dd" as yyyymmdd: years above 50 are taken as 19yy, the others as 20yy.
std::string FullDate(const std::string& field) {
    const std::string digits = RemoveAll(field, "/");
    const std::string century = Val(digits.substr(0, 2)) > 50 ? "19" : "20";
    return std::string(TrimBlanks(century + digits));
}

} // namespace

frmSet_hdb::frmSet_hdb(ZentuState& state, ZentuWindows& windows, Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window), m_ui(std::make_unique<Ui::frmSet_hdb>()), m_state(state), m_windows(windows),
      m_prompts(prompts) {
    m_ui->setupUi(this);
    // Where the window stands until a stored position applies: the main window at the left, the dialogs at its right.
    move(720, 380);
    m_option1 = {m_ui->Option1_0, m_ui->Option1_1, m_ui->Option1_2, m_ui->Option1_3, m_ui->Option1_4};
    m_option2 = {m_ui->Option2_0, m_ui->Option2_1, m_ui->Option2_2};
    m_text1 = {m_ui->Text1_0, m_ui->Text1_1, m_ui->Text1_2, m_ui->Text1_3, m_ui->Text1_4, m_ui->Text1_5};
    m_upDown1 = {m_ui->UpDown1_0, m_ui->UpDown1_1, m_ui->UpDown1_2, m_ui->UpDown1_3, m_ui->UpDown1_4, m_ui->UpDown1_5};
    m_text2 = {m_ui->Text2_0, m_ui->Text2_1};
    m_upDown2 = {m_ui->UpDown2_0, m_ui->UpDown2_1};

    for (QLabel* label : {m_ui->Label6, m_ui->Label7, m_ui->Label8}) {
        SetColour(label, kBrightGreen);
    }
    for (QLabel* label : {m_ui->Label1, m_ui->Label3, m_ui->Label2}) {
        SetColour(label, kGreen);
    }
    // The frames' captions change colour; the tildes inside them stay black.
    for (QLabel* label : {m_ui->Label4, m_ui->Label5}) {
        SetColour(label, kBlack);
    }

    // The bindings come first, so that a spinner has written its box before the dialog's own rule reads it.
    for (std::size_t i = 0; i < m_text1.size(); ++i) {
        // Years as they are, months and days with two digits. Typing into a date box moves no spinner.
        new SpinnerBinding(m_text1[i], m_upDown1[i], i % 3 == 0 ? SpinnerBinding::Decimal : SpinnerBinding::TwoDigits,
                           false);
        connect(m_upDown1[i], &UpDown::valueChanged, this, [this, i] { dateSpinnerChanged(static_cast<int>(i)); });
    }
    for (std::size_t i = 0; i < m_text2.size(); ++i) {
        new SpinnerBinding(m_text2[i], m_upDown2[i], SpinnerBinding::Decimal, true);
        connect(m_text2[i], &QLineEdit::textChanged, this,
                [this, i](const QString& text) { numberChanged(static_cast<int>(i), text); });
        connect(m_upDown2[i], &UpDown::valueChanged, this,
                [this, i] { numberChanged(static_cast<int>(i), m_text2[i]->text()); });
    }
    new SpinnerBinding(m_ui->Text3, m_ui->UpDown3, SpinnerBinding::Decimal, true);
    connect(m_ui->Text3, &QLineEdit::textChanged, this, &frmSet_hdb::countChanged);
    connect(m_ui->UpDown3, &UpDown::valueChanged, this, [this] { countChanged(m_ui->Text3->text()); });
    for (QLineEdit* box : {m_ui->Text1_0, m_ui->Text1_1, m_ui->Text1_2, m_ui->Text1_3, m_ui->Text1_4, m_ui->Text1_5,
                           m_ui->Text2_0, m_ui->Text2_1, m_ui->Text3}) {
        RefuseTextOutsideCp932(box, prompts);
    }

    for (std::size_t i = 0; i < m_option1.size(); ++i) {
        connect(m_option1[i], &QRadioButton::toggled, this, [this, i](bool checked) {
            if (checked) {
                ApplyRangeMode(static_cast<int>(i));
            }
        });
    }
    for (std::size_t i = 0; i < m_option2.size(); ++i) {
        connect(m_option2[i], &QRadioButton::toggled, this,
                [this, i](bool checked) { option2Toggled(static_cast<int>(i), checked); });
    }
    connect(m_ui->Check1, &QCheckBox::toggled, this, &frmSet_hdb::check1Toggled);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmSet_hdb::save);
}

frmSet_hdb::~frmSet_hdb() = default;

bool frmSet_hdb::load() {
    JobSettings& settings = m_state.settings;
    RestoreWindowPosition(m_state.positions, *this, m_state.ProgramFolder, kPositionFrmSetHdb);
    KeepOnScreen(*this);

    const std::string inUse = m_state.shownLogPath;
    const std::string resolved = Utf8FromPath(JobFilePath(m_state.ProgramFolder, inUse));
    if (ContainsHdbInAnyCase(inUse) && FileExists(resolved)) {
        if (!ReadLogBounds()) {
            return false;
        }
    } else if (!ContainsHdbInAnyCase(inUse) && !FileExists(resolved) && !settings.set_hdb_dir.empty()) {
        m_state.shownLogPath = settings.set_hdb_dir;
        if (!ReadLogBounds()) {
            return false;
        }
    }
    m_logPath = m_state.shownLogPath;

    LoadJobSettings(m_state.ProgramFolder, m_state.CurrentJob, settings);
    if (settings.set_start_date.empty() && m_state.log_first_date.empty()) {
        settings.set_start_date = m_state.log_first_date = "20040101";
    } else if (settings.set_start_date.empty()) {
        settings.set_start_date = m_state.log_first_date;
    }
    if (settings.set_end_date.empty() && m_state.log_last_date.empty()) {
        settings.set_end_date = m_state.log_last_date = "20040110";
    } else if (settings.set_end_date.empty()) {
        settings.set_end_date = m_state.log_last_date;
    }
    showSpacedDates();
    if (IsBlank(settings.set_end_rec_no)) {
        settings.set_end_rec_no = m_state.log_last_rec_no;
    }
    if (IsBlank(settings.set_rec_hani)) {
        settings.set_rec_hani = "1000";
        m_ui->Text2_0->setText(QStringLiteral("1000"));
    }
    // A stored N the spinner cannot hold is shown clamped in the spinner; the box and the setting keep the text.
    const std::string storedCount = settings.set_rec_hani;
    if (m_ui->UpDown3->setValueOrShowClamped(Val(storedCount))) {
        m_ui->Text3->setText(QString::number(m_ui->UpDown3->value()));
    } else {
        m_ui->Text3->setText(Q(storedCount));
    }

    fillControls();
    if (m_ending) {
        return false;
    }
    m_state.RangeOpened = true;
    return true;
}

void frmSet_hdb::showJobSettings() {
    JobSettings& settings = m_state.settings;
    showSpacedDates();
    if (IsBlank(settings.set_end_rec_no)) {
        settings.set_end_rec_no = m_state.log_last_rec_no;
    }
    if (IsBlank(settings.set_start_date)) {
        settings.set_start_date = "20100101";
    }
    if (IsBlank(settings.set_end_date)) {
        settings.set_end_date = "20100201";
    }
    fillControls();
}

void frmSet_hdb::fillControls() {
    JobSettings& settings = m_state.settings;
    // A range that was never saved, or a flag no option stands for, opens on "全レコード" and is that from now on.
    const RangeMode mode = RangeModeFromFlag(settings.select_flag).value_or(RangeMode::All);
    m_option1[static_cast<std::size_t>(mode)]->setChecked(true);
    settings.select_flag = std::string(FlagOfRangeMode(mode));
    if (m_ending) {
        return;
    }

    setDateBoxes(0, settings.set_start_date);
    setDateBoxes(3, settings.set_end_date);

    if (settings.set_start_rec_no.empty()) {
        settings.set_start_rec_no = "1";
    }
    setNumber(0, settings.set_start_rec_no);
    setNumber(1, settings.set_end_rec_no);

    const int timeBase = settings.set_date_time_UJ == "UTC" ? 0 : settings.set_date_time_UJ == "JST" ? 1 : 2;
    m_option2[static_cast<std::size_t>(timeBase)]->setChecked(true);
    option2Toggled(timeBase, true);
    for (QRadioButton* option : m_option2) {
        option->setEnabled(settings.select_flag == "1");
    }

    if (settings.select_flag == "3") {
        setLastNNumbers();
    }
    if (settings.last_start_rec_no.empty()) {
        settings.last_start_rec_no = "0";
    }
    if (settings.last_end_rec_no.empty()) {
        settings.last_end_rec_no = "0";
    }

    if (settings.set_anytime_last == "1") {
        m_ui->Check1->setChecked(true);
        if (m_ending) {
            return;
        }
        SetColour(m_ui->Check1, kBlue);
        setNumberFromCount(1, Val(m_state.log_last_rec_no));
        if (settings.select_flag == "1") {
            m_ui->Label2->setText(Q(SpacedDate(m_state.log_last_date)));
            setDateBoxes(3, m_state.log_last_date);
        } else if (settings.select_flag == "2") {
            setNumberFromCount(1, Val(m_state.log_last_rec_no));
        }
    } else {
        m_ui->Check1->setChecked(false);
        SetColour(m_ui->Check1, kBlack);
    }

    if (settings.select_flag == "4") {
        showNewAdditions();
    } else {
        m_ui->Label8->clear();
    }
}

bool frmSet_hdb::ReadLogBounds() {
    RecordLibrary& library = m_state.library;
    const std::filesystem::path log = JobFilePath(m_state.ProgramFolder, m_state.shownLogPath);
    countLog();
    const int code = library.open(log);
    if (code == RecordLibrary::kMasterMissing) {
        library.close();
        // The master file is the log's name with ".mst"; whether it is missing or there but unreadable, the user
        // learns which file it is before the program ends.
        std::filesystem::path master = log;
        master.replace_extension(".mst");
        const std::optional<std::filesystem::path> found =
            FindFileIgnoringCase(master.parent_path(), Utf8FromPath(master.filename()));
        const QString text = found ? QString::fromUtf8(texts::kMasterUnreadable).arg(Q(Utf8FromPath(*found)))
                                   : QString::fromUtf8(texts::kMasterMissing).arg(Q(Utf8FromPath(master)));
        m_prompts.warn(this, text);
        m_ending = true;
        m_windows.endProgram();
        return false;
    }
    if (code == 0) {
        const std::int32_t count = ValToRecordNumber(m_state.log_last_rec_no);
        if (count >= 1) {
            library.read(1);
            m_state.log_first_date = FullDate(library.field(2));
            library.read(count);
            m_state.log_last_date = FullDate(library.field(2));
        } else {
            // A log without records has no dates.
            m_state.log_first_date.clear();
            m_state.log_last_date.clear();
        }
    }
    library.close();
    return true;
}

void frmSet_hdb::ApplyRangeMode(int mode) {
    JobSettings& settings = m_state.settings;
    m_ui->Label8->clear();
    settings.select_flag = std::to_string(mode);
    for (std::size_t i = 0; i < m_option1.size(); ++i) {
        SetColour(m_option1[i], static_cast<int>(i) == mode ? kBlue : kBlack);
    }

    // Which frames and boxes take input in each mode, and the colour of their captions.
    struct FrameState {
        bool enabled;
        const QColor* colour; ///< nullptr: the caption keeps its colour
    };
    struct ModeLayout {
        FrameState dates;
        FrameState numbers;
        std::optional<FrameState> newAdditions; ///< none: left as it is
        bool dateBoxes;
        bool numberBoxes;
    };
    static const ModeLayout kLayouts[5] = {
        {{false, nullptr}, {false, nullptr}, std::nullopt, false, false},
        {{true, &kBlue}, {false, &kBlack}, FrameState{false, &kBlack}, true, false},
        {{false, &kBlack}, {true, &kBlue}, FrameState{false, &kBlack}, false, true},
        {{false, &kBlack}, {true, &kBlue}, FrameState{false, &kBlack}, false, false},
        {{false, &kBlack}, {true, &kBlack}, FrameState{true, &kBlue}, false, false},
    };
    const ModeLayout& layout = kLayouts[mode];
    const auto apply = [](QGroupBox* frame, const FrameState& state) {
        frame->setEnabled(state.enabled);
        if (state.colour != nullptr) {
            SetColour(frame, *state.colour);
        }
    };
    apply(m_ui->Frame2, layout.dates);
    apply(m_ui->Frame3, layout.numbers);
    if (layout.newAdditions) {
        apply(m_ui->Frame4, *layout.newAdditions);
    }
    for (std::size_t i = 0; i < m_text1.size(); ++i) {
        m_text1[i]->setEnabled(layout.dateBoxes);
        m_upDown1[i]->setEnabled(layout.dateBoxes);
    }
    for (std::size_t i = 0; i < m_text2.size(); ++i) {
        m_text2[i]->setEnabled(layout.numberBoxes);
        m_upDown2[i]->setEnabled(layout.numberBoxes);
    }

    switch (mode) {
    case 0:
        for (const int first : {0, 3}) {
            const std::string& date = first == 0 ? m_state.log_first_date : m_state.log_last_date;
            const DateParts parts = SplitDate(date);
            const std::string values[3] = {parts.year, parts.month, parts.day};
            for (int j = 0; j < 3; ++j) {
                m_text1[static_cast<std::size_t>(first + j)]->setText(Q(values[j]));
                if (!date.empty()) {
                    m_upDown1[static_cast<std::size_t>(first + j)]->setValueOrShowClamped(Val(values[j]));
                }
            }
        }
        m_ui->Text2_0->setText(QStringLiteral("1"));
        m_ui->UpDown2_0->setValue(1);
        if (m_state.log_last_rec_no.empty()) {
            m_state.log_last_rec_no = "1";
        }
        m_ui->Text2_1->setText(Q(m_state.log_last_rec_no));
        m_ui->UpDown2_1->setValueOrShowClamped(Val(m_state.log_last_rec_no));
        break;
    case 1:
        for (QRadioButton* option : m_option2) {
            option->setEnabled(true);
        }
        if (settings.set_anytime_last == "1") {
            if (!ReadLogBounds()) {
                return;
            }
            m_ui->Label2->setText(Q(SpacedDate(m_state.log_last_date)));
            setDateBoxes(3, m_state.log_last_date);
        }
        break;
    case 2:
        if (settings.set_anytime_last == "1") {
            countLog();
            setNumberFromCount(1, Val(m_state.log_last_rec_no));
        }
        break;
    case 3:
        countLog();
        setLastNNumbers();
        break;
    case 4:
        countLog();
        showNewAdditions();
        break;
    default:
        break;
    }
}

void frmSet_hdb::showNewAdditions() {
    const JobSettings& settings = m_state.settings;
    m_ui->Label7->setText(
        QString::fromUtf8(texts::kOldRange).arg(Q(settings.last_start_rec_no), Q(settings.last_end_rec_no)));
    JobSettings newAdditions = settings;
    newAdditions.select_flag = std::string(FlagOfRangeMode(RangeMode::NewAdditions));
    const JobSummary summary = SummarizeJob(newAdditions, ValToRecordNumber(m_state.log_last_rec_no));
    m_state.new_start_rec_no = summary.new_start_rec_no;
    if (!summary.noNewRecords) {
        SetColour(m_ui->Label8, kGreen);
        m_ui->Label8->setText(
            QString::fromUtf8(texts::kNewRange).arg(Q(m_state.new_start_rec_no), Q(m_state.log_last_rec_no)));
    } else {
        SetColour(m_ui->Label8, kLightRed);
        m_ui->Label8->setText(QString::fromUtf8(job_texts::kNoNewRecords));
    }
}

void frmSet_hdb::showSpacedDates() {
    m_ui->Label1->setText(Q(SpacedDate(m_state.settings.set_start_date)));
    m_ui->Label2->setText(Q(SpacedDate(m_state.settings.set_end_date)));
}

void frmSet_hdb::setDateBoxes(int first, const std::string& date) {
    const DateParts parts = SplitDate(date);
    const std::string values[3] = {parts.year, parts.month, parts.day};
    for (int j = 0; j < 3; ++j) {
        const auto i = static_cast<std::size_t>(first + j);
        m_text1[i]->setText(Q(values[j]));
        // A date the spinner cannot hold (a year before 1940) is shown clamped; the box keeps the stored text.
        m_upDown1[i]->setValueOrShowClamped(Val(m_text1[i]->text().toStdString()));
    }
}

void frmSet_hdb::setNumber(int index, const std::string& text) {
    const auto i = static_cast<std::size_t>(index);
    m_text2[i]->setText(Q(text));
    m_upDown2[i]->setValueOrShowClamped(Val(text));
}

void frmSet_hdb::setNumberFromCount(int index, double value) {
    const auto i = static_cast<std::size_t>(index);
    m_upDown2[i]->setValueOrShowClamped(value);
    m_text2[i]->setText(QString::number(m_upDown2[i]->value()));
}

void frmSet_hdb::setLastNNumbers() {
    // A start below 1 (N larger than the log) shows as 1: the run never reads a record before the first.
    const double last = Val(m_state.log_last_rec_no);
    setNumberFromCount(0, last - Val(m_state.settings.set_rec_hani) + 1);
    setNumberFromCount(1, last);
}

void frmSet_hdb::countLog() {
    const std::int32_t count = m_state.library.countRecords(JobFilePath(m_state.ProgramFolder, m_state.shownLogPath));
    m_state.log_last_rec_no = std::to_string(std::max(count, 0));
}

void frmSet_hdb::dateSpinnerChanged(int index) {
    date_parts[static_cast<std::size_t>(index)] = U(m_text1[static_cast<std::size_t>(index)]->text());
    const auto complete = [this](std::size_t first) {
        return !IsBlank(date_parts[first]) && !IsBlank(date_parts[first + 1]) && !IsBlank(date_parts[first + 2]);
    };
    if (complete(0)) {
        m_ui->Label1->setText(Q(SpacedDate(date_parts[0] + date_parts[1] + date_parts[2])));
    }
    if (complete(3)) {
        m_ui->Label2->setText(Q(SpacedDate(date_parts[3] + date_parts[4] + date_parts[5])));
    }
}

void frmSet_hdb::numberChanged(int index, const QString& text) {
    (index == 0 ? m_state.settings.set_start_rec_no : m_state.settings.set_end_rec_no) = U(text);
}

void frmSet_hdb::countChanged(const QString& text) {
    m_state.settings.set_rec_hani = U(text);
    if (m_state.settings.select_flag == "3") {
        setLastNNumbers();
    }
}

void frmSet_hdb::option2Toggled(int index, bool checked) {
    if (!checked) {
        return;
    }
    for (std::size_t i = 0; i < m_option2.size(); ++i) {
        SetColour(m_option2[i], static_cast<int>(i) == index ? kBlue : kBlack);
    }
    m_state.settings.set_date_time_UJ = kTimeBases[index];
}

void frmSet_hdb::check1Toggled(bool checked) {
    JobSettings& settings = m_state.settings;
    if (!checked) {
        SetColour(m_ui->Check1, kBlack);
        settings.set_anytime_last = "0";
        return;
    }
    SetColour(m_ui->Check1, kBlue);
    settings.set_anytime_last = "1";
    if (settings.select_flag == "1") {
        if (!ReadLogBounds()) {
            return;
        }
        m_ui->Label2->setText(Q(SpacedDate(m_state.log_last_date)));
        setDateBoxes(3, m_state.log_last_date);
    } else if (settings.select_flag == "2") {
        countLog();
        setNumberFromCount(1, Val(m_state.log_last_rec_no));
    }
}

void frmSet_hdb::save() {
    ZentuState& state = m_state;
    ZentuWindows& windows = m_windows;
    JobSettings& settings = state.settings;
    SaveWindowPosition(state.positions, *this, state.ProgramFolder, kPositionFrmSetHdb);

    for (std::size_t i = 0; i < m_option1.size(); ++i) {
        if (m_option1[i]->isChecked()) {
            settings.select_flag = std::to_string(i);
        }
    }
    for (std::size_t i = 0; i < date_parts.size(); ++i) {
        date_parts[i] = U(m_text1[i]->text());
    }
    settings.set_start_date = date_parts[0] + date_parts[1] + date_parts[2];
    settings.set_end_date = date_parts[3] + date_parts[4] + date_parts[5];
    settings.set_start_rec_no = U(m_ui->Text2_0->text());
    settings.set_end_rec_no = U(m_ui->Text2_1->text());
    // A range the run would refuse is not stored: the user is told which setting and value, and the dialog keeps
    // what was typed so that it can be put right.
    if (const std::optional<RangeMode> mode = RangeModeFromFlag(settings.select_flag)) {
        if (auto problem = CheckRangeSettings(settings, *mode)) {
            m_prompts.warn(this, Q(*problem));
            return;
        }
    }
    std::string error;
    if (!SaveJobSettings(state.ProgramFolder, state.CurrentJob, settings, kZentuVersion, &error)) {
        m_prompts.warn(this, Q(error));
        return;
    }

    // The edits are stored: the main window may now come (its load selects the job again and makes this dialog
    // afresh, so nothing of this instance is used after this point).
    zentu* main = windows.showMainWindow();
    if (main == nullptr || windows.programEnded()) {
        return;
    }
    // The summary of the range just saved, with everything a run checks (the log counted again, the paths).
    const JobPlan plan = PlanJob(state.library, settings,
                                 PlanOptions{.completeBlankSettings = false, .programFolder = state.ProgramFolder});
    if (plan.counted) {
        state.record_count = plan.record_count;
    }
    main->showRangeSummary(plan);
    state.RangeSaved = true;
    if (state.ConfigSaved) {
        main->setJobSaveEnabled(true);
    }
    state.positions.SaveAll();
}

void frmSet_hdb::closeEvent(QCloseEvent* event) {
    event->accept();
    m_windows.closedByUser(this);
}

} // namespace zentu
