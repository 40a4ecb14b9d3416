// GoogleTest entry for tests of the program's windows: a QApplication
// exists, and message boxes and file dialogs are answered through their
// seams, never shown.
#include <gtest/gtest.h>

#include <QApplication>

#include "gui/FileDialog.h"
#include "gui/MessageBox.h"

int main(int argc, char** argv) {
    // As the program does, for the windows that hold the web pane.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    orv::MessageBox::setAnswering(true);
    orv::FileDialog::setAnswering(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
