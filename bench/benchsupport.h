// Helpers the benchmarks share.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>

namespace orvbench {

// Resident memory of this process in KiB (Linux); -1 where unknown.
inline long residentKib() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4 : -1;
}

}  // namespace orvbench
