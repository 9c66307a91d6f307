#include "JobSession.h"
#include "FrontKeeper.h"
#include "StartUp.h"
#include "ZentuWindows.h"
#include "frmConfig.h"
#include "frmSet_hdb.h"
#include "zentu.h"

#include "CliRunner.h"
#include "convert/JobPlan.h"
#include "gui/Prompts.h"
#include "settings/JobLock.h"
#include "settings/JobRegistry.h"
#include "settings/JobSettings.h"

#include "LogWriter.h"
#include "TestPlatform.h"
#include "TestSupport.h"
#include "WidgetFinder.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>
#include <sstream>

namespace zentu {
namespace {

class RecordingPrompts : public Prompts {
public:
    void notify(QWidget*, const QString& text) override { notices << text; }
    bool askYesNo(QWidget*, const QString&, const QString&) override { return true; }
    void warn(QWidget*, const QString& text) override { warnings << text; }
    QStringList notices;
    QStringList warnings;
};

std::vector<hamlog::LogRecord> Contacts(int count) {
    std::vector<hamlog::LogRecord> records(static_cast<std::size_t>(count));
    for (int n = 1; n <= count; ++n) {
        records[static_cast<std::size_t>(n - 1)].fields = {"JA1" + std::to_string(n),
                                                           "05/01/10",
                                                           "12:00J",
                                                           "59",
                                                           "59",
                                                           "7.050",
                                                           "CW",
                                                           "",
                                                           "",
                                                           "",
                                                           "",
                                                           "",
                                                           "",
                                                           "",
                                                           "",
                                                           ""};
    }
    return records;
}

} // namespace

/// The job session as the user meets it through the windows: what is ticked and enabled after each step, the
/// dialogs' saves beside runs of other programs, and which window ends in front.
class JobSessionTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> m_dir;
    std::unique_ptr<JobSession> m_session;
    std::unique_ptr<ZentuWindows> m_windows;
    RecordingPrompts m_prompts;

    std::filesystem::path folder() const { return m_dir->path(); }
    std::string log(const char* name = "LOG.hdb") const { return (folder() / name).string(); }
    std::string ini(int job) const { return test::ReadBytes(JobSettingsPath(folder(), job)); }

    JobSettings job(const std::string& flag, int n) const {
        JobSettings settings;
        settings.set_hdb_dir = log();
        settings.set_outcsv_dir = (folder() / ("OUT" + std::to_string(n) + ".CSV")).string();
        settings.select_flag = flag;
        return settings;
    }
    void save(int n, const JobSettings& settings, const std::string& name) {
        QVERIFY(SaveJobSettings(folder(), n, settings, kZentuVersion));
        QVERIFY(JobRegistry(folder()).writeRegisteredJob(n, {name, "", "", ""}));
    }

    zentu* startMain() {
        m_windows.reset();
        m_session = std::make_unique<JobSession>(folder());
        m_windows = std::make_unique<ZentuWindows>(*m_session, m_prompts);
        m_windows->setProgramEnd([] {});
        return StartUp(*m_session, *m_windows, m_prompts) ? m_windows->showMainWindow() : nullptr;
    }

    zentu* main() const { return m_windows->mainWindow(); }
    template <typename T = QLabel> T* mainChild(const char* name) const { return test::Find<T>(main(), name); }
    QAction* action(const std::string& name) const { return mainChild<QAction>(name.c_str()); }
    void select(int n) { action("mnuJob" + std::to_string(n))->trigger(); }
    /// Both dialogs of the job shown saved, with `logName` as its log.
    void saveBothDialogs(const char* logName = "LOG.hdb") {
        const auto box = [this](const char* name) { return test::Find<QLineEdit>(m_windows->config(), name); };
        box("txtSet_hdb_dir")->setText(Q(log(logName)));
        box("txtSet_outcsv_dir")->setText(Q((folder() / "OUT7.CSV").string()));
        test::Find<QPushButton>(m_windows->config(), "cmdOK")->click();
        test::Find<QPushButton>(m_windows->range(), "cmdOK")->click();
    }
    static QString Q(const std::string& text) { return QString::fromStdString(text); }

private slots:
    void init() {
        m_prompts = RecordingPrompts{};
        m_dir = std::make_unique<test::TempDir>();
        for (const std::string& name : {RecordLibrary::mainLibraryFileName(), RecordLibrary::stringLibraryFileName()}) {
            if (!test::MakeSymbolicLink(test::BinDir() / name, folder() / name)) {
                std::filesystem::copy_file(test::BinDir() / name, folder() / name); // Windows: tests make no links
            }
        }
        std::filesystem::copy_file(test::BinDir() / "mode_tbl.csv", folder() / "mode_tbl.csv");
        std::filesystem::create_directories(folder() / "ini");
        std::filesystem::create_directories(folder() / "JOB");
        std::string error;
        QVERIFY2(hamlog::CreateLog(log(), Contacts(250), &error), error.c_str());
        save(1, job("0", 1), "one");
    }

