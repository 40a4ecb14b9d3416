// Reading the fonts ahead on another thread, as the program does at start.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QStringList>

#include "shell/FontPreload.h"

namespace {

// A start that ends before its window (a second copy, a missing file) never
// lets the read-ahead go on to Qt's list: it must end all the same, not hold
// the program. Let go on, it leaves the list filled for the window.
TEST(FontPreload, EndsWhetherOrNotTheWindowComes) {
    { orv::FontPreload unused; }
    orv::FontPreload fonts;
    fonts.fillDatabase();
    fonts.wait();
    fonts.wait();
    EXPECT_FALSE(QFontDatabase::families().isEmpty());
}

}  // namespace
