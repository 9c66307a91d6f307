#include "frmMode.h"

#include "ToolTexts.h"
#include "ui_frmMode.h"

#include "convert/ModeTable.h"
#include "gui/PositionStore.h"
#include "gui/Prompts.h"
#include "gui/WindowRect.h"
#include "platform/ProgramPaths.h"
#include "text/Cp932Codec.h"
#include "text/TextHelpers.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QTimer>
#include <QValidator>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentu {

namespace {

namespace texts = tool_texts;

constexpr int kLastRow = 36;
constexpr int kLastCol = 4;
// The window's inner area at design and the width of every column, in twips.
constexpr double kInnerWidth = 5670;
constexpr double kInnerHeight = 5310;
constexpr double kColumnWidth = 1000;
constexpr int kBytesRole = Qt::UserRole;
/// Room beside the longest ADIF name in the fixed column.
constexpr int kNameMargin = 16;

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// A cell's value is written unquoted between commas, and the table is read back field by field: a comma or a
// double quote in a value would move or swallow fields, and a character outside CP932 cannot be written at all.
bool StorableInCell(const QString& text) {
    return !text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
           Cp932Codec::encode(text.toStdString()).ok;
}

class CellValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override { return StorableInCell(input) ? Acceptable : Invalid; }
};

// Blanks at both ends removed, as the table file's readers and the lookup remove them.
QString TrimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && (text[first] == QLatin1Char(' ') || text[first] == QLatin1Char('\t'))) {
        ++first;
    }
    while (last > first && (text[last - 1] == QLatin1Char(' ') || text[last - 1] == QLatin1Char('\t'))) {
        --last;
    }
    return text.mid(first, last - first);
}

} // namespace

frmMode::frmMode(const ToolContext& context, BackToMain backToMain, QWidget* parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::frmMode>()), m_context(context),
      m_backToMain(std::move(backToMain)) {
    m_ui->setupUi(this);
    m_grid = m_ui->MSFlexGrid1;
    m_editBox = m_ui->Text1;
    m_nextTrap = m_ui->Text2;
    m_previousTrap = m_ui->Text3;
    QTableWidget* grid = m_grid;

    // The two focus traps lie behind the grid: never seen, reached only by Tab and Shift+Tab.
    m_nextTrap->lower();
    m_previousTrap->lower();
    m_editBox->setFont(grid->font());
    m_editBox->setValidator(new CellValidator(m_editBox));

    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->horizontalHeader()->setSectionsClickable(false);
    grid->verticalHeader()->setSectionsClickable(false);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    for (int row = 0; row < kLastRow; ++row) {
        for (int col = 0; col < kLastCol; ++col) {
            grid->setItem(row, col, new QTableWidgetItem);
        }
        grid->setVerticalHeaderItem(row, new QTableWidgetItem);
    }
    // The corner above the ADIF names carries the first head.
    m_corner = grid->findChild<QAbstractButton*>();
    if (m_corner != nullptr) {
        m_corner->installEventFilter(this);
    }

    grid->installEventFilter(this);
    m_editBox->installEventFilter(this);
    m_nextTrap->installEventFilter(this);
    m_previousTrap->installEventFilter(this);
    connect(grid, &QTableWidget::cellDoubleClicked, this, [this] { BeginCellEdit(); });
    connect(grid, &QTableWidget::currentCellChanged, this, [this] { CommitCellEdit(); });
    connect(m_editBox, &QLineEdit::inputRejected, this, &frmMode::refuseTyping);
    connect(m_ui->mnuBack, &QAction::triggered, this, &frmMode::back);
    connect(m_ui->mnuSave, &QAction::triggered, this, &frmMode::save);
    connect(m_ui->mnuEditHelp, &QAction::triggered, this, &frmMode::showHelp);

    const TwipsPerPixel scale = ScreenTwipsPerPixel(*this);
    resize(TwipsToPixels(kInnerWidth, scale.x), TwipsToPixels(kInnerHeight, scale.y) + menuBar()->sizeHint().height());
}

