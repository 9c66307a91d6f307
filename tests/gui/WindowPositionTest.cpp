#include "gui/PositionStore.h"
#include "gui/WindowRect.h"
#include "settings/CIniFile.h"
#include "settings/ProfileFile.h"

#include "TestSupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QtTest>

#include <cmath>
#include <string>
#include <vector>

namespace zentu {

namespace {

constexpr QRect kPlacement(100, 50, 640, 480);

std::string twips(int pixels, double twipsPerPixel) {
    return FormatSingle(static_cast<float>(pixels * twipsPerPixel));
}

} // namespace

class WindowPositionTest : public QObject {
    Q_OBJECT

private:
    std::filesystem::path positionFile() const { return m_dir->path() / std::string(kPositionFileName); }

    std::string stored(std::string_view section, std::string_view key) const {
        CIniFile ini;
        ini.Load(positionFile());
        ini.NowSection(section);
        return ini.Data(key);
    }

    void writeSection(std::string_view lines) const {
        test::WriteBytes(positionFile(), "[Config]\r\nversion=0.25\r\n\r\n[Position_frmMode]\r\n" + std::string(lines));
    }

    std::unique_ptr<test::TempDir> m_dir;
    PositionStore m_store;

private slots:
    void init() { m_dir = std::make_unique<test::TempDir>(); }
    void cleanup() { m_dir.reset(); }

    void convertsAPixelRectangleToTwips() {
        const WindowRectTwips rect = PixelRectToTwips(QRect(QPoint(100, 50), QPoint(739, 529)), {15.0, 15.0});
        QCOMPARE(rect.Left, 1500.0F);
        QCOMPARE(rect.Top, 750.0F);
        QCOMPARE(rect.Width, 9600.0F);
        QCOMPARE(rect.Height, 7200.0F);

        const WindowRectTwips wide = PixelRectToTwips(QRect(3, 0, 10, 10), {10.0, 20.0});
        QCOMPARE(wide.Left, 30.0F);
        QCOMPARE(wide.Height, 200.0F);
    }

    void formatsNumbersWithSevenSignificantDigits() {
        QCOMPARE(FormatSingle(9600.0F), std::string("9600"));
        QCOMPARE(FormatSingle(-1500.0F), std::string("-1500"));
        QCOMPARE(FormatSingle(1234.5F), std::string("1234.5"));
        QCOMPARE(FormatSingle(12345.678F), std::string("12345.68"));
        QCOMPARE(FormatSingle(1234567.0F), std::string("1234567"));
        QCOMPARE(FormatSingle(123456789.0F), std::string("1.234568E+08"));
        QCOMPARE(FormatSingle(-0.0F), std::string("0"));
    }

    void keepsEveryRectangleWhollyOnOneScreen_data() {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<QRect>("placed");
        // Screens: the primary one's area without its task bar, and a second one at its right.
        QTest::newRow("inside the second screen") << QRect(1200, 100, 300, 200) << QRect(1200, 100, 300, 200);
        QTest::newRow("title bar above the primary screen") << QRect(-250, -150, 300, 200) << QRect(0, 0, 300, 200);
        QTest::newRow("right of every screen") << QRect(2666, 50, 300, 200) << QRect(500, 50, 300, 200);
        QTest::newRow("far below") << QRect(-900, 9000, 300, 200) << QRect(0, 370, 300, 200);
        QTest::newRow("under the task bar") << QRect(100, 500, 300, 200) << QRect(100, 370, 300, 200);
        QTest::newRow("straddling, title on the second") << QRect(700, 300, 300, 200) << QRect(800, 300, 300, 200);
        QTest::newRow("larger than the primary area") << QRect(5000, 5000, 1000, 900) << QRect(0, 0, 800, 570);
        QTest::newRow("larger than the second screen") << QRect(900, 10, 3000, 3000) << QRect(800, 0, 1024, 768);
    }

