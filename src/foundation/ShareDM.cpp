#include "ShareDM.h"

#include "foundation/History.h"
#include "foundation/JetSql.h"
#include "foundation/KestrelError.h"
#include "foundation/PublicFunction.h"
#include "kit/Prompts.h"

#include <QComboBox>
#include <cmath>

QString ProgramFolder;
QString IniFileName;
QString CurrentRole;
QString CurrentUser;
QString CurrentRights;
QString CustomerFilter;
QString AccountFilter;
QString BillFilter;
QString MoneyFilter;

TShareDataModule* ShareDataModule = nullptr;

TShareDataModule::TShareDataModule(QObject* parent)
    : QObject(parent)
    , ADOQueryTemp(&ADOConnection1)
    , ADOQueryTemp2(&ADOConnection1) {
    setObjectName(QStringLiteral("ShareDataModule"));
    // The change history names the signed-in user.
    History::SetUserSource([] { return CurrentUser; });
}

bool TShareDataModule::AskEditPassword() {
    return AskEditPassword(QStringLiteral("修改密码"), QStringLiteral("请输入资料修改密码"), QString());
}

bool TShareDataModule::AskEditPassword(const QString& title, const QString& prompt,
                                       const QString& initialText) {
    const QString sql =
        QStringLiteral("Select * From Power Where PowerName = ") + SqlText(QStringLiteral("修改"));
    OpenSql(ADOQueryTemp, sql, QStringLiteral("数据库打开失败"));
    if (ADOQueryTemp.Active() && ADOQueryTemp.RecordCount() > 0 &&
        ADOQueryTemp.FieldByName(QStringLiteral("PowerKey")).AsString().isEmpty())
        return true;

    if (!AskPasswordDialog)
        throw KestrelError(QStringLiteral("资料修改密码窗口尚未建立"));
    QString typed = initialText;
    if (!AskPasswordDialog(title, prompt, typed))
        return false;
    OpenSql(ADOQueryTemp, sql, QStringLiteral("数据库打开失败"));
    if (!ADOQueryTemp.Active() || ADOQueryTemp.RecordCount() == 0) {
        Prompts::Get().Information(QStringLiteral("数据库出错，资料修改密码被删除"));
        return false;
    }
    if (typed == ADOQueryTemp.FieldByName(QStringLiteral("PowerKey")).AsString())
        return true;
    Prompts::Get().Information(QStringLiteral("密码错误，请重新操作"));
    return false;
}

QString TShareDataModule::NextSerial(const QString& serial) const {
    return ::NextSerial(serial);
}

bool TShareDataModule::IsValidSerial(const QString& serial) const {
    return ::IsValidSerial(serial);
}

bool OpenSql(Query& query, const QString& sql, const QString& failureMessage) {
    try {
        // Open closes the last result itself and keeps its memory for the new rows.
        query.SQL = sql;
        query.Open();
        return true;
    } catch (const KestrelError&) {
        query.Close();
        Prompts::Get().Information(failureMessage);
        return false;
    }
}

bool DeleteLoadedAfterAsking(const RowImage& loaded, const RowsImage& belonging) {
    if (!loaded.Exists()) {
        Prompts::Get().Information(QStringLiteral("找不到要删除的记录"));
        return false;
    }
    DbConnection& connection = ShareDataModule->ADOConnection1;
    // Changed already: told before the question; the deletion checks again as it deletes.
    if (!SameRow(loaded, TakeRowImage(connection, loaded.Table, loaded.Key)) ||
        (belonging.Taken() && !SameRows(belonging, TakeRowsImage(connection, belonging.Table,
                                                                 belonging.OwnerColumn, belonging.Owner)))) {
        ShowStaleRecord(StaleRecordError());
        return false;
    }
    if (!Prompts::Get().Question(DeletionQuestion(loaded), QStringLiteral("删除警告")))
        return false;
    try {
        DeleteLoadedRow(connection, loaded, belonging);
    } catch (const StaleRecordError& error) {
        ShowStaleRecord(error);
        return false;
    }
    return true;
}

