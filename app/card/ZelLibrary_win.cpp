#include "card/ZelLibrary.h"

namespace orv {

QString ZelLibrary::fileName() {
    return QStringLiteral("zelreader.dll");
}

}  // namespace orv
