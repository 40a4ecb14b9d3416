#include "card/ZelLibrary.h"

namespace orv {

QString ZelLibrary::fileName() {
    return QStringLiteral("libzelreader.so");
}

}  // namespace orv
