#include "base/Settings.h"

namespace orv {

// The serial-mode maker's reader ("USB", port 100) has no Linux driver:
// a standard reader listed by pcscd is what stands in for an empty READER.
ReaderFallback platformReaderFallback() {
    return ReaderFallback::FirstListed;
}

}  // namespace orv
