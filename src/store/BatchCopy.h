#pragma once

#include "store/Query.h"

namespace velmora {

// Copies the rows of a query into a table, which may live in another
// database. Columns are matched by name; the copy is one transaction of the
// destination, so a failure leaves the destination as it was.
class BatchCopy {
public:
    enum class Mode {
        Append,        // insert every row; a duplicate key is an engine error
        AppendUpdate,  // insert, or update the row with the same primary key
        Copy,          // (re)create the destination with the query's columns, then insert
    };

    // Returns the number of rows written. The query is opened when it is not.
    static int run(Query &source, Database &destination, const QString &table, Mode mode);
};

} // namespace velmora
