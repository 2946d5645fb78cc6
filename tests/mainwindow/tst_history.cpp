#include "customers/CustomerRules.h"
#include "documents/DocumentRules.h"
#include "documents/EditorScripts.h"
#include "finance/AccountRules.h"
#include "finance/VoucherRules.h"
#include "foundation/AutoBackup.h"
#include "foundation/Backup.h"
#include "foundation/History.h"
#include "foundation/HistoryUndo.h"
#include "foundation/JetSql.h"
#include "foundation/KestrelError.h"
#include "foundation/Query.h"
#include "foundation/Schema.h"
#include "foundation/ShareDM.h"
#include "kit/DataGrid.h"
#include "mainwindow/AutoBackups.h"
#include "mainwindow/HistoryForm.h"
#include "mainwindow/MainForm.h"
#include "reports/ReportFixture.h"
#include "signin/StaffRules.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLockFile>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <functional>

// The change history: a row for every kind of change, in the change's transaction; and undo.
class TestHistory : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyKindOfChangeLeavesItsRows_data();
    void everyKindOfChangeLeavesItsRows();
    void passwordIsNeverWritten();
    void rolledBackChangeLeavesNoHistory();
    void historyRowsCannotBeChangedOnTheServer();
    void pagesAndFilters();
    void undoPutsRecordsBack_data();
    void undoPutsRecordsBack();
    void undoRefused_data();
    void undoRefused();
    void undoOfAnUndo();
    void historySurvivesRestoreOfLaterBackup();
    void windowAndBackupList();
    void backupSettings();
    void windowOpensForItsRoles_data();
    void windowOpensForItsRoles();

private:
    std::unique_ptr<TestProgram> program;
    DbConnection& Books() { return ShareDataModule->ADOConnection1; }
    // History rows after the given index, oldest first, as "table key kind".
    QStringList RowsAfter(qint64 index);
    qint64 LastIndex() {
        return program->Scalar(QStringLiteral("Select Max(HistoryIndex) From History")).toLongLong();
    }
    QString AllBusinessRows();
};

using Change = std::function<void(DbConnection&)>;
Q_DECLARE_METATYPE(Change)

void TestHistory::init() {
    program = std::make_unique<TestProgram>();
    FillSmallBook(*program);
    CurrentRole = QStringLiteral("管理员");
    CurrentUser = QStringLiteral("管理员");
}

void TestHistory::cleanup() {
    program.reset();
}

QStringList TestHistory::RowsAfter(qint64 index) {
    QStringList rows;
    Query q(&Books());
    q.Open(QStringLiteral("Select HistoryTable, HistoryKey, HistoryKind, HistoryUser From History Where "
                          "HistoryIndex > %1 Order By HistoryIndex")
               .arg(index));
    for (q.First(); !q.Eof(); q.Next())
        rows << QStringLiteral("%1 %2 %3")
                    .arg(q.Fields(0).AsString(), q.Fields(1).AsString(), q.Fields(2).AsString());
    return rows;
}

QString TestHistory::AllBusinessRows() {
    QStringList all;
    for (const QString& table :
         {QStringLiteral("Customer"), QStringLiteral("Bill"), QStringLiteral("MoneyTable"),
          QStringLiteral("Account"), QStringLiteral("Power"), QStringLiteral("Parameter")}) {
        Query q(&Books());
        q.Open(QStringLiteral("Select * From %1 Order By %2").arg(table, Schema::KeyColumn(table)));
        for (q.First(); !q.Eof(); q.Next()) {
            QStringList values;
            for (int c = 0; c < q.FieldCount(); ++c)
                values << q.Fields(c).AsString();
            all << table + QLatin1Char(':') + values.join(QLatin1Char('|'));
        }
    }
    return all.join(QLatin1Char('\n'));
}

