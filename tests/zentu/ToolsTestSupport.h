#pragma once

#include "gui/Prompts.h"

#include <QStringList>

namespace zentu::test {

/// Answers message boxes by remembering them.
class ScriptedPrompts : public Prompts {
public:
    void notify(QWidget*, const QString& text) override { notices << text; }
    bool askYesNo(QWidget*, const QString&, const QString&) override { return false; }
    void inform(QWidget*, const QString& title, const QString& text) override { informed << title << text; }
    void warn(QWidget*, const QString& text) override { warnings << text; }
    QStringList notices;
    QStringList informed;
    QStringList warnings;
};

int RunModeEditorTests(int argc, char** argv);
int RunOutputViewerTests(int argc, char** argv);

} // namespace zentu::test
