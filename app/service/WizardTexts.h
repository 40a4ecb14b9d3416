// Texts the operation wizard shows and logs.
#pragma once

#include <QString>

namespace orv::texts {

inline const QString kInsertCard = QStringLiteral("请把用户卡插入读卡器，点击“确定”按钮。");
inline const QString kReading[] = {
    QStringLiteral("正在读用户卡基本信息......"),
    QStringLiteral("正在读用户卡申报汇总数据......"),
    QStringLiteral("正在读用户卡发票使用信息......"),
    QStringLiteral("正在读用户卡日交易记录......"),
};
inline const QString kReadFailed = QStringLiteral("读卡时发生错误，错误代码：");
inline const QString kCheckAndRetry = QStringLiteral("请检查用户卡和读卡器后重试，点“取消”退出。");
inline const QString kHintNotSeated = QStringLiteral("可能是用户卡未插到位。");
inline const QString kHintReversed = QStringLiteral("可能是用户卡插反了。");

inline const QString kConnecting = QStringLiteral("正在连接服务器......");
inline const QString kConnectTimeout = QStringLiteral("连接服务器超时，请稍后重试，点“取消”退出。");
inline const QString kSending = QStringLiteral("正在发送数据......");
inline const QString kSent = QStringLiteral("发送完成，等待服务器应答......");
inline const QString kDisconnected = QStringLiteral("服务器连接被断开");
inline const QString kRetryLater = QStringLiteral("请您稍后重试，点“取消”退出。");
inline const QString kSocketError = QStringLiteral("连接服务器错误，错误原因：");
inline const QString kReplyTimeout = QStringLiteral("与服务器通讯超时，请稍后重试，点“取消”退出。");
inline const QString kReplyTimeoutLog = QStringLiteral("与服务器通讯超时");
inline const QString kReceived = QStringLiteral("收到数据，正在处理......");
inline const QString kUserLeft = QStringLiteral("用户退出导航");

inline const QString kUnexpected = QStringLiteral("发生未预料错误：");
inline const QString kErrorNumber = QStringLiteral("错误代码：");
inline const QString kErrorDescription = QStringLiteral("错误描述：");

}  // namespace orv::texts
