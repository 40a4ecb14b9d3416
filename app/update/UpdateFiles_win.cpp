#include "update/UpdateFiles.h"

namespace orv::update {

const QString kUpdaterFile = QStringLiteral("zelUpdate.exe");
// A PE file's DOS header.
const QByteArray kProgramMagic = QByteArrayLiteral("MZ");

}  // namespace orv::update