frmMode::~frmMode() = default;

frmMode* frmMode::Open(const ToolContext& context, BackToMain backToMain, QWidget* parent) {
    auto* editor = new frmMode(context, std::move(backToMain), parent);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->load();
    editor->show();
    editor->m_grid->setFocus();
    return editor;
}

void frmMode::load() {
    RestoreWindowPosition(m_context.positions, *this, m_context.ProgramFolder, kPositionSection);

    // The table as the main window reads it, found by its name whatever the letter case: at most 40 rows, missing
    // fields empty. A file that went away or cannot be read gives an empty table, and the user is told.
    const std::optional<std::filesystem::path> found = FindModeTable(m_context.ProgramFolder);
    const std::filesystem::path file = ModeTablePath(m_context.ProgramFolder);
    ModeTable table;
    const char* problem = nullptr;
    if (!found) {
        problem = texts::kModeFileMissing;
    } else if (!table.load(file)) {
        problem = texts::kModeFileUnreadable;
    }

    setHeads();
    for (int row = 1; row <= kLastRow; ++row) {
        for (int col = 0; col <= kLastCol; ++col) {
            const std::string& value = row <= table.count() ? table.row(row)[static_cast<std::size_t>(col)] : "";
            setCell(row, col, QByteArray::fromStdString(value));
        }
    }
    fitNameColumn();
    // The current cell is the last one, while the grid still shows its top rows.
    m_grid->setAutoScroll(false);
    setCurrentCell(kLastRow, kLastCol);
    m_grid->setAutoScroll(true);

    if (problem != nullptr) {
        // Told once the editor is on the screen: the main window is hidden by then, and the message should not
        // stand alone.
        const QString notice = QString::fromStdString(texts::kFilePrefix + Utf8FromPath(file) + std::string(problem));
        QTimer::singleShot(0, this, [this, notice] { m_context.prompts.warn(this, notice); });
    }
}

void frmMode::setHeads() {
    QTableWidget* grid = m_grid;
    const int width = TwipsToPixels(kColumnWidth, ScreenTwipsPerPixel(*this).x);
    fitNameColumn();
    for (int col = 1; col <= kLastCol; ++col) {
        grid->setColumnWidth(col - 1, width);
    }
    QStringList heads;
    for (int col = 1; col <= kLastCol; ++col) {
        heads << QString::fromUtf8(texts::kModeHeads[col]);
    }
    grid->setHorizontalHeaderLabels(heads);
    if (m_corner != nullptr) {
        m_corner->update();
    }
}

void frmMode::fitNameColumn() {
    // The fixed column is as wide as the other columns, or as its longest ADIF name.
    QHeaderView* names = m_grid->verticalHeader();
    int width = TwipsToPixels(kColumnWidth, ScreenTwipsPerPixel(*this).x);
    for (int row = 1; row <= kLastRow; ++row) {
        const QString name = names->model()->headerData(row - 1, Qt::Vertical).toString();
        width = std::max(width, names->fontMetrics().horizontalAdvance(name) + kNameMargin);
    }
    names->setFixedWidth(width);
}

void frmMode::setCell(int row, int col, const QByteArray& cp932) {
    QTableWidget* grid = m_grid;
    QTableWidgetItem* item = col == 0 ? grid->verticalHeaderItem(row - 1) : grid->item(row - 1, col - 1);
    item->setData(kBytesRole, cp932);
    item->setText(QLatin1Char(' ') + QString::fromStdString(Cp932Codec::decodeLossy(View(cp932))));
    if (col == 0) {
        item->setToolTip(item->text()); // an ADIF name wider than its column can still be read in full
    }
}

QByteArray frmMode::cellBytes(int row, int col) const {
    const QTableWidget* grid = m_grid;
    const QTableWidgetItem* item = col == 0 ? grid->verticalHeaderItem(row - 1) : grid->item(row - 1, col - 1);
    return item->data(kBytesRole).toByteArray();
}

