// Texts the message code sets for the wizard to show.
#pragma once

#include <QString>

namespace orv::texts {

inline const QString kSerialFailed = QStringLiteral("取交易流水号失败，请重试。");
inline const QString kAbnormalReply =
    QStringLiteral("服务器返回数据异常，请重试。或与服务商联系。");
inline const QString kReportAccepted = QStringLiteral("本月抄报税成功");

}  // namespace orv::texts
