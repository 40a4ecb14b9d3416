// ucDownloader: downloads resources over http and https in the background
// and reports on them through three events, each carrying the caller's key.
// Several downloads may run at once. What a download may hold is bounded
// (per key, 512 MiB unless set): more is refused as a failed transfer.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <memory>

class QNetworkReply;

namespace orv {

class Downloader : public QObject {
    Q_OBJECT
public:
    // Status codes of a transfer (GetStatusCode gives their texts).
    enum Status : qint32 {
        Failed = 0,
        FindingResource = 1,
        Connecting = 2,
        Redirecting = 3,
        DownloadInitialized = 4,
        DownloadInProgress = 5,
        DownloadFinished = 6,
        MimeTypeAvailable = 13,
    };
    // The only form a result comes in: the bytes.
    static constexpr qint32 kByteArray = 2;
    // Error numbers of a download that cannot be started.
    static constexpr qint32 kBadAddress = 301;   // not an http or https URL
    static constexpr qint32 kBadFileType = 302;  // a FileType other than kByteArray
    static constexpr qint64 kDefaultLimit = 512LL * 1024 * 1024;

    explicit Downloader(QObject* parent = nullptr);
    ~Downloader() override;

    // Starts the download and returns at once. When it cannot be started,
    // DownloadError comes before this returns, with a number that is not 0.
    // `downloadType` is accepted and has no effect: nothing is cached, every
    // download is read from the network.
    void BeginDownload(const QString& path, const QString& key, qint32 fileType = kByteArray,
                       qint32 downloadType = 0);
    // Stops the downloads of `key` without raising events; a key without a
    // running download is no error.
    void Cancel(const QString& key);
    // Stops every running download.
    void Cancel();
    static QString GetStatusCode(qint32 code);

    // The most a download of `key` may hold.
    void setSizeLimit(const QString& key, qint64 bytes);
    // A transfer that moves nothing for this long fails (default 60 s).
    void setTransferTimeout(int ms) { transferTimeoutMs_ = ms; }
    int running() const { return static_cast<int>(transfers_.size()); }

signals:
    void DownloadProgress(const QString& key, qint32 progress, qint32 progressMax,
                          qint32 statusNumber, const QString& statusText);
    void DownloadError(const QString& key, qint32 statusNumber, const QString& description);
    void DownloadComplete(const QString& key, const QByteArray& value, qint32 fileType);

private:
    struct Transfer {
        QString key;
        qint32 fileType = kByteArray;
        qint64 limit = kDefaultLimit;
        QByteArray data;
    };
    void progress(QNetworkReply* reply, qint32 status, const QString& platformText, qint64 done = 0,
                  qint64 total = 0);
    bool take(QNetworkReply* reply);
    void finish(QNetworkReply* reply);
    // Ends a transfer without further events; its key.
    QString drop(QNetworkReply* reply);
    void fail(QNetworkReply* reply, const QString& description);

    // Made on the first download: it costs the program's start otherwise.
    std::unique_ptr<QNetworkAccessManager> nam_;
    QHash<QNetworkReply*, Transfer> transfers_;
    QHash<QString, qint64> limits_;
    int transferTimeoutMs_ = 60000;
};

}  // namespace orv