    void cleanup() {
        m_windows.reset();
        m_session.reset();
        m_dir.reset();
    }

    void theTicksShowTheRegisteredJobsAfterEverySelectionSaveAndDelete() {
        save(2, job("0", 2), "two");
        QVERIFY(startMain() != nullptr);
        const auto ticked = [this] {
            QList<int> jobs;
            for (int n = 1; n <= 9; ++n) {
                if (action("mnuJob" + std::to_string(n))->isChecked()) {
                    jobs << n;
                }
            }
            return jobs;
        };
        QCOMPARE(ticked(), (QList<int>{1, 2}));
        select(2);
        QCOMPARE(ticked(), (QList<int>{1, 2}));
        select(7);
        QCOMPARE(ticked(), (QList<int>{1, 2}));
        select(7);
        QCOMPARE(ticked(), (QList<int>{1, 2}));
        saveBothDialogs();
        mainChild<QLineEdit>("Text1")->setText(QStringLiteral("seven"));
        action("mnuJobSave")->trigger();
        QCOMPARE(ticked(), (QList<int>{1, 2, 7}));
        action("mnuDelJob")->trigger();
        QCOMPARE(ticked(), (QList<int>{1, 2}));
    }

    void anEmptySlotRunsOnlyOnceItIsRegistered() {
        QVERIFY(startMain() != nullptr);
        select(7);
        saveBothDialogs();
        auto* run = mainChild<QPushButton>("cmdHenkan");
        QVERIFY(action("mnuJobSave")->isEnabled());
        QVERIFY(!run->isEnabled());
        main()->runJob();
        QVERIFY(!std::filesystem::exists(folder() / "OUT7.CSV"));

        mainChild<QLineEdit>("Text1")->setText(QStringLiteral("seven"));
        action("mnuJobSave")->trigger();
        QVERIFY(run->isEnabled());
        run->click();
        QCOMPARE(mainChild("lblOutRec")->text(), QStringLiteral("出力数 : 250 件"));
    }

    void theRangeDialogKeepsItsJobsCaptionWhenTheEnvironmentSaveMakesItAfresh() {
        std::string error;
        QVERIFY2(hamlog::CreateLog(log("OTHER.hdb"), Contacts(3), &error), error.c_str());
        QVERIFY(startMain() != nullptr);
        select(7);
        test::Find<QLineEdit>(m_windows->config(), "txtSet_hdb_dir")->setText(Q(log("OTHER.hdb")));
        test::Find<QLineEdit>(m_windows->config(), "txtSet_outcsv_dir")->setText(Q(log("OUT7.CSV")));
        QPointer<frmSet_hdb> before = m_windows->range();
        test::Find<QPushButton>(m_windows->config(), "cmdOK")->click();
        QVERIFY(m_windows->range() != before.data());
        QCOMPARE(m_windows->range()->windowTitle(), QStringLiteral("　ＪＯＢ７　範 囲 設 定"));
        QCOMPARE(test::Find<QLineEdit>(m_windows->range(), "Text2_1")->text(), QStringLiteral("3"));
    }

    void aDoubleQuoteInAJobsNameIsToldAsSuchAndTheStatusStays() {
        QVERIFY(startMain() != nullptr);
        select(7);
        saveBothDialogs();
        const QString status = mainChild("Label14")->text();
        QCOMPARE(status, QStringLiteral("ＪＯＢ７ の登録内容は空です。"));
        const std::string registry = test::ReadBytes(JobRegistry(folder()).path(7));
        mainChild<QLineEdit>("Text1")->setText(QStringLiteral("say \"hi\""));
        action("mnuJobSave")->trigger();
        QCOMPARE(m_prompts.warnings, QStringList{QStringLiteral("JOB名とメッセージに「\"」は使えません。")});
        QCOMPARE(mainChild("Label14")->text(), status);
        QCOMPARE(test::ReadBytes(JobRegistry(folder()).path(7)), registry);
    }

