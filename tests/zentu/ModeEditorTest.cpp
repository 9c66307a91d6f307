#include "ToolsTestSupport.h"
#include "frmMode.h"

#include "gui/PositionStore.h"
#include "settings/CIniFile.h"
#include "text/Cp932Codec.h"

#include "TestSupport.h"
#include "WidgetFinder.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QtTest>

#include <memory>

namespace zentu {

class ModeEditorTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> m_dir;
    PositionStore m_positions;
    test::ScriptedPrompts m_prompts;
    std::unique_ptr<frmMode> m_editor;
    int m_backs = 0;

    std::filesystem::path table() const { return m_dir->path() / "mode_tbl.csv"; }

    void open(const std::string& file) {
        test::WriteBytes(table(), file);
        openAsIs();
    }

    void openAsIs() {
        m_editor = std::make_unique<frmMode>(ToolContext{m_dir->path(), m_positions, m_prompts}, [this] { ++m_backs; });
        m_editor->load();
        m_editor->show();
        m_editor->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_editor.get()));
        grid()->setFocus();
    }

    QTableWidget* grid() { return test::Find<QTableWidget>(m_editor.get(), "MSFlexGrid1"); }
    QLineEdit* box() { return test::Find<QLineEdit>(m_editor.get(), "Text1"); }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    // A character as the keyboard or an input method delivers it: a key press carrying the text.
    void type(const QString& text) {
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, text, Qt::NoModifier);
    }
    void trigger(const char* menu) { test::Find<QAction>(m_editor.get(), menu)->trigger(); }
    QStringList savedLines() {
        return QString::fromStdString(Cp932Codec::decodeLossy(test::ReadBytes(table()))).split(QStringLiteral("\r\n"));
    }
    QPoint cell() { return {m_editor->Row(), m_editor->Col()}; }

