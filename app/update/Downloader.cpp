#include "update/Downloader.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <limits>

namespace orv {

namespace {

qint32 clamp32(qint64 v) {
    if (v < 0) return 0;
    return static_cast<qint32>(std::min<qint64>(v, std::numeric_limits<qint32>::max()));
}

}  // namespace

Downloader::Downloader(QObject* parent) : QObject(parent) {}

Downloader::~Downloader() {
    Cancel();
}

QString Downloader::GetStatusCode(qint32 code) {
    switch (code) {
        case 0:
            return QStringLiteral("An Error Has Occurred.");
        case 1:
            return QStringLiteral("Finding Resource.");
        case 2:
            return QStringLiteral("Connecting To Resource.");
        case 3:
            return QStringLiteral("Redirecting.");
        case 4:
            return QStringLiteral("Download Initialized.");
        case 5:
            return QStringLiteral("Download In Progress.");
        case 6:
            return QStringLiteral("Download Complete.");
        case 10:
            return QStringLiteral("Using Cached Copy.");
        case 11:
            return QStringLiteral("Sending Request.");
        case 13:
            return QStringLiteral("MIME Type Is Available.");
        case 14:
            return QStringLiteral("Local Cache File Is Available.");
        case 15:
            return QStringLiteral("Synchronous Download Has Started.");
        case 16:
            return QStringLiteral("Synchronous Download Complete.");
        default:
            return QStringLiteral("Unknown.");
    }
}

void Downloader::setSizeLimit(const QString& key, qint64 bytes) {
    limits_.insert(key, bytes);
}

void Downloader::BeginDownload(const QString& path, const QString& key, qint32 fileType,
                               qint32 downloadType) {
    Q_UNUSED(downloadType);
    const QUrl url(path, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        emit DownloadError(key, kBadAddress,
                           QStringLiteral("Not an http or https address: %1").arg(path));
        return;
    }
    if (fileType != kByteArray) {
        emit DownloadError(key, kBadFileType,
                           QStringLiteral("Unsupported FileType %1").arg(fileType));
        return;
    }
    QNetworkRequest request(url);
    // https never falls back to http on a redirect.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setTransferTimeout(transferTimeoutMs_);
    if (!nam_) nam_ = std::make_unique<QNetworkAccessManager>();
    QNetworkReply* reply = nam_->get(request);
    transfers_.insert(reply, {key, fileType, limits_.value(key, kDefaultLimit), {}});

    connect(reply, &QNetworkReply::redirected, this,
            [this, reply](const QUrl& to) { progress(reply, Redirecting, to.toString()); });
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        const auto it = transfers_.constFind(reply);
        if (it == transfers_.constEnd()) return;
        if (length.isValid() && length.toLongLong() > it->limit) {
            fail(reply,
                 QStringLiteral("The download would be larger than %1 bytes.").arg(it->limit));
            return;
        }
        progress(reply, MimeTypeAvailable,
                 reply->header(QNetworkRequest::ContentTypeHeader).toString());
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] { take(reply); });
    connect(reply, &QNetworkReply::downloadProgress, this,
            [this, reply](qint64 done, qint64 total) {
                progress(reply, DownloadInProgress, QString(), done, total);
            });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finish(reply); });
}

void Downloader::progress(QNetworkReply* reply, qint32 status, const QString& platformText,
                          qint64 done, qint64 total) {
    const auto it = transfers_.constFind(reply);
    if (it == transfers_.constEnd()) return;
    emit DownloadProgress(it->key, clamp32(done), clamp32(total), status,
                          platformText.isEmpty() ? GetStatusCode(status) : platformText);
}

// Moves what arrived into the transfer; false once it is over its limit.
bool Downloader::take(QNetworkReply* reply) {
    const auto it = transfers_.find(reply);
    if (it == transfers_.end()) return false;
    // Read on every arrival, so what waits in the reply stays one chunk.
    it->data += reply->readAll();
    if (it->data.size() <= it->limit) return true;
    fail(reply, QStringLiteral("The download is larger than %1 bytes.").arg(it->limit));
    return false;
}

void Downloader::finish(QNetworkReply* reply) {
    if (!transfers_.contains(reply)) return;
    if (reply->error() != QNetworkReply::NoError) {
        const QString text = reply->errorString();
        fail(reply, text.isEmpty() ? GetStatusCode(Failed) : text);
        return;
    }
    if (!take(reply)) return;
    const Transfer t = transfers_.value(reply);
    drop(reply);
    emit DownloadComplete(t.key, t.data, t.fileType);
}

QString Downloader::drop(QNetworkReply* reply) {
    const QString key = transfers_.value(reply).key;
    transfers_.remove(reply);
    disconnect(reply, nullptr, this, nullptr);
    reply->abort();
    reply->deleteLater();
    return key;
}

void Downloader::fail(QNetworkReply* reply, const QString& description) {
    const QString key = drop(reply);
    emit DownloadError(key, Failed, description);
}

void Downloader::Cancel(const QString& key) {
    for (QNetworkReply* reply : transfers_.keys())
        if (transfers_.value(reply).key == key) drop(reply);
}

void Downloader::Cancel() {
    for (QNetworkReply* reply : transfers_.keys())
        drop(reply);
}

}  // namespace orv