    void theMainWindowEndsInFrontOfTheDialogsEvenWhenOneComesUpLate() {
        QVERIFY(startMain() != nullptr);
        select(1);
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(main()));
        // A window manager that puts a dialog on the screen, and activates it, after the program asked for the
        // main window in front.
        m_windows->range()->activateWindow();
        QTest::qWait(100);
        QCOMPARE(QApplication::activeWindow(), static_cast<QWidget*>(main()));
        // Once they are up, the user may go to a dialog.
        QTest::qWait(FrontKeeper::kKeepMilliseconds + 100);
        m_windows->range()->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(m_windows->range()));
    }

    void aDialogsSaveKeepsWhatARunOfAnotherProgramStoredMeanwhile() {
        JobSettings settings = job("4", 1);
        settings.last_start_rec_no = "0";
        settings.last_end_rec_no = "0";
        save(1, settings, "one");
        QVERIFY(startMain() != nullptr);
        std::ostringstream out;
        std::ostringstream err;
        QCOMPARE(RunCli({"--job", "1", "--folder", folder().string()}, out, err), CliStatus::Success);
        JobSettings ran;
        LoadJobSettings(folder(), 1, ran);
        QCOMPARE(ran.last_end_rec_no, std::string("250"));
        QVERIFY(!ran.select_flag_new_add_last_QSO_data.empty());

        test::Find<QPushButton>(m_windows->config(), "cmdOK")->click();
        test::Find<QPushButton>(m_windows->range(), "cmdOK")->click();
        JobSettings stored;
        LoadJobSettings(folder(), 1, stored);
        QCOMPARE(stored.last_start_rec_no, ran.last_start_rec_no);
        QCOMPARE(stored.last_end_rec_no, ran.last_end_rec_no);
        QCOMPARE(stored.select_flag_new_add_last_QSO_data, ran.select_flag_new_add_last_QSO_data);
        // The summary follows the file, and the next time the job is shown the range dialog does too: nothing new
        // since that run.
        QCOMPARE(mainChild("Label2")->text(), QStringLiteral("新規追加レコードはありません！"));
        QVERIFY(!mainChild<QPushButton>("cmdHenkan")->isEnabled());
        select(1);
        QCOMPARE(test::Find<QLabel>(m_windows->range(), "Label7")->text(), QStringLiteral("旧  ：1 ～ 250"));
    }

    void aSaveARunHoldsUpIsToldAndTheDialogStays() {
        QVERIFY(startMain() != nullptr);
        const std::string before = ini(1);
        JobLock run;
        std::string reason;
        QVERIFY(run.acquire(folder(), 1, std::chrono::milliseconds(0), reason));
        test::Find<QLineEdit>(m_windows->config(), "Text1")->setText(QStringLiteral("5"));
        test::Find<QPushButton>(m_windows->config(), "cmdOK")->click();
        QCOMPARE(m_prompts.warnings.size(), 1);
        QVERIFY(m_prompts.warnings[0].contains(QStringLiteral("ほかで実行中")));
        QVERIFY(m_windows->config() != nullptr && m_windows->config()->isVisible());
        QCOMPARE(test::Find<QLineEdit>(m_windows->config(), "Text1")->text(), QStringLiteral("5"));
        QCOMPARE(ini(1), before);
    }

    void aModeTableNamedInOtherLettersServesTheWindowsAndTheCommandLine() {
        std::filesystem::rename(folder() / "mode_tbl.csv", folder() / "MODE_TBL.CSV");
        QVERIFY(startMain() != nullptr);
        QVERIFY(m_prompts.notices.isEmpty());
        std::ostringstream out;
        std::ostringstream err;
        QCOMPARE(RunCli({"--job", "1", "--folder", folder().string()}, out, err), CliStatus::Success);
    }

    void choosingAJobLeavesNothingOfTheJobShownBeforeToRun() {
        JobSession session(folder());
        std::string reason;
        QVERIFY2(LoadRecordLibrary(session.library(), folder(), reason), reason.c_str());
        session.selectJob(1);
        session.takeSavedFlagsFromRegistry();
        session.showJobSettings();
        QVERIFY(session.canRun());
        session.selectJob(7);
        session.takeSavedFlagsFromRegistry();
        QVERIFY(!session.plan().stands());
        QVERIFY(!session.canRun());
        QVERIFY(!session.jobSaveAllowed());
    }
};

} // namespace zentu

QTEST_MAIN(zentu::JobSessionTest)
#include "JobSessionTest.moc"