    void keepsEveryRectangleWhollyOnOneScreen() {
        QFETCH(QRect, stored);
        QFETCH(QRect, placed);
        const QList<QRect> areas{QRect(0, 0, 800, 570), QRect(800, 0, 1024, 768)};
        QCOMPARE(PullOntoScreen(stored, areas), placed);
        QCOMPARE(PullOntoScreen(stored, {}), stored);
    }

    void savedWindowReopensAtTheSameNormalRectangle() {
        QWidget window;
        window.setGeometry(kPlacement);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        SaveWindowPosition(m_store, window, m_dir->path(), kPositionZentu);

        const TwipsPerPixel scale = ScreenTwipsPerPixel(window);
        QCOMPARE(stored(kPositionZentu, kKeyWindowState), std::string("0"));
        QCOMPARE(stored(kPositionZentu, kKeyLeft), twips(100, scale.x));
        QCOMPARE(stored(kPositionZentu, kKeyHeight), twips(480, scale.y));

        QWidget reopened;
        RestoreWindowPosition(m_store, reopened, m_dir->path(), kPositionZentu);
        reopened.show();
        QVERIFY(QTest::qWaitForWindowExposed(&reopened));
        QCOMPARE(reopened.geometry(), kPlacement);
        QCOMPARE(reopened.windowState(), Qt::WindowNoState);
    }

    void maximisedOrMinimisedWindowStoresItsNormalRectangle_data() {
        QTest::addColumn<bool>("maximise");
        QTest::addColumn<QString>("state");
        QTest::newRow("maximised") << true << "2";
        QTest::newRow("minimised") << false << "0";
    }

    void maximisedOrMinimisedWindowStoresItsNormalRectangle() {
        QFETCH(bool, maximise);
        QFETCH(QString, state);
        QWidget window;
        window.setGeometry(kPlacement);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (maximise) {
            window.showMaximized();
            QTRY_VERIFY(window.isMaximized());
            QTRY_VERIFY(window.geometry() != kPlacement);
        } else {
            window.showMinimized();
            QTRY_VERIFY(window.isMinimized());
        }
        SaveWindowPosition(m_store, window, m_dir->path(), kPositionFrmConfig);

        const TwipsPerPixel scale = ScreenTwipsPerPixel(window);
        QCOMPARE(stored(kPositionFrmConfig, kKeyWindowState), state.toStdString());
        QCOMPARE(stored(kPositionFrmConfig, kKeyLeft), twips(100, scale.x));
        QCOMPARE(stored(kPositionFrmConfig, kKeyTop), twips(50, scale.y));
        QCOMPARE(stored(kPositionFrmConfig, kKeyWidth), twips(640, scale.x));
        QCOMPARE(stored(kPositionFrmConfig, kKeyHeight), twips(480, scale.y));
    }

    void storedSizesBecomeTheNormalPlacementWhateverTheState_data() {
        QTest::addColumn<bool>("designedMaximised");
        QTest::addColumn<QString>("stateLine");
        QTest::addColumn<bool>("maximised");
        QTest::newRow("stored maximised") << false << "WindowState=2\r\n" << true;
        QTest::newRow("designed maximised, no stored state") << true << "" << true;
        QTest::newRow("designed maximised, stored normal") << true << "WindowState=0\r\n" << false;
    }

    void storedSizesBecomeTheNormalPlacementWhateverTheState() {
        QFETCH(bool, designedMaximised);
        QFETCH(QString, stateLine);
        QFETCH(bool, maximised);
        QWidget window;
        if (designedMaximised) {
            window.setWindowState(Qt::WindowMaximized);
        }
        const TwipsPerPixel scale = ScreenTwipsPerPixel(window);
        writeSection(stateLine.toStdString() + "Left=" + twips(100, scale.x) + "\r\nTop=" + twips(50, scale.y) +
                     "\r\nWidth=" + twips(640, scale.x) + "\r\nHeight=" + twips(480, scale.y) + "\r\n");
        RestoreWindowPosition(m_store, window, m_dir->path(), kPositionFrmMode);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.isMaximized(), maximised);
        QCOMPARE(window.normalGeometry(), kPlacement);

