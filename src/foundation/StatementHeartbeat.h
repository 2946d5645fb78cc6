#pragma once

#include <QElapsedTimer>
#include <functional>

class DbConnection;

// While it lives, a long statement on the connection calls `beat` about every `intervalMs`
// milliseconds while one query runs (from inside SQLite, or while the data layer waits for a
// server), so that a progress window can move.
// The beat must not use the connection. One heartbeat per connection at a time.
// When stop (asked after each beat) says true, the running statement stops: SQLite interrupts it,
// the server is asked to cancel it; either way the statement fails with the data layer's error (and
// an interrupted write of a transaction is undone with it).
class StatementHeartbeat {
public:
    StatementHeartbeat(DbConnection& connection, std::function<void()> beat, int intervalMs = 250,
                       std::function<bool()> stop = {});
    // Whether the statement was asked to stop.
    bool Stopped() const { return stopped; }
    ~StatementHeartbeat();
    StatementHeartbeat(const StatementHeartbeat&) = delete;
    StatementHeartbeat& operator=(const StatementHeartbeat&) = delete;

private:
    static int Tick(void* self);
    DbConnection& connection;
    std::function<void()> beat;
    int intervalMs;
    std::function<bool()> stop;
    bool stopped = false;
    QElapsedTimer sinceBeat;
};
