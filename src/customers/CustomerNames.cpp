#include "CustomerNames.h"

#include "foundation/JetSql.h"
#include "foundation/Query.h"

QString NamedCustomer(DbConnection& connection, const QString& typed, const QString& customerFilter) {
    if (typed.isEmpty())
        return QString();
    Query query(&connection);
    query.Open(QStringLiteral("Select CustomerName From Customer Where (CustomerIndex > 1)") +
               customerFilter + QStringLiteral(" And (CustomerName = ") + SqlText(typed) +
               QStringLiteral(")"));
    // Names are unique without regard to case; should two spellings of one name still be stored,
    // the one typed wins.
    QString named;
    for (query.First(); !query.Eof(); query.Next()) {
        const QString name = query.FieldByName(QStringLiteral("CustomerName")).AsString();
        if (name == typed)
            return name;
        if (named.isEmpty())
            named = name;
    }
    return named;
}

QString CustomerToStore(const QString& typed, const QString& named, const QString& keptName) {
    if (typed.isEmpty())
        return QString();
    if (!named.isEmpty())
        return named;
    if (!keptName.isEmpty() && typed == keptName)
        return keptName;
    return QString();
}

QString CustomerToStore(DbConnection& connection, const QString& typed, const QString& customerFilter,
                        const QString& keptName) {
    return CustomerToStore(typed, NamedCustomer(connection, typed, customerFilter), keptName);
}
