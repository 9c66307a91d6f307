#pragma once

#include "convert/ConversionRun.h"
#include "convert/JobPlan.h"
#include "convert/LogBounds.h"
#include "convert/ModeTable.h"
#include "convert/RangeMode.h"
#include "hamlog/RecordLibrary.h"
#include "settings/JobRegistry.h"
#include "settings/JobSettings.h"

#include <QObject>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>

class QLabel;
class QProgressBar;

namespace zentu {

/// The job the interactive program shows, and everything its windows share about it: the job's number, its
/// settings as the file holds them, the saved flags, the plan of a run, the log's bounds and which slots hold a
/// registered job. Windows read it and ask it for changes; it tells them through its signals. The dialogs edit
/// copies of the settings and hand them back here, and only the keys each dialog owns reach the file.
class JobSession : public QObject {
    Q_OBJECT

public:
    explicit JobSession(std::filesystem::path programFolder, QObject* parent = nullptr);
    ~JobSession() override;

    const std::filesystem::path& ProgramFolder() const { return m_folder; }
    RecordLibrary& library() { return m_library; }
    const ModeTable& mode_table() const { return m_modeTable; }
    /// Reads the mode table anew: a table that is missing or cannot be read maps no mode.
    void reloadModeTable();

    // The job shown.
    int CurrentJob() const { return m_job; }
    /// The job's settings as its file holds them, with the blanks a summary completes.
    const JobSettings& settings() const { return m_settings; }
    /// A job was chosen in the main window: the dialogs carry its number in their captions from then on.
    bool jobShown() const { return m_jobShown; }
    /// The job's registry file holds a registered job (its status, its run, its delete).
    bool JobHasContent() const { return m_hasContent; }
    /// The environment dialog's paths were usable or saved, and the range dialog was saved, for this job.
    bool ConfigSaved() const { return m_configSaved; }
    bool RangeSaved() const { return m_rangeSaved; }
    /// Whether job `job` (1 to 9) is registered, as its registry file read after the last selection, save or
    /// delete says (the check marks of the job menu).
    bool isRegistered(int job) const;

    // The summary of the job shown.
    /// What a run of the job shown does; it stands only once a summary was made for this job.
    const JobPlan& plan() const { return m_plan; }
    /// A summary was made for this job since it was chosen.
    bool planMade() const { return m_planMade; }
    RangeMode rangeMode() const { return m_rangeMode; }
    std::int32_t record_count() const { return m_recordCount; }
    const std::string& new_start_rec_no() const { return m_newStart; }
    /// The paths the main window shows (the log path in use): taken when a job is chosen and when the
    /// environment dialog is saved.
    const std::string& shownLogPath() const { return m_shownLog; }
    const std::string& shownOutputPath() const { return m_shownOutput; }
    /// The log's count and dates as the range settings last read them.
    const LogBounds& logBounds() const { return m_bounds; }
    /// The signature of the record now where the previous new-additions run ended.
    const std::string& current_qso_signature() const { return m_currentSignature; }
    /// The ADIF file of the last run that wrote one; empty before.
    const std::filesystem::path& adif_path() const { return m_adifPath; }

    // What the windows' actions follow.
    /// The run button: a registered job whose plan has something to do (and whose log still holds what the
    /// previous run wrote).
    bool canRun() const;
    /// The menu "JOB 保存": both dialogs were saved for this job, or the job is registered.
    bool jobSaveAllowed() const { return (m_configSaved && m_rangeSaved) || m_hasContent; }