namespace {

CustomerFields Customer(const QString& name, const QString& phone = QString()) {
    CustomerFields f;
    f.Name = name;
    f.Phone = phone;
    return f;
}

BillFields Sale(const QString& serial, const QString& user, double sum) {
    BillFields f;
    f.Kind = SaleKind;
    f.CreateTime = QDate(2024, 3, 1);
    f.Serial = serial;
    f.User = user;
    f.Sum = sum;
    f.Man = QStringLiteral("张三");
    return f;
}

VoucherFields Receipt(const QString& serial, qint64 account, double amount) {
    VoucherFields f;
    f.Account = account;
    f.CreateTime = QDate(2024, 3, 2);
    f.User = QStringLiteral("东方商贸");
    f.Serial = serial;
    SetVoucherAmount(&f, ReceiptKind, amount);
    f.Man = QStringLiteral("张三");
    return f;
}

void Insert(DbConnection& c, const QString& table, const QVariantMap& values) {
    Query q(&c);
    q.Open(QStringLiteral("Select * From %1 Where %2 = 0").arg(table, Schema::KeyColumn(table)));
    q.Insert();
    for (auto it = values.begin(); it != values.end(); ++it)
        q.FieldByName(it.key()).SetValue(it.value());
    q.Post();
}

void Edit(DbConnection& c, const QString& table, qint64 key, const QVariantMap& values) {
    Query q(&c);
    q.Open(QStringLiteral("Select * From %1 Where %2 = %3").arg(table, Schema::KeyColumn(table)).arg(key));
    q.Edit();
    for (auto it = values.begin(); it != values.end(); ++it)
        q.FieldByName(it.key()).SetValue(it.value());
    q.Post();
}

void Remove(DbConnection& c, const QString& table, qint64 key) {
    Query q(&c);
    q.Open(QStringLiteral("Select * From %1 Where %2 = %3").arg(table, Schema::KeyColumn(table)).arg(key));
    q.Delete();
}

} // namespace

void TestHistory::everyKindOfChangeLeavesItsRows_data() {
    QTest::addColumn<Change>("change");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("new customer") << Change([](DbConnection& c) {
        InsertCustomer(c, Customer(QStringLiteral("新客户")), QStringLiteral("张三"));
    }) << QStringList{QStringLiteral("Customer 4 新增")};
    QTest::newRow("customer changed") << Change([](DbConnection& c) {
        UpdateCustomer(c, TakeRowImage(c, QStringLiteral("Customer"), 2),
                       Customer(QStringLiteral("东方商贸"), QStringLiteral("123")));
    }) << QStringList{QStringLiteral("Customer 2 修改")};
    QTest::newRow("customer renamed with its documents and vouchers") << Change([](DbConnection& c) {
        UpdateCustomer(c, TakeRowImage(c, QStringLiteral("Customer"), 2),
                       Customer(QStringLiteral("东方商贸集团")));
    }) << QStringList{QStringLiteral("Bill 2 改名"),       QStringLiteral("Bill 4 改名"),
                      QStringLiteral("Bill 5 改名"),       QStringLiteral("MoneyTable 2 改名"),
                      QStringLiteral("MoneyTable 3 改名"), QStringLiteral("MoneyTable 5 改名"),
                      QStringLiteral("Customer 2 改名")};
    QTest::newRow("new document") << Change([](DbConnection& c) {
        StoreBill(c, 1, Sale(QStringLiteral("XS200001"), QStringLiteral("东方商贸"), 10), true, false,
                  nullptr);
    }) << QStringList{QStringLiteral("Bill 6 新增")};
    QTest::newRow("document changed") << Change([](DbConnection& c) {
        StoreBill(c, 2, Sale(QStringLiteral("XS100001"), QStringLiteral("东方商贸"), 99), false, false,
                  nullptr, TakeRowImage(c, QStringLiteral("Bill"), 2), TakeVouchersImage(c, 2));
    }) << QStringList{QStringLiteral("Bill 2 修改")};
    QTest::newRow("document deleted with its vouchers")
        << Change([](DbConnection& c) { DeleteBillWithVouchers(c, 2); })
        << QStringList{QStringLiteral("MoneyTable 2 删除"), QStringLiteral("MoneyTable 3 删除"),
                       QStringLiteral("Bill 2 删除")};
    QTest::newRow("new voucher") << Change([](DbConnection& c) {
        InsertVoucher(c, Receipt(QStringLiteral("SK200001"), 2, 5), 2, ReceiptKind, nullptr);
    }) << QStringList{QStringLiteral("MoneyTable 7 新增")};
    QTest::newRow("voucher changed") << Change([](DbConnection& c) {
        UpdateVoucher(c, TakeRowImage(c, QStringLiteral("MoneyTable"), 4),
                      Receipt(QStringLiteral("FK100001"), 2, 7));
    }) << QStringList{QStringLiteral("MoneyTable 4 修改")};
    QTest::newRow("voucher deleted") << Change([](DbConnection& c) {
        DeleteLoadedRow(c, TakeRowImage(c, QStringLiteral("MoneyTable"), 5));
    }) << QStringList{QStringLiteral("MoneyTable 5 删除")};
    QTest::newRow("account renamed") << Change([](DbConnection& c) {
        UpdateAccount(c, TakeRowImage(c, QStringLiteral("Account"), 3), QStringLiteral("工商银行"), 5);
    }) << QStringList{QStringLiteral("Account 3 改名")};
    QTest::newRow("account deleted with its vouchers")
        << Change([](DbConnection& c) {
               DeleteAccountWithVouchers(c, TakeRowImage(c, QStringLiteral("Account"), 3));
           })
        << QStringList{QStringLiteral("Account 3 删除"), QStringLiteral("MoneyTable 3 删除"),
                       QStringLiteral("MoneyTable 5 删除")};
    QTest::newRow("staff slot renamed") << Change([](DbConnection& c) {
        StoreSlot(c, TakeRowImage(c, QStringLiteral("Power"), 1),
                  SlotFields{QStringLiteral("王五"), QString(), QStringLiteral("Faces/1.bmp"), QString()});
    }) << QStringList{QStringLiteral("Power 1 改名")};
    QTest::newRow("salesman handed over")
        << Change(
               [](DbConnection& c) { HandOverSalesman(c, QStringLiteral("李四"), QStringLiteral("张三")); })
        << QStringList{QStringLiteral("Customer 3 修改"), QStringLiteral("Bill 3 修改"),
                       QStringLiteral("MoneyTable 4 修改"), QStringLiteral("MoneyTable 6 修改")};
    QTest::newRow("pick list value added, changed, deleted")
        << Change([](DbConnection& c) {
               Insert(c, QStringLiteral("Parameter"),
                      {{QStringLiteral("ParameterType"), 1},
                       {QStringLiteral("ParameterValue"), QStringLiteral("维修")}});
               Edit(c, QStringLiteral("Parameter"), 17,
                    {{QStringLiteral("ParameterValue"), QStringLiteral("维修服务")}});
               Remove(c, QStringLiteral("Parameter"), 17);
           })
        << QStringList{QStringLiteral("Parameter 17 新增"), QStringLiteral("Parameter 17 改名"),
                       QStringLiteral("Parameter 17 删除")};
}