private slots:
    void init() {
        m_dir = std::make_unique<test::TempDir>();
        m_prompts = test::ScriptedPrompts();
        m_backs = 0;
    }
    void cleanup() {
        m_editor.reset();
        m_dir.reset();
    }

    void showsTheTableWithHeadsAndALeadingSpace() {
        open("SSB,USB,LSB,,\r\nCW, cw ,\" x \",,\r\n");
        QCOMPARE(m_editor->windowTitle(), QStringLiteral(" MODE 変換テーブルの設定"));
        QCOMPARE(test::Find<QLabel>(m_editor.get(), "Label3")->text(),
                 QStringLiteral("MODE 変換テーブル    ADIF <-- Hamlog "));
        const QStringList heads{" ADIF", "   1", "   2", "   3", "   4"};
        for (int col = 0; col <= 4; ++col) {
            QCOMPARE(m_editor->TextMatrix(0, col), heads[col]);
        }
        QCOMPARE(m_editor->TextMatrix(1, 0), QStringLiteral(" SSB"));
        QCOMPARE(m_editor->TextMatrix(1, 1), QStringLiteral(" USB"));
        QCOMPARE(m_editor->TextMatrix(2, 1), QStringLiteral(" cw")); // shown as read: not upper-cased
        QCOMPARE(m_editor->TextMatrix(2, 2), QStringLiteral("  x "));
        QCOMPARE(m_editor->TextMatrix(36, 4), QStringLiteral(" "));
        QCOMPARE(cell(), QPoint(36, 4));
        QVERIFY(!box()->isVisible());
        QVERIFY(m_prompts.notices.isEmpty() && m_prompts.warnings.isEmpty());
    }

    void aTypedLetterIsStoredInUpperCaseAndEnterMovesRight() {
        open("SSB,USB,LSB,,\r\n");
        m_editor->setCurrentCell(1, 3);
        QTest::keyClick(grid(), 'r');
        QVERIFY(box()->isVisible());
        QCOMPARE(box()->text(), QStringLiteral("r"));
        QCOMPARE(box()->cursorPosition(), 1);
        key(Qt::Key_Return);
        QCOMPARE(m_editor->TextMatrix(1, 3), QStringLiteral(" R"));
        QCOMPARE(cell(), QPoint(1, 4));
        QVERIFY(!box()->isVisible());
        QVERIFY(grid()->hasFocus());

        type(QStringLiteral("ア"));
        QCOMPARE(box()->text(), QStringLiteral("ア"));
        QTest::keyClicks(box(), QStringLiteral("m "));
        key(Qt::Key_Enter);
        QCOMPARE(m_editor->TextMatrix(1, 4), QStringLiteral(" アM"));
        QCOMPARE(cell(), QPoint(2, 1));

        trigger("mnuSave");
        QCOMPARE(test::ReadBytes(table()).substr(0, 17), "SSB,USB,LSB,R," + test::Sjis("アM"));
    }

    void enterOpensTheCellTextAndEscLeavesTheCell() {
        open("SSB,USB,LSB,,\r\n");
        m_editor->setCurrentCell(1, 1);
        key(Qt::Key_Return);
        QCOMPARE(box()->text(), QStringLiteral(" USB"));
        QCOMPARE(box()->cursorPosition(), 4);
        QTest::keyClicks(box(), QStringLiteral("x"));
        key(Qt::Key_Escape);
        QCOMPARE(m_editor->TextMatrix(1, 1), QStringLiteral(" USB"));
        QCOMPARE(cell(), QPoint(1, 1));
        QVERIFY(!box()->isVisible());

        for (const auto opener : {Qt::Key_F2, Qt::Key_Space}) {
            key(opener);
            QCOMPARE(box()->text(), QStringLiteral(" USB"));
            key(Qt::Key_Escape);
        }
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualRect(grid()->currentIndex()).center());
        QCOMPARE(box()->text(), QStringLiteral(" USB"));
        key(Qt::Key_Escape);

        // An input method's composition opens the box on the cell's text and goes on in the box.
        QInputMethodEvent composing(QStringLiteral("も"), {});
        QApplication::sendEvent(grid(), &composing);
        QVERIFY(box()->isVisible());
        QInputMethodEvent committed;
        committed.setCommitString(QStringLiteral("モ"));
        QApplication::sendEvent(box(), &committed);
        QCOMPARE(box()->text(), QStringLiteral(" USBモ"));
    }

    void editBoxKeysCommitAndMove_data() {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<QPoint>("to");
        QTest::newRow("Enter") << QPoint(5, 2) << int(Qt::Key_Return) << QPoint(5, 3);
        QTest::newRow("Enter in the last column") << QPoint(5, 4) << int(Qt::Key_Return) << QPoint(6, 1);
        QTest::newRow("Enter in the last cell") << QPoint(36, 4) << int(Qt::Key_Return) << QPoint(36, 4);
        QTest::newRow("Tab in the last column") << QPoint(5, 4) << int(Qt::Key_Tab) << QPoint(6, 1);
        QTest::newRow("Up") << QPoint(5, 2) << int(Qt::Key_Up) << QPoint(4, 2);
        QTest::newRow("Up in row 1") << QPoint(1, 3) << int(Qt::Key_Up) << QPoint(1, 3);
        QTest::newRow("Down") << QPoint(5, 2) << int(Qt::Key_Down) << QPoint(6, 2);
        QTest::newRow("Down in row 36") << QPoint(36, 3) << int(Qt::Key_Down) << QPoint(36, 3);
    }

    void editBoxKeysCommitAndMove() {
        QFETCH(QPoint, from);
        QFETCH(int, key);
        QFETCH(QPoint, to);
        open("");
        m_editor->setCurrentCell(from.x(), from.y());
        grid()->scrollTo(grid()->currentIndex());
        QTest::keyClick(grid(), 'a');
        this->key(Qt::Key(key));
        QCOMPARE(m_editor->TextMatrix(from.x(), from.y()), QStringLiteral(" A"));
        QCOMPARE(cell(), to);
        QVERIFY(!box()->isVisible());
        QVERIFY(grid()->hasFocus());
    }

    void tabAndShiftTabOnTheGridMoveThroughTheTraps_data() {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<bool>("back");
        QTest::addColumn<QPoint>("to");
        QTest::newRow("Tab") << QPoint(2, 2) << false << QPoint(2, 3);
        QTest::newRow("Tab at the row's end") << QPoint(2, 4) << false << QPoint(3, 1);
        QTest::newRow("Tab in the last cell") << QPoint(36, 4) << false << QPoint(36, 4);
        QTest::newRow("Shift+Tab") << QPoint(2, 2) << true << QPoint(2, 1);
        QTest::newRow("Shift+Tab at the row's start") << QPoint(3, 1) << true << QPoint(2, 4);
        QTest::newRow("Shift+Tab in the first cell") << QPoint(1, 1) << true << QPoint(1, 1);
    }

    void tabAndShiftTabOnTheGridMoveThroughTheTraps() {
        QFETCH(QPoint, from);
        QFETCH(bool, back);
        QFETCH(QPoint, to);
        open("");
        m_editor->setCurrentCell(from.x(), from.y());
        key(back ? Qt::Key_Backtab : Qt::Key_Tab, back ? Qt::ShiftModifier : Qt::NoModifier);
        QCOMPARE(cell(), to);
        QVERIFY(grid()->hasFocus());
    }

    void refusesTextTheTableFileCannotHold() {
        open("SSB,USB,,,\r\n");
        m_editor->setCurrentCell(1, 2);
        type(QStringLiteral("한"));
        QVERIFY(!box()->isVisible());
        QCOMPARE(m_prompts.warnings.size(), 1);

        QTest::keyClick(grid(), 'f');
        QTest::keyClicks(box(), QStringLiteral("t,8"));
        type(QStringLiteral("한"));
        QCOMPARE(box()->text(), QStringLiteral("ft8"));
        QCOMPARE(m_prompts.warnings.size(), 3);
        key(Qt::Key_Return);
        QCOMPARE(m_editor->TextMatrix(1, 2), QStringLiteral(" FT8"));
    }

    void savesThirtySixRowsWholeAndLeavesAnOpenBoxOut() {
        std::string ten;
        for (int row = 1; row <= 10; ++row) {
            ten += "M" + std::to_string(row) + ",a" + std::to_string(row) + ",,,\r\n";
        }
        open(ten + "\"TWO,PART\",X,,,\r\n");
        m_editor->setCurrentCell(1, 4);
        QTest::keyClick(grid(), 'z'); // still open when the table is saved
        trigger("mnuSave");
        QVERIFY(box()->isVisible());
        const QStringList lines = savedLines();
        QCOMPARE(lines.size(), 37); // 36 lines, each ended by CR LF
        QCOMPARE(lines[0], QStringLiteral("M1,a1,,,"));
        QCOMPARE(lines[10], QStringLiteral("\"TWO,PART\",X,,,"));
        for (int row = 11; row < 36; ++row) {
            QCOMPARE(lines[row], QStringLiteral(",,,,"));
        }
        QVERIFY(m_prompts.notices.isEmpty() && m_prompts.warnings.isEmpty());

        std::string many;
        for (int row = 1; row <= 45; ++row) {
            many += "R" + std::to_string(row) + ",,,,\r\n";
        }
        open(many);
        trigger("mnuSave");
        QCOMPARE(savedLines().size(), 37);
        QCOMPARE(savedLines()[35], QStringLiteral("R36,,,,"));
    }

    void reportsAMissingTableAndAFailedSave() {
        openAsIs();
        QTRY_COMPARE(m_prompts.warnings.size(), 1);
        QVERIFY(m_prompts.warnings[0].contains(QString::fromStdString(table().string())));
        QCOMPARE(m_editor->TextMatrix(1, 0), QStringLiteral(" "));

        m_prompts.warnings.clear();
        std::filesystem::create_directory(table()); // a folder where the file should be
        trigger("mnuSave");
        QCOMPARE(m_prompts.warnings.size(), 1);
        QVERIFY(m_prompts.warnings[0].contains(QString::fromStdString(table().string())));
    }

    void backStoresThePositionAndTheTitleBarDoesNot() {
        open("");
        trigger("mnuBack");
        QCOMPARE(m_backs, 1);
        QVERIFY(!m_editor->isVisible());
        CIniFile positions;
        positions.Load(m_dir->path() / "zentu_posi.ini");
        positions.NowSection(frmMode::kPositionSection);
        QCOMPARE(positions.Data("WindowState"), std::string("0"));

        std::filesystem::remove(m_dir->path() / "zentu_posi.ini");
        open("");
        m_editor->close();
        QCOMPARE(m_backs, 2);
        QVERIFY(!std::filesystem::exists(m_dir->path() / "zentu_posi.ini"));
    }

    void anEditBeginsWhereTheUserCanSeeItAndTheLongestNameFits() {
        open("DIGITALVOICE,DV,,,\r\n");
        // The current cell starts at the last row, below the rows shown: typing brings it into view.
        QCOMPARE(cell(), QPoint(36, 4));
        QTest::keyClick(grid(), 'x');
        QVERIFY(box()->isVisible());
        QVERIFY(grid()->viewport()->rect().contains(grid()->visualRect(grid()->currentIndex())));
        const QHeaderView* names = grid()->verticalHeader();
        QVERIFY(names->width() > names->fontMetrics().horizontalAdvance(m_editor->TextMatrix(1, 0)));
    }

    void aTableNamedInOtherLettersIsShownAndSavedUnderItsOwnName() {
        test::WriteBytes(m_dir->path() / "MODE_TBL.CSV", "SSB,USB,,,\r\n");
        openAsIs();
        QCOMPARE(m_editor->TextMatrix(1, 1), QStringLiteral(" USB"));
        trigger("mnuSave");
        QVERIFY(m_prompts.warnings.isEmpty());
        QCOMPARE(std::distance(std::filesystem::directory_iterator(m_dir->path()), {}), 1);
        QVERIFY(test::ReadBytes(m_dir->path() / "MODE_TBL.CSV").starts_with("SSB,USB,,,\r\n,,,,\r\n"));
    }

    void helpShowsTheExplanation() {
        open("");
        trigger("mnuEditHelp");
        QCOMPARE(m_prompts.informed.size(), 2);
        QCOMPARE(m_prompts.informed[0], QStringLiteral("　　説明"));
        const QStringList lines = m_prompts.informed[1].split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 18);
        QCOMPARE(lines[0], QStringLiteral("　　　　　　　「モード変換テーブルの説明」"));
        QCOMPARE(lines[9], QStringLiteral("編集するセルにカーソルを合わせて 「 Ｅｎｔｅｒ 」 キーを押して下さい。"));
        QCOMPARE(lines[15], QStringLiteral("「 Ｅｎｔｅｒ 」 キーを押せば確定します。"));
    }
};

int test::RunModeEditorTests(int argc, char** argv) {
    ModeEditorTest test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace zentu

#include "ModeEditorTest.moc"
