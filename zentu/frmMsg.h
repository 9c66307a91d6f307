#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class frmMsg;
}

namespace zentu {

class ZentuWindows;
struct ZentuState;

/// The changed-log warning: the last-QSO signature the previous new-additions run stored beside the one of the
/// record now at that number, field by field, and the advice to look into the log. Its button ends the program.
class frmMsg : public QWidget {
    Q_OBJECT

public:
    frmMsg(ZentuState& state, ZentuWindows& windows, QWidget* parent = nullptr);
    ~frmMsg() override;

    void load();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<Ui::frmMsg> m_ui;
    ZentuState& m_state;
    ZentuWindows& m_windows;
};

} // namespace zentu
