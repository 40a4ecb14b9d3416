#include "RequestCheck.h"

#include <QDate>
#include <QRegularExpression>

#include "base/Text.h"
#include "service/Wire.h"
#include "zelreader.h"

namespace taxsim {

namespace {

class Checker {
public:
    Checker(const QByteArray& r, Check& c) : r_(r), c_(c) {}

    QString text(int offset, int size) const { return orv::fromGbk(r_.mid(offset, size)); }
    void error(const QString& e) { c_.errors << e; }

    void spaces(int from, int to) {
        if (r_.mid(from, to - from + 1) != QByteArray(to - from + 1, ' '))
            error(QStringLiteral("bytes %1-%2 are not spaces").arg(from).arg(to));
    }
    void exact(int offset, const QString& want, const char* what) {
        if (text(offset, static_cast<int>(want.size())) != want)
            error(QStringLiteral("%1 at %2 is not \"%3\"")
                      .arg(QLatin1String(what))
                      .arg(offset)
                      .arg(want));
    }
    bool matches(int offset, int size, const char* pattern) const {
        return QRegularExpression(QStringLiteral("^(?:%1)$").arg(QLatin1String(pattern)))
            .match(text(offset, size))
            .hasMatch();
    }
    // A data-length field: decimal, left-aligned, space-padded; returns it.
    qint64 dataLength(int offset) {
        const QString f = text(offset, 15);
        c_.found[QStringLiteral("dataLength")] = f.trimmed();
        if (!matches(offset, 15, "\\d+ *")) {
            error(QStringLiteral("data length \"%1\" is not left-aligned decimal").arg(f));
            return -1;
        }
        const qint64 n = f.trimmed().toLongLong();
        if (n != r_.size() - offset - 15)
            error(QStringLiteral("data length %1 but %2 bytes follow")
                      .arg(n)
                      .arg(r_.size() - offset - 15));
        c_.data = text(offset + 15, static_cast<int>(r_.size()) - offset - 15);
        return n;
    }
    void size(int want) {
        if (r_.size() != want) error(QStringLiteral("%1 bytes, not %2").arg(r_.size()).arg(want));
    }

private:
    const QByteArray& r_;
    Check& c_;
};

bool isDate(const QString& yyyymmdd) {
    return QDate::fromString(yyyymmdd, QStringLiteral("yyyyMMdd")).isValid();
}

// "hex|sub sub ..": a group of `subChars`-character sub-records.
bool groupsShaped(const QString& text, int subChars) {
    if (text.isEmpty()) return true;
    static const QRegularExpression hex(QStringLiteral("^[0-9A-F]*$"));
    for (const QString& g : text.split(QStringLiteral("##"))) {
        const qsizetype bar = g.indexOf(QLatin1Char('|'));
        if (bar != 36 || !hex.match(g.left(36)).hasMatch()) return false;
        const QString subs = g.mid(37);
        if (subs.size() % subChars != 0 || !hex.match(subs).hasMatch()) return false;
    }
    return true;
}

}  // namespace

std::optional<QStringList> splitDetailReport(const QString& data) {
    // The records and the runs of "#" between them: runs[k] comes before
    // records[k], the last run ends the text.
    QStringList records;
    QList<int> runs;
    for (qsizetype i = 0;;) {
        int run = 0;
        for (; i < data.size() && data[i] == QLatin1Char('#'); ++i)
            ++run;
        runs << run;
        if (i == data.size()) break;
        const qsizetype start = i;
        while (i < data.size() && data[i] != QLatin1Char('#'))
            ++i;
        records << data.mid(start, i - start);
    }
    if (records.isEmpty()) {
        if (runs[0] != 2) return std::nullopt;
        return QStringList{QString(), QString(), QString()};
    }
    // Leading and trailing runs are separators only (empty files at either
    // end). Between two records a single "#" crosses into the next file and
    // "##" joins two records of one file, unless it stands for two
    // separators around an empty EF06.
    const qsizetype last = records.size();
    if (runs[0] > 2 || runs[last] > 2) return std::nullopt;
    int separators = runs[0] + runs[last];
    for (qsizetype k = 1; k < last; ++k) {
        if (runs[k] != 1 && runs[k] != 2) return std::nullopt;
        if (runs[k] == 1) ++separators;
    }
    QList<int> fileOf(last);
    if (separators == 2) {
        int file = runs[0];
        for (qsizetype k = 0; k < last; ++k) {
            if (k > 0 && runs[k] == 1) ++file;
            fileOf[k] = file;
        }
    } else if (separators == 0) {
        // EF06 is empty and the pair stands where the EF04 records (which
        // hold no "|") give way to EF09 groups.
        qsizetype firstGroup = 0;
        while (firstGroup < last && !records[firstGroup].contains(QLatin1Char('|')))
            ++firstGroup;
        if (firstGroup == 0 || firstGroup == last) return std::nullopt;
        for (qsizetype k = 0; k < last; ++k)
            fileOf[k] = k < firstGroup ? 0 : 2;
    } else {
        return std::nullopt;
    }
    QStringList files(3);
    for (qsizetype k = 0; k < last; ++k) {
        QString& f = files[fileOf[k]];
        if (!f.isEmpty()) f += QStringLiteral("##");
        f += records[k];
    }
    return files;
}

namespace {

QString reportShape(const QString& data, bool first) {
    static const QRegularExpression hex(QStringLiteral("^[0-9A-F]+$"));
    if (first) {
        return (data.size() == 442 || data.size() == 122) && hex.match(data).hasMatch()
                   ? QString()
                   : QStringLiteral("first report is not an EF02 of 221 or 61 bytes");
    }
    const std::optional<QStringList> split = splitDetailReport(data);
    if (!split) return QStringLiteral("detail report is not EF04#EF06#EF09");
    const QStringList& files = *split;
    for (const QString& r :
         files[0].isEmpty() ? QStringList() : files[0].split(QStringLiteral("##")))
        if (r.size() != 440 || !hex.match(r).hasMatch())
            return QStringLiteral("an EF04 record is not 220 bytes");
    if (!groupsShaped(files[1], 74)) return QStringLiteral("EF06 groups are malformed");
    if (!groupsShaped(files[2], 384)) return QStringLiteral("EF09 groups are malformed");
    return {};
}

}  // namespace

int declarationAmounts(const QString& u, const QString& b, bool* zeroSuffix) {
    *zeroSuffix = false;
    if (u == QLatin1String("1")) return b == QLatin1String("10") ? 4 : 3;
    if (u == QLatin1String("4")) {
        if (b == QLatin1String("12")) return 7;
        if (b == QLatin1String("13")) return 6;
        if (b == QLatin1String("10")) return 5;
        if (b == QLatin1String("11") || b == QLatin1String("04")) return 4;
        *zeroSuffix = true;
        return 3;
    }
    return 3;
}

Check checkRequest(const QByteArray& r, RunContext& run) {
    Check c;
    Checker k(r, c);
    if (r.size() < 18 || !r.startsWith("QVNX")) {
        c.errors << QStringLiteral("not a QVNX frame");
        return c;
    }
    c.type = k.text(16, 2);
    c.found[QStringLiteral("type")] = c.type;
    if (orv::wire::bodyLength(r) != static_cast<quint32>(r.size() - 16))
        k.error(QStringLiteral("body length %1 but %2 bytes")
                    .arg(orv::wire::bodyLength(r))
                    .arg(r.size() - 16));
    auto stored = [&](int offset) {
        quint32 v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<quint8>(r[offset + i]);
        return v;
    };
    const auto* bytes = reinterpret_cast<const uint8_t*>(r.constData());
    if (stored(8) != static_cast<quint32>(CRC32(bytes + 16, static_cast<int32_t>(r.size() - 16))))
        k.error(QStringLiteral("body CRC is wrong"));
    if (stored(12) != static_cast<quint32>(CRC32(bytes, 12)))
        k.error(QStringLiteral("header CRC is wrong"));

    const QString reg = k.text(18, 17), serial = k.text(35, 16);
    c.found[QStringLiteral("register")] = reg;
    c.found[QStringLiteral("serial")] = serial;
    if (!k.matches(18, 17, "4[0-9A-F]{16}"))
        k.error(QStringLiteral("register identifier \"%1\" is malformed").arg(reg));
    if (c.type == QLatin1String("Q1")) {
        run = RunContext{reg, {}, 0, {}, {}};
        if (!k.matches(35, 16, "\\d{16}") || !isDate(serial.left(8)))
            k.error(QStringLiteral("Q1 serial \"%1\" is not a date and 8 digits").arg(serial));
        k.exact(51, QStringLiteral("06"), "operation code");
        const QString date = k.text(53, 8);
        if (!isDate(date)) k.error(QStringLiteral("date \"%1\" is not yyyymmdd").arg(date));
        k.spaces(61, 68);
        k.exact(69, date, "second date");
        k.spaces(77, 84);
        if (!k.matches(85, 16, "[0-9A-F]{16}"))
            k.error(QStringLiteral("taxpayer code is not 16 hex digits"));
        c.found[QStringLiteral("taxpayer")] = k.text(85, 16);
        k.spaces(101, 271);
        k.exact(272, QStringLiteral("0") + QString(14, QLatin1Char(' ')), "data length");
        k.size(287);
        return c;
    }
    if (reg != run.registerId)
        k.error(QStringLiteral("register identifier changed within the run"));
    if (serial != run.serial)
        k.error(QStringLiteral("serial \"%1\" is not the run's \"%2\"").arg(serial, run.serial));
    if (c.type == QLatin1String("S1")) {
        k.spaces(51, 237);
        if (k.dataLength(238) >= 0) {
            const QString shape = reportShape(c.data, run.reports == 0);
            if (!shape.isEmpty()) k.error(shape);
        }
        c.found[QStringLiteral("report")] =
            run.reports == 0 ? QStringLiteral("EF02") : QStringLiteral("detail");
        ++run.reports;
    } else if (c.type == QLatin1String("K3")) {
        k.exact(51, QStringLiteral("04"), "operation code");
        k.spaces(53, 239);
        const qint64 n = k.dataLength(240);
        c.found[QStringLiteral("declaration")] = n == 0 ? QStringLiteral("query") : c.data;
        if (n > 0) {
            bool zero = false;
            const int want = declarationAmounts(run.yhlx, run.ywlx, &zero);
            QStringList parts = c.data.split(QLatin1Char('#'));
            if (zero && parts.value(parts.size() - 1) == QLatin1String("0")) parts.removeLast();
            static const QRegularExpression amount(QStringLiteral("^-?\\d+\\.\\d\\d$"));
            bool shaped = parts.size() == want;
            for (const QString& p : parts)
                shaped = shaped && amount.match(p).hasMatch();
            if (!shaped)
                k.error(
                    QStringLiteral("declaration \"%1\" is not %2 amounts").arg(c.data).arg(want));
        }
    } else if (c.type == QLatin1String("K1")) {
        k.spaces(51, 238);
        k.exact(239, QStringLiteral("0") + QString(14, QLatin1Char(' ')), "data length");
        k.size(254);
    } else {
        k.error(QStringLiteral("unknown request type \"%1\"").arg(c.type));
    }
    return c;
}

}  // namespace taxsim
