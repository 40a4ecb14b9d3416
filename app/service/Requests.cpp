#include "service/Requests.h"

#include <cmath>

#include "base/Text.h"
#include "card/CardData.h"
#include "card/CardRecords.h"
#include "service/RunState.h"

namespace orv {

namespace {
QString spaces(int n) {
    return QString(n, QLatin1Char(' '));
}
}  // namespace

QString declarationAmount(double value) {
    if (!std::isfinite(value)) return QStringLiteral("0.00");
    if (std::fabs(value) < 1e15) return card::amountText(std::llround(value * 100));
    return QString::number(value, 'f', 2);  // 'f' never switches to an exponent
}

QString declarationData(const CardData& c) {
    auto join = [](std::initializer_list<double> values) {
        QStringList parts;
        for (double v : values)
            parts << declarationAmount(v);
        return parts.join(QLatin1Char('#'));
    };
    const QString& u = c.yhlx;
    const QString& b = c.ywlx;
    if (u == QLatin1String("1")) {
        if (b == QLatin1String("10")) return join({c.xssr1, c.xssr2, c.bqfse, c.xssr3});
        return join({c.xssr1, c.xssr2, c.xssr3});  // "11", "04" and any other
    }
    if (u == QLatin1String("4")) {
        if (b == QLatin1String("12"))
            return join({c.bhs, c.xssr1, c.xssr2, c.bqfse, c.yshw, c.ysfw, c.xssr3});
        if (b == QLatin1String("13"))
            return join({c.bhs, c.xssr1, c.xssr2, c.yshw, c.ysfw, c.xssr3});
        if (b == QLatin1String("10")) return join({c.bhs, c.xssr1, c.xssr2, c.bqfse, c.xssr3});
        if (b == QLatin1String("11") || b == QLatin1String("04"))
            return join({c.bhs, c.xssr1, c.xssr2, c.xssr3});
        return join({c.xssr1, c.xssr2, c.xssr3}) + QStringLiteral("#0");
    }
    return join({c.xssr1, c.xssr2, c.xssr3});
}

QString registerIdFor(const CardData& card) {
    return QLatin1Char('4') + card.ef06.left(16);
}

RequestBuilder::RequestBuilder(CardData& card, RunState& run, wire::Crc32 crc,
                               std::function<qint64()> counter, const Clock& clock)
    : card_(card), run_(run), crc_(std::move(crc)), counter_(std::move(counter)), clock_(clock) {}

QString RequestBuilder::head(const char* type) const {
    return QLatin1String(type) + wire::pad(run_.registerId, 17) + wire::pad(card_.rSn, 16);
}

QString RequestBuilder::dataLength(qsizetype bytes) {
    return wire::pad(QString::number(bytes), 15);
}

void RequestBuilder::send(const QString& fields) {
    run_.outgoing = wire::composeFrame(fields, crc_);
}

void RequestBuilder::buildSerialRequest() {
    const QString today = QString::fromStdString(clock_.now().yyyymmdd());
    if (card_.rSn.isEmpty())
        card_.rSn = today + QStringLiteral("%1").arg(counter_(), 8, 10, QLatin1Char('0')).right(8);
    send(head("Q1") + QStringLiteral("06") + today + spaces(8) + today + spaces(8) +
         wire::pad(card_.ef02.mid(4, 16), 16) + spaces(6) + spaces(15) + spaces(60) + spaces(80) +
         spaces(10) + dataLength(0));
}

void RequestBuilder::buildReport() {
    send(head("S1") + spaces(22) + spaces(15) + spaces(60) + spaces(80) + spaces(10) +
         dataLength(toGbk(card_.s1).size()) + card_.s1);
}

void RequestBuilder::buildDeclarationQuery() {
    declaration(QString());
}

void RequestBuilder::buildDeclaration() {
    declaration(declarationData(card_));
}

void RequestBuilder::declaration(const QString& data) {
    send(head("K3") + QStringLiteral("04") + spaces(22) + spaces(15) + spaces(60) + spaces(80) +
         spaces(10) + dataLength(toGbk(data).size()) + data);
}

void RequestBuilder::buildPayment() {
    send(head("K1") + spaces(1) + spaces(22) + spaces(15) + spaces(60) + spaces(80) + spaces(10) +
         dataLength(0));
}

}  // namespace orv
