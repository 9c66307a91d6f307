#include "frmSet_hdb.h"

#include "Cp932Input.h"
#include "JobSession.h"
#include "ZentuHelpers.h"
#include "ZentuTexts.h"
#include "ZentuWindows.h"
#include "gui/UpDown.h"
#include "ui_frmSet_hdb.h"
#include "zentu.h"

#include "convert/JobFiles.h"
#include "convert/JobPlan.h"
#include "convert/JobSummary.h"
#include "convert/JobTexts.h"
#include "gui/PositionStore.h"
#include "gui/Prompts.h"
#include "hamlog/LogFiles.h"
#include "platform/ProgramPaths.h"
#include "text/NumberText.h"
#include "text/TextHelpers.h"

#include <optional>

namespace zentu {

namespace {

namespace texts = zentu_texts;

/// Which frames and boxes take input in a range mode, and the colour of their captions.
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

/// By range mode: all records, dates, numbers, the newest N, the new additions.
const std::array<ModeLayout, 5> kLayouts = {{
    {{false, nullptr}, {false, nullptr}, std::nullopt, false, false},
    {{true, &kBlue}, {false, &kBlack}, FrameState{false, &kBlack}, true, false},
    {{false, &kBlack}, {true, &kBlue}, FrameState{false, &kBlack}, false, true},
    {{false, &kBlack}, {true, &kBlue}, FrameState{false, &kBlack}, false, false},
    {{false, &kBlack}, {true, &kBlack}, FrameState{true, &kBlue}, false, false},
}};

std::size_t Index(RangeMode mode) {
    return static_cast<std::size_t>(mode);
}

} // namespace

frmSet_hdb::frmSet_hdb(JobSession& session, ZentuWindows& windows, Prompts& prompts)
    : ZentuWindow(session, windows, prompts, WindowRole::Range), m_ui(std::make_unique<Ui::frmSet_hdb>()) {
    m_ui->setupUi(this);
    m_modeOptions = {m_ui->Option1_0, m_ui->Option1_1, m_ui->Option1_2, m_ui->Option1_3, m_ui->Option1_4};
    m_timeBaseOptions = {m_ui->Option2_0, m_ui->Option2_1, m_ui->Option2_2};
    m_dateBoxes = {m_ui->Text1_0, m_ui->Text1_1, m_ui->Text1_2, m_ui->Text1_3, m_ui->Text1_4, m_ui->Text1_5};
    m_dateSpinners = {m_ui->UpDown1_0, m_ui->UpDown1_1, m_ui->UpDown1_2,
                      m_ui->UpDown1_3, m_ui->UpDown1_4, m_ui->UpDown1_5};
    m_numberBoxes = {m_ui->Text2_0, m_ui->Text2_1};
    m_numberSpinners = {m_ui->UpDown2_0, m_ui->UpDown2_1};
    m_countBox = m_ui->Text3;
    m_countSpinner = m_ui->UpDown3;
    m_toNewest = m_ui->Check1;
    m_startDate = m_ui->Label1;
    m_endDate = m_ui->Label2;
    m_oldRange = m_ui->Label7;
    m_newRange = m_ui->Label8;
    m_datesFrame = m_ui->Frame2;
    m_numbersFrame = m_ui->Frame3;
    m_newAdditionsFrame = m_ui->Frame4;

    for (QLabel* label : {m_ui->Label6, m_oldRange, m_newRange}) {
        SetColour(label, kBrightGreen);
    }
    for (QLabel* label : {m_startDate, m_ui->Label3, m_endDate}) {
        SetColour(label, kGreen);
    }
    // The frames' captions change colour; the tildes inside them stay black.
    for (QLabel* label : {m_ui->Label4, m_ui->Label5}) {
        SetColour(label, kBlack);
    }

    // The bindings come first, so that a spinner has written its box before the dialog's own rule reads it.
    for (std::size_t i = 0; i < m_dateBoxes.size(); ++i) {
        // Years as they are, months and days with two digits. Typing into a date box moves no spinner.
        new SpinnerBinding(m_dateBoxes[i], m_dateSpinners[i],
                           i % 3 == 0 ? SpinnerBinding::Decimal : SpinnerBinding::TwoDigits, false);
        connect(m_dateSpinners[i], &UpDown::valueChanged, this, [this, i] { dateSpinnerChanged(static_cast<int>(i)); });
    }
    for (std::size_t i = 0; i < m_numberBoxes.size(); ++i) {
        new SpinnerBinding(m_numberBoxes[i], m_numberSpinners[i], SpinnerBinding::Decimal, true);
        connect(m_numberBoxes[i], &QLineEdit::textChanged, this,
                [this, i](const QString& text) { numberChanged(static_cast<int>(i), text); });
        connect(m_numberSpinners[i], &UpDown::valueChanged, this,
                [this, i] { numberChanged(static_cast<int>(i), m_numberBoxes[i]->text()); });
    }
    new SpinnerBinding(m_countBox, m_countSpinner, SpinnerBinding::Decimal, true);
    connect(m_countBox, &QLineEdit::textChanged, this, &frmSet_hdb::countChanged);
    connect(m_countSpinner, &UpDown::valueChanged, this, [this] { countChanged(m_countBox->text()); });
    for (QLineEdit* box : m_dateBoxes) {
        RefuseTextOutsideCp932(box, prompts);
    }
    for (QLineEdit* box : {m_numberBoxes[0], m_numberBoxes[1], m_countBox}) {
        RefuseTextOutsideCp932(box, prompts);
    }

    for (std::size_t i = 0; i < m_modeOptions.size(); ++i) {
        connect(m_modeOptions[i], &QRadioButton::toggled, this, [this, i](bool checked) {
            if (checked) {
                ApplyRangeMode(static_cast<RangeMode>(i));
            }
        });
    }
    for (std::size_t i = 0; i < m_timeBaseOptions.size(); ++i) {
        connect(m_timeBaseOptions[i], &QRadioButton::toggled, this,
                [this, i](bool checked) { timeBaseToggled(static_cast<TimeBase>(i), checked); });
    }
    connect(m_toNewest, &QCheckBox::toggled, this, &frmSet_hdb::check1Toggled);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmSet_hdb::save);
}

