// The ADIF 3.1 option in the environment dialog, and what the main window shows after a run that left records out
// of the ADIF file.

#include "ZentuWindowsFixture.h"

#include "frmConfig.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace zentu {

class AdifOptionTest : public QObject, protected ZentuWindowsFixture {
    Q_OBJECT

    static QColor Colour(QWidget* widget) { return widget->palette().color(QPalette::WindowText); }

private slots:
    void init() {
        m_prompts = ScriptedPrompts{};
        makeProgramFolder();
        makeUsedFolder();
    }

    void cleanup() {
        m_windows.reset();
        m_state.reset();
        m_dir.reset();
    }

    void theOptionIsUsableWithAdifAndItsCallSignsTakeOnlyWhatAdifHolds() {
        JobSettings settings = Job("0", 1);
        settings.adif_out = "0";
        saveJob(1, settings, "one");
        const std::string before = ini(1);
        QVERIFY(startMain() != nullptr);
        auto* adif = configChild<QCheckBox>("Check1");
        auto* v31 = configChild<QCheckBox>("Check2");
        auto* station = configChild<QLineEdit>("Text2");
        auto* op = configChild<QLineEdit>("Text3");
        QVERIFY(!v31->isEnabled());
        QVERIFY(!station->isEnabled());

        // ADIF on: the option can be chosen, its call signs once it is.
        adif->click();
        QVERIFY(v31->isEnabled());
        QVERIFY(!station->isEnabled());
        v31->click();
        QVERIFY(station->isEnabled() && op->isEnabled());
        QCOMPARE(Colour(v31), QColor(0, 0, 255));
        JobSettings stored;
        QVERIFY(LoadJobSettings(folder(), 1, stored));
        QCOMPARE(stored.adif_v31, std::string("1"));

        // A blank or a character that is not ASCII is refused where it is typed.
        QTest::keyClicks(station, QStringLiteral("JA1ZZZ/1 "));
        QCOMPARE(station->text(), QStringLiteral("JA1ZZZ/1"));
        QCOMPARE(m_prompts.warnings.size(), 1);
        QVERIFY(m_prompts.warnings.first().contains(QStringLiteral("空白")));
        op->insert(QStringLiteral("ＪＡ"));
        QCOMPARE(op->text(), QString());
        QCOMPARE(m_prompts.warnings.size(), 2);
        QTest::keyClicks(op, QStringLiteral("JA1ABC"));
        configChild<QPushButton>("cmdOK")->click();
        QVERIFY(LoadJobSettings(folder(), 1, stored));
        QCOMPARE(stored.station_callsign, std::string("JA1ZZZ/1"));
        QCOMPARE(stored.operator_callsign, std::string("JA1ABC"));

        // Shown again, the dialog holds them; ADIF off again: they are kept but cannot be changed.
        selectJob(1);
        QVERIFY(configChild<QCheckBox>("Check2")->isChecked());
        QCOMPARE(configChild<QLineEdit>("Text3")->text(), QStringLiteral("JA1ABC"));
        adif = configChild<QCheckBox>("Check1");
        adif->click();
        QVERIFY(!configChild<QCheckBox>("Check2")->isEnabled());
        QVERIFY(!configChild<QLineEdit>("Text2")->isEnabled());
        QVERIFY(before != ini(1));
    }

    void aSaveOfADialogThatNeverTouchedTheOptionKeepsTheSettingsFileAsItWas() {
        JobSettings settings = Job("0", 1);
        settings.zentu_arun_end_time = "3"; // the dialog fills a blank wait with 3
        saveJob(1, settings, "one");
        const std::string before = ini(1);
        QVERIFY(startMain() != nullptr);
        configChild<QCheckBox>("Check1")->click();
        configChild<QCheckBox>("Check1")->click();
        configChild<QPushButton>("cmdOK")->click();
        QCOMPARE(ini(1), before);
    }

    void theOutputCountTellsTheRecordsLeftOutOfTheAdifFileInTheWarningColour() {
        std::string error;
        hamlog::LogRecord noCall = Qso(2, "05/01/02");
        noCall.fields[0].clear();
        QVERIFY(hamlog::CreateLog(log(), {Qso(1, "05/01/01"), noCall, Qso(3, "24/02/30"), Qso(4, "05/01/04")}, &error));
        JobSettings settings = Job("0", 1);
        settings.adif_v31 = "1";
        saveJob(1, settings, "one");
        QVERIFY(startMain() != nullptr);
        mainChild<QPushButton>("cmdHenkan")->click();
        QCOMPARE(mainText("lblMsg"), QStringLiteral("処理終了"));
        QCOMPARE(mainText("lblOutRec"), QStringLiteral("出力数 : 4 件　（ADIF に入れなかったレコード 2 件）"));
        QCOMPARE(Colour(mainChild("lblOutRec")), QColor(192, 0, 0));
        QVERIFY(mainText("Label2").contains(QStringLiteral("コールサインがない 1 件")));

        // A run that leaves nothing out shows the count as before, in light blue.
        QVERIFY(hamlog::CreateLog(log(), {Qso(1, "05/01/01")}, &error));
        selectJob(1);
        mainChild<QPushButton>("cmdHenkan")->click();
        QCOMPARE(mainText("lblOutRec"), QStringLiteral("出力数 : 1 件"));
        QCOMPARE(Colour(mainChild("lblOutRec")), QColor(0, 0, 255));
    }
};

} // namespace zentu

QTEST_MAIN(zentu::AdifOptionTest)
#include "AdifOptionTest.moc"
