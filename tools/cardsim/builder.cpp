#include "builder.h"

#include <algorithm>

#include "orv/gbk.h"
#include "orv/hex.h"

namespace cardsim {

namespace {

using namespace std::chrono;

constexpr uint16_t kEF02 = 0xEF02, kEF04 = 0xEF04, kEF06 = 0xEF06, kEF09 = 0xEF09;

// A small deterministic generator: the same spec always gives the same card.
class Random {
public:
    explicit Random(unsigned seed) : s_(seed * 2654435761u + 1) {}
    uint32_t next(uint32_t bound) {
        s_ = s_ * 1664525u + 1013904223u;
        return (s_ >> 8) % bound;
    }

private:
    uint32_t s_;
};

void putInt(Bytes& b, std::size_t off, uint64_t v, int width) {
    for (int i = width - 1; i >= 0; --i, v >>= 8)
        b[off + static_cast<std::size_t>(i)] = static_cast<uint8_t>(v);
}

void putBytes(Bytes& b, std::size_t off, const Bytes& v) {
    std::copy(v.begin(), v.end(), b.begin() + static_cast<long>(off));
}

Bytes hexBytes(const std::string& h) {
    Bytes b;
    orv::hex::decode(h, b);
    return b;
}

Bytes machineNumber(int i) {
    const std::string d = std::to_string(i % 10);
    return hexBytes("4990" + d + "00000" + "12345" + d);
}

Bytes tsamNumber(int i) {
    return hexBytes("770" + std::to_string(100000000 + i * 7919) + "0001");
}

Bytes randomBytes(Random& r, std::size_t n) {
    Bytes b(n);
    for (auto& x : b)
        x = static_cast<uint8_t>(r.next(256));
    return b;
}

int periodDays(const CardSpec& s) {
    return static_cast<int>((sys_days(s.periodEnd) - sys_days(s.periodStart)).count()) + 1;
}

Bytes ef02(const CardSpec& s) {
    const std::size_t nameSize = s.shortEF02 ? 40 : 200;
    Bytes b(21 + nameSize, 0);
    b[0] = 0x01;
    b[1] = 0x01;  // skjsl
    putBytes(b, 2, hexBytes(s.taxpayerCode));
    putBytes(b, 10, bcdDate(year{2011} / January / 1));
    putBytes(b, 14, bcdDate(year{2015} / December / 31));
    b[18] = 0x01;  // yylx
    b[19] = 0x10;  // yybb
    b[20] = 0x00;  // fci
    putBytes(b, 21, gbkPadded(s.unitName, nameSize));
    return b;
}

Bytes summary(const CardSpec& s, int machine, Random& r) {
    Bytes b(220, 0);
    b[0] = s.summaryFlag;
    putBytes(b, 1, tsamNumber(machine));
    putBytes(b, 9, bcdDate(s.periodStart));
    putBytes(b, 13, bcdDate(s.periodEnd));
    putInt(b, 17, 100 + r.next(900), 4);
    putInt(b, 21, r.next(5), 2);
    putInt(b, 23, r.next(5), 2);
    putBytes(b, 25, hexBytes("010203040506"));
    uint64_t total = 0, refunds = 0;
    for (int k = 0; k < 6; ++k) {
        const uint32_t amount = k < 2 ? 100000 + r.next(5000000) : 0;
        const uint32_t refund = k == 0 ? r.next(20000) : 0;
        putInt(b, 31 + 4 * static_cast<std::size_t>(k), amount, 4);
        putInt(b, 55 + 4 * static_cast<std::size_t>(k), refund, 4);
        total += amount;
        refunds += refund;
    }
    putInt(b, 79, total, 4);
    putInt(b, 83, refunds, 4);
    b[87] = 0x01;
    putBytes(b, 88, randomBytes(r, 4));
    putBytes(b, 92, randomBytes(r, 128));
    return b;
}

Bytes groupRecord(int machine, const Bytes& middle, uint16_t fid) {
    Bytes b(18, 0);
    putBytes(b, 0, machineNumber(machine));
    putBytes(b, 8, middle);
    putInt(b, 16, fid, 2);
    return b;
}

Bytes invoiceRoll(const CardSpec& s, int roll, Random& r) {
    Bytes b(37, 0);
    putBytes(b, 0, hexBytes("1110011" + std::to_string(2012000 + roll % 1000) + "000001"));
    const uint32_t first = 100000 + static_cast<uint32_t>(roll) * 100;
    putInt(b, 10, first, 4);
    putInt(b, 14, first + 99, 4);
    putInt(b, 18, 90 + r.next(10), 1);
    putInt(b, 19, r.next(3), 1);
    putInt(b, 20, r.next(3), 1);
    putInt(b, 21, 10000 + r.next(900000), 4);
    putInt(b, 25, r.next(5000), 4);
    const auto day = sys_days(s.periodStart) + days(roll % periodDays(s));
    putBytes(b, 29, bcdDate(day));
    putBytes(b, 33, bcdDate(day + days(1) <= sys_days(s.periodEnd) ? day + days(1) : day));
    return b;
}

Bytes dailyRecord(sys_days day, Random& r) {
    Bytes b(192, 0);
    putBytes(b, 0, bcdDate(day));
    putInt(b, 4, 1 + r.next(40), 2);
    putInt(b, 6, r.next(2), 2);
    putInt(b, 8, r.next(2), 2);
    putBytes(b, 10, hexBytes("010203040506"));
    putInt(b, 16, 1000 + r.next(200000), 4);
    putInt(b, 20, r.next(50000), 4);
    putInt(b, 40, r.next(1000), 4);
    putBytes(b, 64, randomBytes(r, 128));
    return b;
}

CardFile recordFile(std::vector<Bytes> records, int blankTail, std::size_t size) {
    CardFile f;
    f.records = std::move(records);
    for (int i = 0; i < blankTail; ++i)
        f.records.push_back(Bytes(size, 0xFF));
    return f;
}

}  // namespace

Bytes bcdDate(year_month_day d) {
    const int y = static_cast<int>(d.year());
    const unsigned m = static_cast<unsigned>(d.month()), dd = static_cast<unsigned>(d.day());
    auto bcd = [](unsigned v) { return static_cast<uint8_t>((v / 10) << 4 | (v % 10)); };
    return {bcd(static_cast<unsigned>(y / 100)), bcd(static_cast<unsigned>(y % 100)), bcd(m),
            bcd(dd)};
}

Bytes gbkPadded(const std::string& utf8, std::size_t size) {
    std::string gbk = orv::gbk::fromUtf8(utf8);
    gbk.resize(std::min(gbk.size(), size));
    Bytes b(gbk.begin(), gbk.end());
    b.resize(size, ' ');
    return b;
}

CardSpec realisticSpec() {
    return CardSpec{};
}

CardSpec fullSpec() {
    CardSpec s;
    s.periodStart = year{2011} / January / 1;
    s.periodEnd = year_month_day(sys_days(s.periodStart) + days(199));
    s.machines.assign(4, MachineSpec{200, 200});
    return s;
}

Card build(const CardSpec& spec) {
    Random r(spec.seed);
    Card card;
    card.atr = hexBytes("3B0A54494430312043415244");  // T=0, history "TID01 CARD"
    CardFile e2;
    e2.binary = true;
    e2.data = ef02(spec);
    card.files[kEF02] = e2;

    std::vector<Bytes> summaries, ef06, ef09;
    const int n = static_cast<int>(spec.machines.size());
    for (int i = 0; i < n; ++i) {
        const MachineSpec& m = spec.machines[static_cast<std::size_t>(i)];
        summaries.push_back(summary(spec, i, r));
        const auto rollsFid = static_cast<uint16_t>(0x0601 + i);
        const auto daysFid = static_cast<uint16_t>(0x0901 + i);
        ef06.push_back(groupRecord(i, randomBytes(r, 8), rollsFid));
        ef09.push_back(groupRecord(i, tsamNumber(i), daysFid));

        std::vector<Bytes> rolls, daily;
        for (int k = 0; k < m.rolls; ++k)
            rolls.push_back(invoiceRoll(spec, k, r));
        const int dayCount = m.days < 0 ? periodDays(spec) : m.days;
        for (int k = 0; k < dayCount; ++k)
            daily.push_back(dailyRecord(sys_days(spec.periodStart) + days(k), r));
        card.files[rollsFid] = recordFile(std::move(rolls), spec.blankTail, 37);
        card.files[daysFid] = recordFile(std::move(daily), spec.blankTail, 192);
    }
    card.files[kEF04] = recordFile(std::move(summaries), spec.blankTail, 220);
    card.files[kEF06] = recordFile(std::move(ef06), spec.blankTail, 18);
    card.files[kEF09] = recordFile(std::move(ef09), spec.blankTail, 18);
    return card;
}

}  // namespace cardsim
