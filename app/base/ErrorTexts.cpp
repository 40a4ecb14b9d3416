#include "base/ErrorTexts.h"

namespace orv {

QString socketErrorText(QAbstractSocket::SocketError error) {
    switch (error) {
        case QAbstractSocket::ConnectionRefusedError:
            return QStringLiteral("服务器拒绝连接（地址或端口不对，或服务器没有运行）");
        case QAbstractSocket::RemoteHostClosedError:
            return QStringLiteral("服务器断开了连接");
        case QAbstractSocket::HostNotFoundError:
            return QStringLiteral("找不到服务器（请检查服务器地址）");
        case QAbstractSocket::SocketAccessError:
            return QStringLiteral("没有使用网络的权限（可能被防火墙或安全软件阻止）");
        case QAbstractSocket::SocketResourceError:
            return QStringLiteral("本机网络资源不足");
        case QAbstractSocket::SocketTimeoutError:
            return QStringLiteral("连接超时，服务器没有应答");
        case QAbstractSocket::NetworkError:
            return QStringLiteral("网络不通（请检查网线、无线网络或网关设置）");
        case QAbstractSocket::AddressInUseError:
        case QAbstractSocket::SocketAddressNotAvailableError:
            return QStringLiteral("本机的网络地址不可用");
        case QAbstractSocket::UnsupportedSocketOperationError:
            return QStringLiteral("本机不支持这种网络连接");
        case QAbstractSocket::ProxyAuthenticationRequiredError:
        case QAbstractSocket::ProxyConnectionRefusedError:
        case QAbstractSocket::ProxyConnectionClosedError:
        case QAbstractSocket::ProxyConnectionTimeoutError:
        case QAbstractSocket::ProxyNotFoundError:
        case QAbstractSocket::ProxyProtocolError:
            return QStringLiteral("代理服务器出错（请检查代理设置）");
        default:
            return QStringLiteral("网络出错");
    }
}

QString fileErrorText(QFileDevice::FileError error) {
    switch (error) {
        case QFileDevice::OpenError:
        case QFileDevice::PermissionsError:
            return QStringLiteral(
                "文件打不开。文件可能正被其他程序（例如 Excel）打开，"
                "或者没有写入这个文件夹的权限。请关闭文件或另选文件夹后重试。");
        case QFileDevice::WriteError:
        case QFileDevice::ResourceError:
            return QStringLiteral("写入失败。磁盘可能已满，或者 U 盘已被拔出。请另选位置后重试。");
        case QFileDevice::RenameError:
        case QFileDevice::RemoveError:
        case QFileDevice::CopyError:
            return QStringLiteral(
                "无法替换原有的文件。它可能正被其他程序打开。请关闭文件或换个文件名后重试。");
        default:
            return QStringLiteral("文件写入失败。请另选文件夹或文件名后重试。");
    }
}

}  // namespace orv
