#include "filesizelimit.h"

// Windows has no per-process file-size limit: the helper changes nothing,
// and the case that uses it is skipped there.
namespace orvtest {

FileSizeLimit::FileSizeLimit(std::uint64_t) {}

FileSizeLimit::~FileSizeLimit() = default;

}  // namespace orvtest
