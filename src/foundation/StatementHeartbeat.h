#pragma once

#include <QElapsedTimer>
#include <functional>

class DbConnection;

// While it lives, a long statement on the connection calls `beat` about every `intervalMs`
// milliseconds while one query runs (from inside SQLite, or while the data layer waits for a
// server), so that a progress window can move.
// The beat must not use the connection. One heartbeat per connection at a time.
class StatementHeartbeat {
public:
    StatementHeartbeat(DbConnection& connection, std::function<void()> beat, int intervalMs = 250);
    ~StatementHeartbeat();
    StatementHeartbeat(const StatementHeartbeat&) = delete;
    StatementHeartbeat& operator=(const StatementHeartbeat&) = delete;

private:
    static int Tick(void* self);
    DbConnection& connection;
    std::function<void()> beat;
    int intervalMs;
    QElapsedTimer sinceBeat;
};
