// The texts the reader library gives for a virtual card's files, computed
// from the card's content: what a read must return, and what the program
// stores.
#pragma once

#include <string>

#include "card.h"

namespace orvtest {

// The builder marks unused records with a leading FF.
bool usedRecord(const cardsim::Bytes& record);

std::string ef02Text(const cardsim::Card& card);
std::string ef04Text(const cardsim::Card& card);
// EF06 or EF09: each record's hex, "|", its used sub-records; "##" between.
std::string groupsText(const cardsim::Card& card, uint16_t file);

}  // namespace orvtest
