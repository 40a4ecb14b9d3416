// The program's own words for failures whose technical text comes from Qt,
// the system or SQLite: the user reads these, the log keeps the technical
// text beside them.
#pragma once

#include <QAbstractSocket>
#include <QFileDevice>
#include <QString>

namespace orv {

// Why a connection failed, in a few words (no final punctuation).
QString socketErrorText(QAbstractSocket::SocketError error);

// Why a file could not be written, with what to try.
QString fileErrorText(QFileDevice::FileError error);

// The records database could not be read or written.
inline const QString kRecordsUnreadable = QStringLiteral(
    "无法读取本机的记录数据库。请重新启动 Orvane 后再试；仍然出错时请与服务商联系。");
inline const QString kRecordsUnwritable =
    QStringLiteral("无法保存本机的记录（记录数据库写入失败）");
// Anything else that went wrong inside the program.
inline const QString kInternalFault = QStringLiteral("程序内部出错");

}  // namespace orv
