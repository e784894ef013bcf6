#pragma once

#include "design/TTREList.h"

#include <QString>

namespace velmora {

class Database;
class Progress;

// The program's one list of form field elements. Empty until the first
// LoadFormElementCache.
TTREList &FormElementCache();

// The element query over every form, ordered by form and position.
QString FormElementQuerySql();
// The same query limited to one form by the parameter :FormularNr, for
// replacing a single form's elements after it was edited.
QString FormElementQuerySqlForForm();

// Rebuilds the cache from the database: progress range = number of rows,
// one advance per row, one step ticked at the end. The new list replaces the
// old one only once it is complete, so an engine error leaves the previous
// cache in place (and propagates).
void LoadFormElementCache(Database &db, Progress *progress);
// The same on DBLOG of the current engine.
void LoadFormElementCache(Progress *progress);

} // namespace velmora
