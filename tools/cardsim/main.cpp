// cardsim: the virtual user card as a vpcd client, and the card image tool.
//
//   cardsim build (realistic|full|short) IMAGE      write a built card image
//   cardsim [--host H] [--port P] [--log FILE] [--fault OPT]... [--no-unlock] IMAGE
//       serve IMAGE through vpcd (default 127.0.0.1:35963) until the reader
//       driver closes; writes go back to IMAGE. Fault options: at=K:SW,
//       prefix=HEX:SW, remove=K, delay=MS. An accepted monitoring record
//       sets the summary flag of the card's EF04 records to 00 (unlocked);
//       --no-unlock keeps the flag as it is.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "builder.h"
#include "emulator.h"
#include "vpcdclient.h"

namespace {

cardsim::VpcdClient* g_client = nullptr;

void onSignal(int) {
    if (g_client) g_client->interrupt();
}

int usage() {
    std::fprintf(stderr,
                 "usage: cardsim build (realistic|full|short) IMAGE\n"
                 "       cardsim [--host H] [--port P] [--log FILE] [--fault OPT]... "
                 "[--no-unlock] IMAGE\n");
    return 2;
}

int buildImage(const std::string& kind, const std::string& path) {
    cardsim::CardSpec spec;
    if (kind == "realistic") {
        spec = cardsim::realisticSpec();
    } else if (kind == "full") {
        spec = cardsim::fullSpec();
    } else if (kind == "short") {
        spec = cardsim::realisticSpec();
        spec.shortEF02 = true;
    } else {
        return usage();
    }
    std::string error;
    if (!cardsim::build(spec).save(path, &error)) {
        std::fprintf(stderr, "cardsim: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "build") == 0) return buildImage(argv[2], argv[3]);
    std::string host = "127.0.0.1", image, logPath;
    long port = 35963;
    cardsim::Faults faults;
    bool unlock = true;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--host" && hasValue) {
            host = argv[++i];
        } else if (a == "--port" && hasValue) {
            port = std::strtol(argv[++i], nullptr, 10);
        } else if (a == "--log" && hasValue) {
            logPath = argv[++i];
        } else if (a == "--fault" && hasValue) {
            if (!faults.parse(argv[++i])) return usage();
        } else if (a == "--no-unlock") {
            unlock = false;
        } else if (!a.empty() && a[0] != '-' && image.empty()) {
            image = a;
        } else {
            return usage();
        }
    }
    if (image.empty() || port <= 0 || port > 65535) return usage();
    cardsim::Card card;
    std::string error;
    if (!cardsim::Card::load(image, card, &error)) {
        std::fprintf(stderr, "cardsim: %s\n", error.c_str());
        return 1;
    }
    cardsim::Emulator emulator(std::move(card), image);
    emulator.setFaults(faults);
    emulator.setUnlockOnMonitor(unlock);
    cardsim::VpcdClient client(emulator);
    if (!client.connect(host, static_cast<uint16_t>(port), &error)) {
        std::fprintf(stderr, "cardsim: %s\n", error.c_str());
        return 1;
    }
    g_client = &client;
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    std::printf("cardsim: card inserted at %s:%ld\n", host.c_str(), port);
    std::fflush(stdout);
    client.serve();
    client.stop();
    if (!logPath.empty()) {
        std::ofstream log(logPath, std::ios::app);
        for (const auto& line : emulator.log())
            log << line << "\n";
    }
    return 0;
}
