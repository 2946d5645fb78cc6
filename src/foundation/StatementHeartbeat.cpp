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
    // SQLite calls back from inside the statement; a server's query is waited for by the data
    // layer, which beats while it waits.
    if (connection.CurrentEngine() == Engine::SQLite)
        sqlite3_progress_handler(connection.Handle(), StepsPerLook, &StatementHeartbeat::Tick, this);
    else
        connection.ServerBeat = [this] { Tick(this); };
}

StatementHeartbeat::~StatementHeartbeat() {
    if (connection.CurrentEngine() != Engine::SQLite)
        connection.ServerBeat = nullptr;
    else if (connection.Connected())
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
