#pragma once

#include <QDate>
#include <QString>

class DbConnection;
struct RowImage;
struct RowsImage;

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
    // The serial the editor proposed from the kind's counter ("" when none). A new document that
    // keeps it is stored with the counter's next serial at that moment: another workstation may
    // have taken the proposed one meanwhile.
    QString ProposedSerial;
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

// Inside a new record's transaction: takes the counter row (Setting) until the transaction ends,
// so that workstations storing records at once take their serials one after the other, and returns
// the serial to store: the counter's next serial when the record keeps the proposed one, else the
// serial as typed. The caller stores the record and then RememberSerial.
QString ClaimSerial(DbConnection& connection, int settingRow, const QString& serial, const QString& proposed);
// What the saved message adds when a record was stored with another serial than the one typed:
// "" when they are equal.
QString SerialTakenNote(const QString& typed, const QString& stored);
// Writes serial as the last one of the counter row (no row: nothing).
void RememberSerial(DbConnection& connection, int settingRow, const QString& serial);

// Stores a document and remembers its serial in the kind's Setting row, in one transaction.
// billIndex 1 inserts a new row (its serial claimed as ClaimSerial says); otherwise the row with
// that key is rewritten (BillKind only when writeKind), and the counter moves only when the serial
// was changed. Returns the row's BillIndex, or 0 when the row to rewrite is gone; *storedSerial
// gets the serial stored. Throws KestrelError; StaleRecordError (nothing stored) when a rewritten
// row or its vouchers no longer hold what the editor loaded (loaded, vouchers; images not taken
// check nothing).
qint64 StoreBill(DbConnection& connection, qint64 billIndex, const BillFields& fields, bool writeKind,
                 bool rememberSerial, QString* storedSerial = nullptr);
qint64 StoreBill(DbConnection& connection, qint64 billIndex, const BillFields& fields, bool writeKind,
                 bool rememberSerial, QString* storedSerial, const RowImage& loaded,
                 const RowsImage& vouchers);
// The vouchers of a document as its editor loads them into its grid, whole rows.
RowsImage TakeVouchersImage(DbConnection& connection, qint64 billIndex);

// Removes a document and every voucher booked against it, in one transaction.
void DeleteBillWithVouchers(DbConnection& connection, qint64 billIndex);
