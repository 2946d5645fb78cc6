#include "ReportDataSet.h"

#include "foundation/Query.h"

int ReportDataSet::FieldIndex(const QString& name) const {
    const QStringList names = FieldNames();
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int QueryDataSet::RowCount() const {
    return query->Active() ? query->RecordCount() : 0;
}

QStringList QueryDataSet::FieldNames() const {
    return query->Active() ? query->FieldNames() : QStringList();
}

QVariant QueryDataSet::Value(int row, int field) const {
    return query->ValueAt(row, field);
}

QVariant TableDataSet::Value(int row, int field) const {
    if (row < 0 || row >= RowCount())
        return QVariant();
    const std::vector<QVariant>& values = rows[static_cast<size_t>(row)];
    return field >= 0 && field < static_cast<int>(values.size()) ? values[static_cast<size_t>(field)]
                                                                 : QVariant();
}
