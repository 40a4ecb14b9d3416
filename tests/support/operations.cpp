#include "operations.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "base/AppLog.h"
#include "base/Text.h"
#include "card/RecordsDb.h"
#include "programfolder.h"
#include "qtwait.h"
#include "service/NaviWindow.h"
#include "service/WizardTexts.h"
#include "shell/MainWindow.h"
#include "shell/Startup.h"
#include "zellib.h"

namespace orvtest {

namespace {

// Offline: online, the main window would start its update check.
class Offline : public orv::NetworkState {
public:
    bool online() override { return false; }
};

const char* const kInputs[] = {"txtJE", "txtJE1", "txtJE2"};
const char* const kLabels[] = {"lblInput", "lblInput1", "lblInput2"};

bool continues(int step) {
    return step == 7 || step == 11 || step == 13 || step == 14 || step == 22;
}

bool blankRecord(const cardsim::Bytes& r) {
    for (std::size_t i = 0; i < 8 && i < r.size(); ++i)
        if (r[i] != 0x00 && r[i] != 0xFF) return false;
    return true;
}

uint16_t subFileOf(const cardsim::Bytes& r) {
    return static_cast<uint16_t>(r[16] << 8 | r[17]);
}

}  // namespace

WizardDriver::WizardDriver(orv::NaviWindow& window) : window_(window) {}

orv::Wizard& WizardDriver::wizard() const {
    return window_.wizard();
}

QString WizardDriver::tips() const {
    return window_.findChild<QLabel*>("lblTips")->text();
}

bool WizardDriver::okEnabled() const {
    return window_.findChild<QPushButton*>("cmdOK")->isEnabled();
}

bool WizardDriver::cancelEnabled() const {
    return window_.findChild<QPushButton*>("cmdCancel")->isEnabled();
}

int WizardDriver::step() const {
    return wizard().run().step;
}

void WizardDriver::ok() {
    QTest::mouseClick(window_.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
}

void WizardDriver::cancel() {
    QTest::mouseClick(window_.findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
}

bool WizardDriver::settle(int timeoutMs, const std::function<bool()>& stall, bool* stalled) {
    // Quiet on several polls in a row: a reply taken off the socket is
    // handled by a queued call, which runs between two polls.
    int quiet = 0;
    return waitFor(
        [&] {
            orv::Wizard& w = wizard();
            if (stall && stall() && w.session().awaitingReply()) {
                if (stalled) *stalled = true;
                return true;
            }
            const bool now = w.idle() && !w.session().awaitingReply() &&
                             w.session().socket().state() == QAbstractSocket::UnconnectedState;
            quiet = now ? quiet + 1 : 0;
            return quiet >= 3 || w.closing();
        },
        timeoutMs);
}

bool WizardDriver::awaiting(int timeoutMs) {
    return waitFor(
        [&] { return wizard().session().awaitingReply() && tips() == orv::texts::kSent; },
        timeoutMs);
}

QLineEdit* WizardDriver::input(int i) const {
    return window_.findChild<QLineEdit*>(kInputs[i]);
}

QString WizardDriver::caption(int i) const {
    return window_.findChild<QLabel*>(kLabels[i])->text();
}

void WizardDriver::type(int i, const QString& text) {
    QLineEdit* e = input(i);
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
    QTest::keyClicks(e, text);
}

QString WizardDriver::drive(const QStringList& amounts, const std::function<bool()>& stall) {
    for (int presses = 0; presses < 16; ++presses) {
        bool stalled = false;
        if (!settle(20000, stall, &stalled)) ADD_FAILURE() << "the wizard did not settle";
        if (stalled || !okEnabled() || wizard().closing()) return tips();
        const int s = step();
        if (s == 15) {
            for (int i = 0; i < amounts.size() && i < 3; ++i)
                if (input(i)->isVisible()) type(i, amounts[i]);
        } else if (!continues(s)) {
            return tips();
        }
        ok();
    }
    ADD_FAILURE() << "the run did not end: " << tips().toStdString();
    return tips();
}

ProgramRun::ProgramRun(const TempDir& dir, const QStringList& settings, bool serialSimulator)
    : dir_(dir), network_(std::make_unique<Offline>()) {
    makeProgramFolder(dir);
    if (serialSimulator) installSerialSimulator(dir);
    writeSettings(dir, settings);
    program_.waiter = &waiter_;
    program_.clock = &clock_;
    EXPECT_TRUE(orv::startProgram(program_, folderOf(dir), {}));
    window_ = std::make_unique<orv::MainWindow>(program_, *network_);
    window_->load();
    window_->show();
    EXPECT_TRUE(waitFor([&] { return window_->loaded(); }));
}

ProgramRun::~ProgramRun() {
    window_.reset();
    orv::RecordsDb::close();
}

void ProgramRun::operation(const char* menuItem,
                           const std::function<void(WizardDriver&)>& inWizard) {
    bool opened = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* w = qobject_cast<orv::NaviWindow*>(QApplication::activeModalWidget());
        if (!w || opened) return;
        opened = true;
        poll.stop();
        WizardDriver d(*w);
        inWizard(d);
        if (w->isVisible()) {
            d.settle();
            d.cancel();
        }
    });
    poll.start(5);
    QAction* item = window_->findChild<QAction*>(menuItem);
    EXPECT_NE(item, nullptr) << menuItem;
    if (item) item->trigger();
    poll.stop();
    EXPECT_TRUE(opened) << "no wizard opened for " << menuItem;
}

QString ProgramRun::runToEnd(const char* menuItem, const QStringList& amounts) {
    QString text;
    operation(menuItem, [&](WizardDriver& d) {
        d.ok();
        text = d.drive(amounts);
    });
    return text;
}

QSqlRecord ProgramRun::lastOperation() const {
    QSqlQuery q(orv::RecordsDb::connection());
    if (!q.exec("select * from sbjs order by id desc limit 1") || !q.next()) return {};
    return q.record();
}

int ProgramRun::operations() const {
    QSqlQuery q(orv::RecordsDb::connection());
    return q.exec("select count(*) from sbjs") && q.next() ? q.value(0).toInt() : -1;
}

int ProgramRun::rowsOf(const char* table, qint64 cbid) const {
    QSqlQuery q(orv::RecordsDb::connection());
    q.prepare(QStringLiteral("select count(*) from %1 where cbid = ?").arg(QLatin1String(table)));
    q.addBindValue(cbid);
    return q.exec() && q.next() ? q.value(0).toInt() : -1;
}

QStringList ProgramRun::monitoringRows(qint64 cbid) const {
    QSqlQuery q(orv::RecordsDb::connection());
    q.prepare("select dat from ef01 where cbid = ? order by id");
    q.addBindValue(cbid);
    QStringList out;
    if (q.exec())
        while (q.next())
            out << q.value(0).toString();
    return out;
}

QStringList ProgramRun::logLines() const {
    QFile f(program_.log->LogFile());
    QStringList out;
    if (!f.open(QIODevice::ReadOnly)) return out;
    for (const QString& l : orv::fromGbk(f.readAll()).split("\r\n", Qt::SkipEmptyParts))
        out << l.mid(20);
    return out;
}

int checkedRequests(const QList<QJsonObject>& lines) {
    for (const QJsonObject& l : lines)
        EXPECT_TRUE(l["ok"].toBool()) << QJsonDocument(l).toJson().toStdString();
    return static_cast<int>(lines.size());
}

void expectUnlocked(const cardsim::Card& before, const cardsim::Card& after,
                    const QStringList& monitoring, const std::vector<int>& rolls,
                    const std::vector<int>& days) {
    std::vector<cardsim::Bytes> written(before.monitor);
    for (const QString& m : monitoring) {
        const QByteArray b = QByteArray::fromHex(m.toLatin1());
        written.emplace_back(b.begin(), b.end());
    }
    EXPECT_EQ(after.monitor, written) << "the monitoring records, in order";
    std::map<uint16_t, int> zeroed;  // sub-file: records zeroed from the first
    const std::pair<uint16_t, const std::vector<int>*> groups[] = {{0xEF06, &rolls},
                                                                   {0xEF09, &days}};
    for (const auto& [fid, counts] : groups) {
        const auto& records = before.files.at(fid).records;
        for (std::size_t i = 0; i < counts->size() && i < records.size(); ++i)
            zeroed[subFileOf(records[i])] = (*counts)[i];
    }
    for (const auto& [fid, f] : before.files) {
        const cardsim::CardFile& now = after.files.at(fid);
        EXPECT_EQ(now.data, f.data) << std::hex << fid;
        ASSERT_EQ(now.records.size(), f.records.size()) << std::hex << fid;
        for (std::size_t r = 0; r < f.records.size(); ++r) {
            cardsim::Bytes want = f.records[r];
            if (fid == 0xEF04 && !want.empty() && want[0] == 0x01) want[0] = 0x00;
            const auto z = zeroed.find(fid);
            if (z != zeroed.end() && static_cast<int>(r) < z->second)
                want.assign(want.size(), 0x00);
            EXPECT_EQ(now.records[r], want) << "file " << std::hex << fid << " record " << r + 1;
        }
    }
}

void expectHistoryCleared(const cardsim::Card& card) {
    for (const uint16_t fid : {uint16_t{0xEF06}, uint16_t{0xEF09}}) {
        for (const auto& r : card.files.at(fid).records) {
            if (blankRecord(r)) continue;
            for (const auto& sub : card.files.at(subFileOf(r)).records)
                EXPECT_EQ(sub, cardsim::Bytes(sub.size(), 0x00))
                    << "sub-file " << std::hex << subFileOf(r);
        }
    }
}

void expectUntouched(const cardsim::Card& before, const cardsim::Card& after) {
    EXPECT_EQ(after.monitor, before.monitor);
    for (const auto& [fid, f] : before.files) {
        EXPECT_EQ(after.files.at(fid).records, f.records) << std::hex << fid;
        EXPECT_EQ(after.files.at(fid).data, f.data) << std::hex << fid;
    }
}

}  // namespace orvtest