void TestHistory::everyKindOfChangeLeavesItsRows() {
    QFETCH(Change, change);
    QFETCH(QStringList, rows);
    const qint64 before = LastIndex();
    change(Books());
    QCOMPARE(RowsAfter(before), rows);
    // One action per transaction: the rows of one store share its number (the pick list's three
    // stores are three actions).
    QCOMPARE(
        program->Scalar(QStringLiteral("Select Count(*) From (Select Distinct HistoryAction From History "
                                       "Where HistoryIndex > %1) a")
                            .arg(before)),
        QString::number(rows.first().startsWith(QStringLiteral("Parameter")) ? 3 : 1));
    // The signed-in user.
    QCOMPARE(
        program->Scalar(
            QStringLiteral("Select Count(*) From History Where HistoryIndex > %1 And HistoryUser = '管理员'")
                .arg(before)),
        QString::number(rows.size()));
    // The images read back: an added row's after-image and a deleted row's before-image hold the
    // whole row as it is (was) stored; a changed row's images differ in what changed.
    for (const History::Entry& e : History::ReadPage(Books(), {}, 0, 100)) {
        if (e.Index <= before)
            continue;
        const RowImage now = TakeRowImage(Books(), e.Table, e.Key);
        if (e.Kind == QStringLiteral("删除")) {
            QVERIFY(e.After.isEmpty());
            QCOMPARE(e.Before.value(Schema::KeyColumn(e.Table)).toLongLong(), e.Key);
            QCOMPARE(e.Before.size(), Schema::Columns(e.Table).size());
        } else {
            QCOMPARE(e.After.size(), Schema::Columns(e.Table).size());
            if (e.Kind == QStringLiteral("新增"))
                QVERIFY(e.Before.isEmpty());
            else
                QVERIFY(!History::ChangedColumns(e.Before, e.After).isEmpty());
            if (now.Exists() && e.Index == LastIndex())
                for (int i = 0; i < now.Names.size(); ++i)
                    if (now.Names[i] != QStringLiteral("PowerKey"))
                        QVERIFY2(SameValue(now.Values[i], e.After.value(Schema::ColumnName(now.Names[i]))),
                                 qPrintable(now.Names[i]));
        }
    }
}

