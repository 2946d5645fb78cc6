#pragma once

#include "documents/DocumentRules.h"

#include <QDate>
#include <QString>
#include <functional>

class DbConnection;
struct RowImage;

inline const QString ReceiptKind = QStringLiteral("财务收入单");
inline const QString PaymentKind = QStringLiteral("财务支出单");

// The texts of the voucher editor's controls that the save checks read.
struct VoucherInput {
    QString Account;  // ComboBox1
    QString Reason;   // ComboBox2
    QString Amount;   // Edit2
    QString Type;     // ComboBox3
    QString Token;    // ComboBox4
    QString Customer; // ComboBox5
    QString Serial;   // Edit4
    bool CustomerEnabled = true;
};

// The save checks of the voucher editor, in order. accountIndexOf looks the chosen account up
// (0 when there is none); the found key is put into *accountIndex.
FieldCheck CheckVoucher(const VoucherInput& input,
                        const std::function<qint64(const QString&)>& accountIndexOf, qint64* accountIndex);

// The AccountIndex of the account with that name, 0 when there is none.
qint64 AccountIndexOf(DbConnection& connection, const QString& name);

// What the voucher editor writes into a MoneyTable row.
struct VoucherFields {
    qint64 Account = 0;
    QDate CreateTime;
    QString User;
    QString Reason;
    double In = 0;
    double Out = 0;
    double Sum = 0;
    QString Type;
    QString Token;
    QString Remark;
    QString Serial;
    // The serial the editor proposed from the kind's counter: kept, it becomes the counter's next
    // serial when the voucher is stored (ClaimSerial).
    QString ProposedSerial;
    QString Man;
};

// Receipts book the amount in, payments out; MoneySum carries the sign.
void SetVoucherAmount(VoucherFields* fields, const QString& kind, double amount);
// The Setting row holding the last serial of the kind: 3 for a receipt, 4 otherwise.
int VoucherSerialSettingRow(const QString& kind);
// The kind an existing voucher has by the sign of its MoneySum.
QString VoucherKindOf(double moneySum);

QString VoucherByIndexSql(qint64 index);
QString VoucherWithAccountSql(qint64 index);

// Inserts a voucher booked against billIndex (0: none) with its serial claimed from the kind's
// Setting row (ClaimSerial) and remembers that serial there, in one transaction; the document's row
// is locked first (LockRow), so that the voucher is never added while its document is stored. Returns its
// MoneyIndex; *storedSerial gets the serial stored. Throws KestrelError.
qint64 InsertVoucher(DbConnection& connection, const VoucherFields& fields, qint64 billIndex,
                     const QString& kind, QString* storedSerial = nullptr);
// Rewrites the voucher the editor loaded (MoneyBill and MoneyRecordTime stay), in one transaction;
// false when the editor loaded none. StaleRecordError, nothing stored, when the row no longer holds
// what was loaded (another workstation changed or deleted it).
bool UpdateVoucher(DbConnection& connection, const RowImage& loaded, const VoucherFields& fields);