QString DeletionQuestion(const RowImage& row) {
    const auto text = [&row](const char* column) {
        return row.Value(QLatin1String(column)).toString().trimmed();
    };
    const auto amount = [&row](const char* column) {
        return QString::number(std::fabs(row.Value(QLatin1String(column)).toDouble()), 'f', 2);
    };
    // "销售单 XS100001（华东贸易，200.00 元）"
    const auto named = [](const QString& kind, const QString& serial, const QString& customer,
                          const QString& sum) {
        QString what = kind;
        if (!serial.isEmpty())
            what += QLatin1Char(' ') + serial;
        QStringList details;
        if (!customer.isEmpty())
            details << customer;
        details << sum + QStringLiteral(" 元");
        return what + QStringLiteral("（") + details.join(QStringLiteral("，")) + QStringLiteral("）");
    };
    QString what;
    if (row.Table.compare(QLatin1String("Bill"), Qt::CaseInsensitive) == 0) {
        const QString kind = text("BillKind");
        const QString word = kind == QStringLiteral("采购开单")   ? QStringLiteral("采购单")
                             : kind == QStringLiteral("销售开单") ? QStringLiteral("销售单")
                                                                  : QStringLiteral("单据");
        what = named(word, text("BillSerial"), text("BillUser"), amount("BillSum"));
    } else if (row.Table.compare(QLatin1String("MoneyTable"), Qt::CaseInsensitive) == 0) {
        const bool in = row.Value(QStringLiteral("MoneySum")).toDouble() >= 0;
        what = named(in ? QStringLiteral("收入单") : QStringLiteral("支出单"), text("MoneySerial"),
                     text("MoneyUser"), amount("MoneySum"));
    } else if (row.Table.compare(QLatin1String("Customer"), Qt::CaseInsensitive) == 0) {
        what = QStringLiteral("客户 ") + text("CustomerName") + QLatin1Char(' ');
    } else if (row.Table.compare(QLatin1String("Account"), Qt::CaseInsensitive) == 0) {
        what = QStringLiteral("帐户 ") + text("AccountName") + QLatin1Char(' ');
    }
    if (what.isEmpty() || !row.Exists())
        return QStringLiteral("确实要删除该记录吗？");
    return QStringLiteral("确实要删除") + what + QStringLiteral("吗？");
}

void ShowStaleRecord(const StaleRecordError& error) {
    Prompts::Get().Information(error.Message());
}

int ExecSql(Query& query, const QString& sql) {
    try {
        return query.ExecSql(sql);
    } catch (const KestrelError&) {
        Prompts::Get().Information(QStringLiteral("SQL命令执行出错"));
        return 0;
    }
}

void LoadCombo(QComboBox* combo, Query& query, const QString& sql, bool addAllEntry,
               const QString& fieldName) {
    combo->clear();
    if (addAllEntry)
        combo->addItem(QStringLiteral("所有"));
    OpenSql(query, sql, QStringLiteral("LoadCombo失败"));
    if (query.Active() && query.RecordCount() > 0) {
        QStringList items;
        for (query.First(); !query.Eof(); query.Next())
            items << query.FieldByName(fieldName).AsString();
        combo->addItems(items);
    }
    combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
}

void SelectComboText(QComboBox* combo, const QString& text) {
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i) == text)
            combo->setCurrentIndex(i);
    }
}

void SelectStoredComboText(QComboBox* combo, const QString& text) {
    if (combo->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
        combo->addItem(text);
    SelectComboText(combo, text);
}

QString PickListSql(int type) {
    return QStringLiteral("Select * From Parameter Where ParameterType = ") + SqlNumber(type) +
           QStringLiteral(" Order By ParameterIndex");
}

void LoadPickListCombo(QComboBox* combo, Query& query, int type, bool addAllEntry) {
    LoadCombo(combo, query, PickListSql(type), addAllEntry, QStringLiteral("ParameterValue"));
}
