#include "base/Settings.h"

namespace orv {

// The serial-mode maker's reader ("USB") is the one an empty READER means.
ReaderFallback platformReaderFallback() {
    return ReaderFallback::Usb;
}

}  // namespace orv
