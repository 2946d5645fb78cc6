#pragma once

#include <QElapsedTimer>
#include <functional>

class DbConnection;

// While it lives, a long statement on the connection calls `beat` about every `intervalMs`
// milliseconds from inside the engine, so that a progress window can move while one query runs.
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
