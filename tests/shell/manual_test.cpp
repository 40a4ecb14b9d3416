// The user manual: every picture it shows is there, in the sources and in
// the program folder the build lays out, none is left over, and it
// explains each text the program shows when something goes wrong.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include "base/ErrorTexts.h"
#include "onwindows.h"
#include "service/OperationTexts.h"
#include "service/Texts.h"
#include "service/WizardTexts.h"
#include "shell/Startup.h"

namespace {

QString manualText() {
    QFile f(QStringLiteral(ORV_SOURCE_DIR "/app/help/zelORV.html"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QString::fromUtf8(f.readAll());
}

QSet<QString> pictures(const QString& html) {
    QSet<QString> out;
    const QRegularExpression img(QString::fromLatin1(R"re(<img src="zelORV\.files/([^"]+)")re"));
    for (const auto& m : img.globalMatch(html))
        out << m.captured(1);
    return out;
}

TEST(Manual, EveryPictureItShowsIsThereAndNoneIsLeftOver) {
    if (orvtest::kOnWindows)
        GTEST_SKIP() << "Windows' program folder has the compiled help file (zelORV.chm)";
    const QSet<QString> shown = pictures(manualText());
    ASSERT_GE(shown.size(), 10);
    const QDir source(QStringLiteral(ORV_SOURCE_DIR "/app/help/zelORV.files"));
    const QDir program(QStringLiteral(ORV_PROGRAM_DIR "/zelORV.files"));
    for (const QString& p : shown) {
        EXPECT_TRUE(QFileInfo(source.filePath(p)).size() > 0) << p.toStdString();
        EXPECT_TRUE(QFileInfo(program.filePath(p)).size() > 0) << p.toStdString();
    }
    for (const QString& f : source.entryList(QDir::Files))
        EXPECT_TRUE(shown.contains(f)) << "not in the manual: " << f.toStdString();
    // The program looks for the manual under the platform's name.
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral(ORV_PROGRAM_DIR "/") + orv::helpFileName()));
}

TEST(Manual, ExplainsEveryTextTheProgramShowsOnAFailure) {
    using namespace orv::texts;
    const QString html = manualText();
    const QString texts[] = {
        // start-up and the main window
        "动态库文件未找到！", "数据库文件未找到！", "打开数据库错误！", "无法创建程序运行锁文件：",
        "读卡器未连接，请检查后重试。", "帮助文件未找到！",
        "连接发票辨伪拍奖服务器错误，请稍后重试！",
        // settings and the about box
        "您输入的数据有误，请重新输入。", "连接成功！", "连接失败！", "此时系统信息不可用",
        // the wizard
        kReadFailed, kCheckAndRetry, kHintNotSeated, kHintReversed, kConnectTimeout, kDisconnected,
        kRetryLater, kSocketError, kReplyTimeout, kUnexpected, kSerialFailed, kAbnormalReply,
        kReportAccepted,
        // copy-tax, clear-unlock, declaration, clearing history
        "该卡已经清零解锁，无有效的申报汇总数据。", "您的用户卡中没有日交易记录。",
        "您的用户卡中日交易记录与汇总数据不符。", "读卡器中的卡不是您抄报的卡！",
        "回送监控数据时发生错误，错误代码：", kRetryWithOk, kMonitoringUnusable,
        "清除发票使用信息时发生错误，错误代码：", "清除日交易记录时发生错误，错误代码：",
        "清零解锁成功！点“取消”退出。", "输入的金额错误，请重新输入。",
        "该卡尚未清零解锁，不能单独进行清卡操作。", "清除历史数据时发生错误，错误代码：",
        "清除历史数据成功！点“取消”退出。",
        // queries, export, update
        "起始时间不能大于终止时间！", "数据已导出到：", "查询记录时出错：",
        "导出时发生错误:", "已下载本系统最新版本，程序将关闭后自动升级。",
        // the reasons the program gives in its own words
        orv::socketErrorText(QAbstractSocket::ConnectionRefusedError),
        orv::socketErrorText(QAbstractSocket::HostNotFoundError),
        orv::socketErrorText(QAbstractSocket::NetworkError), orv::kRecordsUnreadable.left(12),
        orv::kRecordsUnwritable.left(8),
        // what the query windows show as a result
        "成功", "失败", "未执行", "未知"};
    for (const QString& t : texts)
        EXPECT_TRUE(html.contains(t)) << t.toStdString();
}

// What a taxpayer alone needs: the month at the front, the first set-up,
// where the records are on each platform, the reader on each platform.
TEST(Manual, StartsWithTheMonthAndCoversSetUpFilesAndReaders) {
    const QString html = manualText();
    const qsizetype month = html.indexOf(QStringLiteral("id=\"month\""));
    ASSERT_GE(month, 0);
    EXPECT_LT(month, html.indexOf(QStringLiteral("id=\"intro\"")));
    EXPECT_LT(html.indexOf(QStringLiteral("id=\"firstrun\"")),
              html.indexOf(QStringLiteral("id=\"intro\"")));
    for (const char* t : {"127.0.0.1", "~/.local/share/orvane", "%LOCALAPPDATA%\\Programs\\Orvane",
                          "Orvane 用户卡数据报送", "pcscd", "dialout", "COM33",
                          "sudo apt remove orvane", "培训模式", "id=\"glossary\""})
        EXPECT_TRUE(html.contains(QString::fromUtf8(t))) << t;
    // Every link inside the manual leads to a section of it.
    const QRegularExpression link(QStringLiteral(R"re(href="#([a-z]+)")re"));
    for (const auto& m : link.globalMatch(html))
        EXPECT_TRUE(html.contains(QStringLiteral("id=\"%1\"").arg(m.captured(1))))
            << m.captured(1).toStdString();
}

}  // namespace