void TestHistory::passwordIsNeverWritten() {
    const qint64 before = LastIndex();
    StoreSlot(Books(), TakeRowImage(Books(), QStringLiteral("Power"), 2),
              SlotFields{QStringLiteral("赵六"), QStringLiteral("s3cret!"), QStringLiteral("Faces/2.bmp"),
                         QString()});
    StoreSlot(Books(), TakeRowImage(Books(), QStringLiteral("Power"), 2),
              SlotFields{QStringLiteral("赵六"), QStringLiteral("other!"), QStringLiteral("Faces/2.bmp"),
                         QString()});
    QCOMPARE(RowsAfter(before),
             (QStringList{QStringLiteral("Power 2 改名"), QStringLiteral("Power 2 修改")}));
    QCOMPARE(program->Scalar(
                 QStringLiteral("Select Count(*) From History Where InStr(HistoryBefore, 's3cret') > 0 "
                                "Or InStr(HistoryAfter, 's3cret') > 0 Or InStr(HistoryAfter, 'other!') > 0")),
             QStringLiteral("0"));
    const History::Entry last = History::ReadEntry(Books(), LastIndex());
    QCOMPARE(last.Before.value(QStringLiteral("PowerKey")).toString(), History::PasswordSet);
    QCOMPARE(last.After.value(QStringLiteral("PowerKey")).toString(), History::PasswordChanged);
    // A password change cannot be undone: the old one is not known.
    QCOMPARE(History::Undo(Books(), last.Index), QStringLiteral("密码的修改不能撤销，请重新设置密码。"));
}

void TestHistory::rolledBackChangeLeavesNoHistory() {
    const qint64 before = LastIndex();
    program->RefuseWrites(QStringLiteral("Bill"), QStringLiteral("DELETE"), QStringLiteral("磁盘已满"));
    QVERIFY_THROWS_EXCEPTION(KestrelError, DeleteBillWithVouchers(Books(), 2));
    QCOMPARE(RowsAfter(before), QStringList());
    QCOMPARE(program->Scalar(QStringLiteral("Select Count(*) From MoneyTable Where MoneyBill = 2")),
             QStringLiteral("2"));
    // A single row stored outside any transaction: the history row fails with it.
    program->RefuseWrites(QStringLiteral("History"), QStringLiteral("INSERT"), QStringLiteral("磁盘已满"));
    QVERIFY_THROWS_EXCEPTION(KestrelError,
                             InsertCustomer(Books(), Customer(QStringLiteral("无记录")), QString()));
    QCOMPARE(program->Scalar(QStringLiteral("Select Count(*) From Customer Where CustomerName = '无记录'")),
             QStringLiteral("0"));
}

void TestHistory::historyRowsCannotBeChangedOnTheServer() {
    if (!program->OnServer())
        QSKIP("the database file has no triggers; the program never changes history rows there");
    InsertCustomer(Books(), Customer(QStringLiteral("新客户")), QString());
    QSqlQuery q(Books().Database());
    QVERIFY(!q.exec(QStringLiteral("UPDATE History SET HistoryUser = 'x'")));
    QVERIFY(!q.exec(QStringLiteral("DELETE FROM History")));
    QCOMPARE(program->Scalar(QStringLiteral("Select Count(*) From History Where HistoryUser = '管理员'")),
             QStringLiteral("1"));
}

