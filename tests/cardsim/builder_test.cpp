#include "builder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "cardtext.h"
#include "orv/gbk.h"
#include "orv/hex.h"

namespace {

using cardsim::Bytes;

std::size_t used(const cardsim::CardFile& f) {
    return static_cast<std::size_t>(
        std::count_if(f.records.begin(), f.records.end(), orvtest::usedRecord));
}

TEST(Builder, RealisticCardHasGbkNameAndOneDailyRecordPerDay) {
    const cardsim::Card card = cardsim::build(cardsim::realisticSpec());
    const Bytes& ef02 = card.files.at(0xEF02).data;
    ASSERT_EQ(ef02.size(), 221u);
    EXPECT_EQ(orv::hex::encode(Bytes(ef02.begin() + 2, ef02.begin() + 10)), "1101082012345678");
    const std::string name(ef02.begin() + 21, ef02.end());
    EXPECT_EQ(orv::gbk::toUtf8(name.substr(0, name.find(' '))), "北京市海淀区示例商贸有限公司");

    const auto& ef04 = card.files.at(0xEF04);
    const auto& ef09 = card.files.at(0xEF09);
    ASSERT_EQ(used(ef04), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const Bytes& summary = ef04.records[i];
        EXPECT_EQ(summary[0], 0x01);
        EXPECT_EQ(orv::hex::encode(Bytes(summary.begin() + 9, summary.begin() + 17)),
                  "2012030120120331");
        // The EF09 record names the summary's TSAM number in bytes 8-15.
        const Bytes& group = ef09.records[i];
        EXPECT_TRUE(std::equal(group.begin() + 8, group.begin() + 16, summary.begin() + 1));
        const uint16_t fid = static_cast<uint16_t>(group[16] << 8 | group[17]);
        const auto& days = card.files.at(fid);
        ASSERT_EQ(used(days), 31u);
        EXPECT_EQ(orv::hex::encode(Bytes(days.records[30].begin(), days.records[30].begin() + 4)),
                  "20120331");
    }
}

TEST(Builder, FullCardHoldsFourMachinesOfTwoHundredRollsAndDays) {
    const cardsim::Card card = cardsim::build(cardsim::fullSpec());
    EXPECT_EQ(used(card.files.at(0xEF04)), 4u);
    for (uint16_t i = 0; i < 4; ++i) {
        EXPECT_EQ(used(card.files.at(static_cast<uint16_t>(0x0601 + i))), 200u);
        EXPECT_EQ(used(card.files.at(static_cast<uint16_t>(0x0901 + i))), 200u);
    }
}

TEST(Builder, ShortCardHasSixtyOneByteHeader) {
    cardsim::CardSpec spec = cardsim::realisticSpec();
    spec.shortEF02 = true;
    EXPECT_EQ(cardsim::build(spec).files.at(0xEF02).data.size(), 61u);
}

}  // namespace
