#include "gui/FileDialogPlatform.h"

namespace orv::platform {

// The GTK and portal dialogs check the name as typed; Qt adds the suffix
// only after they return.
bool nativeSaveDialogAddsSuffixFirst() {
    return false;
}

}  // namespace orv::platform