void TestHistory::pagesAndFilters() {
    for (int i = 0; i < 30; ++i)
        InsertCustomer(Books(), Customer(QStringLiteral("客户%1").arg(i)), QString());
    CurrentUser = QStringLiteral("总经理");
    UpdateAccount(Books(), TakeRowImage(Books(), QStringLiteral("Account"), 2), QStringLiteral("现金"), 500);
    History::Filter all;
    const auto first = History::ReadPage(Books(), all, 0, 20);
    QCOMPARE(int(first.size()), 20);
    QCOMPARE(first.front().Table, QStringLiteral("Account"));
    const auto second = History::ReadPage(Books(), all, first.back().Index, 20);
    QCOMPARE(int(second.size()), 11);
    QVERIFY(second.front().Index < first.back().Index);
    History::Filter byUser;
    byUser.User = QStringLiteral("总经理");
    QCOMPARE(int(History::ReadPage(Books(), byUser, 0, 50).size()), 1);
    History::Filter byText;
    byText.Text = QStringLiteral("客户2");
    QCOMPARE(int(History::ReadPage(Books(), byText, 0, 50).size()), 1 + 10); // 客户2, 客户20..29
    History::Filter byKind;
    byKind.Kind = QStringLiteral("修改");
    QCOMPARE(int(History::ReadPage(Books(), byKind, 0, 50).size()), 1);
    History::Filter record;
    record.Table = QStringLiteral("Account");
    record.Key = 2;
    QCOMPARE(int(History::ReadPage(Books(), record, 0, 50).size()), 1);
    History::Filter dates;
    dates.From = QDate::currentDate().addDays(1);
    QCOMPARE(int(History::ReadPage(Books(), dates, 0, 50).size()), 0);
    dates.From = QDate::currentDate();
    dates.To = QDate::currentDate();
    QCOMPARE(int(History::ReadPage(Books(), dates, 0, 50).size()), 31);
}

void TestHistory::undoPutsRecordsBack_data() {
    QTest::addColumn<Change>("change");
    QTest::newRow("deleted customer") << Change(
        [](DbConnection& c) { DeleteLoadedRow(c, TakeRowImage(c, QStringLiteral("Customer"), 3)); });
    QTest::newRow("deleted document with vouchers")
        << Change([](DbConnection& c) { DeleteBillWithVouchers(c, 2); });
    QTest::newRow("deleted voucher") << Change(
        [](DbConnection& c) { DeleteLoadedRow(c, TakeRowImage(c, QStringLiteral("MoneyTable"), 4)); });
    QTest::newRow("deleted account with vouchers") << Change(
        [](DbConnection& c) { DeleteAccountWithVouchers(c, TakeRowImage(c, QStringLiteral("Account"), 3)); });
    QTest::newRow("customer renamed") << Change([](DbConnection& c) {
        UpdateCustomer(c, TakeRowImage(c, QStringLiteral("Customer"), 2),
                       Customer(QStringLiteral("东方集团"), QStringLiteral("555")));
    });
    QTest::newRow("document changed") << Change([](DbConnection& c) {
        StoreBill(c, 3, Sale(QStringLiteral("CG100009"), QStringLiteral("东方商贸"), 1), false, false,
                  nullptr, TakeRowImage(c, QStringLiteral("Bill"), 3), TakeVouchersImage(c, 3));
    });
    QTest::newRow("voucher changed") << Change([](DbConnection& c) {
        UpdateVoucher(c, TakeRowImage(c, QStringLiteral("MoneyTable"), 2),
                      Receipt(QStringLiteral("SK100001"), 3, 1));
    });
    QTest::newRow("new customer") << Change(
        [](DbConnection& c) { InsertCustomer(c, Customer(QStringLiteral("新客户")), QString()); });
    QTest::newRow("new document") << Change([](DbConnection& c) {
        StoreBill(c, 1, Sale(QStringLiteral("XS300001"), QStringLiteral("东方商贸"), 10), true, false,
                  nullptr);
    });
    QTest::newRow("hand-over") << Change(
        [](DbConnection& c) { HandOverSalesman(c, QStringLiteral("张三"), QStringLiteral("李四")); });
    QTest::newRow("staff slot renamed") << Change([](DbConnection& c) {
        StoreSlot(c, TakeRowImage(c, QStringLiteral("Power"), 1),
                  SlotFields{QStringLiteral("王五"), QString(), QStringLiteral("Faces/1.bmp"), QString()});
    });
    QTest::newRow("pick list value deleted")
        << Change([](DbConnection& c) { Remove(c, QStringLiteral("Parameter"), 3); });
}