    /// Start-up: job 1, its settings loaded when it has a settings file. False when that file could not be read
    /// (takeLoadError says why); the job then starts blank.
    bool startWithFirstJob();
    /// Chooses job `job` (1 to 9): its settings and registry read from the files, the saved flags cleared, and
    /// nothing of the job shown before left to run (no plan until a summary is made).
    /// When the job's settings file cannot be read the job is shown blank and takeLoadError says why.
    void selectJob(int job);
    /// Why the last load of the job's settings failed (in Japanese, naming the file), or empty; cleared by the call.
    std::string takeLoadError() { return std::exchange(m_loadError, {}); }
    /// The job's registry file was shown, after its dialogs came up: a registered job counts as saved with both
    /// dialogs (it can be saved again at once), an empty slot as saved with neither.
    void takeSavedFlagsFromRegistry();
    /// The summary of the job shown: blank settings completed (the range dates from the log's bounds), the log
    /// counted and the plan made.
    void showJobSettings();

    /// The range settings' reading of the log: counts the log in use and reads its first and newest date (a log
    /// path in use that is no log is first replaced by the job's log). Returns the record library's open result
    /// (RecordLibrary::kMasterMissing: the master file could not be opened), or -1 when no log was read.
    int readLogBounds();
    /// Counts the log in use into the bounds' record count.
    void countLog();
    /// Fills blank range dates of `settings` from the log's bounds (CompleteRangeDates).
    void completeRangeDates(JobSettings& settings) { CompleteRangeDates(settings, m_bounds); }

    /// The environment dialog's path check found both paths usable.
    void markConfigSaved();
    /// The environment dialog's save: its keys of `edited` stored (under the job's lock, on top of the file as it
    /// stands), the paths shown from now on, the log counted. False with `error` (in Japanese) when nothing could
    /// be stored.
    bool saveEnvironment(const JobSettings& edited, std::string* error);
    /// The ADIF check box stores the environment keys at once, as they stand in the dialog; nothing else changes.
    bool saveAdifChoice(const JobSettings& edited, std::string* error);
    /// The range dialog's save: its keys of `edited` stored. False with `error` when nothing could be stored.
    bool saveRange(const JobSettings& edited, std::string* error);
    /// After the range dialog's save, once the main window is back: the summary of the range just saved.
    void rangeSaved();

    /// The job save: the name and messages written to the registry file. False with `error` when not written.
    bool registerJob(const JobRegistryEntry& entry, std::string* error);
    /// The job delete: the registry file made an empty slot; the settings file stays.
    bool deleteJob(std::string* error);

    /// The changed-log check of a new-additions job that ran before: true when the record now where its previous
    /// run ended is not the one that run wrote last (the warning is due).
    bool logChangedSinceLastRun();

    /// Runs the job shown with its plan, showing the progress on `bar` and `outputCount`; the settings then hold
    /// what the run stored.
    RunResult run(QProgressBar* bar, QLabel* outputCount);

signals:
    /// Anything the windows' actions follow changed: the job, its flags, its registry, its plan.
    void changed();
    /// The paths shown changed.
    void pathsChanged();
    /// A summary was made: the plan, the range mode and the record count.
    void planChanged();
    /// The log was counted again (the environment dialog's save).
    void countChanged();

private:
    bool loadSettings();
    void readRegistry();
    void makePlan(bool completeBlankSettings);
    /// Stores a dialog's keys and reads the file back, so that the settings hold what the file holds (what a run
    /// of another program stored meanwhile included).
    bool savePart(const JobSettings& edited, JobSettingsPart part, std::string* error);

    std::filesystem::path m_folder;
    RecordLibrary m_library;
    ModeTable m_modeTable;

    int m_job = 1;
    JobSettings m_settings;
    bool m_jobShown = false;
    bool m_hasContent = false;
    bool m_configSaved = false;
    bool m_rangeSaved = false;
    std::array<bool, 10> m_registered{}; ///< index 1 to 9

    JobPlan m_plan;
    bool m_planMade = false;
    RangeMode m_rangeMode = RangeMode::All;
    std::int32_t m_recordCount = 0;
    std::string m_newStart;
    std::string m_shownLog;
    std::string m_shownOutput;
    LogBounds m_bounds;
    std::string m_currentSignature;
    std::filesystem::path m_adifPath;
    std::string m_loadError;
};

} // namespace zentu
