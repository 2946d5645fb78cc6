#include "PgBackend.h"

#include "KestrelError.h"
#include "PgDialect.h"
#include "ResultRows.h"
#include "Schema.h"

#include <charconv>
#include <libpq-fe.h>
#include <memory>
#include <poll.h>

namespace PgBackend {

namespace {

// Type numbers of the server's built-in types (pg_type.oid), fixed since long.
constexpr Oid BoolType = 16;
constexpr Oid Int8Type = 20;
constexpr Oid Int2Type = 21;
constexpr Oid Int4Type = 23;
constexpr Oid OidType = 26;
constexpr Oid Float4Type = 700;
constexpr Oid Float8Type = 701;
constexpr Oid NumericType = 1700;

enum class Kind { Integer, Real, Boolean, Text };

Kind KindOf(Oid type) {
    switch (type) {
    case Int2Type:
    case Int4Type:
    case Int8Type:
    case OidType:
        return Kind::Integer;
    case Float4Type:
    case Float8Type:
    case NumericType:
        return Kind::Real;
    case BoolType:
        return Kind::Boolean;
    default:
        return Kind::Text;
    }
}

QString Quoted(const char* value) {
    QString text = QString::fromUtf8(value);
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

struct ResultFree {
    void operator()(PGresult* result) const { PQclear(result); }
};

// Runs one statement as PQexecParams does, calling beat while the server works on it. The last
// result comes back (null when the connection failed: its message is PQerrorMessage's).
PGresult* RunBeating(pg_conn* connection, const char* text, const std::function<void()>& beat) {
    if (!PQsendQueryParams(connection, text, 0, nullptr, nullptr, nullptr, nullptr, 0))
        return nullptr;
    const int socket = PQsocket(connection);
    while (PQisBusy(connection)) {
        pollfd waiting{socket, POLLIN, 0};
        poll(&waiting, 1, 25);
        if (!PQconsumeInput(connection))
            break;
        beat();
    }
    PGresult* last = nullptr;
    while (PGresult* next = PQgetResult(connection)) {
        PQclear(last);
        last = next;
    }
    return last;
}

} // namespace

QString ConnectOptions(const QString& connectionString, QString* problem) {
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(connectionString.toUtf8().constData(), &error);
    if (!options) {
        *problem = error ? QString::fromUtf8(error).trimmed() : QStringLiteral("连接字符串无法读取");
        PQfreemem(error);
        return QString();
    }
    QStringList pairs;
    QString serverOptions;
    for (const PQconninfoOption* option = options; option->keyword; ++option) {
        if (!option->val || !*option->val)
            continue;
        if (qstrcmp(option->keyword, "options") == 0)
            serverOptions = QString::fromUtf8(option->val) + QLatin1Char(' ');
        else
            pairs << QString::fromUtf8(option->keyword) + QLatin1Char('=') + Quoted(option->val);
    }
    PQconninfoFree(options);
    // Given last, the session's own settings take the place of any the connection string names.
    serverOptions += SessionOptions();
    pairs << QStringLiteral("options=") + Quoted(serverOptions.toUtf8().constData());
    return pairs.join(QLatin1Char(' '));
}

QString SessionOptions() {
    return QStringLiteral("-c standard_conforming_strings=on -c client_encoding=UTF8 -c DateStyle=ISO,YMD "
                          "-c search_path=\"$user\",public -c jit=off");
}

QString UnchangedCondition(const QString& table, const QStringList& names, std::vector<int>* columns) {
    // Texts are compared byte for byte: under the columns' own collation a change of letter case
    // alone would pass for no change.
    const QStringList texts = Schema::TextColumns(table);
    QString condition;
    for (int i = 0; i < names.size(); ++i) {
        if (!Schema::HasColumn(table, names[i]))
            continue;
        const bool text = texts.contains(names[i], Qt::CaseInsensitive);
        condition += QStringLiteral(" AND (%1%2 IS NOT DISTINCT FROM ?)")
                         .arg(names[i], text ? QStringLiteral(" COLLATE \"C\"") : QString());
        columns->push_back(i);
    }
    return condition;
}

QString StaleRecordMessage() {
    return QStringLiteral("该记录已被其他用户修改，请刷新后重试");
}

QStringList Load(pg_conn* connection, const QString& engineSql, const QString& jetSql, ResultRows& rows,
                 const std::function<void()>& beat) {
    const QByteArray text = engineSql.toUtf8();
    std::unique_ptr<PGresult, ResultFree> result(
        beat ? RunBeating(connection, text.constData(), beat)
             : PQexecParams(connection, text.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0));
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        const QString message = result ? QString::fromUtf8(PQresultErrorMessage(result.get()))
                                       : QString::fromUtf8(PQerrorMessage(connection));
        throw KestrelError(QStringLiteral("查询失败：") + message.trimmed());
    }
    const int columns = PQnfields(result.get());
    const int count = PQntuples(result.get());
    QStringList names;
    std::vector<Kind> kinds;
    for (int c = 0; c < columns; ++c) {
        names << ColumnSpelling(jetSql, QString::fromUtf8(PQfname(result.get(), c)));
        kinds.push_back(KindOf(PQftype(result.get(), c)));
    }
    rows.Begin(columns);
    for (int r = 0; r < count; ++r) {
        for (int c = 0; c < columns; ++c) {
            if (PQgetisnull(result.get(), r, c)) {
                rows.AddNull();
                continue;
            }
            const char* value = PQgetvalue(result.get(), r, c);
            const int length = PQgetlength(result.get(), r, c);
            switch (kinds[static_cast<size_t>(c)]) {
            case Kind::Integer: {
                qint64 number = 0;
                std::from_chars(value, value + length, number);
                rows.AddInteger(number);
                break;
            }
            case Kind::Real: {
                double number = 0;
                std::from_chars(value, value + length, number);
                rows.AddReal(number);
                break;
            }
            case Kind::Boolean:
                rows.AddInteger(value[0] == 't' ? 1 : 0);
                break;
            case Kind::Text:
                rows.AddText(value, length);
                break;
            }
        }
        rows.EndRow();
    }
    return names;
}

} // namespace PgBackend