void TestHistory::undoPutsRecordsBack() {
    QFETCH(Change, change);
    const QString original = AllBusinessRows();
    const qint64 before = LastIndex();
    change(Books());
    const QStringList done = RowsAfter(before);
    QVERIFY(!done.isEmpty());
    const qint64 changeEnd = LastIndex();
    // Any row of the action undoes all of it.
    QCOMPARE(History::Undo(Books(), before + 1), QString());
    QCOMPARE(AllBusinessRows(), original);
    // The undo is history of its own, each row naming the row it reverses.
    QCOMPARE(RowsAfter(changeEnd).size(), done.size());
    QCOMPARE(program->Scalar(
                 QStringLiteral("Select Count(*) From History Where HistoryIndex > %1 And HistoryUndoes > %2 "
                                "And HistoryUndoes <= %1")
                     .arg(changeEnd)
                     .arg(before)),
             QString::number(done.size()));
}

void TestHistory::undoRefused_data() {
    QTest::addColumn<Change>("change");
    QTest::addColumn<Change>("later");
    QTest::addColumn<QString>("message");
    const Change none([](DbConnection&) {});
    QTest::newRow("changed again later") << Change([](DbConnection& c) {
        UpdateCustomer(c, TakeRowImage(c, QStringLiteral("Customer"), 3),
                       Customer(QStringLiteral("O'Neil 公司"), QStringLiteral("1")));
    }) << Change([](DbConnection& c) {
        UpdateCustomer(c, TakeRowImage(c, QStringLiteral("Customer"), 3),
                       Customer(QStringLiteral("O'Neil 公司"), QStringLiteral("2")));
    }) << QStringLiteral("请先撤销后来的这次修改");
    QTest::newRow("name of a deleted customer taken") << Change([](DbConnection& c) {
        DeleteLoadedRow(c, TakeRowImage(c, QStringLiteral("Customer"), 3));
    }) << Change([](DbConnection& c) {
        InsertCustomer(c, Customer(QStringLiteral("o'neil 公司")), QString());
    }) << QStringLiteral("名称“O'Neil 公司”已被其他客户使用");
    QTest::newRow("old name of a renamed account taken") << Change([](DbConnection& c) {
        UpdateAccount(c, TakeRowImage(c, QStringLiteral("Account"), 3), QStringLiteral("招商银行"), 0);
    }) << Change([](DbConnection& c) {
        UpdateAccount(c, TakeRowImage(c, QStringLiteral("Account"), 2), QStringLiteral("银行"), 100);
    }) << QStringLiteral("名称“银行”已被其他帐户使用");
    QTest::newRow("serial of a deleted document taken")
        << Change([](DbConnection& c) { DeleteBillWithVouchers(c, 4); }) << Change([](DbConnection& c) {
               StoreBill(c, 1, Sale(QStringLiteral("XS100002"), QStringLiteral("东方商贸"), 1), true, false,
                         nullptr);
           })
        << QStringLiteral("单据编号 XS100002 已被其他单据使用");
    QTest::newRow("voucher of a document deleted since") << Change([](DbConnection& c) {
        DeleteLoadedRow(c, TakeRowImage(c, QStringLiteral("MoneyTable"), 4));
    }) << Change([](DbConnection& c) { DeleteBillWithVouchers(c, 3); })
                                                         << QStringLiteral("所属的单据已不存在");
    QTest::newRow("new document that has vouchers since") << Change([](DbConnection& c) {
        StoreBill(c, 1, Sale(QStringLiteral("XS300001"), QStringLiteral("东方商贸"), 10), true, false,
                  nullptr);
    }) << Change([](DbConnection& c) {
        InsertVoucher(c, Receipt(QStringLiteral("SK300001"), 2, 5), 6, ReceiptKind, nullptr);
    }) << QStringLiteral("请先撤销它的款项");
}

void TestHistory::undoRefused() {
    QFETCH(Change, change);
    QFETCH(Change, later);
    QFETCH(QString, message);
    const qint64 before = LastIndex();
    change(Books());
    later(Books());
    const QString rows = AllBusinessRows();
    const qint64 last = LastIndex();
    const QString refusal = History::Undo(Books(), before + 1);
    QVERIFY2(refusal.contains(message), qPrintable(refusal));
    QCOMPARE(AllBusinessRows(), rows);
    QCOMPARE(LastIndex(), last);
}

