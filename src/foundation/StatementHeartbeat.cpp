#include "StatementHeartbeat.h"

#include "Connection.h"

#include <sqlite3.h>

namespace {
// Virtual-machine steps between two looks at the clock: a few microseconds of work.
constexpr int StepsPerLook = 20000;
} // namespace

StatementHeartbeat::StatementHeartbeat(DbConnection& connection, std::function<void()> beat, int intervalMs)
    : connection(connection)
    , beat(std::move(beat))
    , intervalMs(intervalMs) {
    sinceBeat.start();
    // A server runs the statement in its own process: there is nothing to call back from.
    if (connection.CurrentEngine() == Engine::SQLite)
        sqlite3_progress_handler(connection.Handle(), StepsPerLook, &StatementHeartbeat::Tick, this);
}

StatementHeartbeat::~StatementHeartbeat() {
    if (connection.Connected() && connection.CurrentEngine() == Engine::SQLite)
        sqlite3_progress_handler(connection.Handle(), 0, nullptr, nullptr);
}

int StatementHeartbeat::Tick(void* self) {
    auto* heartbeat = static_cast<StatementHeartbeat*>(self);
    if (heartbeat->sinceBeat.elapsed() >= heartbeat->intervalMs) {
        heartbeat->sinceBeat.restart();
        heartbeat->beat();
    }
    return 0; // never interrupts the statement
}
