#include "update/UpdateFiles.h"

namespace orv::update {

const QString kUpdaterFile = QStringLiteral("zelUpdate");
const QByteArray kProgramMagic = QByteArrayLiteral(
    "\x7F"
    "ELF");

}  // namespace orv::update