void TestHistory::undoOfAnUndo() {
    const QString original = AllBusinessRows();
    DeleteBillWithVouchers(Books(), 2);
    const QString deleted = AllBusinessRows();
    const qint64 deletion = LastIndex();
    QCOMPARE(History::Undo(Books(), deletion), QString());
    QCOMPARE(AllBusinessRows(), original);
    // The deletion itself can no more be undone (its records were changed later: put back) ...
    QVERIFY(History::Undo(Books(), deletion).contains(QStringLiteral("请先撤销后来的这次修改")));
    // ... but the undo can: the document is deleted again.
    QCOMPARE(History::Undo(Books(), LastIndex()), QString());
    QCOMPARE(AllBusinessRows(), deleted);
}

void TestHistory::historySurvivesRestoreOfLaterBackup() {
    InsertCustomer(Books(), Customer(QStringLiteral("备份前")), QString());
    const QString folder = program->Folder() + QStringLiteral("备份/");
    QVERIFY(QDir().mkpath(folder));
    const QString backup = folder + QStringLiteral("b.mdb");
    QVERIFY(BackupDatabase(Books(), backup).Ok);
    InsertCustomer(Books(), Customer(QStringLiteral("备份后")), QString());
    program->Prompts().QueueAnswer(true);
    program->Prompts().QueueFileName(backup);
    FormMain->ActionLoadExecute();
    DbConnection again;
    QVERIFY(program->OpenOtherWorkstation(again));
    Query q(&again);
    q.Open(QStringLiteral("Select HistoryAfter From History Order By HistoryIndex"));
    QCOMPARE(q.RecordCount(), 1);
    QCOMPARE(History::ReadRowText(q.Fields(0).AsString()).value(QStringLiteral("CustomerName")).toString(),
             QStringLiteral("备份前"));
    again.Close();
}

void TestHistory::windowAndBackupList() {
    UpdateCustomer(Books(), TakeRowImage(Books(), QStringLiteral("Customer"), 2),
                   Customer(QStringLiteral("东方商贸集团"), QStringLiteral("0571-8888")));
    DeleteBillWithVouchers(Books(), 3);
    // Automatic backups: two written; one asked for while another workstation holds the folder
    // is not written.
    const QString folder = program->Folder() + QStringLiteral("备份/");
    const QDateTime now = QDateTime::currentDateTime();
    QVERIFY(AutoBackup::Run(Books(), folder, now.addDays(-1)).Written);
    {
        QVERIFY(QDir().mkpath(folder));
        QLockFile other(folder + QStringLiteral(".Kestrel-自动备份.lock"));
        QVERIFY(other.tryLock(0));
        QVERIFY(AutoBackup::Run(Books(), folder, now).Skipped);
    }
    if (Books().CurrentEngine() == Engine::PostgreSql) {
        // Another workstation writing its backup into its own folder holds the server's lock.
        DbConnection other;
        QVERIFY(program->OpenOtherWorkstation(other));
        QSqlQuery lock(other.Database());
        QVERIFY(lock.exec(QStringLiteral("SELECT pg_advisory_lock(%1)").arg(AutoBackup::ServerLockKey)));
        QVERIFY(AutoBackup::Run(Books(), folder, now).Skipped);
        QVERIFY(lock.exec(QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(AutoBackup::ServerLockKey)));
        other.Close();
    }
    const AutoBackup::Outcome written = AutoBackup::Run(Books(), folder, now);
    QVERIFY2(written.Written, qPrintable(written.Error));
    // A second close within the minute (another workstation) writes none.
    QVERIFY(AutoBackup::Run(Books(), folder, now.addSecs(5)).Skipped);
    const auto copies = AutoBackup::List(folder);
    QCOMPARE(int(copies.size()), 2);

    TFormHistory form;
    form.FormShow();
    form.show();
    QCOMPARE(form.Grid->BoundQuery()->RecordCount(), 9);
    // The newest row (the document's deletion) shown with its values before.
    QCOMPARE(form.Details->item(0, 1)->text().isEmpty(), false);
    form.Grid->selectRow(form.Grid->BoundQuery()->RecordCount() - 1);
    SaveScreenshot(&form, QStringLiteral("history-window.png"));
    form.close();

    FormMain->show();
    for (int i = 0; i < FormMain->PageControl1->count(); ++i)
        if (FormMain->PageControl1->tabText(i) == QStringLiteral("数据维护"))
            FormMain->PageControl1->setCurrentIndex(i);
    auto* list = FormMain->findChild<QTableWidget*>(QStringLiteral("AutoBackupList"));
    QVERIFY(list);
    QCOMPARE(list->rowCount(), 2);
    QCOMPARE(list->item(0, 2)->text(), QStringLiteral("3")); // documents 2, 4, 5
    QCOMPARE(list->item(0, 3)->text(), QStringLiteral("2024-02-20"));
    SaveScreenshot(FormMain, QStringLiteral("backup-list.png"));
}

