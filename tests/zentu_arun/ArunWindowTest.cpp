#include "ArunState.h"
#include "zentu_arun.h"

#include "convert/ConversionRun.h"
#include "gui/BusyWindows.h"
#include "gui/Prompts.h"
#include "settings/JobRegistry.h"
#include "settings/JobSettings.h"

#include "LogWriter.h"
#include "PaintCounter.h"
#include "SyntheticLog.h"
#include "TestSupport.h"
#include "WidgetFinder.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace zentu {
namespace {

/// Answers message boxes by remembering them.
class ScriptedPrompts : public Prompts {
public:
    void notify(QWidget*, const QString& text) override { notices << text; }
    bool askYesNo(QWidget*, const QString&, const QString&) override { return false; }
    void warn(QWidget*, const QString& text) override { warnings << text; }
    QStringList notices;
    QStringList warnings;
};

hamlog::LogRecord Qso(const std::string& call, const std::string& date, const std::string& mode = "SSB") {
    hamlog::LogRecord record;
    record.fields = {call, date, "12:00J", "59", "59", "7.050", mode, "1001", "", "", "", "", "", "", "", ""};
    return record;
}

QString Text(QObject* window, const char* name) {
    return test::Find<QLabel>(window, name)->text();
}

QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

QColor Colour(QObject* window, const char* name) {
    return test::Find<QLabel>(window, name)->palette().color(QPalette::WindowText);
}

} // namespace

class ArunWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> m_dir;
    std::unique_ptr<ArunState> m_state;
    std::unique_ptr<zentu_arun> m_window;
    ScriptedPrompts m_prompts;
    std::vector<int> m_waits;
    int m_ends = 0;

    std::filesystem::path folder() const { return m_dir->path(); }

    void makeFolder() {
        m_dir = std::make_unique<test::TempDir>();
        std::filesystem::create_directories(folder() / "ini");
        std::filesystem::create_directories(folder() / "JOB");
        std::string error;
        QVERIFY2(hamlog::CreateLog(folder() / "LOG.hdb",
                                   {Qso("JA1AA", "10/01/01"), Qso("JA1BB", "10/01/02", "PH"), Qso("JA1CC", "10/01/03")},
                                   &error),
                 error.c_str());
        const JobRegistry registry(folder());
        for (int n = 1; n <= 9; ++n) {
            QVERIFY(registry.writeEmptySlot(n));
        }
    }

    void registerJob(int job, const std::string& name, JobSettings settings) {
        QVERIFY(JobRegistry(folder()).writeRegisteredJob(job, {name, "m1 ", " m2", ""}));
        if (settings.set_hdb_dir.empty()) {
            settings.set_hdb_dir = (folder() / "LOG.hdb").string();
        }
        if (settings.set_outcsv_dir.empty()) {
            settings.set_outcsv_dir = (folder() / ("OUT" + std::to_string(job) + ".CSV")).string();
        }
        QVERIFY(SaveJobSettings(folder(), job, settings, kZentuVersion));
    }

    static JobSettings Mode(const std::string& flag) {
        JobSettings settings;
        settings.select_flag = flag;
        settings.adif_out = "1";
        return settings;
    }

    void openWindow() {
        m_state = std::make_unique<ArunState>();
        m_state->ProgramFolder = folder();
        QVERIFY2(m_state->library.load(test::BinDir()), m_state->library.errorString().c_str());
        m_window = std::make_unique<zentu_arun>(*m_state, m_prompts);
        m_waits.clear();
        m_ends = 0;
        m_window->setWaiter([this](int milliseconds) { m_waits.push_back(milliseconds); });
        m_window->setProgramEnd([this] { ++m_ends; });
        m_window->load();
        m_window->show();
    }

    QListWidget* list() { return test::Find<QListWidget>(m_window.get(), "List1"); }
    QPushButton* runButton() { return test::Find<QPushButton>(m_window.get(), "cmdDo_job"); }

    void select(int row) { list()->setCurrentRow(row); }

