#pragma once

// SQLite at its best for a result, as the benchmarks compare with: the statement stepped on a
// connection of SQLite's own, every candidate statement that gives the same rows under every
// setting, the fastest being the bound.

#include "BenchTiming.h"
#include "foundation/JetSql.h"

#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <sqlite3.h>
#include <vector>

// An order-sensitive digest of a result: numbers by value, so that 3 and 3.0 agree; texts by their
// bytes.
struct Digest {
    quint64 hash = 14695981039346656037ull;
    void Mix(const void* data, qsizetype bytes) {
        for (qsizetype i = 0; i < bytes; ++i)
            hash = (hash ^ static_cast<const unsigned char*>(data)[i]) * 1099511628211ull;
    }
    void Number(double value) {
        Mix(&value, sizeof value);
        Mix("|", 1);
    }
    void Text(const void* bytes, qsizetype length) {
        Mix(bytes, length);
        Mix("|", 1);
    }
};

// SQLite alone: prepare the statement and step through every row; with readColumns, every value is
// also fetched once in its stored type, as any client of the result must. With digest, the digest
// of every value is kept there (not while timing).
inline int StepAll(sqlite3* db, const QString& jetSql, bool readColumns, quint64* digest = nullptr) {
    const QByteArray sql = ToEngineSql(jetSql).toUtf8();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK) {
        QTextStream(stderr) << "prepare failed: " << sqlite3_errmsg(db) << "\n";
        return -1;
    }
    const int columns = sqlite3_column_count(statement);
    int rows = 0;
    volatile qint64 sink = 0;
    Digest values;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        ++rows;
        if (digest) {
            for (int c = 0; c < columns; ++c) {
                if (sqlite3_column_type(statement, c) == SQLITE_TEXT)
                    values.Text(sqlite3_column_text(statement, c), sqlite3_column_bytes(statement, c));
                else
                    values.Number(sqlite3_column_double(statement, c));
            }
            continue;
        }
        if (!readColumns)
            continue;
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(statement, c)) {
            case SQLITE_INTEGER:
                sink = sink + sqlite3_column_int64(statement, c);
                break;
            case SQLITE_FLOAT:
                sink = sink + static_cast<qint64>(sqlite3_column_double(statement, c));
                break;
            case SQLITE_TEXT:
                sink = sink + sqlite3_column_bytes(statement, c) +
                       (sqlite3_column_text(statement, c) != nullptr);
                break;
            default:
                break;
            }
        }
    }
    sqlite3_finalize(statement);
    if (digest)
        *digest = values.hash;
    return rows;
}

// A connection of SQLite's own to the file, read only, without locking (one thread uses it), with the
// Jet functions and some settings.
struct Setting {
    const char* what;
    QStringList pragmas;
};

inline sqlite3* OpenEngine(const QString& path, const Setting& setting) {
    sqlite3* engine = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &engine, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    RegisterJetFunctions(engine);
    for (const QString& pragma : setting.pragmas)
        sqlite3_exec(engine, pragma.toUtf8().constData(), nullptr, nullptr, nullptr);
    return engine;
}

struct Candidate {
    const char* what;
    QString sql;
};

struct Bound {
    Timing stepRead; // the fastest candidate, stepping and reading every value
    Timing stepOnly; // the fastest candidate, stepping alone
    QString what;
    QString sql;
    Setting setting;
    quint64 digest = 0; // of the result every candidate gives
};

// SQLite at its best for the result of the first candidate (the program's statement): every
// candidate with the same rows, under every setting; the fastest is the bound.
inline Bound BestOfSqlite(const QString& path, const std::vector<Candidate>& candidates, QTextStream& out) {
    const qint64 fileKb = QFileInfo(path).size() / 1024 + 1;
    const std::vector<Setting> settings = {
        {"default settings", {}},
        {"memory map", {QStringLiteral("PRAGMA mmap_size = 1073741824")}},
        {"cache the size of the file", {QStringLiteral("PRAGMA cache_size = -%1").arg(fileKb)}},
        {"memory map and the program's 16 MB cache",
         {QStringLiteral("PRAGMA mmap_size = 1073741824"), QStringLiteral("PRAGMA cache_size = -16384")}},
    };
    Bound best;
    best.stepRead.Cpu = 1e12;
    {
        sqlite3* engine = OpenEngine(path, settings[0]);
        StepAll(engine, candidates[0].sql, true, &best.digest);
        sqlite3_close(engine);
    }
    out << "  SQLite at its best, stepping and reading every value:\n";
    for (const Candidate& candidate : candidates) {
        quint64 digest = 0;
        sqlite3* check = OpenEngine(path, settings[0]);
        StepAll(check, candidate.sql, true, &digest);
        sqlite3_close(check);
        if (digest != best.digest) {
            out << "    " << candidate.what << ": a different result, not counted\n";
            continue;
        }
        for (const Setting& setting : settings) {
            sqlite3* engine = OpenEngine(path, setting);
            const Timing read = Time([&] { StepAll(engine, candidate.sql, true); });
            sqlite3_close(engine);
            out << QStringLiteral("    %1, %2: %3\n")
                       .arg(QLatin1String(candidate.what), QLatin1String(setting.what), ShowTiming(read));
            out.flush();
            if (read.Cpu < best.stepRead.Cpu) {
                best.stepRead = read;
                best.what =
                    QStringLiteral("%1, %2").arg(QLatin1String(candidate.what), QLatin1String(setting.what));
                best.sql = candidate.sql;
                best.setting = setting;
            }
        }
    }
    // Stepping alone, without reading the values, for the fastest candidate.
    sqlite3* engine = OpenEngine(path, best.setting);
    best.stepOnly = Time([&] { StepAll(engine, best.sql, false); });
    sqlite3_close(engine);
    return best;
}
