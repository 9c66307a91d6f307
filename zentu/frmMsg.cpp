#include "frmMsg.h"

#include "ZentuHelpers.h"
#include "ZentuState.h"
#include "ZentuTexts.h"
#include "ZentuWindows.h"
#include "ui_frmMsg.h"

#include "gui/PositionStore.h"

#include "convert/JobTexts.h"
#include "text/TextHelpers.h"

#include <QCloseEvent>
#include <QPalette>

#include <array>

namespace zentu {

namespace {

/// Puts the parts of a signature into the six labels of a column; missing parts leave their label empty and parts
/// after the sixth are not shown.
void ShowSignature(const std::string& signature, const std::array<QLabel*, 6>& labels) {
    if (TrimBlanks(signature).empty()) {
        return;
    }
    const QStringList parts = Q(signature).split(QLatin1Char('_'));
    for (std::size_t i = 0; i < labels.size() && i < static_cast<std::size_t>(parts.size()); ++i) {
        labels[i]->setText(parts.at(static_cast<qsizetype>(i)));
    }
}

} // namespace

frmMsg::frmMsg(ZentuState& state, ZentuWindows& windows, QWidget* parent)
    : QWidget(parent, Qt::Window), m_ui(std::make_unique<Ui::frmMsg>()), m_state(state), m_windows(windows) {
    m_ui->setupUi(this);
    // Where the window stands until a stored position applies: the main window at the left, the dialogs at its right.
    move(240, 160);
    KeepOnScreen(*this);
    QPalette palette = m_ui->Label5->palette();
    palette.setColor(QPalette::WindowText, QColor(192, 0, 0));
    m_ui->Label5->setPalette(palette);
    connect(m_ui->Command1, &QPushButton::clicked, this, [this] { m_windows.endProgram(); });
}

frmMsg::~frmMsg() = default;

void frmMsg::load() {
    m_ui->Label1->setText(QString::fromUtf8(job_texts::kLastEndRecord) + Q(m_state.settings.last_end_rec_no));
    ShowSignature(m_state.settings.select_flag_new_add_last_QSO_data,
                  {m_ui->Label3_0, m_ui->Label3_1, m_ui->Label3_2, m_ui->Label3_3, m_ui->Label3_4, m_ui->Label3_5});
    ShowSignature(m_state.current_qso_signature,
                  {m_ui->Label4_0, m_ui->Label4_1, m_ui->Label4_2, m_ui->Label4_3, m_ui->Label4_4, m_ui->Label4_5});
    QStringList sentences;
    for (const char* sentence : zentu_texts::kWarning) {
        sentences << QString::fromUtf8(sentence);
    }
    m_ui->Label5->setText(sentences.join(QStringLiteral("\r\n\r\n")));
}

void frmMsg::closeEvent(QCloseEvent* event) {
    event->accept();
    m_windows.closedByUser(this);
}

} // namespace zentu
