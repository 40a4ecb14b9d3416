#include "gui/FileDialogPlatform.h"

namespace orv::platform {

// The system's save dialog adds its default extension itself, then asks.
bool nativeSaveDialogAddsSuffixFirst() {
    return true;
}

}  // namespace orv::platform
