#include "ToolsTestSupport.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int editor = zentu::test::RunModeEditorTests(argc, argv);
    const int viewer = zentu::test::RunOutputViewerTests(argc, argv);
    return editor != 0 || viewer != 0 ? 1 : 0;
}
