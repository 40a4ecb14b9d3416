#include "Scenario.h"

#include <QDate>

#include "base/Text.h"
#include "service/Wire.h"
#include "zelreader.h"

namespace taxsim {

namespace {

const QStringList kNames = {"unlock",     "report-ok",  "report-fail", "declare-03",
                            "declare-12", "declare-13", "declare-11",  "declare-05",
                            "silent",     "close",      "garbage",     "bad-serial",
                            "split",      "short",      "bad-record",  "pay-fail"};
const QStringList kFaults = {"silent", "close", "garbage", "short", "refuse"};

// The declarations that ask for amounts (or, for 1/11, take them unasked):
// the K4 types and the text of the query's answer.
struct Declaration {
    const char* scenario;
    const char* yhlx;
    const char* ywlx;
    const char* ask;
};
const Declaration kDeclarations[] = {
    {"declare-12", "4", "12", "请输入本期发生额、应税货物销售额和应税服务销售额。"},
    {"declare-13", "4", "13", "请输入应税货物销售额和应税服务销售额。"},
    {"declare-11", "1", "11", "本期无需录入其他销售收入，请确认申报。"},
};

// A reply laid out by byte offsets; unset bytes are spaces.
class ReplyLayout {
public:
    ReplyLayout(const char* type, const RunContext& run) {
        put(16, QLatin1String(type), 2);
        put(18, run.registerId, 17);
        put(35, run.serial, 16);
    }
    ReplyLayout& put(int offset, const QString& text, int width) {
        QByteArray b = orv::toGbk(text).left(width);
        b += QByteArray(width - b.size(), ' ');
        if (body_.size() < offset + width) body_.resize(offset + width, ' ');
        body_.replace(offset, width, b);
        return *this;
    }
    QByteArray frame() const {
        return orv::wire::frame(body_.mid(16), [](const QByteArray& d, int first, int last) {
            return CRC32(reinterpret_cast<const uint8_t*>(d.constData()) + first, last - first + 1);
        });
    }

private:
    QByteArray body_{16, ' '};
};

// A monitoring record of 37 bytes for the run, as 74 hex digits; `tag`
// tells several records of one run apart.
QString monitoringRecord(const RunContext& run, char tag = 'M') {
    QByteArray record = (run.serial + run.registerId + QLatin1Char(tag) + QStringLiteral("ONITOR"))
                            .toLatin1()
                            .left(37);
    record.resize(37, '\x5A');
    return QString::fromLatin1(record.toHex().toUpper());
}

}  // namespace

QStringList Scenario::names() {
    return kNames;
}

bool Scenario::select(const QString& name) {
    if (!kNames.contains(name)) return false;
    name_ = name;
    return true;
}

QStringList Scenario::faultKinds() {
    return kFaults;
}

bool Scenario::setFault(const QString& spec) {
    const QStringList parts = spec.split(QLatin1Char(':'));
    bool ok = false;
    const int at = parts.value(1).toInt(&ok);
    if (parts.size() != 2 || !ok || at < 1 || !kFaults.contains(parts[0])) return false;
    faultKind_ = parts[0];
    faultAt_ = at;
    return true;
}

Answer Scenario::fault(const QString& kind) {
    if (kind == QLatin1String("silent")) return {{}, Delivery::Silent};
    if (kind == QLatin1String("close")) return {{}, Delivery::Close};
    if (kind == QLatin1String("garbage"))
        return {"HELLO, THIS IS NOT A FRAME\r\n", Delivery::Whole};
    return {QByteArray("QVNX\0\0\1", 7), Delivery::Whole};  // short
}

QByteArray Scenario::q2(RunContext& run) {
    const QString serial = QStringLiteral("%1%2")
                               .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")))
                               .arg(++serials_, 8, 10, QLatin1Char('0'));
    // bad-serial: two blanks and 14 digits, 14 characters once trimmed.
    run.serial =
        name_ == QLatin1String("bad-serial") ? QStringLiteral("  ") + serial.right(14) : serial;
    return ReplyLayout("Q2", run)
        .put(130, run.serial, 16)
        .put(220, QStringLiteral("0"), 15)
        .frame();
}

QByteArray Scenario::s2(const RunContext& run) {
    ReplyLayout r("S2", run);
    if (run.reports == 1)
        return r.put(130, QStringLiteral("0"), 80).put(220, QStringLiteral("0"), 15).frame();
    if (name_ == QLatin1String("report-ok"))
        return r.put(70, QStringLiteral("本月抄报税成功"), 60)
            .put(220, QStringLiteral("0"), 15)
            .frame();
    if (name_ == QLatin1String("report-fail"))
        return r.put(70, QStringLiteral("抄报税失败：申报数据校验未通过"), 60)
            .put(220, QStringLiteral("0"), 15)
            .frame();
    if (name_.startsWith(QLatin1String("declare")) || name_ == QLatin1String("pay-fail"))
        return r.put(130, QStringLiteral("抄报税成功，请继续申报缴税。"), 80)
            .put(220, QStringLiteral("0"), 15)
            .frame();
    // bad-record: a record of the right length that is not hex.
    const QString record = name_ == QLatin1String("bad-record")
                               ? QStringLiteral("NOTHEX") + monitoringRecord(run).mid(6)
                               : monitoringRecord(run);
    return r.put(130, QStringLiteral("抄报税成功"), 80)
        .put(220, QStringLiteral("74"), 15)
        .put(235, record, 74)
        .frame();
}

QByteArray Scenario::k4(const Check& request, RunContext& run) {
    const bool query = request.data.isEmpty();
    ReplyLayout r("K4", run);
    QString yhlx = QStringLiteral("1"), ywlx = QStringLiteral("03");
    const Declaration* asking = nullptr;
    for (const Declaration& d : kDeclarations)
        if (name_ == QLatin1String(d.scenario)) asking = &d;
    if (asking) {
        yhlx = QLatin1String(asking->yhlx);
        ywlx = QLatin1String(asking->ywlx);
        if (query) {
            r.put(148, QString::fromUtf8(asking->ask), 80);
        } else {
            r.put(73, QStringLiteral("56.78"), 15)
                .put(148, QStringLiteral("应纳税额56.78元，请缴款。"), 80);
        }
        r.put(238, QStringLiteral("0"), 15);
    } else if (name_ == QLatin1String("declare-05")) {
        ywlx = QStringLiteral("05");
        // Two monitoring records, joined as the server joins them.
        const QString data =
            monitoringRecord(run) + QStringLiteral("##") + monitoringRecord(run, 'N');
        r.put(148, QStringLiteral("本期无税款，直接清零解锁。"), 80)
            .put(238, QString::number(data.size()), 15)
            .put(253, data, static_cast<int>(data.size()));
    } else {
        r.put(73, QStringLiteral("123.45"), 15)
            .put(148, QStringLiteral("应纳税额123.45元，请确认缴款。"), 80)
            .put(238, QStringLiteral("0"), 15);
    }
    r.put(70, ywlx, 2).put(72, yhlx, 1);
    run.yhlx = yhlx;
    run.ywlx = ywlx;
    return r.frame();
}

QByteArray Scenario::k2(const RunContext& run) {
    if (name_ == QLatin1String("pay-fail"))
        return ReplyLayout("K2", run)
            .put(85, QStringLiteral("缴款失败：扣款账户余额不足，请存入税款后重新申报缴税。"), 60)
            .put(235, QStringLiteral("0"), 15)
            .frame();
    return ReplyLayout("K2", run)
        .put(145, QStringLiteral("缴款成功"), 80)
        .put(235, QStringLiteral("74"), 15)
        .put(250, monitoringRecord(run), 74)
        .frame();
}

Answer Scenario::answer(const Check& request, RunContext& run, int seq) {
    for (const char* kind : {"silent", "close", "garbage", "short"})
        if (name_ == QLatin1String(kind)) return fault(name_);
    if (seq == faultAt_ && faultKind_ != QLatin1String("refuse")) return fault(faultKind_);
    const Delivery how = name_ == QLatin1String("split") ? Delivery::Split : Delivery::Whole;
    if (request.type == QLatin1String("Q1")) return {q2(run), how};
    if (request.type == QLatin1String("S1")) return {s2(run), how};
    if (request.type == QLatin1String("K3")) return {k4(request, run), how};
    if (request.type == QLatin1String("K1")) return {k2(run), how};
    return {"UNKNOWN REQUEST\r\n", Delivery::Whole};
}

}  // namespace taxsim