frmSet_hdb::~frmSet_hdb() = default;

bool frmSet_hdb::load() {
    JobSession& job = session();
    restorePosition();
    if (job.jobShown()) {
        setWindowTitle(QString::fromUtf8(texts::kRangeCaption).arg(WideDigit(job.CurrentJob())));
    }
    if (!readLogBounds()) {
        return false;
    }
    m_logPath = job.shownLogPath();

    m_edited = job.settings();
    job.completeRangeDates(m_edited);
    showSpacedDates();
    if (IsBlank(m_edited.set_end_rec_no)) {
        m_edited.set_end_rec_no = job.logBounds().log_last_rec_no;
    }
    if (IsBlank(m_edited.set_rec_hani)) {
        m_edited.set_rec_hani = "1000";
        m_numberBoxes[0]->setText(QStringLiteral("1000"));
    }
    // A stored N the spinner cannot hold is shown clamped in the spinner; the box and the setting keep the text.
    const std::string storedCount = m_edited.set_rec_hani;
    if (m_countSpinner->setValueOrShowClamped(Val(storedCount))) {
        m_countBox->setText(QString::number(m_countSpinner->value()));
    } else {
        m_countBox->setText(Q(storedCount));
    }

    fillControls();
    return !m_ending;
}

void frmSet_hdb::showJobSettings() {
    showSpacedDates();
    CompleteBlankSettings(m_edited, ValToRecordNumber(session().logBounds().log_last_rec_no));
    fillControls();
}

