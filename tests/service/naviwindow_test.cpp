// The wizard's window in modes 1 to 4 through the serial reader simulator:
// its texts, buttons and animation, the card hints of a card not seated
// well, and what closes it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMovie>
#include <QPushButton>
#include <QTest>

#include "base/AppLog.h"
#include "base/IniFile.h"
#include "base/Settings.h"
#include "base/Text.h"
#include "builder.h"
#include "card/CardAccess.h"
#include "card/CardData.h"
#include "env.h"
#include "fakes.h"
#include "openrecordsdb.h"
#include "programfolder.h"
#include "serialsim.h"
#include "service/AmountInputs.h"
#include "service/NaviWindow.h"
#include "service/WizardTexts.h"
#include "service/WizardView.h"
#include "zellib.h"

namespace {

using orvtest::folderOf;

class NaviWindowTest : public ::testing::Test {
protected:
    NaviWindowTest() {
        orvtest::installReaderLibrary(dir_, true);
        orvtest::makeProgramFolder(dir_, {.database = false, .readerLibrary = false});
        const std::string image = dir_.file("card.txt");
        EXPECT_TRUE(cardsim::build(cardsim::realisticSpec()).save(image));
        orvtest::useSerialSimulator(image, dir_.file("calls.log"));
        access_.setReader("USB");
    }
    ~NaviWindowTest() override { orvtest::unsetEnv("ZELSIM_CODES"); }