void TestHistory::backupSettings() {
    FormMain->show();
    for (int i = 0; i < FormMain->PageControl1->count(); ++i)
        if (FormMain->PageControl1->tabText(i) == QStringLiteral("软件设置"))
            FormMain->PageControl1->setCurrentIndex(i);
    auto* box = FormMain->findChild<AutoBackupSettingsBox*>();
    QVERIFY(box && box->isVisible());
    const QString defaultFolder = QDir::cleanPath(program->Folder() + QStringLiteral("备份"));
    QVERIFY(box->CheckOn->isChecked());
    QCOMPARE(QDir::cleanPath(box->EditFolder->placeholderText()), defaultFolder);

    // Turned off: closing writes nothing; on again.
    box->CheckOn->click();
    QVERIFY(!AutoBackupOn());
    RunAutoBackup();
    QVERIFY(AutoBackup::List(defaultFolder).empty());
    box->CheckOn->click();
    QVERIFY(AutoBackupOn());

    // A folder chosen in the dialog takes effect at once, and the next backup goes there.
    const QString chosen = program->Folder() + QStringLiteral("别处/自动备份");
    program->Prompts().QueueFileName(chosen);
    box->ButtonChoose->click();
    QCOMPARE(QDir::cleanPath(AutoBackupFolder()), QDir::cleanPath(chosen));
    RunAutoBackup();
    QCOMPARE(int(AutoBackup::List(chosen).size()), 1);
    QVERIFY(AutoBackup::List(defaultFolder).empty());

    // A folder that cannot be made (under a file) is refused and the setting kept.
    QFile file(program->Folder() + QStringLiteral("一个文件"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    box->EditFolder->setText(file.fileName() + QStringLiteral("/备份"));
    QTest::keyClick(box->EditFolder, Qt::Key_Return);
    QVERIFY2(program->Prompts().LastText().startsWith(QStringLiteral("无法建立备份位置")),
             qPrintable(program->Prompts().LastText()));
    QCOMPARE(QDir::cleanPath(AutoBackupFolder()), QDir::cleanPath(chosen));

    // Emptied: the default again.
    box->EditFolder->clear();
    box->ButtonApply->click();
    QCOMPARE(QDir::cleanPath(AutoBackupFolder()), defaultFolder);
    SaveScreenshot(FormMain, QStringLiteral("backup-settings.png"));
}

void TestHistory::windowOpensForItsRoles_data() {
    QTest::addColumn<QString>("role");
    QTest::addColumn<bool>("opens");
    QTest::newRow("administrator") << "管理员" << true;
    QTest::newRow("general manager") << "总经理" << true;
    QTest::newRow("finance supervisor") << "财务主管" << false;
    QTest::newRow("salesman") << "业务员" << false;
}

void TestHistory::windowOpensForItsRoles() {
    QFETCH(QString, role);
    QFETCH(bool, opens);
    UpdateCustomer(Books(), TakeRowImage(Books(), QStringLiteral("Customer"), 2),
                   Customer(QStringLiteral("东方商贸集团"), QStringLiteral("0571-8888")));
    CurrentRole = role;
    bool shown = false;
    program->Prompts().QueueModal(On<TFormHistory>([&](TFormHistory* form) {
        shown = true;
        QVERIFY(form->Grid->BoundQuery()->RecordCount() > 0);
    }));
    FormMain->findChild<AutoBackupBox*>()->ButtonHistory->click();
    QCOMPARE(shown, opens);
    if (!opens) {
        QCOMPARE(program->Prompts().LastText(), QStringLiteral("只有管理员和总经理可以查看修改记录"));
        program->Prompts().Clear();
    }
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
