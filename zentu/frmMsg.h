#pragma once

#include "ZentuWindow.h"

#include <QWidget>

#include <memory>

namespace Ui {
class frmMsg;
}

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
};

} // namespace zentu
