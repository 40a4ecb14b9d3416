// A fresh records database in a test's program folder, open as DbConn for
// the lifetime of the object. Declare it before anything that takes the
// connection.
#pragma once

#include <gtest/gtest.h>

#include "card/RecordsDb.h"
#include "tempdir.h"

namespace orvtest {

class OpenRecordsDb {
public:
    explicit OpenRecordsDb(const TempDir& dir) {
        const QString path = QString::fromStdString(dir.file("orv.db"));
        EXPECT_TRUE(orv::RecordsDb::createFresh(path));
        EXPECT_EQ(orv::RecordsDb::open(path), orv::RecordsDb::OpenResult::Ok);
    }
    ~OpenRecordsDb() { orv::RecordsDb::close(); }
    OpenRecordsDb(const OpenRecordsDb&) = delete;
    OpenRecordsDb& operator=(const OpenRecordsDb&) = delete;
    QSqlDatabase db() const { return orv::RecordsDb::connection(); }
};

}  // namespace orvtest
