#include "ArunState.h"
#include "ArunTexts.h"
#include "zentu_arun.h"

#include "platform/ProgramPaths.h"
#include "window/Prompts.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(zentu::arun_texts::kProgramName));

    zentu::ArunState state;
    state.ProgramFolder = zentu::ExecutableFolder();
    zentu::MessageBoxPrompts prompts;
    if (!state.library.load(state.ProgramFolder)) {
        prompts.notify(nullptr, QString::fromStdString(state.library.errorString()));
        return 1;
    }
    if (state.library.version() < zentu::RecordLibrary::kMinimumVersion) {
        prompts.notify(nullptr, QString::fromUtf8(zentu::arun_texts::kOldLibrary));
        return 1;
    }

    zentu::zentu_arun window(state, prompts);
    window.load();
    window.show();
    return QApplication::exec();
}