    std::unique_ptr<orv::NaviWindow> open(int mode) {
        auto w = std::make_unique<orv::NaviWindow>(orv::WizardContext{
            access_, data_, log_, settings_, ini_, db_.db(), waiter_, mono_, clock_,
            folderOf(dir_) + "/zelSC.dll", folderOf(dir_) + "/zelSCC.dll", [](bool) {}});
        w->start(mode);
        w->show();
        return w;
    }
    template <typename T>
    static T* child(QWidget& w, const char* name) {
        T* c = w.findChild<T*>(name);
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QString lastLogLine() {
        QFile f(log_.LogFile());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        const QStringList lines =
            orv::fromGbk(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        return lines.isEmpty() ? QString() : lines.last().mid(20);
    }

    orvtest::TempDir dir_;
    orvtest::OpenRecordsDb db_{dir_};
    orvtest::FakeWaiter waiter_;
    orvtest::FakeMonotonicClock mono_;
    orvtest::FakeClock clock_;
    orv::ZelLibrary lib_{folderOf(dir_)};
    orv::CardAccess access_{lib_, waiter_};
    orv::CardData data_;
    orv::AppLog log_{folderOf(dir_), clock_};
    orv::SystemSettings settings_;
    orv::IniFile ini_{folderOf(dir_) + "/zelReader.ini"};
};

TEST_F(NaviWindowTest, OpensReadyWithTheInsertCardText) {
    auto w = open(1);
    EXPECT_EQ(w->windowTitle(), "导航");
    EXPECT_EQ(child<QLabel>(*w, "lblTips")->text(), orv::texts::kInsertCard);
    // Texts of the server and the card are shown as they stand.
    EXPECT_EQ(child<QLabel>(*w, "lblTips")->textFormat(), Qt::PlainText);
    EXPECT_TRUE(child<QPushButton>(*w, "cmdOK")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(*w, "cmdCancel")->isEnabled());
    QLabel* ani = child<QLabel>(*w, "Ani1");
    EXPECT_FALSE(ani->isVisible());
    ASSERT_NE(ani->movie(), nullptr);
    EXPECT_TRUE(ani->movie()->isValid());  // the GIF behind the .dll name
    EXPECT_GT(ani->movie()->frameCount(), 1);
    EXPECT_FALSE(child<QLabel>(*w, "picLeft")->pixmap().isNull());
    for (const char* input : {"txtJE", "txtJE1", "txtJE2", "lblInput", "lblInput1", "lblInput2"})
        EXPECT_FALSE(child<QWidget>(*w, input)->isVisible()) << input;
}

// Regression: only typed keys were filtered; Shift+Insert, the context
// menu's Paste and a drop put any text into an amount input.
TEST_F(NaviWindowTest, AmountInputsTakeOnlyAmountsEveryWayIn) {
    auto w = open(1);
    w->wizard().view().showAmountInputs(*orv::amountInputsFor("4", "12"));
    auto* input = child<QLineEdit>(*w, "txtJE2");
    ASSERT_NE(input, nullptr);
    input->setFocus();
    QApplication::clipboard()->setText("-1,000");
    input->selectAll();
    QTest::keyClick(input, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(input->text(), "0");
    input->paste();  // the context menu's Paste
    EXPECT_EQ(input->text(), "0");
    QMimeData mime;
    mime.setText("1e5");
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(input, &drop);
    EXPECT_EQ(input->text(), "0");
    // An amount comes in every way.
    QApplication::clipboard()->setText("12.5");
    input->selectAll();
    QTest::keyClick(input, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(input->text(), "12.5");
}

TEST_F(NaviWindowTest, ASuccessfulReadStoresTheFileAndCloses) {
    auto w = open(1);
    QTest::mouseClick(child<QPushButton>(*w, "cmdOK"), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(data_.ef02.size(), 442);
}

// A card not fully inserted or the wrong way round: four attempts, then the
// code with its hint; "确定" tries again.
TEST_F(NaviWindowTest, CardNotSeatedWellGivesTheCodeAndItsHint) {
    struct Case {
        int mode;
        const char* code;
        QString hint;
    };
    for (const Case& k : {Case{1, "FF7A", orv::texts::kHintNotSeated},
                          Case{2, "FF3F", orv::texts::kHintReversed}}) {
        SCOPED_TRACE(k.code);
        // readEF02 tries four times, the other reads once.
        orvtest::setEnv("ZELSIM_CODES",
                        QStringList(k.mode == 1 ? 4 : 1, k.code).join(',').toStdString());
        auto w = open(k.mode);
        QTest::mouseClick(child<QPushButton>(*w, "cmdOK"), Qt::LeftButton);
        const QString expected =
            orv::texts::kReadFailed + k.code + "\n" + k.hint + "\n" + orv::texts::kCheckAndRetry;
        EXPECT_EQ(child<QLabel>(*w, "lblTips")->text(), expected);
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(child<QPushButton>(*w, "cmdOK")->isEnabled());
        EXPECT_FALSE(child<QLabel>(*w, "Ani1")->isVisible());
        EXPECT_EQ(lastLogLine(), QString("[0%1,000]%2").arg(k.mode).arg(k.code) +
                                     QString(expected).replace('\n', ' '));
        EXPECT_TRUE(data_.ef02.isEmpty() && data_.ef04.isEmpty());
        orvtest::unsetEnv("ZELSIM_CODES");
        QTest::mouseClick(child<QPushButton>(*w, "cmdOK"), Qt::LeftButton);  // now it reads
        EXPECT_FALSE(w->isVisible());
    }
    EXPECT_FALSE(data_.ef04.isEmpty());
}

TEST_F(NaviWindowTest, OtherCodesHaveNoHint) {
    orvtest::setEnv("ZELSIM_CODES", "6A82");
    auto w = open(3);
    QTest::mouseClick(child<QPushButton>(*w, "cmdOK"), Qt::LeftButton);
    EXPECT_EQ(child<QLabel>(*w, "lblTips")->text(),
              orv::texts::kReadFailed + "6A82\n" + orv::texts::kCheckAndRetry);
}

TEST_F(NaviWindowTest, CancelAndEscapeCloseAnIdleWizard) {
    auto w = open(2);
    QTest::mouseClick(child<QPushButton>(*w, "cmdCancel"), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
    auto w2 = open(4);
    QTest::keyClick(w2.get(), Qt::Key_Escape);
    EXPECT_FALSE(w2->isVisible());
    EXPECT_TRUE(data_.ef04.isEmpty() && data_.ef09.isEmpty());
}

// Regression: the wizard's progress hooks stayed in the shared card access
// object after the wizard was gone, and the next card read called into it.
TEST_F(NaviWindowTest, ACardReadAfterTheWizardIsGoneLeavesItAlone) {
    auto w = open(4);
    QTest::mouseClick(child<QPushButton>(*w, "cmdOK"), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
    ASSERT_FALSE(data_.ef09.isEmpty());
    w.reset();
    EXPECT_FALSE(access_.progressHooks().cancelRequested);
    EXPECT_EQ(access_.progressHooks().ef06Counts, nullptr);
    EXPECT_EQ(access_.progressHooks().ef09Counts, nullptr);
    EXPECT_EQ(access_.readEF09(), data_.ef09);
    EXPECT_EQ(access_.getSW(), "9000");
}

}  // namespace