bool frmSet_hdb::readLogBounds() {
    if (session().readLogBounds() != RecordLibrary::kMasterMissing) {
        return true;
    }
    // Whether the master file is missing or there but unreadable, the user learns which file it is before the
    // program ends.
    const std::filesystem::path log = JobFilePath(session().ProgramFolder(), session().shownLogPath());
    if (const std::optional<std::filesystem::path> found = FindMasterFile(log)) {
        prompts().warn(this, QString::fromUtf8(texts::kMasterUnreadable).arg(Q(Utf8FromPath(*found))));
    } else {
        prompts().notify(this,
                         QString::fromUtf8(texts::kMasterMissing).arg(Q(Utf8FromPath(MasterFileForMessages(log)))));
    }
    m_ending = true;
    windows().endProgram();
    return false;
}

void frmSet_hdb::fillControls() {
    // A range that was never saved, or a flag no option stands for, opens on "全レコード".
    m_mode = RangeModeFromFlag(m_edited.select_flag).value_or(RangeMode::All);
    m_modeOptions[Index(m_mode)]->setChecked(true);
    if (m_ending) {
        return;
    }

    setDateBoxes(0, m_edited.set_start_date);
    setDateBoxes(3, m_edited.set_end_date);
    if (m_edited.set_start_rec_no.empty()) {
        m_edited.set_start_rec_no = "1";
    }
    setNumber(0, m_edited.set_start_rec_no);
    setNumber(1, m_edited.set_end_rec_no);

    const TimeBase base = TimeBaseFromSetting(m_edited.set_date_time_UJ);
    m_timeBaseOptions[static_cast<std::size_t>(base)]->setChecked(true);
    timeBaseToggled(base, true);
    for (QRadioButton* option : m_timeBaseOptions) {
        option->setEnabled(m_mode == RangeMode::DateRange);
    }

    if (m_mode == RangeMode::LastN) {
        setLastNNumbers();
    }
    for (std::string* last : {&m_edited.last_start_rec_no, &m_edited.last_end_rec_no}) {
        if (last->empty()) {
            *last = "0";
        }
    }

    if (m_edited.set_anytime_last == "1") {
        m_toNewest->setChecked(true);
        if (m_ending) {
            return;
        }
        SetColour(m_toNewest, kBlue);
        const LogBounds& bounds = session().logBounds();
        setNumberFromCount(1, Val(bounds.log_last_rec_no));
        if (m_mode == RangeMode::DateRange) {
            m_endDate->setText(Q(SpacedDate(bounds.log_last_date)));
            setDateBoxes(3, bounds.log_last_date);
        }
    } else {
        m_toNewest->setChecked(false);
        SetColour(m_toNewest, kBlack);
    }

    if (m_mode == RangeMode::NewAdditions) {
        showNewAdditions();
    } else {
        m_newRange->clear();
    }
}

