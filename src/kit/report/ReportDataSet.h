#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

class Query;

// The rows a report reads: a number of rows and named fields. Names match without regard to case.
class ReportDataSet {
public:
    virtual ~ReportDataSet() = default;
    virtual int RowCount() const = 0;
    virtual QStringList FieldNames() const = 0;
    virtual QVariant Value(int row, int field) const = 0;

    // The index of a field, -1 when the data set has none of that name.
    int FieldIndex(const QString& name) const;
};

// The rows of an open Query as they stand, in their order; a closed query has no rows and no
// fields. The query must outlive the data set.
class QueryDataSet : public ReportDataSet {
public:
    explicit QueryDataSet(const Query* query)
        : query(query) {}
    int RowCount() const override;
    QStringList FieldNames() const override;
    QVariant Value(int row, int field) const override;

private:
    const Query* query;
};

// Rows held by the data set itself: for small sets the program makes up, and for tests.
class TableDataSet : public ReportDataSet {
public:
    TableDataSet() = default;
    explicit TableDataSet(QStringList fields)
        : fields(std::move(fields)) {}
    void SetFields(const QStringList& names) { fields = names; }
    void AddRow(std::vector<QVariant> values) { rows.push_back(std::move(values)); }

    int RowCount() const override { return static_cast<int>(rows.size()); }
    QStringList FieldNames() const override { return fields; }
    QVariant Value(int row, int field) const override;

private:
    QStringList fields;
    std::vector<std::vector<QVariant>> rows;
};
