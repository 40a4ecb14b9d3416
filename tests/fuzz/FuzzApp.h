// The application object the Qt parts under fuzzing need (Qt SQL's plugins,
// text codecs); made once per process and kept to its end.
#pragma once

namespace orvfuzz {

void ensureQtApp();

}  // namespace orvfuzz