void frmSet_hdb::ApplyRangeMode(RangeMode mode) {
    m_newRange->clear();
    m_mode = mode;
    for (std::size_t i = 0; i < m_modeOptions.size(); ++i) {
        SetColour(m_modeOptions[i], i == Index(mode) ? kBlue : kBlack);
    }
    const ModeLayout& layout = kLayouts[Index(mode)];
    const auto apply = [](QGroupBox* frame, const FrameState& state) {
        frame->setEnabled(state.enabled);
        if (state.colour != nullptr) {
            SetColour(frame, *state.colour);
        }
    };
    apply(m_datesFrame, layout.dates);
    apply(m_numbersFrame, layout.numbers);
    if (layout.newAdditions) {
        apply(m_newAdditionsFrame, *layout.newAdditions);
    }
    for (std::size_t i = 0; i < m_dateBoxes.size(); ++i) {
        m_dateBoxes[i]->setEnabled(layout.dateBoxes);
        m_dateSpinners[i]->setEnabled(layout.dateBoxes);
    }
    for (std::size_t i = 0; i < m_numberBoxes.size(); ++i) {
        m_numberBoxes[i]->setEnabled(layout.numberBoxes);
        m_numberSpinners[i]->setEnabled(layout.numberBoxes);
    }

    JobSession& job = session();
    const bool toNewest = m_edited.set_anytime_last == "1";
    switch (mode) {
    case RangeMode::All: {
        LogBounds bounds = job.logBounds();
        for (const int first : {0, 3}) {
            const std::string& date = first == 0 ? bounds.log_first_date : bounds.log_last_date;
            const DateParts parts = SplitDate(date);
            const std::string values[3] = {parts.year, parts.month, parts.day};
            for (int j = 0; j < 3; ++j) {
                m_dateBoxes[static_cast<std::size_t>(first + j)]->setText(Q(values[j]));
                if (!date.empty()) {
                    m_dateSpinners[static_cast<std::size_t>(first + j)]->setValueOrShowClamped(Val(values[j]));
                }
            }
        }
        m_numberBoxes[0]->setText(QStringLiteral("1"));
        m_numberSpinners[0]->setValue(1);
        // An empty log shows the range 1 to 1.
        const std::string last = bounds.log_last_rec_no.empty() ? "1" : bounds.log_last_rec_no;
        m_numberBoxes[1]->setText(Q(last));
        m_numberSpinners[1]->setValueOrShowClamped(Val(last));
        break;
    }
    case RangeMode::DateRange:
        for (QRadioButton* option : m_timeBaseOptions) {
            option->setEnabled(true);
        }
        if (toNewest) {
            if (!readLogBounds()) {
                return;
            }
            m_endDate->setText(Q(SpacedDate(job.logBounds().log_last_date)));
            setDateBoxes(3, job.logBounds().log_last_date);
        }
        break;
    case RangeMode::RecordNumbers:
        if (toNewest) {
            job.countLog();
            setNumberFromCount(1, Val(job.logBounds().log_last_rec_no));
        }
        break;
    case RangeMode::LastN:
        job.countLog();
        setLastNNumbers();
        break;
    case RangeMode::NewAdditions:
        job.countLog();
        showNewAdditions();
        break;
    }
}

void frmSet_hdb::showNewAdditions() {
    m_oldRange->setText(
        QString::fromUtf8(texts::kOldRange).arg(Q(m_edited.last_start_rec_no), Q(m_edited.last_end_rec_no)));
    JobSettings newAdditions = m_edited;
    newAdditions.select_flag = std::string(FlagOfRangeMode(RangeMode::NewAdditions));
    const std::string& count = session().logBounds().log_last_rec_no;
    const JobSummary summary = SummarizeJob(newAdditions, ValToRecordNumber(count));
    if (!summary.noNewRecords) {
        SetText(m_newRange, QString::fromUtf8(texts::kNewRange).arg(Q(summary.new_start_rec_no), Q(count)), kGreen);
    } else {
        SetText(m_newRange, QString::fromUtf8(job_texts::kNoNewRecords), kLightRed);
    }
}

void frmSet_hdb::showSpacedDates() {
    m_startDate->setText(Q(SpacedDate(m_edited.set_start_date)));
    m_endDate->setText(Q(SpacedDate(m_edited.set_end_date)));
}

void frmSet_hdb::setDateBoxes(int first, const std::string& date) {
    const DateParts parts = SplitDate(date);
    const std::string values[3] = {parts.year, parts.month, parts.day};
    for (int j = 0; j < 3; ++j) {
        const auto i = static_cast<std::size_t>(first + j);
        m_dateBoxes[i]->setText(Q(values[j]));
        // A date the spinner cannot hold (a year before 1940) is shown clamped; the box keeps the stored text.
        m_dateSpinners[i]->setValueOrShowClamped(Val(U(m_dateBoxes[i]->text())));
    }
}

void frmSet_hdb::setNumber(int index, const std::string& text) {
    const auto i = static_cast<std::size_t>(index);
    m_numberBoxes[i]->setText(Q(text));
    m_numberSpinners[i]->setValueOrShowClamped(Val(text));
}

void frmSet_hdb::setNumberFromCount(int index, double value) {
    const auto i = static_cast<std::size_t>(index);
    m_numberSpinners[i]->setValueOrShowClamped(value);
    m_numberBoxes[i]->setText(QString::number(m_numberSpinners[i]->value()));
}

