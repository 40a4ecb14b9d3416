#include "shell/FontPreload.h"

namespace orv {

// Windows keeps its fonts listed by the system; Qt's own list is left to the
// first window that asks for it.
struct FontPreload::Work {};

FontPreload::FontPreload() = default;
FontPreload::~FontPreload() = default;
void FontPreload::fillDatabase() {}
void FontPreload::wait() {}

}  // namespace orv
