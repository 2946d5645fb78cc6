#include "AccountRules.h"

#include "foundation/Connection.h"
#include "foundation/History.h"
#include "foundation/JetSql.h"
#include "foundation/PublicFunction.h"
#include "foundation/RowImage.h"
#include "foundation/ShareDM.h"
#include "kit/Prompts.h"
#include "reports/ReportQueries.h"

QString AccountByNameSql(const QString& name) {
    return QStringLiteral("Select * From Account Where AccountName = ") + SqlText(name);
}

bool IsAccountBaseText(const QString& text) {
    return IsAmountText(text, 1000);
}

bool AccountNameFree(const QString& name, qint64 exceptIndex) {
    Query query(&ShareDataModule->ADOConnection1);
    if (!OpenSql(query,
                 AccountByNameSql(name) + QStringLiteral(" And (AccountIndex <> ") + SqlNumber(exceptIndex) +
                     QStringLiteral(")"),
                 QStringLiteral("无法打开数据库")))
        return false;
    if (query.RecordCount() == 0)
        return true;
    Prompts::Get().Information(QStringLiteral("该帐户名已经存在，请重新操作"));
    return false;
}

RowImage AccountImage(DbConnection& connection, const QString& name) {
    Query query(&connection);
    query.Open(AccountByNameSql(name));
    RowImage image = ImageOfRow(query, QStringLiteral("Account"));
    return image;
}

bool UpdateAccount(DbConnection& connection, const RowImage& loaded, const QString& name, double base) {
    if (!loaded.Exists())
        return false;
    Transaction tx(connection);
    RequireUnchanged(connection, loaded);
    Query query(&connection);
    query.Open(QStringLiteral("Select * From Account Where AccountIndex = ") + SqlNumber(loaded.Key));
    if (query.RecordCount() == 0)
        return false;
    query.Edit();
    query.FieldByName(QStringLiteral("AccountName")).SetAsString(name);
    query.FieldByName(QStringLiteral("AccountBase")).SetAsFloat(base);
    query.Post();
    tx.Commit();
    return true;
}

void DeleteAccountWithVouchers(DbConnection& connection, const RowImage& loaded) {
    const qint64 accountIndex = loaded.Key;
    if (!loaded.Exists() || accountIndex <= 1)
        return; // the reserved row is never deleted
    Transaction tx(connection);
    RequireUnchanged(connection, loaded);
    History::DeleteRows(connection, QStringLiteral("Account"),
                        QStringLiteral("AccountIndex = ") + SqlNumber(accountIndex));
    History::DeleteRows(connection, QStringLiteral("MoneyTable"),
                        QStringLiteral("(MoneyAccount = ") + SqlNumber(accountIndex) +
                            QStringLiteral(") And (MoneyIndex > 1)"));
    tx.Commit();
}

QString AccountBalanceText(qint64 accountIndex, const QDate& upTo) {
    Query query(&ShareDataModule->ADOConnection1);
    query.Open(QStringLiteral("Select AccountBase From Account Where AccountIndex = ") +
               SqlNumber(accountIndex));
    double balance = query.RecordCount() > 0 ? query.FieldByName(QStringLiteral("AccountBase")).AsFloat() : 0;
    query.Open(AccountBalanceSql(accountIndex, upTo));
    if (query.RecordCount() > 0)
        balance += query.FieldByName(QStringLiteral("TotalMoney")).AsFloat();
    return RoundAmountText(balance) + QStringLiteral(" 元");
}
