#pragma once

#include "ResultRows.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

class DbConnection;
class Query;

// One field of a query's current row, read and written by name.
class Field {
public:
    Field(Query* query, int column)
        : query(query)
        , column(column) {}

    QString FieldName() const;
    QVariant Value() const;
    bool IsNull() const;
    QString AsString() const;
    qint64 AsInteger() const;
    double AsFloat() const;
    QDateTime AsDateTime() const;
    QDate AsDate() const;
    bool AsBoolean() const;

    // Writing needs Insert or Edit first; the value is stored by Post (or by moving to another
    // row). Dates and times are stored in the program's date text form.
    void SetValue(const QVariant& value);
    void SetAsString(const QString& value) { SetValue(value); }
    void SetAsInteger(qint64 value) { SetValue(value); }
    void SetAsFloat(double value) { SetValue(value); }
    void SetAsBoolean(bool value) { SetValue(value ? 1 : 0); }
    void SetAsDateTime(const QDateTime& value);
    void SetAsDate(const QDate& value);
    void Clear() { SetValue(QVariant()); }

private:
    Query* query;
    int column;
};

// A dataset: runs a SELECT and keeps its rows in memory, walks them with a cursor, and writes
// changes back to the one table the SELECT reads, by that table's key, with bound parameters.
// Any use of a closed query raises KestrelError.
class Query {
public:
    enum class State { Inactive, Browse, Insert, Edit };

    explicit Query(DbConnection* connection = nullptr);
    void SetConnection(DbConnection* connection) { this->connection = connection; }
    DbConnection* Connection() const { return connection; }

    QString SQL;

    void Open();
    void Open(const QString& sql);
    void Close();
    bool Active() const { return state != State::Inactive; }
    State CurrentState() const { return state; }

    int RecordCount() const;
    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const;
    bool Bof() const;
    // 0-based index of the current row, -1 when there is none.
    int RecNo() const;
    void MoveTo(int row);

    int FieldCount() const;
    QStringList FieldNames() const;
    int FieldIndex(const QString& name) const; // -1 when absent
    Field FieldByName(const QString& name);
    Field Fields(int index);
    // Direct access for grids: the value at a row and column of the open result.
    QVariant ValueAt(int row, int column) const;
    // Appends the text at a row and column to out and returns true; false when it holds no text.
    bool AppendTextAt(int row, int column, QString* out) const;
    // The sum of a column over every row of the open result, read as numbers (0 when closed).
    double ColumnSum(int column) const;

    void Insert();
    void Edit();
    void Post();
    void Cancel();
    void Delete();

    // Runs SQL as a statement that returns no rows; returns the number of rows it affected.
    int ExecSql();
    int ExecSql(const QString& sql);

    // The table a "Select ... From T" reads; "" for anything else.
    static QString TableOf(const QString& sql);

private:
    friend class Field;
    // Closed, with no pending change; the memory of the rows is kept for the next result.
    void ResetState();
    void RequireActive() const;
    void RequireRow() const;
    void RequireColumn(int column) const;
    // Before the cursor moves: a pending insert or change is stored, as a dataset does.
    void CheckBrowseMode();
    // After a load: the cursor on the first row.
    void StartBrowsing();
    void WriteTable(QString* table, QString* key) const;

    DbConnection* connection = nullptr;
    State state = State::Inactive;
    QStringList names;
    ResultRows result;
    int current = -1;
    bool eof = true;
    bool bof = true;
    // Pending write.
    std::vector<QVariant> pending;
    std::vector<bool> changed;
    int editRow = -1;
};
