#include "ZentuWindows.h"
#include "JobSession.h"
#include "StartUp.h"
#include "WindowControl.h"
#include "ZentuHelpers.h"
#include "ZentuWindowsFixture.h"
#include "frmConfig.h"
#include "frmDisp2.h"
#include "frmMode.h"
#include "frmMsg.h"
#include "frmSet_hdb.h"
#include "gui/UpDown.h"
#include "zentu.h"

#include "CliRunner.h"
#include "LineListModel.h"
#include "gui/Prompts.h"
#include "hamlog/RecordLibrary.h"
#include "platform/ProgramPaths.h"
#include "settings/JobLock.h"
#include "settings/JobRegistry.h"
#include "settings/JobSettings.h"
#include "text/TextHelpers.h"

#include "LogWriter.h"
#include "PaintCounter.h"
#include "SyntheticLog.h"
#include "TestSupport.h"
#include "WidgetFinder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <functional>
#include <memory>
#include <sstream>

namespace zentu {

class ZentuWindowsTest : public QObject, protected ZentuWindowsFixture {
    Q_OBJECT

private slots:
    void init() {
        m_prompts = ScriptedPrompts{};
        m_ends = 0;
        makeProgramFolder();
    }

    void cleanup() {
        m_windows.reset();
        m_state.reset();
        m_dir.reset();
    }

    void firstStartMakesTheFilesAndOpensOnlyTheEnvironmentDialog() {
        QVERIFY(start());
        QVERIFY(std::filesystem::is_directory(folder() / "ini"));
        for (int job = 1; job <= 9; ++job) {
            QCOMPARE(test::ReadBytes(folder() / "JOB" / ("JOB_" + std::to_string(job) + ".txt")),
                     test::Sjis(U(EmptySlot())));
        }
        QCOMPARE(test::ReadBytes(folder() / "zentu_posi.ini"), std::string("[Config]\r\nversion=0.25\r\n\r\n"));
        QVERIFY(m_windows->config() != nullptr && m_windows->config()->isVisible());
        QVERIFY(m_windows->range() == nullptr);
        QVERIFY(main() == nullptr);
        QCOMPARE(m_windows->config()->windowTitle(), QStringLiteral("　設定　： zentu.exe ver 0.25"));

        // A second start keeps what is there and makes again only what is missing.
        test::WriteBytes(folder() / "JOB" / "JOB_4.txt", "JOB_name : mine\r\n");
        std::filesystem::remove(folder() / "JOB" / "JOB_7.txt");
        test::WriteBytes(folder() / "zentu_posi.ini", "[Position_zentu]\r\nLeft=15\r\n");
        QVERIFY(start());
        QCOMPARE(test::ReadBytes(folder() / "JOB" / "JOB_4.txt"), std::string("JOB_name : mine\r\n"));
        QCOMPARE(test::ReadBytes(folder() / "JOB" / "JOB_7.txt"), test::Sjis(U(EmptySlot())));
        QCOMPARE(test::ReadBytes(folder() / "zentu_posi.ini"), std::string("[Position_zentu]\r\nLeft=15\r\n"));
        QCOMPARE(m_ends, 0);
    }

    void startUpEndsWithoutTheModeTable() {
        std::filesystem::remove(folder() / "mode_tbl.csv");
        QVERIFY(!start());
        QCOMPARE(m_prompts.notices, QStringList{Q(FolderWithSeparator(folder()) + "mode_tbl.csv　がありません")});
        // What start-up makes before the check stays.
        QVERIFY(std::filesystem::exists(folder() / "JOB" / "JOB_9.txt"));
        QVERIFY(m_windows->config() == nullptr);
    }

    void aJobWithBothPathsOpensTheRangeDialogInFront_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<bool>("range");
        QTest::newRow("both paths") << "OUT.CSV" << true;
        QTest::newRow("output only blanks") << "   " << false;
    }

