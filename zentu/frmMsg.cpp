#include "frmMsg.h"

#include "JobSession.h"
#include "ZentuHelpers.h"
#include "ZentuTexts.h"
#include "ZentuWindows.h"
#include "ui_frmMsg.h"

#include "convert/JobTexts.h"
#include "text/TextHelpers.h"

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

frmMsg::frmMsg(JobSession& session, ZentuWindows& windows, Prompts& prompts)
    : ZentuWindow(session, windows, prompts, WindowRole::ChangedLog), m_ui(std::make_unique<Ui::frmMsg>()) {
    m_ui->setupUi(this);
    m_lastEnd = m_ui->Label1;
    m_stored = {m_ui->Label3_0, m_ui->Label3_1, m_ui->Label3_2, m_ui->Label3_3, m_ui->Label3_4, m_ui->Label3_5};
    m_current = {m_ui->Label4_0, m_ui->Label4_1, m_ui->Label4_2, m_ui->Label4_3, m_ui->Label4_4, m_ui->Label4_5};
    m_explanation = m_ui->Label5;
    SetColour(m_explanation, kDarkRed);
    connect(m_ui->Command1, &QPushButton::clicked, this, [this] { this->windows().endProgram(); });
}

frmMsg::~frmMsg() = default;

void frmMsg::load() {
    restorePosition();
    const JobSettings& settings = session().settings();
    m_lastEnd->setText(QString::fromUtf8(job_texts::kLastEndRecord) + Q(settings.last_end_rec_no));
    ShowSignature(settings.select_flag_new_add_last_QSO_data, m_stored);
    ShowSignature(session().current_qso_signature(), m_current);
    QStringList sentences;
    for (const char* sentence : zentu_texts::kWarning) {
        sentences << QString::fromUtf8(sentence);
    }
    m_explanation->setText(sentences.join(QStringLiteral("\r\n\r\n")));
}

} // namespace zentu
