#pragma once

#include "foundation/Connection.h"
#include "foundation/Query.h"
#include "foundation/RowImage.h"

#include <QObject>
#include <QString>
#include <functional>

class DataGrid;
class QComboBox;

// Session values, set at start-up, by the sign-in and by the main window's role set-up.
extern QString ProgramFolder;
extern QString IniFileName;
extern QString CurrentRole;
extern QString CurrentUser;
extern QString CurrentRights;
extern QString CustomerFilter;
extern QString AccountFilter;
extern QString BillFilter;
extern QString MoneyFilter;

// The database password written into the connection string; SQLite has no counterpart for it.
inline const QString DatabasePassword = QStringLiteral("Qolmarn");

// The data module: the one connection and the two shared work queries.
class TShareDataModule : public QObject {
    Q_OBJECT
public:
    explicit TShareDataModule(QObject* parent = nullptr);

    DbConnection ADOConnection1;
    Query ADOQueryTemp;
    Query ADOQueryTemp2;

    // The masked text prompt AskEditPassword shows: title, prompt and initial text in, the typed
    // text out through text; true on OK. The program's wiring sets the sign-in's prompt dialog.
    using PasswordDialog = std::function<bool(const QString& title, const QString& prompt, QString& text)>;
    PasswordDialog AskPasswordDialog;

    // Asks for the data-modification password; true when the user may go on.
    bool AskEditPassword(const QString& title, const QString& prompt, const QString& initialText);
    // The prompt every caller uses.
    bool AskEditPassword();

    QString NextSerial(const QString& serial) const;
    bool IsValidSerial(const QString& serial) const;

    // Exports the visible columns and every record of a result grid to a workbook the user names,
    // then opens it with the desktop's program for it (defined with the export, in reports/).
    void ExportGridToExcel(DataGrid* grid);
};

extern TShareDataModule* ShareDataModule;

// Closes the query, gives it the SQL and opens it; on failure shows failureMessage and returns false.
bool OpenSql(Query& query, const QString& sql, const QString& failureMessage);
// Deletes the row an editor loaded (with the set that belongs to it unchanged as well) once the
// user confirms: "找不到要删除的记录" when the editor loaded none, "该记录已被其他用户修改，请刷新后重试"
// and nothing deleted when another workstation changed or deleted it since. True when deleted.
bool DeleteLoadedAfterAsking(const RowImage& loaded, const RowsImage& belonging = {});
// The question before a deletion, naming the record: "确实要删除销售单 XS100001（华东贸易，200.00 元）吗？"
// for a document, likewise for a voucher (收入单/支出单), a customer and an account.
QString DeletionQuestion(const RowImage& row);
// Shows the message of a store refused because another workstation changed the record.
void ShowStaleRecord(const StaleRecordError& error);
// Runs a statement; returns the rows affected, or 0 after showing "SQL命令执行出错".
int ExecSql(Query& query, const QString& sql);
// Fills a drop-down list from a query ("所有" first when addAllEntry) and selects entry 0.
void LoadCombo(QComboBox* combo, Query& query, const QString& sql, bool addAllEntry,
               const QString& fieldName);
// Selects the last entry equal to text; no change when there is none.
void SelectComboText(QComboBox* combo, const QString& text);
// Shows a stored value in a choose-only box: selects it, and when the list does not offer it (an
// entry renamed or deleted since, an account the role does not see) adds it as the last entry
// first, so that saving keeps the stored value unless the user picks another.
void SelectStoredComboText(QComboBox* combo, const QString& text);
// The values of a pick list (1 业务种类, 2 款项类别, 3 款项凭证, 4 业务进度) in the order they were
// added, as the settings page lists them; LoadPickListCombo fills a box with them.
QString PickListSql(int type);
void LoadPickListCombo(QComboBox* combo, Query& query, int type, bool addAllEntry);
