#include "ZentuHelpers.h"
#include "gui/UpDown.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

namespace zentu {

class ZentuPartsTest : public QObject {
    Q_OBJECT

private slots:
    void shortensALongPathForItsLabel_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("budget");
        QTest::addColumn<QString>("shown");
        const QString windows = QStringLiteral("C:\\Documents and Settings\\user\\My Documents\\Hamlog\\Hamlog.hdb");
        QTest::newRow("61 bytes into 48")
            << windows << 48 << QStringLiteral("C:\\Documents_and_Settings\\user\\My_...\\Hamlog.hdb");
        const QString fits = QStringLiteral("C:\\") + QString(39, QLatin1Char('a')) + QStringLiteral("\\b.hdb");
        QTest::newRow("48 bytes stay") << fits << 48 << fits;
        QTest::newRow("49 bytes are cut") << QStringLiteral("C:\\") + QString(40, QLatin1Char('a')) + "\\b.hdb" << 48
                                          << QStringLiteral("C:\\") + QString(36, QLatin1Char('a')) + "...\\b.hdb";
        QTest::newRow("tail longer than the room: the tail alone")
            << QStringLiteral("C:\\x\\") + QString(60, QLatin1Char('n')) << 48
            << QStringLiteral("...\\") + QString(60, QLatin1Char('n'));
        // Three bytes before the tail cut the second double-byte character in half, which is dropped.
        QTest::newRow("half character dropped")
            << QStringLiteral("ログログ\\abcdefgh") << 15 << QStringLiteral("ロ...\\abcdefgh");
        QTest::newRow("spaces") << QStringLiteral("C:\\ハム　ログ\\a b.hdb") << 20
                                << QStringLiteral("C:\\ハム_...\\a_b.hdb");
    }

    void shortensALongPathForItsLabel() {
        QFETCH(QString, path);
        QFETCH(int, budget);
        QFETCH(QString, shown);
        QCOMPARE(Q(ShortenPathForDisplay(U(path), budget, '\\')), shown);
    }

    void spreadsADateOverItsPattern() {
        QCOMPARE(SpacedDate("20040101"), std::string("2 0 0 4 / 0 1 / 0 1 "));
        QCOMPARE(SpacedDate(""), std::string(8, ' ') + "/ " + std::string(4, ' ') + "/ " + std::string(4, ' '));
        QCOMPARE(SpacedDate("2004011"), std::string("  2 0 0 / 4 0 / 1 1 "));
    }

    void aFolderThatCannotBeMadeIsToldWithTheCauseOfItsCreation() {
        // Where folders may not be made, the cause is that, not a missing parent (the check that follows the failed
        // creation finds nothing there either). /sys refuses new folders even to the administrator.
        const std::filesystem::path refused = "/sys/zentu-test-folder";
        std::error_code code;
        if (!std::filesystem::is_directory("/sys") || std::filesystem::create_directory(refused, code) ||
            code == std::errc::no_such_file_or_directory) {
            std::filesystem::remove(refused, code);
            QSKIP("a place that refuses new folders (/sys on Linux)");
        }
        std::string reason;
        QVERIFY(!EnsureFolder(refused, &reason));
        QCOMPARE(reason, FileErrorText(code));
        QVERIFY(reason != FileErrorText(std::make_error_code(std::errc::no_such_file_or_directory)));
    }

    void spinnerStepsWithinItsRangeAndFollowsItsBox() {
        QLineEdit box;
        UpDown spinner;
        spinner.setMinimum(1);
        spinner.setMaximum(12);
        SpinnerBinding binding(&box, &spinner, SpinnerBinding::TwoDigits, true);
        QSignalSpy changes(&spinner, &UpDown::valueChanged);

        spinner.setValue(9);
        QCOMPARE(box.text(), QStringLiteral("09"));
        spinner.stepUp();
        QCOMPARE(box.text(), QStringLiteral("10"));
        spinner.setValue(12);
        spinner.stepUp();
        QCOMPARE(spinner.value(), 12);
        QVERIFY(!spinner.setValue(13));
        QCOMPARE(changes.count(), 3);

        // The box moves the spinner (rounded half to even) but is not written back.
        box.setText(QStringLiteral("2.5"));
        QCOMPARE(spinner.value(), 2);
        QCOMPARE(box.text(), QStringLiteral("2.5"));
        // A text the spinner cannot hold is shown clamped, silently; the text stays.
        box.setText(QStringLiteral("40"));
        QCOMPARE(spinner.value(), 12);
        QCOMPARE(box.text(), QStringLiteral("40"));
        QCOMPARE(changes.count(), 4);
        // The user's next step starts from the clamped value and writes the box.
        spinner.stepDown();
        QCOMPARE(box.text(), QStringLiteral("11"));
    }
};

} // namespace zentu

QTEST_MAIN(zentu::ZentuPartsTest)
#include "ZentuPartsTest.moc"
