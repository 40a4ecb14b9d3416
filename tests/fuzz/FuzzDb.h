// The records database the fuzz targets save into: a real SQLite file in a
// temp folder, opened as the program opens it, emptied now and then so that
// a long campaign does not grow it without end.
#pragma once

#include <QSqlDatabase>

#include "FuzzApp.h"
#include "tempdir.h"

namespace orvfuzz {

class FuzzDb {
public:
    // Creates and opens the file (aborts when it cannot: nothing to fuzz).
    FuzzDb();
    ~FuzzDb();
    FuzzDb(const FuzzDb&) = delete;
    FuzzDb& operator=(const FuzzDb&) = delete;

    QSqlDatabase db() const;
    // Counts the run; every `every` runs all rows are deleted.
    void afterRun(int every = 256);

private:
    orvtest::TempDir dir_;
    int runs_ = 0;
};

}  // namespace orvfuzz
