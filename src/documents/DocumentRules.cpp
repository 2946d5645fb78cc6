#include "DocumentRules.h"

#include "foundation/Connection.h"
#include "foundation/History.h"
#include "foundation/JetSql.h"
#include "foundation/PublicFunction.h"
#include "foundation/Query.h"
#include "foundation/RowImage.h"
#include "foundation/RowLock.h"

double SignedBillSum(const QString& kind, double amount) {
    return kind == SaleKind ? amount : -amount;
}

int BillSerialSettingRow(const QString& kind) {
    return kind == SaleKind ? 1 : 2;
}

QString BillByIndexSql(qint64 index) {
    return QStringLiteral("Select * From Bill Where BillIndex = ") + SqlNumber(index);
}

QString VoucherListSql(qint64 billIndex) {
    return QStringLiteral(
               "Select MoneyIndex,MoneyCreateTime,MoneySerial,AccountName,MoneyIn,MoneyOut,MoneySum "
               "From Account,MoneyTable Where (AccountIndex = MoneyAccount) And (MoneyBill = ") +
           SqlNumber(billIndex) + QStringLiteral(")");
}

QString SettingSql(int row) {
    return QStringLiteral("Select * From Setting Where SettingIndex = ") + SqlNumber(row);
}

bool IsDocumentAmountText(const QString& text) {
    return IsAmountText(text, 4, false);
}

double DocumentAmountOf(const QString& text) {
    return text.isEmpty() ? 0 : text.toDouble();
}

namespace {
const QString BadSerial = QStringLiteral("单据编号格式有误，字母不能在数字后面");
const QString BadAmount = QStringLiteral("金额格式有误，请重新输入");
} // namespace

FieldCheck CheckDocument(const QString& serial, const QString& customer, bool customerEnabled,
                         const QString& reason, const QString& state, const QString& amount) {
    if (!IsValidSerial(serial))
        return {BadSerial, QStringLiteral("Edit1")};
    if (customer.isEmpty())
        return {QStringLiteral("请选择客户名称"), customerEnabled ? QStringLiteral("ComboBox5") : QString()};
    if (reason.isEmpty())
        return {QStringLiteral("请选择收支种类"), QStringLiteral("ComboBox2")};
    if (state.isEmpty())
        return {QStringLiteral("请选择业务进度"), QStringLiteral("ComboBox3")};
    if (!IsDocumentAmountText(amount))
        return {BadAmount, QStringLiteral("Edit2")};
    return {};
}

FieldCheck CheckEarlyDocument(const QString& serial, const QString& amount) {
    if (!IsValidSerial(serial))
        return {BadSerial, QStringLiteral("Edit1")};
    // The amount may still be empty; a text that is no amount is never stored as 0.
    if (!amount.isEmpty() && !IsDocumentAmountText(amount))
        return {BadAmount, QStringLiteral("Edit2")};
    return {};
}

QString ClaimSerial(DbConnection& connection, int settingRow, const QString& serial,
                    const QString& proposed) {
    LockRow(connection, QStringLiteral("Setting"), settingRow);
    if (proposed.isEmpty() || serial != proposed)
        return serial;
    Query counter(&connection);
    counter.Open(SettingSql(settingRow));
    if (counter.RecordCount() == 0)
        return serial;
    return NextSerial(counter.FieldByName(QStringLiteral("SettingValue")).AsString());
}

QString SerialTakenNote(const QString& typed, const QString& stored) {
    if (typed == stored)
        return QString();
    return QStringLiteral("\n单据编号 %1 已被其他用户使用，本单据的编号为 %2").arg(typed, stored);
}

void RememberSerial(DbConnection& connection, int settingRow, const QString& serial) {
    Query query(&connection);
    query.ExecSql(QStringLiteral("Update Setting Set SettingValue = ") + SqlText(serial) +
                  QStringLiteral(" Where SettingIndex = ") + SqlNumber(settingRow));
}

RowsImage TakeVouchersImage(DbConnection& connection, qint64 billIndex) {
    return TakeRowsImage(connection, QStringLiteral("MoneyTable"), QStringLiteral("MoneyBill"), billIndex);
}

qint64 StoreBill(DbConnection& connection, qint64 billIndex, const BillFields& fields, bool writeKind,
                 bool rememberSerial, QString* storedSerial) {
    return StoreBill(connection, billIndex, fields, writeKind, rememberSerial, storedSerial, RowImage(),
                     RowsImage());
}

qint64 StoreBill(DbConnection& connection, qint64 billIndex, const BillFields& fields, bool writeKind,
                 bool rememberSerial, QString* storedSerial, const RowImage& loaded,
                 const RowsImage& vouchers) {
    Transaction tx(connection);
    const int counterRow = BillSerialSettingRow(fields.Kind);
    QString serial = fields.Serial;
    // The counter is taken first, before anything is read, whenever it may be written.
    if (rememberSerial)
        serial = ClaimSerial(connection, counterRow, fields.Serial,
                             billIndex == 1 ? fields.ProposedSerial : QString());
    if (billIndex != 1) {
        RequireUnchanged(connection, loaded);
        RequireUnchanged(connection, vouchers);
    }
    Query query(&connection);
    query.Open(BillByIndexSql(billIndex == 1 ? 0 : billIndex));
    bool serialChanged = true;
    if (billIndex == 1) {
        query.Insert();
    } else {
        if (query.RecordCount() == 0)
            return 0;
        // A document stored early already moved the counter to its serial; moving it there again
        // could take it back behind serials other workstations stored since.
        serialChanged = query.FieldByName(QStringLiteral("BillSerial")).AsString() != serial;
        query.Edit();
    }
    if (writeKind || billIndex == 1)
        query.FieldByName(QStringLiteral("BillKind")).SetAsString(fields.Kind);
    query.FieldByName(QStringLiteral("BillRecordTime")).SetAsDate(QDate::currentDate());
    query.FieldByName(QStringLiteral("BillCreateTime")).SetAsDate(fields.CreateTime);
    query.FieldByName(QStringLiteral("BillSerial")).SetAsString(serial);
    query.FieldByName(QStringLiteral("BillUser")).SetAsString(fields.User);
    query.FieldByName(QStringLiteral("BillSum")).SetAsFloat(fields.Sum);
    query.FieldByName(QStringLiteral("BillReason")).SetAsString(fields.Reason);
    query.FieldByName(QStringLiteral("BillState")).SetAsString(fields.State);
    query.FieldByName(QStringLiteral("BillRemark")).SetAsString(fields.Remark);
    query.FieldByName(QStringLiteral("BillMan")).SetAsString(fields.Man);
    query.Post();
    const qint64 stored = query.FieldByName(QStringLiteral("BillIndex")).AsInteger();
    if (rememberSerial && serialChanged)
        RememberSerial(connection, counterRow, serial);
    tx.Commit();
    if (storedSerial)
        *storedSerial = serial;
    return stored;
}

void DeleteBillWithVouchers(DbConnection& connection, qint64 billIndex) {
    if (billIndex <= 1) // the reserved row is never a document
        return;
    Transaction tx(connection);
    History::DeleteRows(connection, QStringLiteral("MoneyTable"),
                        QStringLiteral("MoneyBill = ") + SqlNumber(billIndex));
    History::DeleteRows(connection, QStringLiteral("Bill"),
                        QStringLiteral("BillIndex = ") + SqlNumber(billIndex));
    tx.Commit();
}
