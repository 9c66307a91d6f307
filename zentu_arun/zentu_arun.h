#pragma once

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>

namespace Ui {
class zentu_arun;
}

class QLabel;

namespace zentu {

class Prompts;
struct ArunState;

/// The auto-run window: lists the registered jobs, shows the chosen job's summary, runs it with the auto-run
/// options of the conversion engine, waits the job's end time and ends the program.
class zentu_arun : public QMainWindow {
    Q_OBJECT

public:
    /// Waits the given milliseconds; the window stays painted and the user's input is ignored meanwhile.
    using Waiter = std::function<void(int milliseconds)>;
    /// Ends the program.
    using ProgramEnd = std::function<void()>;

    zentu_arun(ArunState& state, Prompts& prompts, QWidget* parent = nullptr);
    ~zentu_arun() override;

    /// Replaces the blocking wait (tests record the waits instead of sleeping).
    void setWaiter(Waiter waiter);
    /// Replaces what ending the program does.
    void setProgramEnd(ProgramEnd end);

    /// The window's load: position, caption, job list, job 1 selected, notice.
    void load();

    /// The section of the window position file this window uses.
    static constexpr const char* kPositionSection = "Position_zentu_arun";

private:
    void buildJobList();
    void onJobSelected(int row);
    void showJobTexts();
    /// Loads the current job's settings; a file that cannot be read is kept in m_loadError for the summary.
    void loadJobSettings();
    void showSummary();
    void runJob();
    void runConversion();
    void waitEndTime();
    void exitFromMenu();
    void repaintNow();

    std::unique_ptr<Ui::zentu_arun> m_ui;
    ArunState& m_state;
    Prompts& m_prompts;
    Waiter m_wait;
    ProgramEnd m_end;
    bool m_busy = false;     ///< a run (with its waits) has started; the program ends with it
    std::string m_loadError; ///< why the current job's settings file could not be read (empty when it was)
};

} // namespace zentu
