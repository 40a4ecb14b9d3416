// The updater's command line, any bytes: it is split, its options read,
// and the names it would touch checked. A line the updater accepts never
// names a file outside its folder.
//
// Input: the command line.
#include <string>

#include "CommandLine.h"
#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const zelupdate::ParsedCommandLine r = zelupdate::parseCommandLine(line);
    using Status = zelupdate::ParsedCommandLine::Status;
    if (r.status == Status::Error) ORV_FUZZ_CHECK(!r.error.empty());
    if (r.status != Status::Ok) return 0;
    const zelupdate::Options& o = r.options;
    ORV_FUZZ_CHECK(!o.exe.empty() && !o.package.empty());
    for (const std::string* name : {&o.exe, &o.package, &o.run}) {
        ORV_FUZZ_CHECK(zelupdate::nameProblem(*name).empty());
        ORV_FUZZ_CHECK(name->find_first_of("/\\:") == std::string::npos);
    }
    if (o.hasParams) ORV_FUZZ_CHECK(!o.params.empty() && o.params.front() == ' ');
    (void)zelupdate::conflictProblem(o, "zelUpdate");
    return 0;
}
