// What the desktop's own file dialogs do, per platform.
#pragma once

namespace orv::platform {

// True where the desktop's save dialog adds the default suffix to a typed
// name before it asks about overwriting an existing file.
bool nativeSaveDialogAddsSuffixFirst();

}  // namespace orv::platform
