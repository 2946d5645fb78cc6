#pragma once

#include <QString>

class DbConnection;
struct RowImage;

// The rules of the staff window: the sixteen salesman slots of Power, their rights text, faces,
// and the hand-over of a renamed salesman's records.

inline const QString BusinessRight = QStringLiteral("业务管理");
inline const QString FinanceRight = QStringLiteral("财务管理");
constexpr int FaceCount = 39;

// The salesman slots in PowerIndex order.
QString SalesmenSql();
QString PowerByNameSql(const QString& name);

// "业务管理；" when business, then "财务管理；" when finance; the empty text (never a null one,
// which would be stored as NULL) without rights.
QString RightsText(bool business, bool finance);

// "Faces/" + n + ".bmp"; the face number of a path, 0 when it is none of the 39 exactly.
QString FacePath(int number);
int FaceNumber(const QString& path);

// What the staff window stores into a salesman slot.
struct SlotFields {
    QString Name;
    QString Key;
    QString Picture;
    QString Rights;
};

// The PowerIndex of the salesman slot with that name (as names compare), 0 when none has it.
// Throws KestrelError when the staff list cannot be read.
qint64 SalesmanSlotOf(DbConnection& connection, const QString& name);
// The stored fields of the slot with that PowerIndex (NULL texts read as empty); false when the
// row is gone. Throws KestrelError when it cannot be read.
bool ReadSlot(DbConnection& connection, qint64 powerIndex, SlotFields* fields);

// Stores the fields into the slot the staff window loaded (its image), in one transaction; false
// when none was loaded. StaleRecordError, nothing stored, when the slot no longer holds what was
// loaded (another workstation changed it). Throws KestrelError when the store fails.
bool StoreSlot(DbConnection& connection, const RowImage& loaded, const SlotFields& fields);

// Hands the customers, documents and vouchers of oldName over to newName, all in one transaction:
// all of it is stored or none. Accounts keep their AccountMan. Throws KestrelError on failure.
void HandOverSalesman(DbConnection& connection, const QString& oldName, const QString& newName);
