#include "cardtext.h"

#include "orv/hex.h"

namespace orvtest {

bool usedRecord(const cardsim::Bytes& r) {
    return !r.empty() && r[0] != 0xFF;
}

std::string ef02Text(const cardsim::Card& card) {
    return orv::hex::encode(card.files.at(0xEF02).data);
}

std::string ef04Text(const cardsim::Card& card) {
    std::string text;
    for (const auto& r : card.files.at(0xEF04).records) {
        if (!usedRecord(r)) break;
        if (!text.empty()) text += "##";
        text += orv::hex::encode(r);
    }
    return text;
}

std::string groupsText(const cardsim::Card& card, uint16_t file) {
    std::string text;
    for (const auto& r : card.files.at(file).records) {
        if (!usedRecord(r)) break;
        if (!text.empty()) text += "##";
        text += orv::hex::encode(r) + "|";
        for (const auto& sub : card.files.at(static_cast<uint16_t>(r[16] << 8 | r[17])).records) {
            if (!usedRecord(sub)) break;
            text += orv::hex::encode(sub);
        }
    }
    return text;
}

}  // namespace orvtest