    void aJobWithBothPathsOpensTheRangeDialogInFront() {
        QFETCH(QString, output);
        QFETCH(bool, range);
        makeUsedFolder();
        JobSettings settings = Job("0", 1);
        settings.set_outcsv_dir = output == QStringLiteral("   ") ? "   " : (folder() / U(output)).string();
        saveJob(1, settings);
        QVERIFY(start());
        QVERIFY(m_windows->config()->isVisible());
        QCOMPARE(m_windows->range() != nullptr, range);
        if (range) {
            QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(m_windows->range()));
        }
    }

    void environmentDialogChecksBothPathsAndTheMasterFile_data() {
        QTest::addColumn<QString>("hdb");
        QTest::addColumn<QString>("csv");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<bool>("hdbBlue");
        QTest::addColumn<bool>("csvBlue");
        QTest::newRow("both blank") << "  "
                                    << ""
                                    << "読み込む Hamlog.hdb  、　出力するＣＳＶファイル名の指定をして下さい。" << false
                                    << false;
        QTest::newRow("log only blank") << ""
                                        << "OUT.CSV"
                                        << "読み込む Hamlog.hdb の指定をして下さい。" << false << true;
        QTest::newRow("no master file") << "NOMST.hdb"
                                        << "OUT.CSV"
                                        << "*.hdb に対応する *.MST がありません。指定をやり直して下さい。" << false
                                        << true;
        QTest::newRow("no master, no output")
            << "NOMST.hdb"
            << ""
            << "*.hdb に対応する *.MST がありません。 出力するＣＳＶファイル名の指定をして下さい。" << false << false;
        QTest::newRow("output blank") << "LOG.hdb"
                                      << ""
                                      << "出力するＣＳＶファイル名の指定をして下さい。" << true << false;
        QTest::newRow("usable") << "LOG.hdb"
                                << "OUT.CSV"
                                << "" << true << true;
    }

    void environmentDialogChecksBothPathsAndTheMasterFile() {
        QFETCH(QString, hdb);
        QFETCH(QString, csv);
        QFETCH(QString, hint);
        QFETCH(bool, hdbBlue);
        QFETCH(bool, csvBlue);
        makeLog(3);
        // The log's master file in another letter case is found all the same.
        std::filesystem::rename(folder() / "LOG.mst", folder() / "log.MST");
        test::WriteBytes(folder() / "NOMST.hdb", "");
        QVERIFY(start());
        const auto path = [this](const QString& name) {
            return name.trimmed().isEmpty() ? name : Q((folder() / U(name)).string());
        };
        QTest::keyClicks(configChild<QLineEdit>("txtSet_hdb_dir"), path(hdb));
        QTest::keyClicks(configChild<QLineEdit>("txtSet_outcsv_dir"), path(csv));
        const bool usable = hint.isEmpty();
        QCOMPARE(configChild("Label3")->text(), hint);
        QCOMPARE(Colour(configChild("lblHdb")), hdbBlue ? QColor(0, 0, 255) : QColor(255, 0, 0));
        QCOMPARE(Colour(configChild("lblOutcsv")), csvBlue ? QColor(0, 0, 255) : QColor(255, 0, 0));
        QCOMPARE(configChild<QPushButton>("cmdOK")->isEnabled(), usable);
        QCOMPARE(configChild("Label6")->text(),
                 usable ? QStringLiteral(
                              "[ 保存 ]ボタンをクリックして下さい。保存します。　　＜変更は、「参照」ボタンで行う。＞")
                        : QStringLiteral("空白項目があります。　適切な指定をして下さい！"));
        QCOMPARE(m_state->ConfigSaved(), usable);
        QCOMPARE(Q(m_windows->config()->edited().set_hdb_dir), path(hdb));
    }

    void environmentDialogKeepsTheSecondsAsTypedAndTheDefaultsOnCancel() {
        QVERIFY(start());
        auto* seconds = configChild<QLineEdit>("Text1");
        QCOMPARE(seconds->text(), QStringLiteral("3"));
        QCOMPARE(m_windows->config()->edited().zentu_arun_end_time, std::string("3"));
        seconds->clear();
        QTest::keyClicks(seconds, QStringLiteral("2.5"));
        QCOMPARE(configChild<UpDown>("UpDown1")->value(), 2);
        QCOMPARE(m_windows->config()->edited().zentu_arun_end_time, std::string("2.5"));
        configChild<UpDown>("UpDown1")->stepUp();
        QCOMPARE(seconds->text(), QStringLiteral("3"));
        QCOMPARE(m_windows->config()->edited().zentu_arun_end_time, std::string("3"));

        // Cancelling the file dialogs on first use stores the default files; the boxes stay empty.
        configChild<QPushButton>("Command1")->click();
        configChild<QPushButton>("Command2")->click();
        QCOMPARE(m_windows->config()->edited().set_hdb_dir, Utf8FromPath(DefaultHamlogFiles::log()));
        QCOMPARE(m_windows->config()->edited().set_outcsv_dir, Utf8FromPath(DefaultHamlogFiles::outputCsv()));
        QVERIFY(configChild<QLineEdit>("txtSet_hdb_dir")->text().isEmpty());
        QVERIFY(m_prompts.filters.first().endsWith(QStringLiteral("(*.hdb *.HDB *.Hdb)")));

        // A chosen file goes into its box; a name CP932 cannot hold is refused with a message.
        m_prompts.chosenFile = Q(Utf8FromPath(folder() / PathFromUtf8("日本.CSV")));
        configChild<QPushButton>("Command2")->click();
        QCOMPARE(configChild<QLineEdit>("txtSet_outcsv_dir")->text(), m_prompts.chosenFile);
        m_prompts.chosenFile = Q((folder() / "😀.CSV").string());
        configChild<QPushButton>("Command2")->click();
        QVERIFY(configChild<QLineEdit>("txtSet_outcsv_dir")->text().endsWith(QStringLiteral("日本.CSV")));
        QCOMPARE(m_prompts.warnings.size(), 1);
        configChild<QLineEdit>("txtSet_outcsv_dir")->insert(QStringLiteral("😀"));
        QVERIFY(configChild<QLineEdit>("txtSet_outcsv_dir")->text().endsWith(QStringLiteral("日本.CSV")));
        QCOMPARE(m_prompts.warnings.size(), 2);
    }

    void firstUseWalksFromTheEnvironmentDialogToTheMainWindow() {
        makeUsedFolder();
        QVERIFY(start());
        QTest::keyClicks(configChild<QLineEdit>("txtSet_hdb_dir"), Q(log()));
        QTest::keyClicks(configChild<QLineEdit>("txtSet_outcsv_dir"), Q((folder() / "OUT1.CSV").string()));
        configChild<QCheckBox>("Check1")->click();
        configChild<QPushButton>("cmdOK")->click();
        QVERIFY(m_windows->config() == nullptr);
        QVERIFY(m_windows->range() != nullptr && m_windows->range()->isVisible());
        QVERIFY(main() == nullptr);

        rangeChild<QRadioButton>("Option1_3")->click();
        rangeChild<QLineEdit>("Text3")->setText(QStringLiteral("20"));
        rangeChild<QPushButton>("cmdOK")->click();
        QVERIFY(main() != nullptr && main()->isVisible());
        QCOMPARE(mainText("Label3"),
                 QStringLiteral("出力データ ： 最終までの指定レコード数 ：（ 20 ）　　231　～　250"));
        QCOMPARE(Colour(mainChild("Label3")), QColor(0, 128, 0));
        QCOMPARE(mainText("Label14"), QStringLiteral("ＪＯＢ１ の登録内容は空です。"));
        QCOMPARE(mainText("Label12"), QStringLiteral("JOB 名 １"));
        QCOMPARE(main()->windowTitle(), QStringLiteral(" zentu   ver 0.25   @ zentu project"));
        // The dialogs stand beside it again, for job 1, with the main window in front.
        QCOMPARE(m_windows->range()->windowTitle(), QStringLiteral("　ＪＯＢ１　範 囲 設 定"));
        QCOMPARE(m_windows->config()->windowTitle(), QStringLiteral("　ＪＯＢ１　環 境 設 定"));
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(main()));

        JobSettings stored;
        LoadJobSettings(folder(), 1, stored);
        QCOMPARE(stored.select_flag, std::string("3"));
        QCOMPARE(stored.set_rec_hani, std::string("20"));
        QCOMPARE(stored.adif_out, std::string("1"));

        // The job can be saved once both dialogs beside the main window were saved for it.
        QVERIFY(!mainAction("mnuJobSave")->isEnabled());
        configChild<QPushButton>("cmdOK")->click();
        rangeChild<QPushButton>("cmdOK")->click();
        QVERIFY(mainAction("mnuJobSave")->isEnabled());
        // Naming the job and saving it registers it.
        mainChild<QLineEdit>("Text1")->insert(QStringLiteral("移動運用"));
        mainAction("mnuJobSave")->trigger();
        QCOMPARE(mainText("Label2"), QStringLiteral("JOB 1 保存完了"));
        QVERIFY(mainAction("mnuJob1")->isChecked());
        QVERIFY(JobRegistry(folder()).isRegistered(1));
    }

    void selectingARegisteredJobAfterAnEmptyOneShowsItsOwnSummary() {
        makeUsedFolder();
        saveJob(1, Job("0", 1), "one");
        saveJob(2, Job("3", 2), "two");
        JobSettings unsaved = Job("", 4);
        unsaved.set_outcsv_dir = (folder() / "deep" / "folder" / "with a rather long name" / "OUT4.CSV").string();
        saveJob(4, unsaved, "four");
        saveJob(3, Job("4", 3));
        QVERIFY(startMain() != nullptr);
        QCOMPARE(mainText("Label3"), QStringLiteral("出力データ ： 全レコード"));
        QVERIFY(mainAction("mnuJob1")->isChecked());
        QVERIFY(!mainAction("mnuJob3")->isChecked());

        selectJob(3);
        QCOMPARE(mainText("Label14"), QStringLiteral("ＪＯＢ３ の登録内容は空です。"));
        QVERIFY(!mainChild<QPushButton>("cmdHenkan")->isEnabled());
        QVERIFY(!mainAction("mnuDelJob")->isEnabled());
        QVERIFY(!mainAction("mnuJobSave")->isEnabled());
        QVERIFY(mainText("Label3").isEmpty());

        // The last-N count is the job's own, not the log's record count.
        selectJob(2);
        QCOMPARE(mainText("Label3"),
                 QStringLiteral("出力データ ： 最終までの指定レコード数 ：（ 100 ）　　151　～　250"));
        QVERIFY(mainChild<QPushButton>("cmdHenkan")->isEnabled());
        QVERIFY(mainAction("mnuJobSave")->isEnabled());
        QCOMPARE(mainChild<QLineEdit>("Text1")->text(), QStringLiteral("two"));
        QCOMPARE(mainChild("lblOutFile")->toolTip(), Q((folder() / "OUT2.CSV").string()));
        QCOMPARE(m_state->rangeMode(), RangeMode::LastN);
        QCOMPARE(rangeChild<QLineEdit>("Text2_0")->text(), QStringLiteral("151"));

        // A range never saved borrows nothing: the dialog and the summary both take all records.
        selectJob(4);
        QVERIFY(rangeChild<QRadioButton>("Option1_0")->isChecked());
        QCOMPARE(m_state->rangeMode(), RangeMode::All);
        QCOMPARE(mainText("Label3"), QStringLiteral("出力データ ： 全レコード"));
        QCOMPARE(mainChild("lblOutFile")->toolTip(), Q(unsaved.set_outcsv_dir));
        QVERIFY(mainText("lblOutFile").contains(QStringLiteral("...")));
    }

    void rangeDialogOpensOnTheLogsBounds() {
        makeUsedFolder();
        JobSettings settings;
        settings.set_hdb_dir = log();
        settings.set_outcsv_dir = (folder() / "OUT.CSV").string();
        saveJob(1, settings);
        QVERIFY(start());
        QVERIFY(rangeChild<QRadioButton>("Option1_0")->isChecked());
        QCOMPARE(m_windows->range()->edited().set_start_date, std::string("20040315"));
        QCOMPARE(m_windows->range()->edited().set_end_date, std::string("20051102"));
        QCOMPARE(rangeChild("Label1")->text(), QStringLiteral("2 0 0 4 / 0 3 / 1 5 "));
        QCOMPARE(rangeChild("Label2")->text(), QStringLiteral("2 0 0 5 / 1 1 / 0 2 "));
        QCOMPARE(m_windows->range()->edited().set_rec_hani, std::string("1000"));
        QCOMPARE(rangeChild<QLineEdit>("Text2_0")->text(), QStringLiteral("1"));
        QCOMPARE(rangeChild<QLineEdit>("Text2_1")->text(), QStringLiteral("250"));
        // An empty time base selects "compare by date alone".
        QVERIFY(rangeChild<QRadioButton>("Option2_2")->isChecked());
        QVERIFY(!rangeChild<QWidget>("Frame2")->isEnabled());

        // Months are spun with two digits; a typed month is saved as it stands.
        rangeChild<QRadioButton>("Option1_1")->click();
        QVERIFY(rangeChild<QLineEdit>("Text1_1")->isEnabled());
        auto* month = rangeChild<UpDown>("UpDown1_1");
        month->setValue(9);
        month->stepUp();
        QCOMPARE(rangeChild<QLineEdit>("Text1_1")->text(), QStringLiteral("10"));
        month->setValue(2);
        month->stepDown();
        QCOMPARE(rangeChild<QLineEdit>("Text1_1")->text(), QStringLiteral("01"));
        QCOMPARE(rangeChild("Label1")->text(), QStringLiteral("2 0 0 4 / 0 1 / 1 5 "));
        // A typed month of one digit makes no date: the save is refused, naming the setting and its value, and
        // the dialog keeps what was typed.
        const std::string before = ini(1);
        rangeChild<QLineEdit>("Text1_4")->setText(QStringLiteral("5"));
        rangeChild<QPushButton>("cmdOK")->click();
        QCOMPARE(m_prompts.warnings.size(), 1);
        QVERIFY(m_prompts.warnings[0].contains(QStringLiteral("set_end_date の値「2005502」")));
        QCOMPARE(ini(1), before);
        QCOMPARE(rangeChild<QLineEdit>("Text1_4")->text(), QStringLiteral("5"));
        rangeChild<QLineEdit>("Text1_4")->setText(QStringLiteral("05"));
        rangeChild<QPushButton>("cmdOK")->click();
        JobSettings stored;
        LoadJobSettings(folder(), 1, stored);
        QCOMPARE(stored.set_start_date, std::string("20040115"));
        QCOMPARE(stored.set_end_date, std::string("20050502"));
        QCOMPARE(stored.select_flag, std::string("1"));
        QCOMPARE(stored.set_date_time_UJ, std::string("NON"));
    }

    void rangeDialogFollowsTheLastNAndTheNewAdditions() {
        makeUsedFolder();
        JobSettings lastN = Job("3", 1);
        saveJob(1, lastN);
        QVERIFY(start());
        QCOMPARE(rangeChild<QLineEdit>("Text2_0")->text(), QStringLiteral("151"));
        QCOMPARE(rangeChild<QLineEdit>("Text2_1")->text(), QStringLiteral("250"));
        auto* count = rangeChild<QLineEdit>("Text3");
        count->clear();
        QTest::keyClicks(count, QStringLiteral("20"));
        QCOMPARE(rangeChild<QLineEdit>("Text2_0")->text(), QStringLiteral("231"));
        QCOMPARE(m_windows->range()->edited().set_rec_hani, std::string("20"));
        QCOMPARE(m_windows->range()->edited().set_start_rec_no, std::string("231"));
        // More than the log holds starts at record 1.
        count->setText(QStringLiteral("400"));
        QCOMPARE(rangeChild<QLineEdit>("Text2_0")->text(), QStringLiteral("1"));

        JobSettings newAdditions = Job("4", 1);
        newAdditions.last_start_rec_no = "1";
        newAdditions.last_end_rec_no = "250";
        saveJob(1, newAdditions);
        QVERIFY(start());
        QCOMPARE(rangeChild("Label7")->text(), QStringLiteral("旧  ：1 ～ 250"));
        QCOMPARE(rangeChild("Label8")->text(), QStringLiteral("新規追加レコードはありません！"));
        QCOMPARE(Colour(rangeChild("Label8")), QColor(255, 0, 0));
        std::string error;
        QVERIFY(hamlog::AppendRecords(log(), {Qso(251, "05/11/03"), Qso(252, "05/11/03")}, &error));
        QVERIFY(start());
        QCOMPARE(rangeChild("Label8")->text(), QStringLiteral("新 ： 251 ～ 252"));
        QCOMPARE(Colour(rangeChild("Label8")), QColor(0, 128, 0));
        QVERIFY(rangeChild<QWidget>("Frame4")->isEnabled());
    }

    void valuesASpinnerCannotHoldAreShownClampedAndKept() {
        makeUsedFolder();
        JobSettings settings = Job("1", 1);
        settings.set_start_date = "19300101";
        settings.set_rec_hani = "250000";
        saveJob(1, settings);
        QVERIFY(start());
        QCOMPARE(rangeChild<QLineEdit>("Text1_0")->text(), QStringLiteral("1930"));
        QCOMPARE(rangeChild<UpDown>("UpDown1_0")->value(), 1940);
        QCOMPARE(rangeChild<QLineEdit>("Text3")->text(), QStringLiteral("250000"));
        QCOMPARE(rangeChild<UpDown>("UpDown3")->value(), 200000);
        QCOMPARE(m_windows->range()->edited().set_rec_hani, std::string("250000"));
        rangeChild<QPushButton>("cmdOK")->click();
        JobSettings stored;
        LoadJobSettings(folder(), 1, stored);
        QCOMPARE(stored.set_start_date, std::string("19300101"));
        // Until the user steps the spinner.
        m_windows->range()->findChild<UpDown*>(QStringLiteral("UpDown1_0"))->stepUp();
        QCOMPARE(rangeChild<QLineEdit>("Text1_0")->text(), QStringLiteral("1941"));
    }

    void aMasterFileThatCannotBeOpenedIsNamedBeforeTheProgramEnds_data() {
        QTest::addColumn<bool>("present");
        QTest::newRow("missing") << false;
        QTest::newRow("present, not readable") << true;
    }

    void aMasterFileThatCannotBeOpenedIsNamedBeforeTheProgramEnds() {
        QFETCH(bool, present);
        makeUsedFolder();
        std::filesystem::remove(folder() / "LOG.mst");
        if (present) {
            std::filesystem::create_directory(folder() / "LOG.mst");
        }
        saveJob(1, Job("0", 1));
        QVERIFY(!start());
        QCOMPARE(m_ends, 1);
        const QString master = Q((folder() / "LOG.mst").string());
        QCOMPARE(present ? m_prompts.warnings : m_prompts.notices,
                 QStringList{present ? "Hamlog.mst がオープン出来ませんでした。" + master + "　は有りますが読めません。"
                                     : "Hamlog.mst がオープン出来ませんでした。" + master + "　が無いと思われます。"});
    }

    void editingAJobThroughTheRangeMenuComesBackOnThatJob() {
        makeUsedFolder();
        saveJob(1, Job("0", 1), "one");
        saveJob(3, Job("0", 3), "three");
        QVERIFY(startMain() != nullptr);
        const std::string job1 = ini(1);
        selectJob(3);
        mainAction("mnuSet_hani")->trigger();
        QVERIFY(main() == nullptr);
        rangeChild<QRadioButton>("Option1_2")->click();
        rangeChild<QLineEdit>("Text2_0")->setText(QStringLiteral("10"));
        rangeChild<QLineEdit>("Text2_1")->setText(QStringLiteral("20"));
        rangeChild<QPushButton>("cmdOK")->click();

        QVERIFY(main() != nullptr && main()->isVisible());
        QCOMPARE(mainText("Label11_3"), QStringLiteral("3"));
        QCOMPARE(mainChild<QLineEdit>("Text1")->text(), QStringLiteral("three"));
        QCOMPARE(mainText("Label3"), QStringLiteral("出力データ ： 番号で範囲指定 ：　10　～　20"));
        JobSettings stored;
        LoadJobSettings(folder(), 3, stored);
        QCOMPARE(stored.select_flag, std::string("2"));
        QCOMPARE(stored.set_end_rec_no, std::string("20"));
        QCOMPARE(ini(1), job1);
    }

    void closingADialogTheMainWindowWasClosedForBringsItBack() {
        makeUsedFolder();
        saveJob(1, Job("0", 1), "one");
        QVERIFY(startMain() != nullptr);
        const std::string before = ini(1);
        mainAction("mnuConfig")->trigger();
        QVERIFY(main() == nullptr);
        configChild<QLineEdit>("txtSet_outcsv_dir")->setText(QStringLiteral("/elsewhere.csv"));
        m_windows->config()->close();
        QVERIFY(main() != nullptr && main()->isVisible());
        QCOMPARE(ini(1), before);
        QCOMPARE(m_state->settings().set_outcsv_dir, (folder() / "OUT1.CSV").string());

        mainAction("mnuSet_hani")->trigger();
        m_windows->range()->close();
        QVERIFY(main() != nullptr && main()->isVisible());
        QCOMPARE(m_ends, 0);

        // Without a main window to come back, closing the last window ends the program.
        QVERIFY(start());
        m_windows->range()->close();
        QCOMPARE(m_ends, 0);
        m_windows->config()->close();
        QCOMPARE(m_ends, 1);
    }

    void savingAndDeletingAJobSetItsMarkAndStatus() {
        makeUsedFolder();
        saveJob(2, Job("0", 2));
        QVERIFY(startMain() != nullptr);
        selectJob(2);
        configChild<QPushButton>("cmdOK")->click();
        rangeChild<QPushButton>("cmdOK")->click();
        QCOMPARE(mainText("Label11_3"), QStringLiteral("2"));
        QVERIFY(mainAction("mnuJobSave")->isEnabled());

        // A comma survives the save, for this program's reader and for the auto-run program's.
        mainChild<QLineEdit>("Text1")->setText(QStringLiteral("Field Day, 2010"));
        mainChild<QLineEdit>("Text2_0")->setText(QStringLiteral("a,b"));
        mainAction("mnuJobSave")->trigger();
        QCOMPARE(mainText("Label2"), QStringLiteral("JOB 2 保存完了"));
        QVERIFY(mainAction("mnuJob2")->isChecked());
        QVERIFY(mainAction("mnuDelJob")->isEnabled());
        const std::optional<JobRegistryEntry> arun = JobRegistry(folder()).readUntrimmed(2);
        QVERIFY(arun.has_value());
        QCOMPARE(arun->name, std::string("Field Day, 2010"));
        QCOMPARE(arun->msg1, std::string("a,b"));
        selectJob(2);
        QCOMPARE(mainChild<QLineEdit>("Text1")->text(), QStringLiteral("Field Day, 2010"));

        // A double quote cannot be stored: the save is refused with a message and the file stays.
        const std::string registered = test::ReadBytes(JobRegistry(folder()).path(2));
        mainChild<QLineEdit>("Text1")->setText(QStringLiteral("say \"hi\""));
        mainAction("mnuJobSave")->trigger();
        QCOMPARE(m_prompts.warnings.size(), 1);
        QCOMPARE(test::ReadBytes(JobRegistry(folder()).path(2)), registered);

        m_prompts.answerYes = false;
        mainAction("mnuDelJob")->trigger();
        QCOMPARE(test::ReadBytes(JobRegistry(folder()).path(2)), registered);
        m_prompts.answerYes = true;
        mainAction("mnuDelJob")->trigger();
        QCOMPARE(m_prompts.questions.last(),
                 QStringLiteral("　　ＪＯＢを削除します|JOB ２ を削除します、よろしいですか？\r\n\r\n"));
        QCOMPARE(mainText("Label14"), QStringLiteral("JOB ２ を削除しました。"));
        QCOMPARE(Colour(mainChild("Label14")), QColor(255, 0, 0));
        QVERIFY(mainChild("Label14")->font().bold());
        QVERIFY(!mainAction("mnuJob2")->isChecked());
        QVERIFY(!mainAction("mnuJobSave")->isEnabled());
        QCOMPARE(test::ReadBytes(JobRegistry(folder()).path(2)), test::Sjis(U(EmptySlot())));
        QVERIFY(std::filesystem::exists(JobSettingsPath(folder(), 2)));
    }

    void aChangedLogOpensTheWarningWithBothSignatures() {
        makeUsedFolder();
        JobSettings settings = Job("4", 5);
        settings.last_start_rec_no = "1";
        settings.last_end_rec_no = "3";
        settings.select_flag_new_add_last_QSO_data = "JA1X_05/01/01_11:00J_14.000_FT8_9";
        saveJob(5, settings, "five");
        JobSettings matching = settings;
        matching.select_flag_new_add_last_QSO_data = "JA13_05/04/10_12:00J_7.050_USB_1001";
        saveJob(6, matching, "six");
        QVERIFY(startMain() != nullptr);

        selectJob(6);
        QVERIFY(m_windows->msg() == nullptr);
        selectJob(5);
        QVERIFY(m_windows->msg() != nullptr && m_windows->msg()->isVisible());
        QObject* msg = m_windows->msg();
        QCOMPARE(m_windows->msg()->windowTitle(), QStringLiteral(" 注意喚起"));
        QCOMPARE(test::Find<QLabel>(msg, "Label1")->text(), QStringLiteral("前回の出力最終番号　：　3"));
        QCOMPARE(test::Find<QLabel>(msg, "Label3_0")->text(), QStringLiteral("JA1X"));
        QCOMPARE(test::Find<QLabel>(msg, "Label3_4")->text(), QStringLiteral("FT8"));
        QCOMPARE(test::Find<QLabel>(msg, "Label4_0")->text(), QStringLiteral("JA13"));
        QCOMPARE(test::Find<QLabel>(msg, "Label4_5")->text(), QStringLiteral("1001"));
        QVERIFY(test::Find<QLabel>(msg, "Label5")
                    ->text()
                    .startsWith(QStringLiteral("前回の内容と今回の内容が異なります。\r\n\r\n")));

        // Closing it leaves the job as it was; its button ends the program.
        m_windows->msg()->close();
        QVERIFY(main()->isVisible());
        QCOMPARE(m_ends, 0);
        selectJob(5);
        test::Find<QPushButton>(m_windows->msg(), "Command1")->click();
        QCOMPARE(m_ends, 1);
    }

    void aRunWritesWhatTheCommandLineRunnerWrites() {
        makeUsedFolder();
        JobSettings settings = Job("1", 1);
        settings.set_start_date = "20050301";
        saveJob(1, settings, "one");
        std::ostringstream out;
        std::ostringstream err;
        QCOMPARE(RunCli({"--job", "1", "--folder", folder().string()}, out, err), CliStatus::Success);
        const std::string cliCsv = test::ReadBytes(folder() / "OUT1.CSV");
        const std::string cliAdif = test::ReadBytes(folder() / "OUT1.adi");
        std::filesystem::remove(folder() / "OUT1.CSV");
        std::filesystem::remove(folder() / "OUT1.adi");

        QVERIFY(startMain() != nullptr);
        mainChild<QPushButton>("cmdHenkan")->click();
        QCOMPARE(mainText("lblMsg"), QStringLiteral("処理終了"));
        QCOMPARE(mainText("Label1"), QStringLiteral("変換処理が終了しました。　「終了」釦を押して下さい。"));
        QCOMPARE(Colour(mainChild("Label1")), QColor(0, 0, 255));
        QVERIFY(mainText("lblOutRec").startsWith(QStringLiteral("出力数 : ")));
        // The closing texts have the room they need.
        for (const char* name : {"lblMsg", "lblOutRec"}) {
            QTRY_VERIFY(mainChild(name)->width() >= mainChild(name)->sizeHint().width());
        }
        QVERIFY(mainChild<QPushButton>("cmdHenkan")->isEnabled());
        QVERIFY(!cliCsv.empty());
        QCOMPARE(test::ReadBytes(folder() / "OUT1.CSV"), cliCsv);
        const auto withoutLines2And3 = [](const std::string& adif) {
            const std::size_t second = adif.find("\r\n") + 2;
            const std::size_t fourth = adif.find("\r\n", adif.find("\r\n", second) + 2) + 2;
            return adif.substr(0, second) + adif.substr(fourth);
        };
        QCOMPARE(withoutLines2And3(test::ReadBytes(folder() / "OUT1.adi")), withoutLines2And3(cliAdif));
        QCOMPARE(m_state->adif_path(), folder() / "OUT1.adi");
    }

    void aFailedRunShowsItsReasonAndKeepsTheBookkeeping() {
        makeUsedFolder();
        JobSettings settings = Job("4", 1);
        settings.set_outcsv_dir = (folder() / "missing" / "OUT.CSV").string();
        settings.last_start_rec_no = "0";
        settings.last_end_rec_no = "0";
        saveJob(1, settings, "one");
        QVERIFY(startMain() != nullptr);
        const std::string before = ini(1);
        mainChild<QPushButton>("cmdHenkan")->click();
        QCOMPARE(mainText("lblMsg"), QStringLiteral("変換処理エラー"));
        QVERIFY(mainText("Label1").contains(QStringLiteral("OUT.CSV")));
        QCOMPARE(Colour(mainChild("Label1")), QColor(192, 0, 0));
        QCOMPARE(m_prompts.warnings, QStringList{mainText("Label1")});
        QCOMPARE(ini(1), before);
        QVERIFY(mainAction("mnuConfig")->isEnabled());
    }

    void theEndButtonSavesEveryPositionAndEnds() {
        makeUsedFolder();
        saveJob(1, Job("0", 1), "one");
        QVERIFY(startMain() != nullptr);
        mainChild<QPushButton>("cmdEnd")->click();
        QCOMPARE(m_ends, 1);
        QVERIFY(main() == nullptr && m_windows->config() == nullptr && m_windows->range() == nullptr);
        const std::string positions = test::ReadBytes(folder() / "zentu_posi.ini");
        for (const char* section : {"[Position_zentu]", "[Position_frmConfig]", "[Position_frmSet_hdb]"}) {
            QVERIFY2(positions.find(section) != std::string::npos, section);
        }
    }

    void theModeMenuOpensTheEditorWhoseBackBringsTheMainWindowThatReadsTheTableAgain() {
        makeUsedFolder();
        saveJob(1, Job("0", 1), "one");
        QVERIFY(startMain() != nullptr);
        QCOMPARE(m_state->mode_table().conv_mode_tbl("FT8"), std::string("FT8"));
        mainAction("mnuMode")->trigger();
        QVERIFY(main() == nullptr);
        QVERIFY(m_windows->modeEditor() != nullptr && m_windows->modeEditor()->isVisible());
        QCOMPARE(m_windows->modeEditor()->windowTitle(), QStringLiteral(" MODE 変換テーブルの設定"));

        test::WriteBytes(folder() / "mode_tbl.csv", "MFSK,FT8,,,\r\n");
        test::Find<QAction>(m_windows->modeEditor(), "mnuBack")->trigger();
        QVERIFY(m_windows->modeEditor() == nullptr);
        QVERIFY(main() != nullptr && main()->isVisible());
        QCOMPARE(m_state->mode_table().conv_mode_tbl("FT8"), std::string("MFSK"));
        QVERIFY(test::ReadBytes(folder() / "zentu_posi.ini").find("[Position_frmMode]") != std::string::npos);

        // Its close box brings the main window back as well.
        mainAction("mnuMode")->trigger();
        m_windows->modeEditor()->close();
        QVERIFY(main() != nullptr && main()->isVisible());
        QCOMPARE(m_ends, 0);
    }

    void theOutputMenusOpenOneViewerAndClosingTheLastWindowEnds() {
        makeUsedFolder();
        saveJob(1, Job("0", 1), "one");
        QVERIFY(startMain() != nullptr);
        // Nothing to show before a run: neither menu opens a viewer.
        mainAction("mnuDisp_ADIF")->trigger();
        mainAction("mnuDisp_CSV")->trigger();
        QVERIFY(m_windows->viewer() == nullptr);

        mainChild<QPushButton>("cmdHenkan")->click();
        mainAction("mnuDisp_CSV")->trigger();
        QPointer<frmDisp2> viewer = m_windows->viewer();
        QVERIFY(viewer != nullptr && viewer->isVisible());
        QCOMPARE(viewer->windowTitle(), Q((folder() / "OUT1.CSV").string()));
        QCOMPARE(viewer->listBox().items()->rowCount(), 250);
        // A second choice only brings the open viewer to the front: same window, same file.
        mainAction("mnuDisp_ADIF")->trigger();
        QCOMPARE(m_windows->viewer(), viewer.data());
        QCOMPARE(viewer->windowTitle(), Q((folder() / "OUT1.CSV").string()));

        // The viewer is a window of the program: the program ends when it is the last one closed.
        main()->close();
        m_windows->config()->close();
        m_windows->range()->close();
        QCOMPARE(m_ends, 0);
        viewer->close();
        QCOMPARE(m_ends, 1);
        QVERIFY(m_windows->viewer() == nullptr);
        QVERIFY(test::ReadBytes(folder() / "zentu_posi.ini").find("[Position_frmDisp2]") != std::string::npos);
    }

    void theQslButtonWritesTheListAndTellsHowManyLines() {
        makeUsedFolder();
        saveJob(1, Job("0", 1), "one");
#ifdef _WIN32
        // The fixed folder is C:\Hamlog on Windows: the test makes it where there is none (a test machine, Wine) and
        // removes it again, and never touches a user's.
        const std::filesystem::path hamlog = DefaultHamlogFiles::folder();
        if (std::filesystem::exists(hamlog)) {
            QSKIP("C:\\Hamlog exists: a user's folder, which the test must not change");
        }
        const std::shared_ptr<void> removeAfter(nullptr, [&hamlog](void*) {
            std::error_code ignored;
            std::filesystem::remove_all(hamlog, ignored);
        });
#else
        test::TempDir home;
        const QByteArray homeBefore = qgetenv("HOME");
        qputenv("HOME", QByteArray::fromStdString(home.path().string()));
        const std::shared_ptr<void> restoreHome(nullptr, [&homeBefore](void*) { qputenv("HOME", homeBefore); });
        const std::filesystem::path hamlog = home / "Hamlog";
#endif
        QVERIFY(startMain() != nullptr);

        mainChild<QPushButton>("Command1")->click();
        const QString input = Q((hamlog / "LOGLIST_0.csv").string());
        QCOMPARE(m_prompts.warnings.size(), 1);
        QVERIFY2(m_prompts.warnings[0].contains(input), qPrintable(m_prompts.warnings[0]));
        QVERIFY(mainText("lblMsg").isEmpty());

        std::filesystem::create_directories(hamlog);
        test::WriteBytes(hamlog / "LOGLIST_0.csv",
                         "JA1AA,1,2,3,4,5,6,7,8,,x\r\nJA1BB,1,2,3,4,5,6,7,8,JJJ,x\r\nshort,line\r\n");
        mainChild<QPushButton>("Command1")->click();
        QCOMPARE(mainText("lblMsg"), QStringLiteral("処理終了"));
        QCOMPARE(mainText("Label2"), QStringLiteral("1 行をコピーしました。列が 10 に満たない 1 行は飛ばしました。"));
        QCOMPARE(test::ReadBytes(hamlog / "LOGLIST_not_yet_qsl.csv"), std::string("JA1AA,1,2,3,4,5,6,7,8,,x\r\n"));
    }

    void theEnvironmentDialogRefusesPathsARunWouldRefuse() {
        makeUsedFolder();
        saveJob(1, Job("0", 1), "one");
        QVERIFY(start());
        const std::string before = ini(1);
        auto* output = configChild<QLineEdit>("txtSet_outcsv_dir");
        // An output that would replace the log: Save names both and stores nothing; the dialog keeps the text.
        output->setText(Q(log()));
        configChild<QPushButton>("cmdOK")->click();
        QCOMPARE(m_prompts.warnings.size(), 1);
        QVERIFY(m_prompts.warnings[0].contains(Q(log())));
        QVERIFY(m_prompts.warnings[0].contains(QStringLiteral("と同じファイルです")));
        QCOMPARE(ini(1), before);
        QVERIFY(m_windows->config() != nullptr && m_windows->config()->isVisible());
        QCOMPARE(output->text(), Q(log()));

        // A path longer than a job's file can hold is refused where it is typed, never cut.
        const QString fits = Q((folder() / std::string(200, 'o')).string());
        output->setText(fits);
        QTest::keyClicks(output, QString(255 - AnsiByteLength(U(fits)) + 1, QLatin1Char('x')));
        QCOMPARE(m_prompts.warnings.size(), 2);
        QVERIFY(m_prompts.warnings[1].contains(QStringLiteral("長すぎます")));
        QCOMPARE(AnsiByteLength(U(output->text())), 255);
        QVERIFY(output->text().startsWith(fits));
    }

    void theMainWindowShowsWhyAJobCannotRunAndKeepsItsRunButtonOff_data() {
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("info");
        QTest::addColumn<QString>("reason");
        QTest::newRow("output is the log")
            << "output" << QStringLiteral("入力数: 250 件") << QStringLiteral("と同じファイルです");
        QTest::newRow("log missing") << "log" << QStringLiteral("ログファイルが見つかりません")
                                     << QStringLiteral("を開けません（ファイルまたはフォルダーがありません）");
        QTest::newRow("range never saved")
            << "flag" << QStringLiteral("入力数: 250 件") << QStringLiteral("範囲設定が保存されていません。");
        QTest::newRow("no count") << "count" << QStringLiteral("入力数: 250 件") << QStringLiteral("set_rec_hani");
    }

    void theMainWindowShowsWhyAJobCannotRunAndKeepsItsRunButtonOff() {
        QFETCH(QString, problem);
        QFETCH(QString, info);
        QFETCH(QString, reason);
        makeUsedFolder();
        saveJob(1, Job("0", 1), "one");
        JobSettings settings = Job(problem == "flag" ? "" : problem == "count" ? "3" : "0", 2);
        if (problem == "output") {
            settings.set_outcsv_dir = log();
        } else if (problem == "log") {
            settings.set_hdb_dir = (folder() / "GONE.hdb").string();
        } else if (problem == "count") {
            settings.set_rec_hani = "0";
        }
        saveJob(2, settings, "two");
        QVERIFY(startMain() != nullptr);
        const std::string logBytes = test::ReadBytes(log());
        selectJob(2);
        QCOMPARE(mainText("lblInfo"), info);
        QVERIFY2(mainText("Label2").contains(reason), qPrintable(mainText("Label2")));
        QCOMPARE(Colour(mainChild("Label2")), QColor(192, 0, 0));
        QVERIFY(!mainChild<QPushButton>("cmdHenkan")->isEnabled());
        m_windows->mainWindow()->runJob();
        QVERIFY(!std::filesystem::exists(folder() / "OUT2.CSV"));
        QCOMPARE(test::ReadBytes(log()), logBytes);
    }

    void aNewAdditionsLogShorterThanItsLastRunWarnsAtSelectionAndDoesNotRun() {
        makeUsedFolder();
        JobSettings settings = Job("4", 2);
        settings.last_start_rec_no = "1";
        settings.last_end_rec_no = "300";
        settings.select_flag_new_add_last_QSO_data = "JA1X_05/01/01_11:00J_14.000_FT8_9";
        saveJob(2, settings, "two");
        saveJob(1, Job("0", 1), "one");
        QVERIFY(startMain() != nullptr);
        selectJob(2);
        QVERIFY(m_windows->msg() != nullptr && m_windows->msg()->isVisible());
        QVERIFY(!mainChild<QPushButton>("cmdHenkan")->isEnabled());
        QVERIFY(mainText("Label2").contains(QStringLiteral("（250 件）")));
    }

    void aRunOfABusyJobSaysSoAndChangesNothingAndARunTellsWhatItLeftOut() {
        makeUsedFolder();
        std::string error;
        QVERIFY(hamlog::CreateLog(log(), {Qso(1, "05/01/01"), Qso(2, "24/02/30"), Qso(3, "05/01/03")}, &error));
        saveJob(1, Job("0", 1), "one");
        QVERIFY(startMain() != nullptr);
        JobLock other;
        QVERIFY(other.acquire(folder(), 1, std::chrono::milliseconds(0), error));
        mainChild<QPushButton>("cmdHenkan")->click();
        QCOMPARE(mainText("lblMsg"), QStringLiteral("変換処理エラー"));
        QVERIFY(mainText("Label1").contains(QStringLiteral("ほかで実行中")));
        QCOMPARE(m_prompts.warnings, QStringList{mainText("Label1")});
        QVERIFY(!std::filesystem::exists(folder() / "OUT1.CSV"));
        other.release();

        mainChild<QPushButton>("cmdHenkan")->click();
        QCOMPARE(mainText("lblMsg"), QStringLiteral("処理終了"));
        QCOMPARE(mainText("Label2"),
                 QStringLiteral("日付または時刻が正しくないレコード 1 件は ADIF ファイルに入れていません"
                                "（CSV ファイルには出力しました。レコード番号 2）。"));
    }

    void duringARunTheWindowsArePaintedAndLockedAndIgnoreTheUser() {
        makeUsedFolder();
        std::string error;
        QVERIFY2(hamlog::CreateSyntheticLog(folder() / "BIG.hdb", 60000, 1, &error), error.c_str());
        JobSettings settings = Job("0", 1);
        settings.set_hdb_dir = (folder() / "BIG.hdb").string();
        saveJob(1, settings, "one");
        QVERIFY(startMain() != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(main()));
        auto* bar = mainChild<QProgressBar>("ProgressBar1");
        auto* name = mainChild<QLineEdit>("Text1");
        const QString nameBefore = name->text();
        const auto busy = [this] { return mainText("lblMsg") == QStringLiteral("変換処理中"); };

        // While the run works the timers fire and the bar is painted; the run button and the menus the run locks
        // stay disabled, and the end button and the job name box do not take the user's clicks and keys.
        int ticks = 0;
        int paints = 0;
        bool unlocked = false;
        test::PaintCounter counter(bar, [&] { paints += busy() ? 1 : 0; });
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&] {
            if (!busy()) {
                return;
            }
            ++ticks;
            for (const char* action : {"mnuConfig", "mnuSet_hani"}) {
                unlocked = unlocked || mainAction(action)->isEnabled();
            }
            unlocked = unlocked || mainChild<QPushButton>("cmdHenkan")->isEnabled() ||
                       mainChild<QMenu>("mnuDisp_out")->menuAction()->isEnabled();
            QTest::mouseClick(mainChild<QPushButton>("cmdEnd"), Qt::LeftButton);
            QTest::keyClicks(name, QStringLiteral("x"));
        });
        timer.start(5);
        mainChild<QPushButton>("cmdHenkan")->click();
        timer.stop();

        QVERIFY(ticks > 0);
        QVERIFY(paints > 0);
        QVERIFY(!unlocked);
        QCOMPARE(m_ends, 0);
        QCOMPARE(name->text(), nameBefore);
        QCOMPARE(mainText("lblMsg"), QStringLiteral("処理終了"));
        QCOMPARE(mainText("lblOutRec"), QStringLiteral("出力数 : 60000 件"));
        QVERIFY(mainChild<QPushButton>("cmdHenkan")->isEnabled());
        QVERIFY(mainAction("mnuConfig")->isEnabled());
    }

    void windowControlFindsTheProgramsOwnWindows() {
        makeUsedFolder();
        saveJob(1, Job("0", 1), "one");
        zentu* window = startMain();
        QVERIFY(window != nullptr);
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(window));
        ControlOtherWindow(nullptr, WindowAction::BringToFront, m_prompts);
        ControlOtherWindow(m_windows->range(), WindowAction::Restore, m_prompts);
        ControlOtherWindow(m_windows->range(), WindowAction::Close, m_prompts);
        QCOMPARE(m_prompts.notices, (QStringList{QStringLiteral("そのキャプション名のアプリは起動していません"),
                                                 QStringLiteral("そのアプリは最小化になっていません。")}));
        QVERIFY(m_windows->range() == nullptr);
    }
};

} // namespace zentu

QTEST_MAIN(zentu::ZentuWindowsTest)
#include "ZentuWindowsTest.moc"
