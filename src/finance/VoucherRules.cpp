#include "VoucherRules.h"

#include "foundation/Connection.h"
#include "foundation/JetSql.h"
#include "foundation/PublicFunction.h"
#include "foundation/Query.h"
#include "foundation/RowImage.h"
#include "foundation/RowLock.h"

#include <limits>

FieldCheck CheckVoucher(const VoucherInput& input,
                        const std::function<qint64(const QString&)>& accountIndexOf, qint64* accountIndex) {
    static const QString badAmount = QStringLiteral("金额格式有误，请重新输入");
    if (input.Account.isEmpty())
        return {QStringLiteral("请选择一个帐户"), QStringLiteral("ComboBox1")};
    if (input.Reason.isEmpty())
        return {QStringLiteral("请选择帐款项目"), QStringLiteral("ComboBox2")};
    // Digits and at most one point, at least one digit: "1.2.3" and "." are no amounts; nor is a
    // number too long for a double.
    if (!IsAmountText(input.Amount, std::numeric_limits<int>::max(), false))
        return {badAmount, QStringLiteral("Edit2")};
    const int point = input.Amount.indexOf(QLatin1Char('.'));
    if (point >= 0 && input.Amount.size() - point - 1 > 4)
        return {QStringLiteral("金额内容可能有误，请重新输入"), QStringLiteral("Edit2")};
    if (input.Type.isEmpty())
        return {QStringLiteral("请选择帐款类别"), QStringLiteral("ComboBox3")};
    if (input.Token.isEmpty())
        return {QStringLiteral("请选择帐款凭证"), QStringLiteral("ComboBox4")};
    const qint64 account = accountIndexOf(input.Account);
    if (account == 0)
        return {QStringLiteral("找不到所需要的帐户"), QStringLiteral("ComboBox1")};
    if (accountIndex)
        *accountIndex = account;
    if (input.Customer.isEmpty())
        return {QStringLiteral("请选择客户名称"),
                input.CustomerEnabled ? QStringLiteral("ComboBox5") : QString()};
    if (!IsValidSerial(input.Serial))
        return {QStringLiteral("单据编号格式有误，字母不能在数字后面"), QStringLiteral("Edit4")};
    return {};
}

qint64 AccountIndexOf(DbConnection& connection, const QString& name) {
    Query query(&connection);
    query.Open(QStringLiteral("Select * From Account Where AccountName = ") + SqlText(name));
    for (query.First(); !query.Eof(); query.Next()) {
        const qint64 index = query.FieldByName(QStringLiteral("AccountIndex")).AsInteger();
        if (index > 1)
            return index;
    }
    return 0;
}

void SetVoucherAmount(VoucherFields* fields, const QString& kind, double amount) {
    const bool receipt = kind == ReceiptKind;
    fields->In = receipt ? amount : 0;
    fields->Out = receipt ? 0 : amount;
    fields->Sum = receipt ? amount : -amount;
}

int VoucherSerialSettingRow(const QString& kind) {
    return kind == ReceiptKind ? 3 : 4;
}

QString VoucherKindOf(double moneySum) {
    return moneySum >= 0 ? ReceiptKind : PaymentKind;
}

QString VoucherByIndexSql(qint64 index) {
    return QStringLiteral("Select * From MoneyTable Where MoneyIndex = ") + SqlNumber(index);
}

QString VoucherWithAccountSql(qint64 index) {
    return QStringLiteral("Select * From Account,MoneyTable Where (AccountIndex = MoneyAccount) And "
                          "(MoneyIndex = ") +
           SqlNumber(index) + QLatin1Char(')');
}

namespace {

void WriteFields(Query& query, const VoucherFields& fields) {
    query.FieldByName(QStringLiteral("MoneyAccount")).SetAsInteger(fields.Account);
    query.FieldByName(QStringLiteral("MoneyCreateTime")).SetAsDate(fields.CreateTime);
    query.FieldByName(QStringLiteral("MoneyUser")).SetAsString(fields.User);
    query.FieldByName(QStringLiteral("MoneyReason")).SetAsString(fields.Reason);
    query.FieldByName(QStringLiteral("MoneyIn")).SetAsFloat(fields.In);
    query.FieldByName(QStringLiteral("MoneyOut")).SetAsFloat(fields.Out);
    query.FieldByName(QStringLiteral("MoneySum")).SetAsFloat(fields.Sum);
    query.FieldByName(QStringLiteral("MoneyType")).SetAsString(fields.Type);
    query.FieldByName(QStringLiteral("MoneyToken")).SetAsString(fields.Token);
    query.FieldByName(QStringLiteral("MoneyRemark")).SetAsString(fields.Remark);
    query.FieldByName(QStringLiteral("MoneySerial")).SetAsString(fields.Serial);
    query.FieldByName(QStringLiteral("MoneyMan")).SetAsString(fields.Man);
}

} // namespace

qint64 InsertVoucher(DbConnection& connection, const VoucherFields& fields, qint64 billIndex,
                     const QString& kind, QString* storedSerial) {
    Transaction tx(connection);
    const int counterRow = VoucherSerialSettingRow(kind);
    VoucherFields stored = fields;
    stored.Serial = ClaimSerial(connection, counterRow, fields.Serial, fields.ProposedSerial);
    // A voucher of a document waits for a store of that document under way, which checks the
    // document's vouchers against what its editor loaded.
    if (billIndex > 1)
        LockRow(connection, QStringLiteral("Bill"), billIndex);
    Query query(&connection);
    query.Open(VoucherByIndexSql(0));
    query.Insert();
    query.FieldByName(QStringLiteral("MoneyBill")).SetAsInteger(billIndex);
    query.FieldByName(QStringLiteral("MoneyRecordTime")).SetAsDate(QDate::currentDate());
    WriteFields(query, stored);
    query.Post();
    const qint64 index = query.FieldByName(QStringLiteral("MoneyIndex")).AsInteger();
    RememberSerial(connection, counterRow, stored.Serial);
    tx.Commit();
    if (storedSerial)
        *storedSerial = stored.Serial;
    return index;
}

bool UpdateVoucher(DbConnection& connection, const RowImage& loaded, const VoucherFields& fields) {
    if (!loaded.Exists())
        return false;
    Transaction tx(connection);
    RequireUnchanged(connection, loaded);
    Query query(&connection);
    query.Open(VoucherByIndexSql(loaded.Key));
    if (query.RecordCount() == 0)
        return false;
    query.Edit();
    WriteFields(query, fields);
    query.Post();
    tx.Commit();
    return true;
}
