// Builds user cards for tests, benchmarks and the demo: realistic content
// laid out as a fiscal cash register writes it.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "card.h"

namespace cardsim {

struct MachineSpec {
    int rolls = 3;  // EF06 sub-file records (invoice rolls)
    int days = -1;  // EF09 sub-file records; -1: one per day of the period
};

struct CardSpec {
    std::string unitName = "北京市海淀区示例商贸有限公司";  // UTF-8; stored as GBK
    std::string taxpayerCode = "1101082012345678";          // 16 digits
    bool shortEF02 = false;                                 // 61-byte EF02
    uint8_t summaryFlag = 0x01;                             // EF04 byte 0
    std::chrono::year_month_day periodStart{std::chrono::year{2012}, std::chrono::March,
                                            std::chrono::day{1}};
    std::chrono::year_month_day periodEnd{std::chrono::year{2012}, std::chrono::March,
                                          std::chrono::day{31}};
    std::vector<MachineSpec> machines{MachineSpec{}, MachineSpec{}};
    int blankTail = 1;  // blank records after the used ones in each sub-file
    unsigned seed = 1;
};

// Two machines, a March 2012 summary each, 3 rolls and 31 days a machine.
CardSpec realisticSpec();
// 4 machines x 200 invoice rolls, 4 x 200 days, 4 summaries.
CardSpec fullSpec();

Card build(const CardSpec& spec);

// Fields of the records the builder writes, for tests that need to lay out
// a record of their own.
Bytes bcdDate(std::chrono::year_month_day d);
Bytes gbkPadded(const std::string& utf8, std::size_t size);

}  // namespace cardsim
