#include "StatementHeartbeat.h"

#include "Connection.h"

#include <libpq-fe.h>
#include <sqlite3.h>

namespace {
// Virtual-machine steps between two looks at the clock: a few microseconds of work.
constexpr int StepsPerLook = 20000;
} // namespace

StatementHeartbeat::StatementHeartbeat(DbConnection& connection, std::function<void()> beat, int intervalMs,
                                       std::function<bool()> stop)
    : connection(connection)
    , beat(std::move(beat))
    , intervalMs(intervalMs)
    , stop(std::move(stop)) {
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
    if (heartbeat->stopped)
        return 1; // SQLite: interrupt; the server was asked already
    if (heartbeat->sinceBeat.elapsed() < heartbeat->intervalMs)
        return 0;
    heartbeat->sinceBeat.restart();
    heartbeat->beat();
    if (!heartbeat->stop || !heartbeat->stop())
        return 0;
    heartbeat->stopped = true;
    if (heartbeat->connection.CurrentEngine() != Engine::SQLite) {
        // The server stops the statement and answers it with an error.
        if (PGcancel* cancel = PQgetCancel(heartbeat->connection.ServerHandle())) {
            char error[256];
            PQcancel(cancel, error, sizeof error);
            PQfreeCancel(cancel);
        }
    }
    return 1;
}
