#include "StaffRules.h"

#include "foundation/Connection.h"
#include "foundation/History.h"
#include "foundation/JetSql.h"
#include "foundation/Query.h"
#include "foundation/RowImage.h"

QString SalesmenSql() {
    return QStringLiteral("Select * From Power Where PowerRole = '业务员' Order By PowerIndex");
}

QString PowerByNameSql(const QString& name) {
    return QStringLiteral("Select * From Power Where PowerName = ") + SqlText(name);
}

QString RightsText(bool business, bool finance) {
    QString rights = QStringLiteral("");
    if (business)
        rights += BusinessRight + QStringLiteral("；");
    if (finance)
        rights += FinanceRight + QStringLiteral("；");
    return rights;
}

QString FacePath(int number) {
    return QStringLiteral("Faces/%1.bmp").arg(number);
}

int FaceNumber(const QString& path) {
    for (int n = 1; n <= FaceCount; ++n) {
        if (path == FacePath(n))
            return n;
    }
    return 0;
}

qint64 SalesmanSlotOf(DbConnection& connection, const QString& name) {
    Query query(&connection);
    query.Open(QStringLiteral("Select * From Power Where (PowerRole = '业务员') And (PowerName = ") +
               SqlText(name) + QStringLiteral(") Order By PowerIndex"));
    if (name.isEmpty() || query.RecordCount() == 0)
        return 0;
    query.First();
    return query.FieldByName(QStringLiteral("PowerIndex")).AsInteger();
}

bool ReadSlot(DbConnection& connection, qint64 powerIndex, SlotFields* fields) {
    Query query(&connection);
    query.Open(QStringLiteral("Select * From Power Where PowerIndex = ") + SqlNumber(powerIndex));
    if (query.RecordCount() == 0)
        return false;
    query.First();
    // A slot written as NULL by an older program reads as the empty text.
    auto text = [&query](const char* field) {
        const QString value = query.FieldByName(QLatin1String(field)).AsString();
        return value.isNull() ? QStringLiteral("") : value;
    };
    *fields = {text("PowerName"), text("PowerKey"), text("PowerPicture"), text("PowerRange")};
    return true;
}

bool StoreSlot(DbConnection& connection, const RowImage& loaded, const SlotFields& fields) {
    if (!loaded.Exists())
        return false;
    Transaction tx(connection);
    RequireUnchanged(connection, loaded);
    Query query(&connection);
    query.Open(QStringLiteral("Select * From Power Where PowerIndex = ") + SqlNumber(loaded.Key));
    if (query.RecordCount() == 0)
        return false;
    query.First();
    query.Edit();
    // An empty box gives a null text, which would be stored as NULL; the slot keeps empty texts.
    auto text = [](const QString& value) { return value.isNull() ? QStringLiteral("") : value; };
    query.FieldByName(QStringLiteral("PowerName")).SetAsString(text(fields.Name));
    query.FieldByName(QStringLiteral("PowerKey")).SetAsString(text(fields.Key));
    query.FieldByName(QStringLiteral("PowerPicture")).SetAsString(text(fields.Picture));
    query.FieldByName(QStringLiteral("PowerRange")).SetAsString(text(fields.Rights));
    query.Post();
    tx.Commit();
    return true;
}

void HandOverSalesman(DbConnection& connection, const QString& oldName, const QString& newName) {
    Transaction tx(connection);
    History::MoveRows(connection, QStringLiteral("Customer"), QStringLiteral("CustomerMan"), oldName, newName,
                      History::Kind::Changed);
    History::MoveRows(connection, QStringLiteral("Bill"), QStringLiteral("BillMan"), oldName, newName,
                      History::Kind::Changed);
    History::MoveRows(connection, QStringLiteral("MoneyTable"), QStringLiteral("MoneyMan"), oldName, newName,
                      History::Kind::Changed);
    tx.Commit();
}