QString frmMode::TextMatrix(int row, int col) const {
    if (row == 0) {
        return QString::fromUtf8(texts::kModeHeads[col]);
    }
    const QTableWidget* grid = m_grid;
    return col == 0 ? grid->verticalHeaderItem(row - 1)->text() : grid->item(row - 1, col - 1)->text();
}

int frmMode::Row() const {
    return m_grid->currentRow() + 1;
}

int frmMode::Col() const {
    return m_grid->currentColumn() + 1;
}

void frmMode::setCurrentCell(int row, int col) {
    CommitCellEdit();
    m_grid->setCurrentCell(row - 1, col - 1);
}

void frmMode::BeginCellEdit(const QString& typed) {
    if (m_editing || Row() < 1 || Col() < 1) {
        return;
    }
    if (!typed.isEmpty() && !StorableInCell(typed)) {
        refuseTyping();
        return;
    }
    QTableWidget* grid = m_grid;
    m_editRow = Row();
    m_editCol = Col();
    QLineEdit* box = m_editBox;
    box->setText(typed.isEmpty() ? TextMatrix(m_editRow, m_editCol) : typed);
    box->end(false);
    // The cell may lie beyond the rows shown (the current cell starts at the last one): it is brought into view.
    grid->scrollTo(grid->currentIndex());
    const QRect cell = grid->visualRect(grid->currentIndex());
    box->setGeometry(QRect(grid->viewport()->mapTo(m_ui->centralwidget, cell.topLeft()), cell.size()));
    m_editing = true;
    box->show();
    box->raise();
    box->setFocus(Qt::OtherFocusReason);
}

bool frmMode::CommitCellEdit() {
    if (!m_editing) {
        return true;
    }
    const QString value = TrimBlanks(m_editBox->text()).toUpper();
    const CodecResult encoded = Cp932Codec::encode(value.toStdString());
    if (!encoded.ok || !StorableInCell(value)) {
        refuseTyping();
        return false;
    }
    m_editing = false;
    setCell(m_editRow, m_editCol, QByteArray::fromStdString(encoded.text));
    // The grid takes the focus before the box goes, so the focus does not wander on to the next control.
    if (m_editBox->hasFocus() || focusWidget() == m_editBox) {
        m_grid->setFocus(Qt::OtherFocusReason);
    }
    m_editBox->hide();
    return true;
}

