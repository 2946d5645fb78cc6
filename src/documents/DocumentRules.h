#pragma once

#include <QDate>
#include <QString>

class DbConnection;

// The first failed check of an editor: the message to show and the objectName of the control that
// takes the focus. Empty message: every check passed.
struct FieldCheck {
    QString Message;
    QString Focus;
    bool Passed() const { return Message.isEmpty(); }
};

inline const QString SaleKind = QStringLiteral("销售开单");
inline const QString PurchaseKind = QStringLiteral("采购开单");
inline const QString NewMode = QStringLiteral("新增");
inline const QString EditMode = QStringLiteral("修改");

// What the document editor writes into a Bill row. Sum carries the sign of the kind.
struct BillFields {
    QString Kind;
    QDate CreateTime;
    QString Serial;
    QString User;
    double Sum = 0;
    QString Reason;
    QString State;
    QString Remark;
    QString Man;
};

// Sales are stored positive, everything else negative.
double SignedBillSum(const QString& kind, double amount);
// The Setting row holding the last serial of the kind: 1 for a sale, 2 otherwise.
int BillSerialSettingRow(const QString& kind);

QString BillByIndexSql(qint64 index);
// The vouchers booked against a document, for its voucher grid.
QString VoucherListSql(qint64 billIndex);
QString SettingSql(int row);

// The document amount: a non-negative decimal number with at most four decimals.
bool IsDocumentAmountText(const QString& text);
double DocumentAmountOf(const QString& text);

// The save checks of the document editor, in order.
FieldCheck CheckDocument(const QString& serial, const QString& customer, bool customerEnabled,
                         const QString& reason, const QString& state, const QString& amount);
// The checks made before a not yet stored document is stored for its first voucher.
FieldCheck CheckEarlyDocument(const QString& serial, const QString& amount);

// Stores a document and remembers its serial in the kind's Setting row, in one transaction.
// billIndex 1 inserts a new row; otherwise the row with that key is rewritten (BillKind only when
// writeKind). Returns the row's BillIndex, or 0 when the row to rewrite is gone. Throws KestrelError.
qint64 StoreBill(DbConnection& connection, qint64 billIndex, const BillFields& fields, bool writeKind,
                 bool rememberSerial);

// Removes a document and every voucher booked against it, in one transaction.
void DeleteBillWithVouchers(DbConnection& connection, qint64 billIndex);
