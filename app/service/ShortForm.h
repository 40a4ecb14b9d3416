// The short forms of the card files that the log holds when detailed
// logging is off: enough to tell which card and which period was read.
#pragma once

#include <QString>

namespace orv {

// Taxpayer code and unit name.
QString shortFormEF02(const QString& ef02);
// Each summary record's first 25 bytes (flag, TSAM number, period, count).
QString shortFormEF04(const QString& ef04);
// Each machine with the dates of its first and last invoice roll.
QString shortFormEF06(const QString& ef06);
// Each machine with the dates of its first and last daily record.
QString shortFormEF09(const QString& ef09);

}  // namespace orv
