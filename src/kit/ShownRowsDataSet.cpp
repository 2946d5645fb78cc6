#include "ShownRowsDataSet.h"

#include "DataGrid.h"
#include "foundation/Query.h"

// ---- ShownRowsDataSet

bool ShownRowsDataSet::Following() const {
    // A grid not yet reloaded after its query was opened shows nothing of it: then the query's rows.
    return grid && grid->Model()->rowCount() == query->RecordCount();
}

int ShownRowsDataSet::RowCount() const {
    if (!query->Active())
        return 0;
    return Following() ? grid->ShownRowCount() : query->RecordCount();
}

QStringList ShownRowsDataSet::FieldNames() const {
    return query->Active() ? query->FieldNames() : QStringList();
}

QVariant ShownRowsDataSet::Value(int row, int field) const {
    if (!query->Active())
        return QVariant();
    if (Following())
        row = grid->RowsModel()->SourceRow(row);
    if (row < 0 || row >= query->RecordCount())
        return QVariant();
    return query->ValueAt(row, field);
}
