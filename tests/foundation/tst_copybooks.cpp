#include "foundation/BookCopy.h"
#include "foundation/Connection.h"
#include "foundation/JetSql.h"
#include "foundation/PublicFunction.h"
#include "foundation/Query.h"
#include "foundation/Schema.h"
#include "support/ServerDatabase.h"

#include <QTemporaryDir>
#include <QTest>

// Moving the books between a database file and a server: every row of every table arrives with
// its key, and the figures of both sides agree.
class TestCopyBooks : public QObject {
    Q_OBJECT
private slots:
    void fileToServerAndBack();
    void targetWithRecordsIsRefused();
    void figuresNameEveryDifference();
};

namespace {

bool OpenFile(DbConnection& connection, const QString& path) {
    if (!QFile::exists(path) && !Schema::CreateDatabase(path).isEmpty())
        return false;
    connection.ConnectionString = BuildConnectionString(path, QString());
    return connection.Open();
}

// Every row of every table in key order, as text.
QStringList AllRows(DbConnection& connection) {
    QStringList rows;
    for (const QString& table : Schema::TableNames()) {
        Query q(&connection);
        q.Open(QStringLiteral("Select * From %1 Order By %2").arg(table, Schema::KeyColumn(table)));
        for (q.First(); !q.Eof(); q.Next()) {
            QString row = table;
            for (int i = 0; i < q.FieldCount(); ++i)
                row += QLatin1Char('|') +
                       (q.Fields(i).IsNull() ? QStringLiteral("null") : q.Fields(i).AsString());
            rows << row;
        }
    }
    return rows;
}

// Books as a shop enters them: deleted records leave gaps in the keys, texts carry quotes and
// backslashes, a date carries a time of day, some fields are empty.
void EnterBooks(DbConnection& connection) {
    Query q(&connection);
    for (int i = 0; i < 30; ++i) {
        q.ExecSql(QStringLiteral(
                      "Insert Into Customer (CustomerName, CustomerOwe, CustomerMan) Values (%1, %2, '张三')")
                      .arg(SqlText(QStringLiteral("客户'%1\\").arg(i)), SqlNumber(i * 10.5)));
        q.ExecSql(QStringLiteral(
                      "Insert Into Bill (BillKind, BillSerial, BillCreateTime, BillUser, BillSum) Values "
                      "('销售开单', %1, %2, %3, %4)")
                      .arg(SqlText(QStringLiteral("XS%1").arg(100 + i)), SqlDate(QDate(2024, 3, 30 - i / 2)),
                           SqlText(QStringLiteral("客户'%1\\").arg(i)), SqlNumber(0.1 * i)));
    }
    q.ExecSql(QStringLiteral(
        "Insert Into Account (AccountName, AccountBase, AccountMan) Values ('现金', 1000.5, '财务主管')"));
    q.ExecSql(QStringLiteral(
        "Insert Into MoneyTable (MoneyAccount, MoneyBill, MoneyCreateTime, MoneyUser, MoneyIn, "
        "MoneyOut, MoneySum) Values (2, 3, #2024-03-01 09:15:00#, '客户''1\\', 0, 33.3, -33.3)"));
    q.ExecSql(QStringLiteral("Delete From Customer Where CustomerIndex In (5, 6, 7)"));
    q.ExecSql(QStringLiteral("Delete From Bill Where BillIndex = 31"));
    q.ExecSql(
        QStringLiteral("Insert Into PrintReport (ReportEnable, ReportGrid1) Values (1, '一'), (0, null)"));
    q.ExecSql(QStringLiteral("Update Setting Set SettingValue = 'XS129' Where SettingIndex = 1"));
}

} // namespace

void TestCopyBooks::fileToServerAndBack() {
    ServerDatabase server;
    REQUIRE_SERVER(server);
    QTemporaryDir folder;
    DbConnection file;
    QVERIFY(OpenFile(file, folder.filePath(QStringLiteral("Kestrel.mdb"))));
    EnterBooks(file);
    const QStringList original = AllRows(file);

    DbConnection onServer;
    onServer.Server = server.ConnectionString();
    QVERIFY2(onServer.Open(), qPrintable(onServer.LastError()));
    std::vector<BookCopy::TableFigures> figures;
    QCOMPARE(BookCopy::Copy(file, onServer, &figures), QString());
    QCOMPARE(AllRows(onServer), original);
    QCOMPARE(figures.size(), size_t(Schema::TableNames().size()));
    QVERIFY(
        BookCopy::Describe(figures).contains(QStringLiteral("Customer：28 行，CustomerOwe 合计 4441.50")));

    // New records on the server get keys after the copied ones.
    Query q(&onServer);
    q.ExecSql(QStringLiteral("Insert Into Customer (CustomerName) Values ('新客户')"));
    q.Open(QStringLiteral("Select CustomerIndex From Customer Where CustomerName = '新客户'"));
    QCOMPARE(q.Fields(0).AsInteger(), qint64(32));
    q.ExecSql(QStringLiteral("Delete From Customer Where CustomerName = '新客户'"));

    DbConnection back;
    QVERIFY(OpenFile(back, folder.filePath(QStringLiteral("Back.mdb"))));
    QCOMPARE(BookCopy::Copy(onServer, back, &figures), QString());
    QCOMPARE(AllRows(back), original);
}

void TestCopyBooks::targetWithRecordsIsRefused() {
    QTemporaryDir folder;
    DbConnection from;
    DbConnection to;
    QVERIFY(OpenFile(from, folder.filePath(QStringLiteral("From.mdb"))));
    QVERIFY(OpenFile(to, folder.filePath(QStringLiteral("To.mdb"))));
    EnterBooks(from);
    Query(&to).ExecSql(QStringLiteral("Insert Into Account (AccountName) Values ('银行')"));
    const QStringList before = AllRows(to);
    std::vector<BookCopy::TableFigures> figures;
    QVERIFY(BookCopy::Copy(from, to, &figures).contains(QStringLiteral("已有业务记录")));
    QCOMPARE(AllRows(to), before);
}

void TestCopyBooks::figuresNameEveryDifference() {
    BookCopy::TableFigures a{QStringLiteral("Bill"), 10, {QStringLiteral("BillSum")}, {100.25}};
    BookCopy::TableFigures sameSum = a;
    sameSum.Sums = {100.25 + 1e-12};
    QVERIFY(BookCopy::Differences({a}, {sameSum}).isEmpty());
    BookCopy::TableFigures fewer = a;
    fewer.Rows = 9;
    fewer.Sums = {90};
    const QStringList differences = BookCopy::Differences({a}, {fewer});
    QCOMPARE(differences.size(), 2);
    QVERIFY(differences[0].contains(QStringLiteral("10 行，复制后 9 行")));
    QVERIFY(differences[1].contains(QStringLiteral("Bill.BillSum")));
}

QTEST_GUILESS_MAIN(TestCopyBooks)
#include "tst_copybooks.moc"