bool frmMode::eventFilter(QObject* watched, QEvent* event) {
    QTableWidget* grid = m_grid;
    if (watched == grid) {
        if (event->type() == QEvent::FocusIn) {
            CommitCellEdit();
        } else if (event->type() == QEvent::KeyPress) {
            return gridKeyPress(static_cast<QKeyEvent*>(event));
        } else if (event->type() == QEvent::InputMethod && !m_editing) {
            // Japanese input: a composition that starts on the grid opens the box on the cell's text and goes on
            // in the box; text committed at once is taken as typed.
            auto* input = static_cast<QInputMethodEvent*>(event);
            if (!input->preeditString().isEmpty()) {
                BeginCellEdit();
                if (m_editing) {
                    QCoreApplication::sendEvent(m_editBox, input);
                }
                return true;
            }
            if (!input->commitString().isEmpty()) {
                BeginCellEdit(input->commitString());
                return true;
            }
        }
    } else if (watched == m_editBox && event->type() == QEvent::KeyPress) {
        return EditBoxKeyDown(static_cast<QKeyEvent*>(event));
    } else if ((watched == m_nextTrap || watched == m_previousTrap) && event->type() == QEvent::FocusIn) {
        focusTrap(watched == m_nextTrap);
    } else if (watched == m_corner && event->type() == QEvent::Paint) {
        QStyleOptionHeader option;
        option.initFrom(m_grid->horizontalHeader()); // drawn like the other heads, though not clickable
        option.rect = m_corner->rect();
        option.text = QString::fromUtf8(texts::kModeHeads[0]);
        option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        option.position = QStyleOptionHeader::OnlyOneSection;
        QStylePainter painter(m_corner);
        painter.drawControl(QStyle::CE_Header, option);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool frmMode::gridKeyPress(QKeyEvent* event) {
    if (m_editing) {
        return false;
    }
    if (event->key() == Qt::Key_F2) {
        BeginCellEdit();
        return true;
    }
    const QString text = event->text();
    if (text.isEmpty() || event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab ||
        (event->modifiers() & (Qt::AltModifier | Qt::MetaModifier)) != 0 || text.front() == QChar(0x7F)) {
        return false; // moves, menu keys and Delete stay the grid's own
    }
    // A typed character starts the box with that character; Enter, space and control keys with the cell's text.
    if (text.front().unicode() > 32) {
        BeginCellEdit(text);
    } else {
        BeginCellEdit();
    }
    return true;
}

bool frmMode::EditBoxKeyDown(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        m_editing = false; // the text is dropped
        m_grid->setFocus(Qt::OtherFocusReason);
        m_editBox->hide();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Up:
    case Qt::Key_Down:
        break;
    default:
        return false;
    }
    giveGridFocus();
    if (m_editing) {
        m_editBox->setFocus(Qt::OtherFocusReason); // refused: the box stays for the text to be mended
        return true;
    }
    QCoreApplication::processEvents();
    int row = Row();
    int col = Col();
    if (event->key() == Qt::Key_Up) {
        row = row > 1 ? row - 1 : row;
    } else if (event->key() == Qt::Key_Down) {
        row = row < kLastRow ? row + 1 : row;
    } else {
        // Enter and Tab move one cell right, from the last column to the first of the next row; the last cell stays.
        if (col == kLastCol && row != kLastRow) {
            ++row;
            col = 0;
        }
        if (col != kLastCol) {
            ++col;
        }
    }
    setCurrentCell(row, col);
    return true;
}

void frmMode::giveGridFocus() {
    m_grid->setFocus(Qt::OtherFocusReason);
    CommitCellEdit(); // when the window is not active the grid gets no focus event; commit all the same
}

void frmMode::focusTrap(bool forward) {
    int row = Row();
    int col = Col();
    if (forward) {
        if (col < kLastCol) {
            ++col;
        } else if (row < kLastRow) {
            ++row;
            col = 1;
        }
    } else {
        if (col > 1) {
            --col;
        } else if (row > 1) {
            --row;
            col = kLastCol;
        }
    }
    setCurrentCell(row, col);
    QCoreApplication::processEvents();
    m_grid->setFocus(Qt::OtherFocusReason);
}

void frmMode::refuseTyping() {
    m_context.prompts.warn(this, QString::fromUtf8(texts::kCellRefused));
}

void frmMode::save() {
    setHeads();
    // Every row of the grid, under the name the table was found by.
    std::vector<ModeTable::Row> rows;
    for (int row = 1; row <= kLastRow; ++row) {
        ModeTable::Row& cells = rows.emplace_back();
        for (int col = 0; col <= kLastCol; ++col) {
            cells[static_cast<std::size_t>(col)] = cellBytes(row, col).toStdString();
        }
    }
    ModeTable table;
    table.setRows(std::move(rows));
    std::string error;
    if (!table.save(ModeTablePath(m_context.ProgramFolder), &error)) {
        m_context.prompts.warn(this, QString::fromStdString(error));
    }
}

void frmMode::back() {
    SaveWindowPosition(m_context.positions, *this, m_context.ProgramFolder, kPositionSection);
    m_context.positions.SaveAll();
    close();
}

void frmMode::showHelp() {
    m_context.prompts.inform(this, QString::fromUtf8(texts::kModeHelpTitle), QString::fromUtf8(texts::kModeHelpText));
}

void frmMode::closeEvent(QCloseEvent* event) {
    // Closing from the title bar also brings the main window back (without storing the position); changes not
    // saved are dropped either way.
    event->accept();
    if (!m_mainShown) {
        m_mainShown = true;
        if (m_backToMain) {
            m_backToMain();
        }
    }
}

} // namespace zentu