private slots:
    void init() {
        m_prompts.notices.clear();
        m_prompts.warnings.clear();
        makeFolder();
    }

    void cleanup() {
        m_window.reset();
        m_state.reset();
        m_dir.reset();
    }

    void listsRegisteredAndEmptySlotsAndLeavesOutMissingOnes() {
        registerJob(1, "Alpha", Mode("0"));
        std::filesystem::remove(folder() / "JOB" / "JOB_3.txt");
        openWindow();
        QCOMPARE(list()->count(), 8);
        QCOMPARE(list()->item(0)->text(), QStringLiteral("JOB 1 : Alpha"));
        QCOMPARE(list()->item(1)->text(), QStringLiteral("JOB 2 : "));
        QCOMPARE(list()->item(2)->text(), QStringLiteral("JOB 4 : "));
        QCOMPARE(m_window->windowTitle(), QStringLiteral(" zentu_arun.exe   ver 0.24"));
        QVERIFY(runButton()->isEnabled());
        QCOMPARE(Text(m_window.get(), "Label4"), QStringLiteral("JOB 1 : Alpha"));
        QCOMPARE(Text(m_window.get(), "Label1"), QStringLiteral("m1\r\n m2\r\n\r\n"));
        QCOMPARE(Text(m_window.get(), "lblInfo"), QStringLiteral("入力数: 3 件"));
        QCOMPARE(Text(m_window.get(), "Label2"), QStringLiteral("（　設定変更等は、管理者がzentu_setで実施する　）"));
        QCOMPARE(Colour(m_window.get(), "Label2"), QColor(0, 0, 255));
        QCOMPARE(test::Find<QAction>(m_window.get(), "mnuExit")->text(), QStringLiteral("終了"));
    }

    void anUnregisteredJob1LeavesTheRunButtonDisabled() {
        registerJob(2, "Beta", Mode("0"));
        openWindow();
        QVERIFY(!runButton()->isEnabled());
        select(1);
        QVERIFY(runButton()->isEnabled());
        select(0);
        QVERIFY(!runButton()->isEnabled());
    }

    void summarisesEveryRangeMode_data() {
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("expected");
        QTest::newRow("all") << "0"
                             << "" << QStringLiteral("出力データ ： 全レコード");
        QTest::newRow("JST") << "1"
                             << "JST" << QStringLiteral("出力データ ： 日付で範囲指定 ：　20100101　～　20100131  JST");
        QTest::newRow("NON") << "1"
                             << "NON"
                             << QStringLiteral("出力データ ： 日付で範囲指定 ：　20100101　～　20100131  UTC/JST 無視");
        QTest::newRow("numbers") << "2"
                                 << "" << QStringLiteral("出力データ ： 番号で範囲指定 ：　2　～　3");
        QTest::newRow("last N") << "3"
                                << "" << QStringLiteral("出力データ ： 最終までの指定レコード数 ：（ 2 ）　　2　～　3");
        QTest::newRow("new") << "4"
                             << "" << QStringLiteral("出力データ ： 新規追加分のみ ：  2　～　3");
    }

    void summarisesEveryRangeMode() {
        QFETCH(QString, flag);
        QFETCH(QString, zone);
        QFETCH(QString, expected);
        JobSettings settings = Mode(flag.toStdString());
        settings.set_date_time_UJ = zone.toStdString();
        settings.set_start_date = "20100101";
        settings.set_end_date = "20100131";
        settings.set_start_rec_no = "2";
        settings.set_end_rec_no = "3";
        settings.set_rec_hani = "2";
        settings.last_end_rec_no = "1";
        registerJob(1, "Alpha", settings);
        openWindow();
        QCOMPARE(Text(m_window.get(), "Label5"), expected);
        QCOMPARE(Text(m_window.get(), "Label6"), QString());
    }

    void aNewAdditionsJobWithoutNewRecordsShowsNoDataAndTouchesNoFile() {
        JobSettings settings = Mode("4");
        settings.last_end_rec_no = "3";
        registerJob(1, "Alpha", settings);
        const std::string before = test::ReadBytes(folder() / "ini" / "zentu_1.ini");
        openWindow();
        QCOMPARE(Text(m_window.get(), "Label6"), QStringLiteral("新規追加レコードはありません！　( 変更は環境設定 )"));
        QCOMPARE(Text(m_window.get(), "Label5"), QStringLiteral("出力データ ： 新規追加分のみ ：") +
                                                     QString(29, QLatin1Char(' ')) + QStringLiteral("　～　3"));
        QCOMPARE(Colour(m_window.get(), "Label5"), QColor(192, 0, 0));
        runButton()->click();
        QCOMPARE(Text(m_window.get(), "Label7"),
                 QStringLiteral("処理データはありません！　自動的の元に戻ります。しばらくお待ち下さい。"));
        QCOMPARE(m_waits, std::vector<int>{3000});
        QCOMPARE(m_ends, 1);
        QVERIFY(!std::filesystem::exists(folder() / "OUT1.CSV"));
        QCOMPARE(test::ReadBytes(folder() / "ini" / "zentu_1.ini"), before);
    }

    void aJobWithRecordsRunsNormallyAfterANoDataJobWasChosen() {
        JobSettings none = Mode("4");
        none.last_end_rec_no = "3";
        registerJob(1, "Alpha", none);
        registerJob(2, "Beta", Mode("0"));
        openWindow();
        select(1);
        QCOMPARE(Text(m_window.get(), "Label6"), QString());
        runButton()->click();
        QCOMPARE(m_ends, 1);
        QVERIFY(std::filesystem::exists(folder() / "OUT2.CSV"));
        QCOMPARE(Text(m_window.get(), "lblOutRec"), QStringLiteral("出力数 : 3 件"));
    }

    void aRunWritesWhatTheEngineWritesAndStoresTheRecordNumbersAndTheSignature() {
        JobSettings settings = Mode("4");
        settings.last_end_rec_no = "1";
        settings.select_flag_new_add_last_QSO_data = "JA1AA_10/01/01_12:00J_7.050_SSB_1001";
        settings.zentu_arun_end_time = "";
        registerJob(1, "Alpha", settings);
        const std::string before = test::ReadBytes(folder() / "ini" / "zentu_1.ini");

        // What the engine writes with the auto-run options, in a folder of its own.
        test::TempDir reference;
        std::filesystem::create_directories(reference / "ini");
        std::filesystem::copy_file(folder() / "ini" / "zentu_1.ini", reference / "ini" / "zentu_1.ini");
        JobSettings expectedSettings;
        LoadJobSettings(folder(), 1, expectedSettings, false);
        expectedSettings.set_outcsv_dir = (reference / "OUT1.CSV").string();
        RecordLibrary library;
        QVERIFY(library.load(test::BinDir()));
        RunInput input{reference.path(), 1, RangeMode::NewAdditions, 3, "2"};
        RunOptions options{kZentuArunVersion, nullptr, true, false};
        QVERIFY(RunConversion(library, expectedSettings, input, options, nullptr).ok);

        openWindow();
        runButton()->click();
        QCOMPARE(m_ends, 1);
        QCOMPARE(test::ReadBytes(folder() / "OUT1.CSV"), test::ReadBytes(reference / "OUT1.CSV"));
        QCOMPARE(test::ReadBytes(folder() / "OUT1.adi"), test::ReadBytes(reference / "OUT1.adi"));
        QVERIFY(test::ReadBytes(folder() / "OUT1.adi").find("Version 0.24") != std::string::npos);
        QCOMPARE(Text(m_window.get(), "lblMsg"), QStringLiteral("変換処理終了"));
        QCOMPARE(Text(m_window.get(), "Label7"),
                 QStringLiteral("変換処理が終了しました。自動的の元に戻ります。しばらくお待ち下さい。"));
        QCOMPARE(Colour(m_window.get(), "Label7"), QColor(0, 0, 255));
        QCOMPARE(Text(m_window.get(), "lblOutRec"), QStringLiteral("出力数 : 2 件"));
        QCOMPARE(m_waits, (std::vector<int>{1000, 3000}));

        std::string expectedFile = before;
        const auto replace = [&](const std::string& from, const std::string& to) {
            expectedFile.replace(expectedFile.find(from), from.size(), to);
        };
        replace("last_start_rec_no=\r\n", "last_start_rec_no=2\r\n");
        replace("last_end_rec_no=1\r\n", "last_end_rec_no=3\r\n");
        // The signature of the record written last, as the other programs store it.
        replace("JA1AA_10/01/01_12:00J_7.050_SSB_1001", "JA1CC_10/01/03_12:00J_7.050_SSB_1001");
        QCOMPARE(test::ReadBytes(folder() / "ini" / "zentu_1.ini"), expectedFile);
    }

    void anEndTimeOfZeroDoesNotWait() {
        JobSettings settings = Mode("0");
        settings.zentu_arun_end_time = "0";
        registerJob(1, "Alpha", settings);
        openWindow();
        runButton()->click();
        QCOMPARE(m_waits, std::vector<int>{1000});
        QCOMPARE(m_ends, 1);
    }

    void aRunThatCannotWriteShowsTheErrorAndDoesNotClaimSuccess() {
        JobSettings settings = Mode("4");
        settings.set_outcsv_dir = (folder() / "no-such-folder" / "OUT.CSV").string();
        settings.last_end_rec_no = "0";
        registerJob(1, "Alpha", settings);
        const std::string before = test::ReadBytes(folder() / "ini" / "zentu_1.ini");
        openWindow();
        runButton()->click();
        QVERIFY(Text(m_window.get(), "Label7").contains(QStringLiteral("OUT.CSV")));
        QCOMPARE(Colour(m_window.get(), "Label7"), QColor(192, 0, 0));
        QVERIFY(Text(m_window.get(), "lblMsg") != QStringLiteral("変換処理終了"));
        // An error, with the warning icon.
        QCOMPARE(m_prompts.warnings, QStringList{Text(m_window.get(), "Label7")});
        QVERIFY(m_prompts.notices.isEmpty());
        QCOMPARE(m_ends, 1);
        QCOMPARE(test::ReadBytes(folder() / "ini" / "zentu_1.ini"), before);
    }

    void aJobWhoseRangeWasNeverSavedCannotRunAfterAnotherJob() {
        registerJob(1, "Alpha", Mode("0"));
        registerJob(2, "Beta", Mode(""));
        openWindow();
        QVERIFY(runButton()->isEnabled());
        select(1);
        QVERIFY(!runButton()->isEnabled());
        QCOMPARE(Text(m_window.get(), "Label5"), QString());
        QVERIFY(Text(m_window.get(), "Label6").contains(QStringLiteral("範囲設定")));
        runButton()->click();
        QCOMPARE(m_ends, 0);
        QVERIFY(!std::filesystem::exists(folder() / "OUT2.CSV"));
    }

    void aJobThatCannotRunAsItsSettingsStandSaysWhyAndDoesNotRun_data() {
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("start after end") << "2"
                                         << "set_start_rec_no"
                                         << "3" << QStringLiteral("set_start_rec_no");
        QTest::newRow("no count") << "3"
                                  << "set_rec_hani"
                                  << "" << QStringLiteral("set_rec_hani");
        QTest::newRow("output is the log") << "0"
                                           << "set_outcsv_dir"
                                           << "LOG.hdb" << QStringLiteral("と同じファイルです");
        QTest::newRow("fewer records than the previous run")
            << "4"
            << "last_end_rec_no"
            << "5" << QStringLiteral("前回の内容と今回の内容が異なります");
    }

    void aJobThatCannotRunAsItsSettingsStandSaysWhyAndDoesNotRun() {
        QFETCH(QString, flag);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        JobSettings settings = Mode(flag.toStdString());
        settings.set_start_rec_no = "2";
        settings.set_end_rec_no = "1";
        if (key == "set_start_rec_no") {
            settings.set_start_rec_no = value.toStdString();
        } else if (key == "set_rec_hani") {
            settings.set_rec_hani = value.toStdString();
        } else if (key == "set_outcsv_dir") {
            settings.set_outcsv_dir = (folder() / value.toStdString()).string();
        } else {
            settings.last_end_rec_no = value.toStdString();
        }
        registerJob(1, "Alpha", settings);
        const std::string log = test::ReadBytes(folder() / "LOG.hdb");
        openWindow();
        QVERIFY2(Text(m_window.get(), "Label6").contains(expected), qPrintable(Text(m_window.get(), "Label6")));
        QCOMPARE(Colour(m_window.get(), "Label6"), QColor(192, 0, 0));
        QVERIFY(!runButton()->isEnabled());
        runButton()->click();
        QCOMPARE(m_ends, 0);
        QVERIFY(!std::filesystem::exists(folder() / "OUT1.CSV"));
        QCOMPARE(test::ReadBytes(folder() / "LOG.hdb"), log);
    }

    void theSummaryShowsTheRecordsTheRunTakes() {
        JobSettings lastN = Mode("3");
        lastN.set_rec_hani = "2";
        lastN.set_start_rec_no = "1";
        lastN.set_end_rec_no = "300";
        registerJob(1, "Alpha", lastN);
        JobSettings toNewest = Mode("2");
        toNewest.set_start_rec_no = "2";
        toNewest.set_end_rec_no = "2";
        toNewest.set_anytime_last = "1";
        registerJob(2, "Beta", toNewest);
        openWindow();
        QCOMPARE(Text(m_window.get(), "Label5"),
                 QStringLiteral("出力データ ： 最終までの指定レコード数 ：（ 2 ）　　2　～　3"));
        select(1);
        QCOMPARE(Text(m_window.get(), "Label5"), QStringLiteral("出力データ ： 番号で範囲指定 ：　2　～　3"));
    }

    void eachReasonAJobCannotRunIsToldAtSelection_data() {
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("info");
        QTest::addColumn<QString>("reason");
        QTest::newRow("log missing") << "log missing" << QStringLiteral("ログファイルが見つかりません")
                                     << QStringLiteral("（ファイルまたはフォルダーがありません）");
        QTest::newRow("log is a folder") << "log folder" << QStringLiteral("ログファイルを読めません")
                                         << QStringLiteral("（ファイルではなくフォルダーです）");
        QTest::newRow("settings file is a folder")
            << "ini folder" << QString()
            << QStringLiteral("zentu_1.ini を読めません（ファイルではなくフォルダーです）");
        QTest::newRow("select_flag 5") << "flag 5" << QStringLiteral("入力数: 3 件")
                                       << QStringLiteral("select_flag の値「5」");
        QTest::newRow("log path never set")
            << "no log" << QString() << QStringLiteral("入力ファイル（Hamlog のログ）が設定されていません。");
    }

    void eachReasonAJobCannotRunIsToldAtSelection() {
        QFETCH(QString, problem);
        QFETCH(QString, info);
        QFETCH(QString, reason);
        JobSettings settings = Mode(problem == "flag 5" ? "5" : "0");
        if (problem == "log missing" || problem == "log folder") {
            settings.set_hdb_dir = (folder() / "GONE.hdb").string();
        }
        registerJob(1, "Alpha", settings);
        if (problem == "log folder") {
            std::filesystem::create_directory(folder() / "GONE.hdb");
        } else if (problem == "ini folder") {
            std::filesystem::remove(folder() / "ini" / "zentu_1.ini");
            std::filesystem::create_directory(folder() / "ini" / "zentu_1.ini");
        } else if (problem == "no log") {
            std::string ini = test::ReadBytes(folder() / "ini" / "zentu_1.ini");
            const std::string key = "set_hdb_dir=" + (folder() / "LOG.hdb").string();
            ini.replace(ini.find(key), key.size(), "set_hdb_dir=");
            test::WriteBytes(folder() / "ini" / "zentu_1.ini", ini);
        }
        openWindow();
        QCOMPARE(Text(m_window.get(), "lblInfo"), info);
        QVERIFY2(Text(m_window.get(), "Label6").contains(reason), qPrintable(Text(m_window.get(), "Label6")));
        QVERIFY(!runButton()->isEnabled());
    }

    void theWindowNeverGrowsPastTheScreen() {
        JobSettings settings = Mode("0");
        const std::string longFolder = (folder() / std::string(150, 'd')).string();
        std::filesystem::create_directories(longFolder);
        settings.set_outcsv_dir = longFolder + "/" + std::string(200 - 150, 'o') + ".CSV";
        registerJob(1, std::string(120, 'N'), settings);
        // A stored place partly off the screen and larger than it: the title bar and the window come back on it.
        test::WriteBytes(folder() / "zentu_posi.ini", "[Position_zentu_arun]\r\nWindowState=0\r\nLeft=-9000\r\n"
                                                      "Top=-7500\r\nWidth=60000\r\nHeight=45000\r\n");
        openWindow();
        const QRect screen = m_window->screen()->availableGeometry();
        QVERIFY2(screen.contains(m_window->geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                       .arg(m_window->x())
                                                                       .arg(m_window->y())
                                                                       .arg(m_window->width())
                                                                       .arg(m_window->height())));
        auto* output = test::Find<QLabel>(m_window.get(), "lblOutFile");
        QCOMPARE(output->toolTip(), Q(settings.set_outcsv_dir));
        QVERIFY(output->text().contains(QStringLiteral("...")) || output->text().contains(QChar(0x2026)));
        QVERIFY(output->text().endsWith(QStringLiteral(".CSV")));
        QVERIFY(output->fontMetrics().horizontalAdvance(output->text()) <= output->contentsRect().width());

        // Every stored place is kept on the screen, however it misses it.
        for (const char* stored : {"Left=-9000\r\nTop=300\r\n", "Left=300\r\nTop=-7500\r\n"}) {
            test::WriteBytes(folder() / "zentu_posi.ini", std::string("[Position_zentu_arun]\r\n") + stored);
            openWindow();
            QVERIFY(m_window->screen()->availableGeometry().contains(m_window->frameGeometry()));
        }
    }

    void aRunTellsWhichRecordsItLeftOutOfTheAdifFile() {
        std::string error;
        QVERIFY(hamlog::CreateLog(folder() / "LOG.hdb",
                                  {Qso("JA1AA", "10/01/01"), Qso("JA1BB", "24/02/30"), Qso("JA1CC", "10/01/03")},
                                  &error));
        registerJob(1, "Alpha", Mode("0"));
        openWindow();
        runButton()->click();
        // The output count tells the record left out too, in the warning colour.
        QCOMPARE(Text(m_window.get(), "lblOutRec"),
                 QStringLiteral("出力数 : 3 件　（ADIF に入れなかったレコード 1 件）"));
        QCOMPARE(test::Find<QLabel>(m_window.get(), "lblOutRec")->palette().color(QPalette::WindowText),
                 QColor(192, 0, 0));
        QCOMPARE(Text(m_window.get(), "Label6"),
                 QStringLiteral("日付または時刻が正しくないレコード 1 件は ADIF ファイルに入れていません"
                                "（CSV ファイルには出力しました。レコード番号 2）。"));
        QVERIFY(test::ReadBytes(folder() / "OUT1.adi").find("JA1BB") == std::string::npos);
    }

    void duringARunTheWindowIsPaintedAndLockedAndIgnoresTheUser() {
        std::string error;
        QVERIFY2(hamlog::CreateSyntheticLog(folder() / "BIG.hdb", 60000, 1, &error), error.c_str());
        JobSettings settings = Mode("0");
        settings.set_hdb_dir = (folder() / "BIG.hdb").string();
        registerJob(1, "Alpha", settings);
        registerJob(2, "Beta", Mode("0"));
        openWindow();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        auto* bar = test::Find<QProgressBar>(m_window.get(), "ProgressBar1");
        const auto busy = [this] { return Text(m_window.get(), "lblMsg") == QStringLiteral("変換処理中"); };

        // What the window does while the run works: its timers fire, the bar moves and is painted, the run button
        // stays disabled, and neither the exit menu nor a click on another job does anything.
        int ticks = 0;
        int paints = 0;
        int highestBar = 0;
        bool unlocked = false;
        test::PaintCounter counter(bar, [&] { paints += busy() ? 1 : 0; });
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&] {
            if (!busy()) {
                return;
            }
            ++ticks;
            highestBar = std::max(highestBar, bar->value());
            unlocked = unlocked || runButton()->isEnabled();
            test::Find<QAction>(m_window.get(), "mnuExit")->trigger();
            QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(list()->item(1)).center());
        });
        timer.start(5);
        runButton()->click();
        timer.stop();

        QVERIFY(ticks > 0);
        QVERIFY(paints > 0);
        QVERIFY(highestBar > 0);
        QVERIFY(!unlocked);
        QCOMPARE(list()->currentRow(), 0);
        QCOMPARE(m_ends, 1);
        QCOMPARE(Text(m_window.get(), "lblOutRec"), QStringLiteral("出力数 : 60000 件"));
        QVERIFY(!std::filesystem::exists(folder() / "zentu_posi.ini"));
    }

    void theWaitsKeepTheWindowPaintedAndIgnoreTheUser() {
        QPushButton button;
        int clicks = 0;
        connect(&button, &QPushButton::clicked, this, [&] { ++clicks; });
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&] {
            ++ticks;
            QTest::mouseClick(&button, Qt::LeftButton);
            QTest::keyClick(&button, Qt::Key_Space);
        });
        timer.start(5);
        WaitKeepingWindowsPainted(200);
        timer.stop();
        QVERIFY(ticks > 1);
        QCOMPARE(clicks, 0);
        QVERIFY(button.isVisible());
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks, 1);
    }

    void theExitMenuSavesThePositionAndEnds() {
        registerJob(1, "Alpha", Mode("0"));
        openWindow();
        test::Find<QAction>(m_window.get(), "mnuExit")->trigger();
        QCOMPARE(m_ends, 1);
        const std::string positions = test::ReadBytes(folder() / "zentu_posi.ini");
        QVERIFY(positions.find("[Position_zentu_arun]") != std::string::npos);
        QVERIFY(positions.find("Width=") != std::string::npos);
    }
};

} // namespace zentu

QTEST_MAIN(zentu::ArunWindowTest)
#include "ArunWindowTest.moc"
