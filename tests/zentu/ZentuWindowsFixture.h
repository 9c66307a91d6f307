#pragma once

// What the tests of the interactive program's windows share: a program folder made as a user has it, the program
// started on it with scripted message boxes, and ways to find the windows' controls.

#include "JobSession.h"
#include "StartUp.h"
#include "ZentuHelpers.h"
#include "ZentuWindows.h"
#include "zentu.h"

#include "gui/Prompts.h"
#include "hamlog/RecordLibrary.h"
#include "settings/JobRegistry.h"
#include "settings/JobSettings.h"

#include "LogWriter.h"
#include "TestPlatform.h"
#include "TestSupport.h"
#include "WidgetFinder.h"

#include <QAction>
#include <QLabel>
#include <QtTest>

#include <memory>
#include <string>
#include <vector>

namespace zentu {

/// Answers message boxes and file dialogs instead of a user, and remembers what was asked.
class ScriptedPrompts : public Prompts {
public:
    void notify(QWidget*, const QString& text) override { notices << text; }
    bool askYesNo(QWidget*, const QString& title, const QString& text) override {
        questions << title + QLatin1Char('|') + text;
        return answerYes;
    }
    void warn(QWidget*, const QString& text) override { warnings << text; }
    QString openFile(QWidget*, const QString& filter, const QString&) override {
        filters << filter;
        return chosenFile;
    }
    QString saveFile(QWidget*, const QString& filter, const QString&) override {
        filters << filter;
        return chosenFile;
    }
    QStringList notices;
    QStringList questions;
    QStringList warnings;
    QStringList filters;
    bool answerYes = true;
    QString chosenFile;
};

inline hamlog::LogRecord Qso(int n, const std::string& date, const std::string& mode = "SSB") {
    hamlog::LogRecord record;
    record.fields = {
        "JA1" + std::to_string(n), date, "12:00J", "59", "59", "7.050", mode, "1001", "", "", "", "", "", "", "", ""};
    return record;
}

/// A log of `count` contacts: the first on 04/03/15, the newest on 05/11/02, the others between.
inline std::vector<hamlog::LogRecord> Contacts(int count) {
    std::vector<hamlog::LogRecord> records;
    for (int n = 1; n <= count; ++n) {
        const std::string date = n == 1       ? "04/03/15"
                                 : n == count ? "05/11/02"
                                              : "05/0" + std::to_string(1 + n % 9) + "/10";
        records.push_back(Qso(n, date, n % 3 == 0 ? "USB" : "CW"));
    }
    return records;
}

inline QString EmptySlot() {
    return QStringLiteral("JOB_name : 未登録\r\nJOB_MSG1 :  \r\nJOB_MSG2 :  \r\nJOB_MSG3 :  \r\n");
}

/// The program folder and the program started on it.
class ZentuWindowsFixture {
protected:
    std::unique_ptr<test::TempDir> m_dir;
    std::unique_ptr<JobSession> m_state;
    std::unique_ptr<ZentuWindows> m_windows;
    ScriptedPrompts m_prompts;
    int m_ends = 0;

    std::filesystem::path folder() const { return m_dir->path(); }
    std::string log() const { return (folder() / "LOG.hdb").string(); }

    /// A program folder as a user gets it: the record libraries and the mode table.
    void makeProgramFolder() {
        m_dir = std::make_unique<test::TempDir>();
        for (const std::string& name : {RecordLibrary::mainLibraryFileName(), RecordLibrary::stringLibraryFileName()}) {
            if (!test::MakeSymbolicLink(test::BinDir() / name, folder() / name)) {
                std::filesystem::copy_file(test::BinDir() / name, folder() / name); // Windows: tests make no links
            }
        }
        std::filesystem::copy_file(test::BinDir() / "mode_tbl.csv", folder() / "mode_tbl.csv");
    }

    void makeLog(int count) {
        std::string error;
        QVERIFY2(hamlog::CreateLog(log(), Contacts(count), &error), error.c_str());
    }

    /// Folders, empty registry files and a log of 250 contacts, as after the first start.
    void makeUsedFolder() {
        std::filesystem::create_directories(folder() / "ini");
        std::filesystem::create_directories(folder() / "JOB");
        for (int job = 1; job <= 9; ++job) {
            QVERIFY(JobRegistry(folder()).writeEmptySlot(job));
        }
        makeLog(250);
    }

    JobSettings Job(const std::string& flag, int job) const {
        JobSettings settings;
        settings.set_hdb_dir = log();
        settings.set_outcsv_dir = (folder() / ("OUT" + std::to_string(job) + ".CSV")).string();
        settings.adif_out = "1";
        settings.select_flag = flag;
        settings.set_date_time_UJ = "JST";
        settings.set_start_date = "20050101";
        settings.set_end_date = "20051231";
        settings.set_rec_hani = "100";
        return settings;
    }

    void saveJob(int job, const JobSettings& settings, const std::string& name = "") {
        QVERIFY(SaveJobSettings(folder(), job, settings, kZentuVersion));
        if (!name.empty()) {
            QVERIFY(JobRegistry(folder()).writeRegisteredJob(job, {name, "m1", "", "m3"}));
        }
    }

    bool start() {
        m_windows.reset();
        m_state = std::make_unique<JobSession>(folder());
        m_windows = std::make_unique<ZentuWindows>(*m_state, m_prompts);
        m_windows->setProgramEnd([this] { ++m_ends; });
        return StartUp(*m_state, *m_windows, m_prompts);
    }

    /// Starts the program and brings the main window, as the range dialog's save does.
    zentu* startMain() {
        if (!start()) {
            return nullptr;
        }
        return m_windows->showMainWindow();
    }

    zentu* main() const { return m_windows->mainWindow(); }
    template <typename T = QLabel> T* mainChild(const char* name) const { return test::Find<T>(main(), name); }
    template <typename T = QLabel> T* rangeChild(const char* name) const {
        return test::Find<T>(m_windows->range(), name);
    }
    template <typename T = QLabel> T* configChild(const char* name) const {
        return test::Find<T>(m_windows->config(), name);
    }
    QString mainText(const char* name) const { return mainChild(name)->text(); }
    static QColor Colour(QWidget* widget) { return widget->palette().color(QPalette::WindowText); }
    QAction* mainAction(const char* name) const { return mainChild<QAction>(name); }
    void selectJob(int job) { mainAction(("mnuJob" + std::to_string(job)).c_str())->trigger(); }
    std::string ini(int job) const { return test::ReadBytes(JobSettingsPath(folder(), job)); }
};

} // namespace zentu