        window.showNormal();
        QTRY_COMPARE(window.geometry(), kPlacement);
    }

    void unusableWindowStateIsIgnoredWhileTheSizesApply_data() {
        QTest::addColumn<QString>("state");
        QTest::newRow("two digits") << "01";
        QTest::newRow("blank") << "";
        QTest::newRow("padded") << " 2";
        QTest::newRow("word") << "max";
    }

    void unusableWindowStateIsIgnoredWhileTheSizesApply() {
        QFETCH(QString, state);
        QWidget window;
        window.setGeometry(kPlacement);
        const TwipsPerPixel scale = ScreenTwipsPerPixel(window);
        writeSection("WindowState=" + state.toStdString() + "\r\nWidth=" + twips(300, scale.x) +
                     "\r\nHeight=" + twips(200, scale.y) + "\r\nLeft=not a number\r\n");
        RestoreWindowPosition(m_store, window, m_dir->path(), kPositionFrmMode);

        QCOMPARE(window.windowState(), Qt::WindowNoState);
        QCOMPARE(window.geometry(), QRect(kPlacement.topLeft(), QSize(300, 200)));
    }

    void widthWithAFractionIsApplied() {
        QWidget window;
        window.setGeometry(kPlacement);
        const TwipsPerPixel scale = ScreenTwipsPerPixel(window);
        // A fraction of a twip is kept when read and rounded away only when applied in pixels.
        const double storedWidth = 320 * scale.x + 7.6;
        const std::string width = FormatSingle(static_cast<float>(storedWidth));
        QVERIFY(width.find('.') != std::string::npos);
        writeSection("Width=" + width + "\r\n");
        RestoreWindowPosition(m_store, window, m_dir->path(), kPositionFrmMode);
        QCOMPARE(window.width(), static_cast<int>(std::lround(storedWidth / scale.x)));
        QCOMPARE(window.height(), kPlacement.height());
    }

    void farLeftEdgeIsAcceptedButPulledBackWhenNoScreenIsThere() {
        QVERIFY(CIniFile::IsLng("40000"));
        QWidget window;
        const TwipsPerPixel scale = ScreenTwipsPerPixel(window);
        writeSection("Left=40000\r\nTop=" + twips(50, scale.y) + "\r\nWidth=" + twips(200, scale.x) +
                     "\r\nHeight=" + twips(100, scale.y) + "\r\n");
        RestoreWindowPosition(m_store, window, m_dir->path(), kPositionFrmMode);

        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        const int left = TwipsToPixels(40000, scale.x);
        bool onSomeScreen = false;
        for (const QScreen* screen : QGuiApplication::screens()) {
            onSomeScreen = onSomeScreen || screen->availableGeometry().contains(QRect(left, 50, 200, 100));
        }
        // Pulled back with room for its frame: a window not shown yet counts a usual border of 4 pixels.
        const int expectedLeft = onSomeScreen ? left : available.right() + 1 - 200 - 4;
        QCOMPARE(window.geometry(), QRect(expectedLeft, 50, 200, 100));
    }

    void oversizedWindowIsShrunkToTheScreen() {
        QWidget window;
        const TwipsPerPixel scale = ScreenTwipsPerPixel(window);
        writeSection("Left=0\r\nTop=0\r\nWidth=" + twips(20000, scale.x) + "\r\nHeight=" + twips(20000, scale.y) +
                     "\r\n");
        RestoreWindowPosition(m_store, window, m_dir->path(), kPositionFrmMode);
        // The window with its frame fills the screen: a window not shown yet counts a usual title bar and border.
        QCOMPARE(window.geometry(),
                 QGuiApplication::primaryScreen()->availableGeometry().marginsRemoved({4, 30, 4, 4}));
    }