void frmSet_hdb::setLastNNumbers() {
    // A start below 1 (N larger than the log) shows as 1: the run never reads a record before the first.
    const double last = Val(session().logBounds().log_last_rec_no);
    setNumberFromCount(0, last - Val(m_edited.set_rec_hani) + 1);
    setNumberFromCount(1, last);
}

void frmSet_hdb::dateSpinnerChanged(int index) {
    date_parts[static_cast<std::size_t>(index)] = U(m_dateBoxes[static_cast<std::size_t>(index)]->text());
    const auto complete = [this](std::size_t first) {
        return !IsBlank(date_parts[first]) && !IsBlank(date_parts[first + 1]) && !IsBlank(date_parts[first + 2]);
    };
    if (complete(0)) {
        m_startDate->setText(Q(SpacedDate(date_parts[0] + date_parts[1] + date_parts[2])));
    }
    if (complete(3)) {
        m_endDate->setText(Q(SpacedDate(date_parts[3] + date_parts[4] + date_parts[5])));
    }
}

void frmSet_hdb::numberChanged(int index, const QString& text) {
    (index == 0 ? m_edited.set_start_rec_no : m_edited.set_end_rec_no) = U(text);
}

void frmSet_hdb::countChanged(const QString& text) {
    m_edited.set_rec_hani = U(text);
    if (m_mode == RangeMode::LastN) {
        setLastNNumbers();
    }
}

void frmSet_hdb::timeBaseToggled(TimeBase base, bool checked) {
    if (!checked) {
        return;
    }
    m_timeBase = base;
    for (std::size_t i = 0; i < m_timeBaseOptions.size(); ++i) {
        SetColour(m_timeBaseOptions[i], i == static_cast<std::size_t>(base) ? kBlue : kBlack);
    }
}

void frmSet_hdb::check1Toggled(bool checked) {
    SetColour(m_toNewest, checked ? kBlue : kBlack);
    m_edited.set_anytime_last = checked ? "1" : "0";
    if (!checked) {
        return;
    }
    JobSession& job = session();
    if (m_mode == RangeMode::DateRange) {
        if (!readLogBounds()) {
            return;
        }
        m_endDate->setText(Q(SpacedDate(job.logBounds().log_last_date)));
        setDateBoxes(3, job.logBounds().log_last_date);
    } else if (m_mode == RangeMode::RecordNumbers) {
        job.countLog();
        setNumberFromCount(1, Val(job.logBounds().log_last_rec_no));
    }
}

void frmSet_hdb::save() {
    JobSession& job = session();
    ZentuWindows& owner = windows();
    savePosition();

    // The range mode and the time base take their stored texts here.
    m_edited.select_flag = std::string(FlagOfRangeMode(m_mode));
    m_edited.set_date_time_UJ = std::string(SettingOfTimeBase(m_timeBase));
    for (std::size_t i = 0; i < date_parts.size(); ++i) {
        date_parts[i] = U(m_dateBoxes[i]->text());
    }
    m_edited.set_start_date = date_parts[0] + date_parts[1] + date_parts[2];
    m_edited.set_end_date = date_parts[3] + date_parts[4] + date_parts[5];
    m_edited.set_start_rec_no = U(m_numberBoxes[0]->text());
    m_edited.set_end_rec_no = U(m_numberBoxes[1]->text());
    // A range the run would refuse is not stored: the user is told which setting and value, and the dialog keeps
    // what was typed so that it can be put right. So is a save that a run of the job holds up.
    std::optional<std::string> problem = CheckRangeSettings(m_edited, m_mode);
    std::string error;
    if (!problem && !job.saveRange(m_edited, &error)) {
        problem = error;
    }
    if (problem) {
        prompts().warn(this, Q(*problem));
        return;
    }

    // The edits are stored: the main window may now come (its load selects the job again and makes this dialog
    // afresh, so nothing of this instance is used after this point).
    if (owner.showMainWindow() == nullptr || owner.programEnded()) {
        return;
    }
    job.rangeSaved();
    owner.positions().SaveAll();
}

} // namespace zentu
