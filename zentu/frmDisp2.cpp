#include "frmDisp2.h"

#include "ToolTexts.h"
#include "ui_frmDisp2.h"

#include "gui/PositionStore.h"
#include "gui/Prompts.h"
#include "gui/WindowRect.h"
#include "platform/ErrorText.h"
#include "platform/NativeFile.h"
#include "platform/ProgramPaths.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>

#include <algorithm>
#include <system_error>

namespace zentu {

namespace {

namespace texts = tool_texts;

// The window's inner area at design, and where the list sits in it, in twips.
constexpr double kInnerWidth = 11565;
constexpr double kInnerHeight = 7365;
constexpr double kListLeft = 120;
constexpr double kListWidthLess = 200;
constexpr double kListHeightLess = 150;

// The list's font: the Windows program's Japanese monospace font where it exists, otherwise another Japanese
// monospace font.
QFont ListFont(QFont font) {
    font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                      QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("IPAGothic"), QStringLiteral("VL Gothic"),
                      QStringLiteral("TakaoGothic")});
    font.setStyleHint(QFont::Monospace);
    font.setPointSize(9);
    return font;
}

// Reads a whole file into memory, or gives the cause why it cannot be read: only a regular file of a sensible size (a
// named pipe would make the window wait for ever, a link to a device would fill the memory).
bool ReadWholeFile(const std::filesystem::path& path, QByteArray& bytes, std::string& reason) {
    std::size_t size = 0;
    int error = 0;
    const FileReadOutcome outcome = ReadRegularFile(
        path,
        [&bytes](std::size_t room) {
            bytes.resize(static_cast<qsizetype>(room));
            return bytes.data();
        },
        size, error, kMaxTextFileBytes);
    if (outcome != FileReadOutcome::Read) {
        bytes.clear();
        reason = ReadFailurePhrase(outcome, error, kMaxTextFileBytes);
        return false;
    }
    bytes.resize(static_cast<qsizetype>(size));
    return true;
}

} // namespace

frmDisp2::frmDisp2(const ToolContext& context, std::filesystem::path viewer_file, QWidget* parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::frmDisp2>()), m_context(context), m_file(std::move(viewer_file)) {
    m_ui->setupUi(this);
    m_ui->List1->setFont(ListFont(m_ui->List1->font()));
    m_ui->centralwidget->installEventFilter(this);
    connect(m_ui->mnuBack, &QAction::triggered, this, &QWidget::close);

    // The design size, centred on the screen; a stored position replaces it when the viewer loads.
    const TwipsPerPixel scale = ScreenTwipsPerPixel(*this);
    resize(TwipsToPixels(kInnerWidth, scale.x), TwipsToPixels(kInnerHeight, scale.y) + menuBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

frmDisp2::~frmDisp2() = default;

frmDisp2* frmDisp2::Open(const ToolContext& context, const std::filesystem::path& viewer_file, QWidget* parent) {
    auto* viewer = new frmDisp2(context, viewer_file, parent);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->load();
    viewer->show();
    return viewer;
}

void frmDisp2::load() {
    RestoreWindowPosition(m_context.positions, *this, m_context.ProgramFolder, kPositionSection);
    // The list takes its place in the restored window before lines are measured against its width.
    if (layout() != nullptr) {
        layout()->activate();
    }
    placeList();
    m_list.setListBox(m_ui->List1);
    setWindowTitle(QString::fromStdString(Utf8FromPath(m_file)));

    QByteArray bytes;
    std::string reason;
    if (!ReadWholeFile(m_file, bytes, reason)) {
        m_context.prompts.warn(this, QString::fromStdString(texts::kFilePrefix + Utf8FromPath(m_file) +
                                                            texts::kViewerUnreadable + "（" + reason + "）。"));
        return;
    }
    // Every line is measured, and the extent set once at the end rather than after each line.
    m_list.AlwaysRefresh = false;
    m_list.AddLines(std::move(bytes));
    m_list.AlwaysRefresh = true;
    m_list.RefreshHSBar();
}

void frmDisp2::bringToFront() {
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

bool frmDisp2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->centralwidget && event->type() == QEvent::Resize) {
        placeList();
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmDisp2::placeList() {
    // The list follows the window's inner size, never below zero however small the window is made.
    const TwipsPerPixel scale = ScreenTwipsPerPixel(*this);
    const QSize inner = m_ui->centralwidget->size();
    const double width = inner.width() * scale.x - kListWidthLess;
    const double height = inner.height() * scale.y - kListHeightLess;
    m_ui->List1->setGeometry(TwipsToPixels(kListLeft, scale.x), 0, std::max(0, TwipsToPixels(width, scale.x)),
                             std::max(0, TwipsToPixels(height, scale.y)));
}

void frmDisp2::closeEvent(QCloseEvent* event) {
    SaveWindowPosition(m_context.positions, *this, m_context.ProgramFolder, kPositionSection);
    m_context.positions.SaveAll();
    event->accept();
    emit closed();
}

} // namespace zentu
