#include "base/Settings.h"

#include <QUrl>

#include <cmath>
#include <limits>
#include <optional>

#include "base/Deployment.h"

namespace orv {

namespace {
const QString kSystem = QStringLiteral("SYSTEM");

// Whole numbers, or decimals rounded half to even as the conversion the
// settings were written for does.
std::optional<double> number(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}
}  // namespace

qint32 toInt32(const QString& text) {
    const auto v = number(text);
    if (!v) return 0;
    const double r = std::nearbyint(*v);  // default rounding mode: half to even
    if (r < std::numeric_limits<qint32>::min() || r > std::numeric_limits<qint32>::max()) return 0;
    return static_cast<qint32>(r);
}

bool toBool(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
    const auto v = number(t);
    return v && *v != 0.0;
}

bool isWebAddress(const QString& address) {
    const QUrl url(address);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

bool isAddressSetting(const QString& key) {
    for (const char* name :
         {"UPDATE", "AUTOUPDATE", "INVOICE1", "INVOICE2", "INVOICE3", "INVOICE4"})
        if (key.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) return true;
    return false;
}

QString tianyuReader(const QStringList& readers) {
    for (const QString& r : readers)
        if (r.toUpper().contains(QLatin1String("TIANYU"))) return r;
    return {};
}

QString defaultReader(const QStringList& readers, ReaderFallback fallback) {
    const QString tianyu = tianyuReader(readers);
    if (!tianyu.isEmpty()) return tianyu;
    if (fallback == ReaderFallback::FirstListed && !readers.isEmpty() && !readers.first().isEmpty())
        return readers.first();
    return QStringLiteral("USB");
}

SystemSettings LoadSettings(const IniFile& ini, const ReaderLister& readers,
                            ReaderFallback fallback) {
    // One reading: the settings as they stood together, and one file
    // opened at start rather than one for each key.
    const QByteArray content = ini.contents();
    auto get = [&](const char* key, const QString& def) {
        return IniFile::SettingOf(content, kSystem, QLatin1String(key), def);
    };
    QString reader = QStringLiteral("USB");
    if (get("READER", QString()).isEmpty() && readers) reader = defaultReader(readers(), fallback);
    // An address the program opens or downloads from is used only when it
    // is on the web: a manifest may have written anything there.
    auto web = [&](const char* key, const char* def) {
        const QString value = get(key, QLatin1String(def));
        return isWebAddress(value) ? value : QString::fromLatin1(def);
    };
    SystemSettings s;
    s.IP = get("IP", QLatin1String(deployment::kServerAddress));
    s.PORT = get("PORT", QLatin1String(deployment::kServerPort));
    s.READER = get("READER", reader);
    s.ConnOverTime = toInt32(get("ConnOverTime", QStringLiteral("60")));
    s.EchoOverTime = toInt32(get("EchoOverTime", QStringLiteral("300")));
    s.UPDATE = web("UPDATE", deployment::kDownloadPage);
    s.AUTOUPDATE = web("AUTOUPDATE", deployment::kUpdateManifest);
    s.DETAILEDLOG = toBool(get("DETAILEDLOG", QStringLiteral("False")));
    s.INVOICE1 = web("INVOICE1", deployment::kInvoiceCheck1);
    s.INVOICE2 = web("INVOICE2", deployment::kInvoiceCheck2);
    s.INVOICE3 = web("INVOICE3", deployment::kInvoiceCheck3);
    s.INVOICE4 = web("INVOICE4", deployment::kInvoiceCheck4);
    return s;
}

void SaveServerSettings(IniFile& ini, const SystemSettings& s) {
    ini.SaveSetting(kSystem, QStringLiteral("IP"), s.IP);
    ini.SaveSetting(kSystem, QStringLiteral("PORT"), s.PORT);
}

void SaveReaderSetting(IniFile& ini, const SystemSettings& s) {
    ini.SaveSetting(kSystem, QStringLiteral("READER"), s.READER);
}

qint64 NextTransactionNumber(IniFile& ini) {
    // A counter that is no number restarts from the default.
    bool ok = false;
    qint64 sn = ini.GetSetting(kSystem, QStringLiteral("SN"), QStringLiteral("1"))
                    .trimmed()
                    .toLongLong(&ok);
    // One that cannot grow any more starts again too, instead of overflowing.
    if (!ok || sn < 0 || sn == std::numeric_limits<qint64>::max()) sn = 1;
    ++sn;
    ini.SaveSetting(kSystem, QStringLiteral("SN"), QString::number(sn));
    return sn;
}

}  // namespace orv
