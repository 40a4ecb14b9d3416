// GoogleTest entry for tests of the program's windows: a QApplication
// exists, and message boxes and file dialogs are answered through their
// seams, never shown.
#include <gtest/gtest.h>

#include <QApplication>

#include "shell/FileDialog.h"
#include "shell/MessageBox.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    orv::MessageBox::setAnswering(true);
    orv::FileDialog::setAnswering(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
