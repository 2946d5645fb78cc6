#pragma once

// The PostgreSQL server at its best for a result, as the server benchmarks compare with: the
// statement sent through libpq on a connection of its own (what psql does, without a terminal) and
// every value of the result read once, as any client must; every candidate statement that gives the
// same rows, under every setting and with every extra index tried, the fastest being the bound.
// The server runs on this machine, so the CPU time counted is that of the program's thread and of
// the server's processes: the work moves between the two.

#include "BenchSqlite.h"
#include "BenchTiming.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <libpq-fe.h>
#include <unistd.h>
#include <vector>

// The CPU time a process of this machine has used so far (the scheduler's count), in ms; -1 when
// it cannot be read.
inline double ProcessCpuMs(int pid) {
    QFile file(QStringLiteral("/proc/%1/schedstat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.readLine().split(' ').value(0).toDouble() / 1e6;
}

// The fields of /proc/PID/stat after the program's name; empty when it cannot be read.
inline QList<QByteArray> ProcessStat(int pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = file.readAll();
    return line.mid(line.lastIndexOf(')') + 2).trimmed().split(' ');
}

// The server's main process, parent of the process serving a connection; 0 when unknown.
inline int ServerMainProcess(int backendPid) {
    return ProcessStat(backendPid).value(1).toInt();
}

// The CPU time of the whole server so far, in ms: every process it runs now (the one serving a
// connection, parallel workers, its helpers), and the ones that have ended (counted in whole clock
// ticks by the main process).
inline double ServerCpuMs(int mainPid) {
    QFile file(QStringLiteral("/proc/%1/task/%1/children").arg(mainPid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    double ms = 0;
    for (const QByteArray& child : file.readAll().trimmed().split(' '))
        if (!child.isEmpty())
            ms += std::max(0.0, ProcessCpuMs(child.toInt()));
    const QList<QByteArray> stat = ProcessStat(mainPid);
    const double tick = 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
    // utime, stime, cutime, cstime: fields 14 to 17 of stat, here from index 11.
    for (int field = 11; field <= 14; ++field)
        ms += stat.value(field).toDouble() * tick;
    return ms;
}

// The clock for Time(): the program's thread and the whole server serving its connection.
inline std::function<double()> ClientAndServerCpu(int backendPid) {
    const int mainPid = ServerMainProcess(backendPid);
    return [mainPid] { return ThreadCpuMs() + ServerCpuMs(mainPid); };
}

// Runs a statement whose result does not matter; false, with the server's message on out, when it
// fails.
inline bool Exec(PGconn* connection, const QString& sql, QTextStream& out) {
    PGresult* result = PQexec(connection, sql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(result);
    const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (!ok)
        out << "    " << sql << ": " << QString::fromUtf8(PQresultErrorMessage(result)).trimmed() << "\n";
    PQclear(result);
    return ok;
}

inline bool IsNumberType(Oid type) {
    switch (type) {
    case 20:   // int8
    case 21:   // int2
    case 23:   // int4
    case 26:   // oid
    case 700:  // float4
    case 701:  // float8
    case 1700: // numeric
        return true;
    default:
        return false;
    }
}

// libpq alone: the statement sent and its whole result received, every value read once as the
// text the server sends. With digest, the digest of the values as the program's rows give it
// (numbers by value, an empty value as 0, texts by their bytes) instead. Returns the rows, or -1
// with the server's message on stderr.
inline int FetchAll(PGconn* connection, const QString& sql, quint64* digest = nullptr) {
    PGresult* result = PQexec(connection, sql.toUtf8().constData());
    if (PQresultStatus(result) != PGRES_TUPLES_OK) {
        QTextStream(stderr) << "    " << QString::fromUtf8(PQresultErrorMessage(result)).trimmed() << "\n";
        PQclear(result);
        return -1;
    }
    const int rows = PQntuples(result);
    const int columns = PQnfields(result);
    if (digest) {
        Digest values;
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                if (PQgetisnull(result, r, c))
                    values.Number(0);
                else if (IsNumberType(PQftype(result, c)))
                    values.Number(std::strtod(PQgetvalue(result, r, c), nullptr));
                else if (PQftype(result, c) == 16) // bool
                    values.Number(PQgetvalue(result, r, c)[0] == 't' ? 1 : 0);
                else
                    values.Text(PQgetvalue(result, r, c), PQgetlength(result, r, c));
            }
        }
        *digest = values.hash;
    } else {
        volatile qint64 sink = 0;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c)
                sink = sink + PQgetlength(result, r, c) + PQgetvalue(result, r, c)[0] +
                       PQgetisnull(result, r, c);
    }
    PQclear(result);
    return rows;
}

// Session settings of a connection.
struct ServerSetting {
    const char* what;
    QStringList statements;
};

// An index the bench adds for a while, dropped again afterwards.
struct ExtraIndex {
    const char* what;
    QString create; // empty: the schema's indexes alone
    QString drop;
};

struct ServerBound {
    Timing fetch; // the fastest candidate, its whole result received and every value read
    QString what;
    QString sql;
    quint64 digest = 0; // of the result every counted candidate gives
    int rows = 0;
};

inline PGconn* ConnectServer(const QString& server, QTextStream& out) {
    PGconn* connection = PQconnectdb(server.toUtf8().constData());
    if (PQstatus(connection) != CONNECTION_OK) {
        out << "cannot reach the server: " << QString::fromUtf8(PQerrorMessage(connection)).trimmed() << "\n";
        PQfinish(connection);
        return nullptr;
    }
    return connection;
}

// The server at its best for the result of the first candidate (the program's statement in the
// server's dialect): each candidate giving the same rows, under each setting, with each index.
// The bound's digest stays 0 when the server cannot be reached. resultDigest, when given, is how
// two results are found the same (e.g. figures to a tolerance, for sums the server may add up in
// another order); otherwise every value must be equal.
inline ServerBound BestOfServer(const QString& server, const std::vector<Candidate>& candidates,
                                const std::vector<ServerSetting>& settings,
                                const std::vector<ExtraIndex>& indexes, QTextStream& out,
                                const std::function<quint64(PGconn*, const QString&)>& resultDigest = {}) {
    ServerBound best;
    best.fetch.Cpu = 1e12;
    PGconn* admin = ConnectServer(server, out);
    if (!admin)
        return best;
    const auto fetchDigest = [&](const QString& sql, quint64* digest) {
        const int rows = FetchAll(admin, sql, digest);
        if (resultDigest)
            *digest = resultDigest(admin, sql);
        return rows;
    };
    best.rows = fetchDigest(candidates[0].sql, &best.digest);
    out << "  the server at its best, libpq receiving the whole result and reading every value:\n";
    for (const ExtraIndex& index : indexes) {
        if (!index.create.isEmpty() &&
            !(Exec(admin, index.create, out) && Exec(admin, QStringLiteral("ANALYZE"), out)))
            continue;
        for (const Candidate& candidate : candidates) {
            quint64 digest = 0;
            if (fetchDigest(candidate.sql, &digest) < 0 || digest != best.digest) {
                out << "    " << candidate.what << ": a different result, not counted\n";
                continue;
            }
            for (const ServerSetting& setting : settings) {
                PGconn* connection = ConnectServer(server, out);
                if (!connection)
                    continue;
                bool applied = true;
                for (const QString& statement : setting.statements)
                    applied = applied && Exec(connection, statement, out);
                if (applied) {
                    const Timing fetch = Time([&] { FetchAll(connection, candidate.sql); }, 5,
                                              ClientAndServerCpu(PQbackendPID(connection)));
                    out << QStringLiteral("    %1, %2, %3: %4\n")
                               .arg(QLatin1String(candidate.what), QLatin1String(setting.what),
                                    QLatin1String(index.what), ShowTiming(fetch));
                    out.flush();
                    if (fetch.Cpu < best.fetch.Cpu) {
                        best.fetch = fetch;
                        best.what = QStringLiteral("%1, %2, %3")
                                        .arg(QLatin1String(candidate.what), QLatin1String(setting.what),
                                             QLatin1String(index.what));
                        best.sql = candidate.sql;
                    }
                }
                PQfinish(connection);
            }
        }
        if (!index.drop.isEmpty())
            Exec(admin, index.drop, out);
    }
    PQfinish(admin);
    return best;
}
