#pragma once

#include <QWidget>

#include <memory>
#include <string>

namespace Ui {
class frmConfig;
}

namespace zentu {

class Prompts;
class ZentuWindows;
struct ZentuState;

/// The environment settings dialog: the log to read, the CSV file to write, ADIF output and the auto-run program's
/// wait. It edits the job settings as the user types, checks the two paths (and the log's master file) at every
/// change, and enables Save only when both are usable; Save stores the job settings and leads on to the range
/// settings dialog.
class frmConfig : public QWidget {
    Q_OBJECT

public:
    frmConfig(ZentuState& state, ZentuWindows& windows, Prompts& prompts, QWidget* parent = nullptr);
    ~frmConfig() override;

    void load();

    // The dialog's state of the last path check.
    bool HdbProblem = true;
    bool MstProblem = true;
    bool CsvProblem = true;
    int ProblemCount = 3;
    std::string MstPath;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void hdbChanged(const QString& text);
    void outcsvChanged(const QString& text);
    void ShowConfigStatus();
    void check1Clicked();
    void browseLog();
    void browseOutput();
    void endTimeChanged(const QString& text);
    /// Tells the user and returns true when a chosen path cannot be stored (a character CP932 lacks, too long).
    bool RefuseUnusablePath(const QString& path, const char* what);
    void save();

    std::unique_ptr<Ui::frmConfig> m_ui;
    ZentuState& m_state;
    ZentuWindows& m_windows;
    Prompts& m_prompts;
};

/// The log's companion master file as the environment dialog names it: the log path in upper case with every
/// ".HDB" replaced by ".MST" (letters outside ASCII keep their case).
std::string MasterPathOf(const std::string& logPath);
/// Whether the log's master file exists: its name (MasterPathOf) looked up in the log's folder without regard to
/// letter case.
bool MasterFileExists(const std::string& logPath);

} // namespace zentu
