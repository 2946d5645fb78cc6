#pragma once

#include "History.h"

namespace History {

// Puts the records of the action of history row index back as they were before it: added rows are
// deleted, deleted rows come back with their keys, changed rows get their values back. All in one
// transaction that writes its own history rows (marked as undoing index). Returns "" or why it was
// refused (a later change of one of the records, a name or serial now taken, a document or account
// that is gone, a password change); nothing is changed then.
QString Undo(DbConnection& connection, qint64 index);

} // namespace History
