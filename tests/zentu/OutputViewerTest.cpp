#include "LineListModel.h"
#include "ToolsTestSupport.h"
#include "frmDisp2.h"

#include "gui/PositionStore.h"
#include "settings/CIniFile.h"

#include "TestSupport.h"
#include "WidgetFinder.h"

#include <QAction>
#include <QListView>
#include <QScrollBar>
#include <QtTest>

#include <memory>

namespace zentu {

class OutputViewerTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> m_dir;
    PositionStore m_positions;
    test::ScriptedPrompts m_prompts;
    std::unique_ptr<frmDisp2> m_viewer;

    std::filesystem::path file() const { return m_dir->path() / "OUT.CSV"; }

    void open(const std::string& bytes) {
        test::WriteBytes(file(), bytes);
        m_viewer = std::make_unique<frmDisp2>(ToolContext{m_dir->path(), m_positions, m_prompts}, file());
        m_viewer->load();
        m_viewer->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_viewer.get()));
    }

    QListView* list() { return test::Find<QListView>(m_viewer.get(), "List1"); }
    int width(const QString& text) { return QFontMetrics(list()->font()).horizontalAdvance(text + QLatin1Char(' ')); }

private slots:
    void init() {
        m_dir = std::make_unique<test::TempDir>();
        m_prompts = test::ScriptedPrompts();
    }
    void cleanup() {
        m_viewer.reset();
        m_dir.reset();
    }

    void showsTheLinesDecodedWithUndecodableBytesVisible() {
        open("\"JA1AA\",\"" + test::Sjis("山田") + "\"\r\nbad \x82\x20 byte\nlast");
        QCOMPARE(m_viewer->windowTitle(), QString::fromStdString(file().string()));
        const LineListModel* items = m_viewer->listBox().items();
        QCOMPARE(items->rowCount(), 3);
        QCOMPARE(items->lineText(0), QStringLiteral("\"JA1AA\",\"山田\""));
        QCOMPARE(items->lineText(1), QStringLiteral("bad \uFFFD  byte"));
        QCOMPARE(items->lineText(2), QStringLiteral("last"));
        QCOMPARE(list()->palette().color(QPalette::Base), QColor(0, 128, 128));
        QCOMPARE(list()->palette().color(QPalette::Text), QColor(Qt::white));
        QCOMPARE(test::Find<QAction>(m_viewer.get(), "mnuBack")->text(), QStringLiteral("戻る"));
        QVERIFY(m_prompts.notices.isEmpty() && m_prompts.warnings.isEmpty());
    }

    void setsNoExtentWhenEveryLineFits() {
        open("short\r\n" + test::Sjis("短い行") + "\r\n");
        QCOMPARE(m_viewer->listBox().MaxItemWidth(), width(QStringLiteral("短い行")));
        QCOMPARE(m_viewer->listBox().extent(), 0);
        QCOMPARE(list()->horizontalScrollBar()->maximum(), 0);
    }

    void aLineWiderThanTheListSetsTheExtentToItsWidth() {
        const QString wide = QStringLiteral("\"JA1AA\",\"日本語の長い備考\",") + QString(200, QLatin1Char('x'));
        open("short\r\n" + test::Sjis(wide.toStdString()) + "\r\nshort again\r\n");
        const int extent = width(wide);
        QCOMPARE(m_viewer->listBox().MaxItemWidth(), extent);
        QCOMPARE(m_viewer->listBox().extent(), extent);
        QTRY_COMPARE(list()->horizontalScrollBar()->maximum(), extent - list()->viewport()->width());

        // A later resize does not recompute it.
        m_viewer->resize(m_viewer->width() + 400, m_viewer->height());
        QCOMPARE(m_viewer->listBox().extent(), extent);
    }

    void anEmptyFileIsAnEmptyList() {
        open("");
        QCOMPARE(m_viewer->listBox().items()->rowCount(), 0);
        QCOMPARE(m_viewer->listBox().extent(), 0);
        QVERIFY(m_prompts.notices.isEmpty() && m_prompts.warnings.isEmpty());
    }

    void theListFollowsTheWindowAndNeverGetsANegativeSize() {
        open("a\r\n");
        QWidget* inner = m_viewer->centralWidget();
        QTRY_COMPARE(list()->width(), inner->width() - 13); // 200 twips less, at 15 twips a pixel
        QCOMPARE(list()->x(), 8);
        inner->resize(5, 5); // smaller than the list's margins
        QCOMPARE(list()->size(), QSize(0, 0));
    }

    void closingInAnyWayStoresThePosition() {
        open("a\r\n");
        m_viewer->close();
        CIniFile positions;
        positions.Load(m_dir->path() / "zentu_posi.ini");
        positions.NowSection(frmDisp2::kPositionSection);
        QCOMPARE(positions.Data("WindowState"), std::string("0"));
        QVERIFY(!positions.Data("Width").empty());
    }
};

int test::RunOutputViewerTests(int argc, char** argv) {
    OutputViewerTest test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace zentu

#include "OutputViewerTest.moc"
