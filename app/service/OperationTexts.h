// Texts of the card operations: copy-tax reporting, clear-unlock, the
// declaration's amount inputs and clearing the card's history.
#pragma once

#include <QString>

namespace orv::texts {

inline const QString kReadingDaily = QStringLiteral("正在读用户卡日交易记录文件......");

inline const QString kNotSummarisedLog = QStringLiteral("用户卡未汇总");
inline const QString kAlreadyUnlocked = QStringLiteral("该卡已经清零解锁，无有效的申报汇总数据。");
inline const QString kLastPeriod = QStringLiteral("卡上最后一次申报数据所属期为: ");
inline const QString kPeriodTo = QStringLiteral(" 至 ");
inline const QString kNotSummarisedHint = QStringLiteral(
    "可能是您未在税控机上进行申报汇总操作，或者您本征期已完成清零解锁。请检查后重试，点“取消”退出"
    "。");

inline const QString kNoDailyLog = QStringLiteral("用户卡无日交易记录");
inline const QString kNoDaily = QStringLiteral("您的用户卡中没有日交易记录。");
inline const QString kDailyMismatchLog = QStringLiteral("用户卡日交易记录与汇总数据不符");
inline const QString kDailyMismatch = QStringLiteral("您的用户卡中日交易记录与汇总数据不符。");
inline const QString kDailyHint =
    QStringLiteral("请在税控机上抄报日交易记录后重试，或与税控机服务人员联系。点“取消”退出。");

inline const QString kUnlocking = QStringLiteral("正在对用户卡进行清零解锁操作，");
inline const QString kDoNotPull = QStringLiteral("在此期间请勿插拔卡！");
inline const QString kCardSwappedLog = QStringLiteral("换卡：");
inline const QString kOtherCard = QStringLiteral("读卡器中的卡不是您抄报的卡！");
inline const QString kEchoFailedLog = QStringLiteral("echoControls失败：");
inline const QString kEchoDoneLog = QStringLiteral("echoControls成功");
inline const QString kEchoFailed = QStringLiteral("回送监控数据时发生错误，错误代码：");
inline const QString kContactService =
    QStringLiteral("请联系服务人员或到办税大厅进行处理，点“取消”退出。");
inline const QString kClearEF06FailedLog = QStringLiteral("clearEF06失败：");
inline const QString kClearEF06DoneLog = QStringLiteral("clearEF06成功");
inline const QString kClearEF09FailedLog = QStringLiteral("clearEF09失败：");
inline const QString kClearEF09DoneLog = QStringLiteral("clearEF09成功");
inline const QString kClearInvoicesFailed =
    QStringLiteral("清除发票使用信息时发生错误，错误代码：");
inline const QString kClearDailyFailed = QStringLiteral("清除日交易记录时发生错误，错误代码：");
inline const QString kUseClearHistory =
    QStringLiteral("您可以使用“卡信息”菜单中的“清除卡内历史数据”功能进行清卡。");
inline const QString kOrContactService =
    QStringLiteral("或者联系服务人员、或到办税大厅进行处理，点“取消”退出。");
inline const QString kUnlocked = QStringLiteral("清零解锁成功！点“取消”退出。");
// After a write that left the card as it was: "确定" writes the record again.
inline const QString kRetryWithOk = QStringLiteral("点“确定”重新写入监控数据。");
// The server accepted, but sent monitoring data the card cannot take.
inline const QString kMonitoringUnusable =
    QStringLiteral("服务器已受理，但返回的监控数据有误，未写入用户卡。");

inline const QString kOtherSales = QStringLiteral("其他销售收入：");
inline const QString kPeriodAmount = QStringLiteral("本期发生额：");
inline const QString kGoodsSales = QStringLiteral("应税货物销售额：");
inline const QString kServicesSales = QStringLiteral("应税服务销售额：");
inline const QString kAmountRejected = QStringLiteral("输入的金额错误，请重新输入。");
inline const QString kErrorCaption = QStringLiteral("错误");

inline const QString kNotUnlockedLog = QStringLiteral("用户卡未解锁");
inline const QString kNotUnlocked = QStringLiteral("该卡尚未清零解锁，不能单独进行清卡操作。");
inline const QString kNotUnlockedHint = QStringLiteral(
    "本操作仅对已经解锁的卡清除历史数据。请检查后重试，或与服务商联系。点“取消”退出。");
inline const QString kClearingHistory = QStringLiteral("正在对用户卡进行清除历史数据操作，");
inline const QString kClearingTakesLong = QStringLiteral("本操作时间较长，在此期间请勿插拔卡！");
inline const QString kClearHistoryFailed = QStringLiteral("清除历史数据时发生错误，错误代码：");
inline const QString kHistoryCleared = QStringLiteral("清除历史数据成功！点“取消”退出。");

}  // namespace orv::texts
