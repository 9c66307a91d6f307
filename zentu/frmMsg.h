#pragma once

#include "ZentuWindow.h"

#include <QWidget>

#include <array>
#include <memory>

namespace Ui {
class frmMsg;
}

class QLabel;

namespace zentu {

/// The changed-log warning: the last-QSO signature the previous new-additions run stored beside the one of the
/// record now at that number, field by field, and the advice to look into the log. Its button ends the program.
class frmMsg : public ZentuWindow<QWidget> {
    Q_OBJECT

public:
    frmMsg(JobSession& session, ZentuWindows& windows, Prompts& prompts);
    ~frmMsg() override;

    void load();

private:
    std::unique_ptr<Ui::frmMsg> m_ui;
    // The labels by what they show (their objectNames are the names the window has always had).
    QLabel* m_lastEnd = nullptr;        ///< Label1: where the previous run ended
    std::array<QLabel*, 6> m_stored{};  ///< Label3_0 .. Label3_5: the signature that run stored
    std::array<QLabel*, 6> m_current{}; ///< Label4_0 .. Label4_5: the record now at that number
    QLabel* m_explanation = nullptr;    ///< Label5
};

} // namespace zentu