    void aShownWindowKeepsItsTitleBarOnTheScreen() {
        // Above the screen, left of it, and larger than it: the frame the window system drew lies on the screen.
        for (const QRect stored : {QRect(100, -500, 300, 200), QRect(-600, 100, 640, 200), QRect(0, 0, 4000, 3000)}) {
            QWidget window;
            window.setGeometry(100, 100, 200, 100);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            const TwipsPerPixel scale = ScreenTwipsPerPixel(window);
            writeSection("Left=" + twips(stored.x(), scale.x) + "\r\nTop=" + twips(stored.y(), scale.y) + "\r\nWidth=" +
                         twips(stored.width(), scale.x) + "\r\nHeight=" + twips(stored.height(), scale.y) + "\r\n");
            RestoreWindowPosition(m_store, window, m_dir->path(), kPositionFrmMode);
            QTRY_VERIFY(window.screen()->availableGeometry().contains(window.frameGeometry()));
        }
    }

    void positionKeysFollowTheOtherKeysOfTheSection() {
        writeSection("Extra=1\r\nleft=5\r\nMore=2\r\n[Other]\r\nx=1\r\n");
        QWidget window;
        window.setGeometry(kPlacement);
        SaveWindowPosition(m_store, window, m_dir->path(), "position_frmmode");

        const TwipsPerPixel scale = ScreenTwipsPerPixel(window);
        const std::vector<std::string> expected{"Extra=1",
                                                "More=2",
                                                "WindowState=0",
                                                "Left=" + twips(100, scale.x),
                                                "Top=" + twips(50, scale.y),
                                                "Width=" + twips(640, scale.x),
                                                "Height=" + twips(480, scale.y)};
        QCOMPARE(ProfileFile::sectionLines(positionFile(), "Position_frmMode"), expected);
        QCOMPARE(ProfileFile::sectionNames(positionFile()),
                 (std::vector<std::string>{"Config", "Position_frmMode", "Other"}));
        QCOMPARE(ProfileFile::sectionLines(positionFile(), "Other"), std::vector<std::string>{"x=1"});
    }

    void referencesIntoTheStoreFollowEveryReload() {
        writeSection("Left=1500\r\n");
        QWidget window;
        RestoreWindowPosition(m_store, window, m_dir->path(), kPositionFrmMode);
        const CIniFile* held = m_store.file();
        QVERIFY(held != nullptr);
        const std::vector<std::string>& sections = held->Sections();
        const std::vector<std::string>& keys = held->Keys();
        QCOMPARE(keys, std::vector<std::string>{"Left"});

        test::WriteBytes(positionFile(), "[Position_frmConfig]\r\nTop=750\r\n");
        RestoreWindowPosition(m_store, window, m_dir->path(), kPositionFrmConfig);
        QVERIFY(m_store.file() == held);
        QCOMPARE(sections, std::vector<std::string>{std::string(kPositionFrmConfig)});
        QCOMPARE(keys, std::vector<std::string>{"Top"});
    }

    void storeIsReplacedByEveryRoutineAndReleasedByTheWholeSave() {
        QWidget window;
        window.setGeometry(kPlacement);
        RestoreWindowPosition(m_store, window, m_dir->path(), kPositionFrmDisp2); // missing file: nothing applied
        QCOMPARE(window.geometry(), kPlacement);
        const CIniFile* restored = m_store.file();
        QVERIFY(restored != nullptr);
        QCOMPARE(restored->Sections(), std::vector<std::string>{std::string(kPositionFrmDisp2)});

        SaveWindowPosition(m_store, window, m_dir->path(), kPositionFrmSetHdb);
        m_store.file()->NowSection(kPositionZentuArun);
        m_store.file()->Data("kept", "yes");
        QVERIFY(m_store.SaveAll());
        QVERIFY(m_store.file() == nullptr);
        QVERIFY(!m_store.SaveAll());

        QCOMPARE(stored(kPositionZentuArun, "kept"), std::string("yes"));
        QCOMPARE(stored(kPositionFrmSetHdb, kKeyWindowState), std::string("0"));
    }
};

} // namespace zentu

QTEST_MAIN(zentu::WindowPositionTest)
#include "WindowPositionTest.moc"
