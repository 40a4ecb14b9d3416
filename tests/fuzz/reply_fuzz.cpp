// Server replies: gathered from the input in chunks of sizes the input
// chooses, unpacked, read field by field, classified with the classifier's
// saves into a real records database, and the request the classifier builds
// checked for its layout.
//
// Input: flags, chunk count n, n chunk sizes, two field probes (offset and
// size), then the bytes the server sends.
//   flags bit 0: the server closes after the bytes (finish)
//   flags bits 1-2: the declaration sent last (0, 1 query, 2 declaration)
//   flags bit 3: the operation has its row already (update, not insert)
#include <QSqlQuery>
#include <cmath>

#include "FuzzCheck.h"
#include "FuzzDb.h"
#include "FuzzInput.h"
#include "appcard.h"
#include "card/CardData.h"
#include "card/RecordsStore.h"
#include "fakes.h"
#include "service/ReplyClassifier.h"
#include "service/Requests.h"
#include "service/RunState.h"
#include "service/StepProcessor.h"
#include "service/Wire.h"

namespace {

using orv::wire::ReplyAccumulator;

// A small card, so that the saves of a reply take little time.
const orv::CardData& card() {
    static const orv::CardData c = [] {
        cardsim::CardSpec spec;
        spec.machines = {cardsim::MachineSpec{2, 3}};
        return orvtest::cardDataFrom(spec);
    }();
    return c;
}

bool knownStep(int step) {
    for (int s : {2, 3, 4, 5, 6, 7, 9, 10, 11, 13, 14, 17, 19, 20, 21, 22, 24, 30, 31, 32, 33, 34})
        if (step == s) return true;
    return false;
}

// The request the classifier built keeps its layout: magic, the body length
// it declares, the type, and its data length naming exactly the bytes after.
void checkRequest(const QByteArray& request, const char* type, int dataLengthAt) {
    ORV_FUZZ_CHECK(request.startsWith("QVNX"));
    ORV_FUZZ_CHECK(orv::wire::bodyLength(request) + orv::wire::kHeader == quint32(request.size()));
    const orv::wire::Reply r = orv::wire::unpack(request);
    ORV_FUZZ_CHECK(r.type() == QLatin1String(type));
    ORV_FUZZ_CHECK(r.integerField(dataLengthAt, 15) == request.size() - (dataLengthAt + 15));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    orvfuzz::ensureQtApp();
    card();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static orvfuzz::FuzzDb db;
    static const orvtest::FakeClock clock;
    orvfuzz::FuzzInput in(data, size);

    const uint8_t flags = in.byte();
    const int chunks = in.byte() % 16;
    int sizes[16] = {};
    for (int i = 0; i < chunks; ++i)
        sizes[i] = in.byte();
    const int probeOffset = in.byte() * 2, probeSize = in.byte();

    ReplyAccumulator acc;
    ReplyAccumulator::State state = ReplyAccumulator::State::Incomplete;
    for (int i = 0; i <= chunks && state == ReplyAccumulator::State::Incomplete; ++i) {
        const std::string_view piece = i < chunks ? in.bytes(sizes[i]) : in.rest();
        state = acc.add(QByteArray(piece.data(), static_cast<qsizetype>(piece.size())));
    }
    if (state == ReplyAccumulator::State::Incomplete) {
        if (!(flags & 1)) return 0;  // the watchdog would end the wait
        state = acc.finish();
    }
    ORV_FUZZ_CHECK(acc.bytes().size() <= orv::wire::kMaxReply);

    orv::CardData c = card();
    orv::RunState run;
    run.declarationKind = (flags >> 1) & 3;
    run.registerId = orv::registerIdFor(c);
    orv::RequestBuilder builder(
        c, run, orvtest::libraryCrc, [] { return qint64{7}; }, clock);
    orv::RecordsStore store(db.db(), clock);
    orv::ReplyClassifier classifier(c, run, builder, store);
    if (flags & 8) ORV_FUZZ_CHECK(store.SaveQLJS(c, 1));

    if (state == ReplyAccumulator::State::Refused) {
        classifier.refuse();
        ORV_FUZZ_CHECK(run.step == 34);
    } else {
        const orv::wire::Reply reply = orv::wire::unpack(acc.bytes());
        ORV_FUZZ_CHECK(reply.bytes.size() == acc.bytes().size());
        (void)reply.text();
        (void)orv::wire::logForm(reply.bytes);
        (void)reply.field(probeOffset, probeSize);
        ORV_FUZZ_CHECK(std::isfinite(reply.decimalField(probeOffset, probeSize)));
        (void)reply.integerField(probeOffset, probeSize);

        QString error;
        const bool saved = classifier.classify(reply, &error);
        if (!saved) {
            std::fprintf(stderr, "save failed: %s\n", qPrintable(error));
            std::abort();  // a save of card data that parsed must not fail
        }
    }
    ORV_FUZZ_CHECK(knownStep(run.step));
    ORV_FUZZ_CHECK(std::isfinite(c.nsje));
    (void)orv::stepAction(run.step);
    if (run.step == 2 || run.step == 5) checkRequest(run.outgoing, "S1", 238);
    db.afterRun();
    return 0;
}
