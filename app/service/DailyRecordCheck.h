// The daily-record check of a copy-tax report: each summary's machine must
// hold exactly one daily record per day of the summary's period. Records
// dated outside the period are dropped from the report.
#pragma once

#include <QString>

namespace orv {

enum class DailyRecords {
    Pass = 0,
    None = 1,      // no daily records to report
    Mismatch = 2,  // the records do not match the summaries
};

// `ef04`: the summary records joined by "##"; `ef09`: the daily-record
// groups ("record|daily records") joined by "##". On Pass, `ef09` has lost
// the records dated outside their summary's period; otherwise it is left
// as it was. A period whose dates are no calendar dates is a mismatch; the
// period runs from the earlier of its two dates to the later one.
DailyRecords checkDailyRecords(const QString& ef04, QString& ef09);

}  // namespace orv
