#pragma once

#include <QString>

// The four pick lists kept in table Parameter: 1 业务种类, 2 款项类别, 3 款项凭证, 4 业务进度.

struct PickListTexts {
    QString LoadFailed;
    QString AddPrompt;
    QString ChangePrompt;
    QString Empty;
    QString Exists;
    QString NothingToChange;
    QString NothingToDelete;
};

// The messages of list type (1..4).
const PickListTexts& PickListMessages(int type);

// All values of a type, in the order they were added.
QString PickListLoadSql(int type);
// The rows of a type holding a value (letter case ignored by the column), first added first.
QString PickListValueSql(int type, const QString& value);

// Why a new value for a list is refused before the table is asked: the empty-value message, or "".
QString PickListEntryError(int type, const QString& value);
