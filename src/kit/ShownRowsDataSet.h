#pragma once

#include "kit/report/ReportDataSet.h"

class DataGrid;

// The rows a grid shows, in its order, as a report reads them: a list print follows the sort and
// the filter of its grid. Before a grid is followed, the rows of the query in its own order.
class ShownRowsDataSet : public ReportDataSet {
public:
    explicit ShownRowsDataSet(const Query* query)
        : query(query) {}
    void Follow(const DataGrid* shownBy) { grid = shownBy; }
    int RowCount() const override;
    QStringList FieldNames() const override;
    QVariant Value(int row, int field) const override;

private:
    bool Following() const;

    const Query* query;
    const DataGrid* grid = nullptr;
};
