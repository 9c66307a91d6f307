#include "JobSession.h"
#include "StartUp.h"
#include "ZentuTexts.h"
#include "ZentuWindows.h"

#include "gui/Prompts.h"
#include "gui/QtTranslations.h"
#include "platform/ProgramPaths.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(zentu::zentu_texts::kProgramName));
    zentu::InstallQtTranslations();
    // The windows come and go (a dialog's menu closes the main window before it shows the dialog): the program
    // ends when its own rules say so, not when the last window happens to be hidden.
    QApplication::setQuitOnLastWindowClosed(false);

    zentu::JobSession session(zentu::ExecutableFolder());
    zentu::MessageBoxPrompts prompts;
    zentu::ZentuWindows windows(session, prompts);
    if (!zentu::StartUp(session, windows, prompts)) {
        return 1;
    }
    return QApplication::exec();
}
