#include "ArunState.h"
#include "ArunTexts.h"
#include "zentu_arun.h"

#include "gui/Prompts.h"
#include "gui/QtTranslations.h"
#include "platform/ProgramPaths.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(zentu::arun_texts::kProgramName));
    zentu::InstallQtTranslations();

    zentu::ArunState state;
    state.ProgramFolder = zentu::ExecutableFolder();
    zentu::MessageBoxPrompts prompts;
    std::string reason;
    if (!zentu::LoadRecordLibrary(state.library, state.ProgramFolder, reason)) {
        prompts.warn(nullptr, QString::fromStdString(reason));
        return 1;
    }

    zentu::zentu_arun window(state, prompts);
    window.load();
    window.show();
    return QApplication::exec();
}
