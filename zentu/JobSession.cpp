#include "JobSession.h"

#include "convert/JobFiles.h"
#include "gui/RunProgress.h"
#include "platform/ProgramPaths.h"
#include "text/NumberText.h"
#include "text/TextHelpers.h"

#include <QString>

#include <system_error>
#include <utility>

namespace zentu {

namespace {

/// A plan that does not stand: nothing runs until a summary was made for the job shown.
JobPlan NoPlan() {
    JobPlan plan;
    plan.refusal = PlanRefusal::RangeNotSet;
    return plan;
}

bool NamesLogInAnyCase(const std::string& path) {
    return QString::fromStdString(path).contains(QStringLiteral(".HDB"), Qt::CaseInsensitive);
}

/// A file stands at the path (a relative path names a file of the program folder, as the runs take it).
bool IsFile(const std::filesystem::path& folder, const std::string& path) {
    std::error_code ignored;
    return !path.empty() && std::filesystem::is_regular_file(JobFilePath(folder, path), ignored);
}

} // namespace

JobSession::JobSession(std::filesystem::path programFolder, QObject* parent)
    : QObject(parent), m_folder(std::move(programFolder)), m_plan(NoPlan()) {}

JobSession::~JobSession() = default;

void JobSession::reloadModeTable() {
    // At most 40 rows; a table that is empty, or that went away since start-up, maps no mode.
    m_modeTable = ModeTable{};
    if (const auto table = FindModeTable(m_folder)) {
        m_modeTable.load(*table);
    }
}

bool JobSession::isRegistered(int job) const {
    return job >= 1 && job <= 9 && m_registered[static_cast<std::size_t>(job)];
}

bool JobSession::canRun() const {
    return m_hasContent && m_plan.canRun();
}

bool JobSession::loadSettings() {
    m_loadError.clear();
    return LoadJobSettings(m_folder, m_job, m_settings, true, &m_loadError);
}

void JobSession::readRegistry() {
    const JobRegistry registry(m_folder);
    for (int n = 1; n <= 9; ++n) {
        m_registered[static_cast<std::size_t>(n)] = registry.isRegistered(n);
    }
    // Any line with the marker makes the slot empty for this program, though the check mark looks only at the name.
    m_hasContent = registry.exists(m_job) && registry.countMarkerLines(m_job) == 0;
}

bool JobSession::startWithFirstJob() {
    m_job = 1;
    std::error_code ignored;
    bool loaded = true;
    if (std::filesystem::exists(JobSettingsPath(m_folder, m_job), ignored)) {
        loaded = loadSettings();
    }
    m_settings.set_outcsv_dir = std::string(TrimBlanks(m_settings.set_outcsv_dir));
    m_settings.set_hdb_dir = std::string(TrimBlanks(m_settings.set_hdb_dir));
    return loaded;
}

void JobSession::selectJob(int job) {
    m_job = job;
    m_jobShown = true;
    m_configSaved = m_rangeSaved = false;
    // Nothing of the job shown before may run: a plan exists only after this job's summary.
    m_plan = NoPlan();
    m_planMade = false;
    m_currentSignature.clear();
    loadSettings();
    m_shownLog = m_settings.set_hdb_dir;
    m_shownOutput = m_settings.set_outcsv_dir;
    readRegistry();
    emit pathsChanged();
    emit changed();
}

void JobSession::takeSavedFlagsFromRegistry() {
    m_configSaved = m_rangeSaved = m_hasContent;
    emit changed();
}

void JobSession::showJobSettings() {
    // Blank dates are those the range settings open on: the log's first and newest date.
    CompleteRangeDates(m_settings, m_bounds);
    makePlan(true);
}

void JobSession::makePlan(bool completeBlankSettings) {
    JobPlan plan;
    if (auto problem = CheckProgramFiles(m_folder, m_job)) {
        plan.refusal = PlanRefusal::BadPaths;
        plan.reason = std::move(*problem);
    } else {
        // A range that was never saved (or a flag no option stands for) is summarised as what the range dialog
        // opens on for it, all records; the job runs only once its range is saved.
        const std::optional<RangeFlagProblem> flagProblem = CheckRangeFlag(m_settings.select_flag);
        JobSettings planned = m_settings;
        if (flagProblem) {
            planned.select_flag = std::string(FlagOfRangeMode(RangeMode::All));
        }
        plan = PlanJob(m_library, planned,
                       PlanOptions{.completeBlankSettings = completeBlankSettings, .programFolder = m_folder});
        // What the summary completed stays in the settings (a dialog's save stores it); the flag stays as stored.
        planned.select_flag = m_settings.select_flag;
        m_settings = std::move(planned);
        if (plan.stands() && flagProblem) {
            plan.refusal = flagProblem->refusal;
            plan.reason = flagProblem->reason;
        }
    }
    if (plan.counted) {
        m_recordCount = plan.record_count;
    }
    if (!plan.summary.empty()) {
        m_rangeMode = plan.mode;
        m_newStart = plan.new_start_rec_no;
    }
    m_plan = std::move(plan);
    m_planMade = true;
    emit planChanged();
    emit changed();
}

int JobSession::readLogBounds() {
    // The log in use is the one shown; a path that names no log is replaced by the job's own log.
    const bool namesLog = NamesLogInAnyCase(m_shownLog);
    const bool isFile = IsFile(m_folder, m_shownLog);
    if (!(namesLog && isFile)) {
        if (namesLog || isFile || m_settings.set_hdb_dir.empty()) {
            return -1;
        }
        m_shownLog = m_settings.set_hdb_dir;
        emit pathsChanged();
    }
    return ReadLogBounds(m_library, JobFilePath(m_folder, m_shownLog), m_bounds);
}

void JobSession::countLog() {
    CountLog(m_library, JobFilePath(m_folder, m_shownLog), m_bounds);
}

void JobSession::markConfigSaved() {
    if (!m_configSaved) {
        m_configSaved = true;
        emit changed();
    }
}

bool JobSession::savePart(const JobSettings& edited, JobSettingsPart part, std::string* error) {
    if (!SaveJobSettingsPart(m_folder, m_job, edited, part, kZentuVersion, error)) {
        return false;
    }
    loadSettings();
    return true;
}

bool JobSession::saveEnvironment(const JobSettings& edited, std::string* error) {
    if (!savePart(edited, JobSettingsPart::Environment, error)) {
        return false;
    }
    // The saved paths are the ones in use from now on: the range settings read the log named here.
    m_shownLog = m_settings.set_hdb_dir;
    m_shownOutput = m_settings.set_outcsv_dir;
    emit pathsChanged();
    if (!IsBlank(m_settings.set_hdb_dir) && m_settings.set_hdb_dir.find(kNativeSeparator) != std::string::npos) {
        const std::int32_t count = m_library.countRecords(JobFilePath(m_folder, m_settings.set_hdb_dir));
        if (count >= 0) {
            m_recordCount = count;
            emit countChanged();
        }
    }
    m_configSaved = true;
    // A summary already shown follows the settings, so that a run never takes another log's count.
    if (m_planMade) {
        makePlan(true);
    }
    emit changed();
    return true;
}

bool JobSession::saveAdifChoice(const JobSettings& edited, std::string* error) {
    if (!savePart(edited, JobSettingsPart::Environment, error)) {
        return false;
    }
    if (m_planMade) {
        makePlan(true);
    }
    emit changed();
    return true;
}

bool JobSession::saveRange(const JobSettings& edited, std::string* error) {
    return savePart(edited, JobSettingsPart::Range, error);
}

void JobSession::rangeSaved() {
    m_rangeSaved = true;
    makePlan(false);
}

bool JobSession::registerJob(const JobRegistryEntry& entry, std::string* error) {
    if (!JobRegistry(m_folder).writeRegisteredJob(m_job, entry, error)) {
        return false;
    }
    readRegistry();
    if (m_hasContent && !m_planMade) {
        makePlan(true);
    }
    emit changed();
    return true;
}

bool JobSession::deleteJob(std::string* error) {
    const JobRegistry registry(m_folder);
    std::error_code ignored;
    std::filesystem::remove(registry.path(m_job), ignored);
    const bool written = registry.writeEmptySlot(m_job, error);
    readRegistry();
    // The slot is empty now: it is saved again only after both dialogs are.
    m_configSaved = m_rangeSaved = false;
    emit changed();
    return written;
}

bool JobSession::logChangedSinceLastRun() {
    // The plan compared the record written last with the log (a job that never ran has nothing to check).
    if (!m_hasContent || !m_plan.stands() || !m_plan.logChanged) {
        return false;
    }
    m_currentSignature = m_plan.lastQso.current;
    return true;
}

RunResult JobSession::run(QProgressBar* bar, QLabel* outputCount) {
    RunOptions options;
    options.versionText = kZentuVersion;
    options.modeTable = &m_modeTable;
    options.storeSignature = true;
    options.saveAllKeys = true;
    const RunResult result =
        RunFromWindow(m_library, m_settings, m_plan.runInput(m_folder, m_job), options, bar, outputCount);
    if (result.ok && !result.adifPath.empty()) {
        m_adifPath = result.adifPath;
    }
    emit changed();
    return result;
}

} // namespace zentu
