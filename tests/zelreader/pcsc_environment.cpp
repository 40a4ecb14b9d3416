#include "pcsc_environment.h"

#include <gtest/gtest.h>

#include "builder.h"

namespace orvtest {

namespace {
VirtualReader* g_reader = nullptr;

class InsertedCard : public ::testing::Environment {
public:
    void SetUp() override {
        g_reader = new VirtualReader(0);
        // pcscd takes a card without an ATR for a mute one.
        g_reader->card().setCard(cardsim::build(cardsim::realisticSpec()));
        g_reader->insert();
    }
    void TearDown() override {
        delete g_reader;
        g_reader = nullptr;
    }
};

const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new InsertedCard);
}  // namespace

VirtualReader& insertedCard() {
    return *g_reader;
}

}  // namespace orvtest
