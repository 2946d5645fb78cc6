#include "foundation/Connection.h"
#include "foundation/JetSql.h"
#include "foundation/KestrelError.h"
#include "foundation/PublicFunction.h"
#include "foundation/Query.h"
#include "foundation/Schema.h"
#include "support/ServerDatabase.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

// The query layer on a fresh database file per test: reading, the write patterns, spliced values,
// dates, Jet's functions, transactions and the schema the file is created with. With
// KESTREL_TEST_ENGINE=postgresql each test gets a fresh database on the test server instead; the
// file's own schema and connection checks then skip.
class TestQuery : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void openWalkAndReadFields();
    void fieldConversions_data();
    void fieldConversions();
    void closedQueryRaisesOnEveryUse_data();
    void closedQueryRaisesOnEveryUse();
    void failedOpenLeavesQueryClosed();
    void addRowReadsBackItsKey();
    void changeOneRow();
    void changeManyRowsVisitsEachOnce();
    void movingStoresPendingChange();
    void deleteRows();
    void deleteDuringInsertDropsOnlyTheNewRow();
    void largeResultKeepsEveryValue();
    void reopeningKeepsEveryValueOfEachResult();
    void columnSumReadsEveryRowAsNumber();
    void writesNeedATableWithAKey_data();
    void writesNeedATableWithAKey();
    void execSqlGivesRowsAffected();
    void quotedValueSelectsExactlyItsRows_data();
    void quotedValueSelectsExactlyItsRows();
    void dateLiteralInTextStaysData();
    void dateComparisons_data();
    void dateComparisons();
    void jetFunctionsInSql_data();
    void jetFunctionsInSql();
    void documentAmountsReceivedAndOpen();
    void transactionRollsBackUnlessCommitted();
    void schemaTablesAndInitialRows();
    void schemaColumns();
    void schemaPowerRows();
    void schemaTextComparesWithoutCase();
    void schemaIndexes();
    void connectionUsesItsDataSource();
    void connectionRefusesOtherDatabases_data();
    void connectionRefusesOtherDatabases();

private:
    void Exec(const QString& sql);
    QString Scalar(const QString& sql);
    // The first column of every row, joined by commas.
    QString Column(const QString& sql);
    QString AddBill(const QString& man, double sum, const QString& createTime);

    // Skips the running test on the server: what it checks belongs to the database file.
    bool SkipOnServer();

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ServerDatabase> server;
    std::unique_ptr<DbConnection> connection;
    QString path;
};

void TestQuery::init() {
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    path = dir->filePath(QStringLiteral("Kestrel.mdb"));
    connection = std::make_unique<DbConnection>();
    if (qEnvironmentVariable("KESTREL_TEST_ENGINE") == QLatin1String("postgresql")) {
        server = std::make_unique<ServerDatabase>();
        QVERIFY2(server->Available(), qPrintable(server->Problem()));
        connection->Server = server->ConnectionString();
    } else {
        QCOMPARE(Schema::CreateDatabase(path), QString());
        connection->ConnectionString = BuildConnectionString(path, QStringLiteral("Qolmarn"));
    }
    QVERIFY2(connection->Open(), qPrintable(connection->LastError()));
}

void TestQuery::cleanup() {
    connection.reset();
    server.reset();
    dir.reset();
}

bool TestQuery::SkipOnServer() {
    if (!server)
        return false;
    QTest::qSkip("checks of the database file; the server's schema and connection have their own tests",
                 __FILE__, __LINE__);
    return true;
}

void TestQuery::Exec(const QString& sql) {
    QSqlQuery query(connection->Database());
    QVERIFY2(query.exec(connection->EngineSql(sql)),
             qPrintable(sql + QLatin1Char(' ') + query.lastError().text()));
}

QString TestQuery::Scalar(const QString& sql) {
    QSqlQuery query(connection->Database());
    if (!query.exec(connection->EngineSql(sql)))
        return QStringLiteral("<error>");
    return query.next() ? query.value(0).toString() : QString();
}

QString TestQuery::Column(const QString& sql) {
    Query q(connection.get());
    q.Open(sql);
    QStringList values;
    for (q.First(); !q.Eof(); q.Next())
        values << q.Fields(0).AsString();
    return values.join(QLatin1Char(','));
}

QString TestQuery::AddBill(const QString& man, double sum, const QString& createTime) {
    Query q(connection.get());
    q.Open(QStringLiteral("Select * From Bill Where BillIndex = 0"));
    q.Insert();
    q.FieldByName(QStringLiteral("BillKind")).SetAsString(QStringLiteral("销售开单"));
    q.FieldByName(QStringLiteral("BillMan")).SetAsString(man);
    q.FieldByName(QStringLiteral("BillSum")).SetAsFloat(sum);
    q.FieldByName(QStringLiteral("BillCreateTime")).SetAsString(createTime);
    q.Post();
    return q.FieldByName(QStringLiteral("BillIndex")).AsString();
}

void TestQuery::openWalkAndReadFields() {
    Exec(QStringLiteral("Insert Into Customer (CustomerName, CustomerOwe) Values ('甲', 1.5), ('乙', -2), "
                        "('丙', 0)"));
    Query q(connection.get());
    q.Open(QStringLiteral("Select * From Customer Where (CustomerIndex > 1) Order By CustomerIndex"));
    QVERIFY(q.Active());
    QCOMPARE(q.RecordCount(), 3);
    QCOMPARE(q.FieldCount(), 12);
    QCOMPARE(q.Fields(0).FieldName(), QStringLiteral("CustomerIndex"));
    QCOMPARE(q.Fields(1).AsString(), QStringLiteral("甲"));
    QVERIFY(!q.Eof());
    QStringList names;
    QList<double> owes;
    for (q.First(); !q.Eof(); q.Next()) {
        names << q.FieldByName(QStringLiteral("customername")).AsString();
        owes << q.FieldByName(QStringLiteral("CUSTOMEROWE")).AsFloat();
    }
    QCOMPARE(names, QStringList({QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")}));
    QCOMPARE(owes, QList<double>({1.5, -2.0, 0.0}));
    // Past the end the cursor stays on the last row.
    q.Next();
    QVERIFY(q.Eof());
    QCOMPARE(q.FieldByName(QStringLiteral("CustomerName")).AsString(), QStringLiteral("丙"));
    q.First();
    QVERIFY(!q.Eof());
    QVERIFY(q.Bof());
    QCOMPARE(q.RecNo(), 0);
    q.Last();
    QCOMPARE(q.FieldByName(QStringLiteral("CustomerName")).AsString(), QStringLiteral("丙"));
    q.Prior();
    QCOMPARE(q.FieldByName(QStringLiteral("CustomerName")).AsString(), QStringLiteral("乙"));
    q.MoveTo(0);
    QCOMPARE(q.FieldByName(QStringLiteral("CustomerName")).AsString(), QStringLiteral("甲"));
    QCOMPARE(q.ValueAt(2, 1).toString(), QStringLiteral("丙"));
    QVERIFY(!q.ValueAt(3, 1).isValid());
    QVERIFY(!q.ValueAt(0, 12).isValid());
    QVERIFY_THROWS_EXCEPTION(KestrelError, q.FieldByName(QStringLiteral("NoSuchField")));
    // A text that is no number cannot be read as one.
    QVERIFY_THROWS_EXCEPTION(KestrelError, q.FieldByName(QStringLiteral("CustomerName")).AsFloat());
    QVERIFY_THROWS_EXCEPTION(KestrelError, q.FieldByName(QStringLiteral("CustomerName")).AsInteger());
    QVERIFY_THROWS_EXCEPTION(KestrelError, q.Fields(12));
    QVERIFY_THROWS_EXCEPTION(KestrelError, q.Fields(-1));
    QVERIFY_THROWS_EXCEPTION(KestrelError, q.MoveTo(3));

    // An empty result: no row to read.
    q.Open(QStringLiteral("Select * From Customer Where CustomerName = '丁'"));
    QCOMPARE(q.RecordCount(), 0);
    QVERIFY(q.Eof());
    QCOMPARE(q.FieldCount(), 12);
    QVERIFY_THROWS_EXCEPTION(KestrelError, q.FieldByName(QStringLiteral("CustomerName")).AsString());
    QVERIFY_THROWS_EXCEPTION(KestrelError, q.Edit());
    QVERIFY_THROWS_EXCEPTION(KestrelError, q.Delete());
}

void TestQuery::fieldConversions_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<bool>("isNull");
    QTest::addColumn<QString>("asString");
    QTest::addColumn<double>("asFloat");
    QTest::addColumn<qint64>("asInteger");
    QTest::addColumn<bool>("asBoolean");
    QTest::addColumn<QDateTime>("asDateTime");
    QTest::newRow("null") << "NULL" << true << QString() << 0.0 << qint64(0) << false << QDateTime();
    // A double read as an integer rounds, halves to even.
    QTest::newRow("12.5") << "12.5" << false << "12.5" << 12.5 << qint64(12) << true << QDateTime();
    QTest::newRow("13.5") << "13.5" << false << "13.5" << 13.5 << qint64(14) << true << QDateTime();
    QTest::newRow("2.7") << "2.7" << false << "2.7" << 2.7 << qint64(3) << true << QDateTime();
    QTest::newRow("negative") << "-3" << false << "-3" << -3.0 << qint64(-3) << true << QDateTime();
    QTest::newRow("zero") << "0" << false << "0" << 0.0 << qint64(0) << false << QDateTime();
    QTest::newRow("sum of doubles") << "0.1 + 0.2" << false << "0.3" << 0.1 + 0.2 << qint64(0) << true
                                    << QDateTime();
    QTest::newRow("beyond 32 bits") << "3000000000" << false << "3000000000" << 3e9 << qint64(3000000000)
                                    << true << QDateTime();
    QTest::newRow("comparison") << "1 = 1" << false << "1" << 1.0 << qint64(1) << true << QDateTime();
    QTest::newRow("number text") << "'42'" << false << "42" << 42.0 << qint64(42) << true << QDateTime();
    QTest::newRow("date text") << "'2020-01-05'" << false << "2020-01-05" << 0.0 << qint64(0) << false
                               << QDateTime(QDate(2020, 1, 5), QTime(0, 0));
    QTest::newRow("date and time") << "'2020-01-05 10:30:00'" << false << "2020-01-05 10:30:00" << 0.0
                                   << qint64(0) << false << QDateTime(QDate(2020, 1, 5), QTime(10, 30));
    QTest::newRow("date literal") << "#2021-12-31#" << false << "2021-12-31" << 0.0 << qint64(0) << false
                                  << QDateTime(QDate(2021, 12, 31), QTime(0, 0));
}

void TestQuery::fieldConversions() {
    QFETCH(QString, expression);
    QFETCH(bool, isNull);
    QFETCH(QString, asString);
    QFETCH(double, asFloat);
    QFETCH(qint64, asInteger);
    QFETCH(bool, asBoolean);
    QFETCH(QDateTime, asDateTime);
    Query q(connection.get());
    q.Open(QStringLiteral("Select %1 As V").arg(expression));
    const Field f = q.FieldByName(QStringLiteral("v"));
    QCOMPARE(f.IsNull(), isNull);
    QCOMPARE(f.AsString(), asString);
    QCOMPARE(f.AsBoolean(), asBoolean);
    if (asDateTime.isValid()) {
        QCOMPARE(f.AsDateTime(), asDateTime);
        QCOMPARE(f.AsDate(), asDateTime.date());
    } else {
        QCOMPARE(f.AsFloat(), asFloat);
        QCOMPARE(f.AsInteger(), asInteger);
    }
}

void TestQuery::closedQueryRaisesOnEveryUse_data() {
    QTest::addColumn<bool>("wasOpen");
    QTest::newRow("never opened") << false;
    QTest::newRow("opened then closed") << true;
}

void TestQuery::closedQueryRaisesOnEveryUse() {
    QFETCH(bool, wasOpen);
    Query q(connection.get());
    Field stale(&q, 0);
    if (wasOpen) {
        q.Open(QStringLiteral("Select * From Customer"));
        stale = q.FieldByName(QStringLiteral("CustomerName"));
        q.Close();
    }
    QVERIFY(!q.Active());
    const std::vector<std::pair<const char*, std::function<void()>>> uses = {
        {"RecordCount", [&] { q.RecordCount(); }},
        {"First", [&] { q.First(); }},
        {"Next", [&] { q.Next(); }},
        {"Prior", [&] { q.Prior(); }},
        {"Last", [&] { q.Last(); }},
        {"Eof", [&] { q.Eof(); }},
        {"Bof", [&] { q.Bof(); }},
        {"RecNo", [&] { q.RecNo(); }},
        {"MoveTo", [&] { q.MoveTo(0); }},
        {"FieldCount", [&] { q.FieldCount(); }},
        {"FieldNames", [&] { q.FieldNames(); }},
        {"FieldByName", [&] { q.FieldByName(QStringLiteral("CustomerName")); }},
        {"Fields", [&] { q.Fields(0); }},
        {"field read", [&] { stale.AsString(); }},
        {"field null test", [&] { stale.IsNull(); }},
        {"field write", [&] { stale.SetAsString(QStringLiteral("x")); }},
        {"Insert", [&] { q.Insert(); }},
        {"Edit", [&] { q.Edit(); }},
        {"Post", [&] { q.Post(); }},
        {"Delete", [&] { q.Delete(); }},
    };
    for (const auto& [name, use] : uses) {
        bool raised = false;
        try {
            use();
        } catch (const KestrelError&) {
            raised = true;
        }
        QVERIFY2(raised, name);
    }
    QVERIFY(!q.ValueAt(0, 0).isValid());
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Customer")), QStringLiteral("1"));
}

void TestQuery::failedOpenLeavesQueryClosed() {
    Query q(connection.get());
    q.Open(QStringLiteral("Select * From Customer"));
    QVERIFY_THROWS_EXCEPTION(KestrelError, q.Open(QStringLiteral("Select * From NoSuchTable")));
    QVERIFY(!q.Active());
    QVERIFY_THROWS_EXCEPTION(KestrelError, q.RecordCount());
    QVERIFY_THROWS_EXCEPTION(KestrelError, q.Open(QStringLiteral("Select NoSuchField From Customer")));
    QVERIFY(!q.Active());
    // An error met while the rows are read, after a first row was read: no half result is kept.
    q.Open(QStringLiteral("Select * From Customer"));
    QVERIFY_THROWS_EXCEPTION(KestrelError,
                             q.Open(QStringLiteral("Select Abs(v) As a From (Select 1 As v Union All "
                                                   "Select -9223372036854775807 - 1)")));
    QVERIFY(!q.Active());
    // A query without a connection cannot open either.
    Query lonely;
    QVERIFY_THROWS_EXCEPTION(KestrelError, lonely.Open(QStringLiteral("Select 1")));
    QVERIFY(!lonely.Active());
}

void TestQuery::addRowReadsBackItsKey() {
    Query q(connection.get());
    // The usual way: the query that found no customer of that name adds it.
    q.Open(QStringLiteral("Select * From Customer Where CustomerName = ") + SqlText(QStringLiteral("甲")));
    QCOMPARE(q.RecordCount(), 0);
    q.Insert();
    q.FieldByName(QStringLiteral("CustomerName")).SetAsString(QStringLiteral("甲"));
    q.FieldByName(QStringLiteral("CustomerPhone")).SetAsString(QStringLiteral("0571-1234"));
    q.Post();
    // Keys start at 2: row 1 is reserved.
    QCOMPARE(q.FieldByName(QStringLiteral("CustomerIndex")).AsInteger(), 2);
    // Defaults of the stored row show in the result.
    QVERIFY(!q.FieldByName(QStringLiteral("CustomerOwe")).IsNull());
    QCOMPARE(q.FieldByName(QStringLiteral("CustomerOwe")).AsFloat(), 0.0);
    QVERIFY(q.FieldByName(QStringLiteral("CustomerFax")).IsNull());
    q.Insert();
    q.FieldByName(QStringLiteral("CustomerName")).SetAsString(QStringLiteral("乙"));
    q.FieldByName(QStringLiteral("CustomerOwe")).SetAsFloat(-12.5);
    q.Post();
    QCOMPARE(q.FieldByName(QStringLiteral("CustomerIndex")).AsInteger(), 3);
    QCOMPARE(q.RecordCount(), 2);
    QCOMPARE(Scalar(QStringLiteral("Select CustomerPhone From Customer Where CustomerIndex = 2")),
             QStringLiteral("0571-1234"));
    QCOMPARE(Scalar(QStringLiteral("Select CustomerOwe From Customer Where CustomerName = '乙'")),
             QStringLiteral("-12.5"));

    // A document with its dates; the stored key is the one read back.
    Query bill(connection.get());
    bill.Open(QStringLiteral("Select * From Bill Where BillIndex = 1"));
    bill.Insert();
    bill.FieldByName(QStringLiteral("BillCreateTime")).SetAsDate(QDate(2020, 1, 5));
    bill.FieldByName(QStringLiteral("BillRecordTime"))
        .SetAsDateTime(QDateTime(QDate(2020, 1, 6), QTime(0, 0)));
    bill.FieldByName(QStringLiteral("BillSum")).SetAsFloat(100);
    bill.Post();
    const qint64 key = bill.FieldByName(QStringLiteral("BillIndex")).AsInteger();
    QCOMPARE(key, 2);
    QCOMPARE(bill.FieldByName(QStringLiteral("BillCreateTime")).AsDate(), QDate(2020, 1, 5));
    QCOMPARE(
        Scalar(QStringLiteral("Select BillCreateTime || '|' || BillRecordTime From Bill Where BillIndex = ") +
               SqlNumber(key)),
        QStringLiteral("2020-01-05|2020-01-06"));
    // Deleted keys are not given again.
    Exec(QStringLiteral("Delete From Bill Where BillIndex = 2"));
    AddBill(QStringLiteral("张三"), 1, QStringLiteral("2020-01-01"));
    QCOMPARE(Scalar(QStringLiteral("Select Max(BillIndex) From Bill")), QStringLiteral("3"));
}

void TestQuery::changeOneRow() {
    Exec(
        QStringLiteral("Insert Into Customer (CustomerName, CustomerPhone) Values ('甲', '1'), ('乙', '2')"));
    Query q(connection.get());
    q.Open(QStringLiteral("Select * From Customer Where CustomerName = '乙'"));
    QVERIFY(q.RecordCount() > 0);
    q.First();
    q.Edit();
    q.FieldByName(QStringLiteral("CustomerPhone")).SetAsString(QStringLiteral("999"));
    q.FieldByName(QStringLiteral("CustomerOwe")).SetAsFloat(7.25);
    // Before Post the new value is what the field shows; the database still has the old one.
    QCOMPARE(q.FieldByName(QStringLiteral("CustomerPhone")).AsString(), QStringLiteral("999"));
    QCOMPARE(Scalar(QStringLiteral("Select CustomerPhone From Customer Where CustomerName = '乙'")),
             QStringLiteral("2"));
    q.Post();
    QCOMPARE(q.FieldByName(QStringLiteral("CustomerPhone")).AsString(), QStringLiteral("999"));
    QCOMPARE(Scalar(QStringLiteral("Select CustomerPhone || '|' || CustomerOwe From Customer Where "
                                   "CustomerName = '乙'")),
             QStringLiteral("999|7.25"));
    QCOMPARE(Scalar(QStringLiteral("Select CustomerPhone From Customer Where CustomerName = '甲'")),
             QStringLiteral("1"));
    // A field can be cleared to null; Cancel drops a change.
    q.Edit();
    q.FieldByName(QStringLiteral("CustomerPhone")).Clear();
    q.Post();
    QCOMPARE(Scalar(QStringLiteral(
                 "Select IIF(CustomerPhone Is Null, 1, 0) From Customer Where CustomerName = '乙'")),
             QStringLiteral("1"));
    q.Edit();
    q.FieldByName(QStringLiteral("CustomerName")).SetAsString(QStringLiteral("丙"));
    q.Cancel();
    QCOMPARE(q.FieldByName(QStringLiteral("CustomerName")).AsString(), QStringLiteral("乙"));
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Customer Where CustomerName = '丙'")),
             QStringLiteral("0"));
    // A field write needs Edit or Insert first.
    QVERIFY_THROWS_EXCEPTION(KestrelError, q.FieldByName(QStringLiteral("CustomerName")).SetAsString("x"));
}

void TestQuery::changeManyRowsVisitsEachOnce() {
    for (int i = 0; i < 5; ++i)
        AddBill(QStringLiteral("张三"), 10 * (i + 1), QStringLiteral("2020-01-0%1").arg(i + 1));
    AddBill(QStringLiteral("李四"), 1000, QStringLiteral("2020-01-09"));

    // The new value leaves the condition: each selected row is still visited exactly once.
    Query q(connection.get());
    q.Open(QStringLiteral("Select * From Bill Where BillMan = ") + SqlText(QStringLiteral("张三")));
    int visits = 0;
    for (q.First(); !q.Eof(); q.Next()) {
        q.Edit();
        q.FieldByName(QStringLiteral("BillMan")).SetAsString(QStringLiteral("王五"));
        q.Post();
        ++visits;
    }
    QCOMPARE(visits, 5);
    QCOMPARE(q.RecordCount(), 5);
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Bill Where BillMan = '张三'")), QStringLiteral("0"));
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Bill Where BillMan = '王五'")), QStringLiteral("5"));
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Bill Where BillMan = '李四'")), QStringLiteral("1"));

    // The new value still matches the condition (and would sort after the rest): still once each.
    q.Open(QStringLiteral("Select * From Bill Where BillSum > 0 And BillIndex > 1 Order By BillSum"));
    visits = 0;
    for (q.First(); !q.Eof(); q.Next()) {
        q.Edit();
        q.FieldByName(QStringLiteral("BillSum"))
            .SetAsFloat(q.FieldByName(QStringLiteral("BillSum")).AsFloat() + 5000);
        q.Post();
        ++visits;
    }
    QCOMPARE(visits, 6);
    QCOMPARE(Scalar(QStringLiteral("Select Sum(BillSum) From Bill Where BillIndex > 1")),
             QStringLiteral("31150"));
}

void TestQuery::movingStoresPendingChange() {
    AddBill(QStringLiteral("张三"), 1, QStringLiteral("2020-01-01"));
    AddBill(QStringLiteral("张三"), 2, QStringLiteral("2020-01-02"));
    Query q(connection.get());
    q.Open(QStringLiteral("Select * From Bill Where BillIndex > 1 Order By BillIndex"));
    // A change left without Post is stored when the cursor moves, not shown on the next row.
    q.Edit();
    q.FieldByName(QStringLiteral("BillRemark")).SetAsString(QStringLiteral("first"));
    q.Next();
    QVERIFY(q.FieldByName(QStringLiteral("BillRemark")).IsNull());
    QCOMPARE(Scalar(QStringLiteral("Select BillRemark From Bill Where BillIndex = 2")),
             QStringLiteral("first"));
    // Likewise a new row.
    q.Insert();
    q.FieldByName(QStringLiteral("BillRemark")).SetAsString(QStringLiteral("new"));
    q.First();
    QCOMPARE(q.RecordCount(), 3);
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Bill Where BillRemark = 'new'")),
             QStringLiteral("1"));
    // Edit while inserting keeps the insert; a second Insert stores the first.
    q.Insert();
    q.FieldByName(QStringLiteral("BillRemark")).SetAsString(QStringLiteral("a"));
    q.Edit();
    q.FieldByName(QStringLiteral("BillSum")).SetAsFloat(3);
    q.Insert();
    q.FieldByName(QStringLiteral("BillRemark")).SetAsString(QStringLiteral("b"));
    q.Post();
    QCOMPARE(Scalar(QStringLiteral("Select BillSum From Bill Where BillRemark = 'a'")), QStringLiteral("3"));
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Bill Where BillRemark = 'b'")), QStringLiteral("1"));
    // A QDateTime set directly is stored in the program's date form.
    q.Edit();
    q.FieldByName(QStringLiteral("BillCreateTime")).SetValue(QDateTime(QDate(2020, 3, 4), QTime(5, 6, 7)));
    q.FieldByName(QStringLiteral("BillRecordTime")).SetValue(QDate(2020, 3, 4));
    q.Post();
    QCOMPARE(Scalar(QStringLiteral("Select BillCreateTime || '|' || BillRecordTime From Bill Where "
                                   "BillRemark = 'b'")),
             QStringLiteral("2020-03-04 05:06:07|2020-03-04"));
}

void TestQuery::deleteRows() {
    for (int i = 0; i < 4; ++i)
        AddBill(QStringLiteral("张三"), i, QStringLiteral("2020-01-01"));
    for (int i = 0; i < 3; ++i)
        AddBill(QStringLiteral("李四"), i, QStringLiteral("2020-01-01"));
    AddBill(QStringLiteral("王五"), 1, QStringLiteral("2020-01-01"));

    // Delete the current row and go back to the first, until no rows are left.
    Query q(connection.get());
    q.Open(QStringLiteral("Select * From Bill Where BillMan = '张三'"));
    while (q.RecordCount() > 0) {
        q.Delete();
        q.First();
    }
    QVERIFY(q.Eof());
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Bill Where BillMan = '张三'")), QStringLiteral("0"));

    // Delete until end of rows.
    q.Open(QStringLiteral("Select * From Bill Where BillMan = '李四'"));
    q.First();
    while (!q.Eof())
        q.Delete();
    QCOMPARE(q.RecordCount(), 0);
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Bill Where BillMan = '李四'")), QStringLiteral("0"));

    // Delete just the first row; the reserved row and the other rows stay.
    q.Open(QStringLiteral("Select * From Bill Where BillIndex > 1"));
    q.First();
    q.Delete();
    QCOMPARE(q.RecordCount(), 0);
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Bill")), QStringLiteral("1"));
    QCOMPARE(Scalar(QStringLiteral("Select Min(BillIndex) From Bill")), QStringLiteral("1"));

    // Deleting the middle row moves to the row after it.
    for (int i = 0; i < 3; ++i)
        AddBill(QStringLiteral("赵六"), i, QStringLiteral("2020-01-01"));
    q.Open(QStringLiteral("Select * From Bill Where BillMan = '赵六' Order By BillSum"));
    q.MoveTo(1);
    q.Delete();
    QCOMPARE(q.FieldByName(QStringLiteral("BillSum")).AsFloat(), 2.0);
    QVERIFY(!q.Eof());
    QCOMPARE(Column(QStringLiteral("Select BillSum From Bill Where BillMan = '赵六' Order By BillSum")),
             QStringLiteral("0,2"));
}

// A result of many rows is kept in several blocks of cells; reading, changing and deleting rows
// across a block's end must keep every value in its row and column.
void TestQuery::largeResultKeepsEveryValue() {
    Exec(QStringLiteral(
        "With Recursive n(i) As (Select 1 Union All Select i + 1 From n Where i < 18000) "
        "Insert Into Customer (CustomerName, CustomerOwe, CustomerRemark) "
        "Select 'O''Brien 客户' || i, i + 0.25, Case When i % 2 = 0 Then Null Else 'r' || i End "
        "From n"));
    Query q(connection.get());
    // Eight columns: the first block of 131072 cells holds rows 0 to 16383.
    q.Open(QStringLiteral("Select CustomerIndex, CustomerName, CustomerOwe, CustomerRemark, CustomerMan, "
                          "CustomerOwe * 2 As Twice, CustomerPhone, CustomerAddress From Customer "
                          "Where CustomerIndex > 1 Order By CustomerOwe"));
    QCOMPARE(q.RecordCount(), 18000);
    QCOMPARE(q.FieldNames().at(5), QStringLiteral("Twice"));
    const auto check = [&](int row, int i) {
        QCOMPARE(q.ValueAt(row, 1).toString(), QStringLiteral("O'Brien 客户") + QString::number(i));
        QCOMPARE(q.ValueAt(row, 2).toDouble(), i + 0.25);
        if (i % 2 == 0)
            QVERIFY(q.ValueAt(row, 3).isNull());
        else
            QCOMPARE(q.ValueAt(row, 3).toString(), QStringLiteral("r") + QString::number(i));
    };
    const int boundary = 131072 / 8; // the first row of the second block
    for (int row : {0, boundary - 1, boundary, 17999})
        check(row, row + 1);
    QCOMPARE(q.ValueAt(boundary, 5).toDouble(), 2 * (boundary + 1.25));

    // A change past the first block is stored and shown in its row only.
    q.MoveTo(boundary + 1);
    q.Edit();
    q.FieldByName(QStringLiteral("CustomerRemark")).SetAsString(QStringLiteral("改过 'x'"));
    q.Post();
    QCOMPARE(q.ValueAt(boundary + 1, 3).toString(), QStringLiteral("改过 'x'"));
    check(boundary, boundary + 1);
    check(boundary + 2, boundary + 3);
    QCOMPARE(Scalar(QStringLiteral("Select CustomerRemark From Customer Where CustomerOwe = %1")
                        .arg(boundary + 2.25, 0, 'f', 2)),
             QStringLiteral("改过 'x'"));

    // Deleting a row of the first block moves every later row up by one, across the block's end.
    q.MoveTo(10);
    q.Delete();
    QCOMPARE(q.RecordCount(), 17999);
    check(9, 10);
    check(10, 12);
    check(boundary - 1, boundary + 1);
    QCOMPARE(q.ValueAt(boundary, 3).toString(), QStringLiteral("改过 'x'"));
    check(17998, 18000);

    // A row added after a deletion brought the cells back to exactly one full block goes after the
    // last row.
    q.Open(QStringLiteral("Select CustomerIndex, CustomerName, CustomerOwe, CustomerRemark, CustomerMan, "
                          "CustomerOwe * 2 As Twice, CustomerPhone, CustomerAddress From Customer "
                          "Where CustomerIndex > 1 Order By CustomerOwe Limit %1")
               .arg(boundary + 1));
    q.First();
    q.Delete();
    QCOMPARE(q.RecordCount(), boundary);
    q.Insert();
    q.FieldByName(QStringLiteral("CustomerName")).SetAsString(QStringLiteral("新客户"));
    q.Post();
    QCOMPARE(q.RecordCount(), boundary + 1);
    QCOMPARE(q.ValueAt(boundary, 1).toString(), QStringLiteral("新客户"));
    QCOMPARE(q.FieldByName(QStringLiteral("CustomerName")).AsString(), QStringLiteral("新客户"));
    // The row before it: the last of the first block, the one changed above.
    QCOMPARE(q.ValueAt(boundary - 1, 1).toString(),
             QStringLiteral("O'Brien 客户") + QString::number(boundary + 2));
    QCOMPARE(q.ValueAt(boundary - 1, 3).toString(), QStringLiteral("改过 'x'"));
}

void TestQuery::reopeningKeepsEveryValueOfEachResult() {
    if (server)
        QSKIP("SQLite's own functions and blob values; the server's rows go into the same row store");
    // Each result is read into the memory the one before it left: large after small, small after
    // large, a text longer than a whole text block, texts spread over many blocks.
    struct Result {
        int rows;
        int textLength;
    };
    const Result results[] = {{30000, 40}, {3, 5}, {2, 3 << 20}, {1, 0}, {0, 1}, {40000, 12}};
    Query q(connection.get());
    for (const Result& r : results) {
        q.SQL = QStringLiteral("With Recursive n(i) As (Select 1 Union All Select i + 1 From n Where i < %1) "
                               "Select i, 'T' || i || '客' || substr(hex(zeroblob(%2)), 1, %2) As Name, "
                               "i * 0.5, Case i % 3 When 0 Then Null When 1 Then '' "
                               "Else Cast(printf('%08d', i) As Blob) End From n Where i <= %1")
                    .arg(r.rows)
                    .arg(r.textLength);
        q.Open();
        QCOMPARE(q.RecordCount(), r.rows);
        QCOMPARE(q.FieldNames().at(1), QStringLiteral("Name"));
        const QString padding(r.textLength, QLatin1Char('0'));
        for (int row = 0; row < r.rows; ++row) {
            const int i = row + 1;
            QCOMPARE(q.ValueAt(row, 0).toLongLong(), qint64(i));
            QCOMPARE(q.ValueAt(row, 1).toString(), QStringLiteral("T%1客").arg(i) + padding);
            QCOMPARE(q.ValueAt(row, 2).toDouble(), i * 0.5);
            const QVariant last = q.ValueAt(row, 3);
            if (i % 3 == 0) {
                QVERIFY(last.isNull());
            } else if (i % 3 == 1) {
                // An empty text stays a text, not a null.
                QCOMPARE(last.typeId(), QMetaType::QString);
                QVERIFY(!last.toString().isNull());
                QVERIFY(last.toString().isEmpty());
            } else {
                QCOMPARE(last.typeId(), QMetaType::QByteArray);
                QCOMPARE(last.toByteArray(), QByteArray::number(i).rightJustified(8, '0'));
            }
        }
    }
}

void TestQuery::columnSumReadsEveryRowAsNumber() {
    Query q(connection.get());
    QCOMPARE(q.ColumnSum(0), 0.0);
    q.Open(QStringLiteral("Select 1 As A, 'x' As B Union All Select 2.5, 'y' Union All Select Null, 'z' "
                          "Union All Select '4.25', 'w' Union All Select -3, 'v'"));
    QCOMPARE(q.ColumnSum(0), 4.75);
    QCOMPARE(q.ColumnSum(1), 0.0); // texts that are no numbers count for nothing
    QCOMPARE(q.ColumnSum(2), 0.0); // no such column
    q.Close();
    QCOMPARE(q.ColumnSum(0), 0.0);
}

void TestQuery::deleteDuringInsertDropsOnlyTheNewRow() {
    AddBill(QStringLiteral("张三"), 1, QStringLiteral("2020-01-01"));
    Query q(connection.get());
    q.Open(QStringLiteral("Select * From Bill Where BillIndex > 1"));
    q.Insert();
    q.FieldByName(QStringLiteral("BillMan")).SetAsString(QStringLiteral("李四"));
    q.Delete();
    QCOMPARE(q.CurrentState(), Query::State::Browse);
    QCOMPARE(Column(QStringLiteral("Select BillMan From Bill Where BillIndex > 1")), QStringLiteral("张三"));
}

void TestQuery::writesNeedATableWithAKey_data() {
    QTest::addColumn<QString>("sql");
    QTest::newRow("join") << QStringLiteral(
        "Select * From (Bill Left Join MoneyTable On Bill.BillIndex = MoneyTable.MoneyBill)");
    QTest::newRow("two tables") << QStringLiteral("Select * From Bill, Customer");
    QTest::newRow("no table") << QStringLiteral("Select 1 As BillIndex");
    QTest::newRow("key not selected") << QStringLiteral("Select BillMan From Bill");
}

void TestQuery::writesNeedATableWithAKey() {
    QFETCH(QString, sql);
    AddBill(QStringLiteral("张三"), 1, QStringLiteral("2020-01-01"));
    Query q(connection.get());
    q.Open(sql);
    QVERIFY(q.RecordCount() > 0);
    QVERIFY_THROWS_EXCEPTION(KestrelError, q.Edit());
    QVERIFY_THROWS_EXCEPTION(KestrelError, q.Delete());
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Bill")), QStringLiteral("2"));
}

void TestQuery::execSqlGivesRowsAffected() {
    Query q(connection.get());
    QCOMPARE(
        q.ExecSql(QStringLiteral("Insert Into PrintReport (ReportEnable) Values (True), (True), (False)")),
        3);
    QCOMPARE(q.ExecSql(QStringLiteral("Update PrintReport Set ReportEnable = False")), 3);
    QCOMPARE(q.ExecSql(QStringLiteral("Update PrintReport Set ReportEnable = True Where ReportIndex > 2")),
             1);
    QCOMPARE(q.ExecSql(QStringLiteral("Update Customer Set CustomerName = 'x' Where CustomerIndex > 1")), 0);
    QCOMPARE(q.ExecSql(QStringLiteral("Delete From PrintReport Where ReportEnable = False")), 2);
    QVERIFY(!q.Active());
    // Date literals work in statements too.
    AddBill(QStringLiteral("张三"), 1, QStringLiteral("2020-01-05"));
    AddBill(QStringLiteral("张三"), 1, QStringLiteral("2020-02-05"));
    QCOMPARE(
        q.ExecSql(QStringLiteral("Update Bill Set BillRemark = 'old' Where BillCreateTime < #2020-2-6#")), 2);
    // A failing statement raises; a failed statement changed nothing.
    QVERIFY_THROWS_EXCEPTION(KestrelError, q.ExecSql(QStringLiteral("Update NoSuchTable Set A = 1")));
    QVERIFY_THROWS_EXCEPTION(KestrelError, q.ExecSql(QStringLiteral("Update Bill Set NoSuchField = 1")));
    // ExecSql runs the SQL text set on the query.
    q.SQL = QStringLiteral("Delete From Bill Where BillRemark = 'old'");
    QCOMPARE(q.ExecSql(), 2);
}

void TestQuery::quotedValueSelectsExactlyItsRows_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("one quote") << QStringLiteral("O'Brien");
    QTest::newRow("only a quote") << QStringLiteral("'");
    QTest::newRow("two quotes") << QStringLiteral("''");
    QTest::newRow("closing quote") << QStringLiteral("x' Or '1'='1");
    QTest::newRow("chinese with quote") << QStringLiteral("岚峰'贸易");
    QTest::newRow("hash date") << QStringLiteral("#2020-01-01#");
    QTest::newRow("trailing quote") << QStringLiteral("abc'");
}

void TestQuery::quotedValueSelectsExactlyItsRows() {
    QFETCH(QString, name);
    const QStringList all = {QStringLiteral("O'Brien"),   QStringLiteral("'"),
                             QStringLiteral("''"),        QStringLiteral("x' Or '1'='1"),
                             QStringLiteral("岚峰'贸易"), QStringLiteral("#2020-01-01#"),
                             QStringLiteral("abc'"),      QStringLiteral("O"),
                             QStringLiteral("Brien"),     QStringLiteral("x"),
                             QStringLiteral("abc")};
    Query q(connection.get());
    // Every kind of spliced value: a text, a number and a date in one statement.
    for (int i = 0; i < all.size(); ++i)
        q.ExecSql(
            QStringLiteral("Insert Into Bill (BillUser, BillSum, BillCreateTime, BillRemark) Values (%1, %2, "
                           "%3, %4)")
                .arg(SqlText(all[i]), SqlNumber(i + 0.5), SqlDate(QDate(2020, 1, 1).addDays(i)),
                     SqlText(all[i] + QStringLiteral("'s"))));
    const int at = all.indexOf(name);
    q.Open(QStringLiteral("Select * From Bill Where BillUser = ") + SqlText(name));
    QCOMPARE(q.RecordCount(), 1);
    QCOMPARE(q.FieldByName(QStringLiteral("BillUser")).AsString(), name);
    QCOMPARE(q.FieldByName(QStringLiteral("BillRemark")).AsString(), name + QStringLiteral("'s"));
    QCOMPARE(q.FieldByName(QStringLiteral("BillSum")).AsFloat(), at + 0.5);
    QCOMPARE(q.FieldByName(QStringLiteral("BillCreateTime")).AsDate(), QDate(2020, 1, 1).addDays(at));
    // The same through an update and a delete.
    QCOMPARE(q.ExecSql(QStringLiteral("Update Bill Set BillMan = 'm' Where BillUser = ") + SqlText(name)), 1);
    QCOMPARE(q.ExecSql(QStringLiteral("Delete From Bill Where BillUser = ") + SqlText(name) +
                       QStringLiteral(" And BillMan = 'm'")),
             1);
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Bill Where BillIndex > 1")),
             QString::number(all.size() - 1));
}

void TestQuery::dateLiteralInTextStaysData() {
    Query q(connection.get());
    q.ExecSql(
        QStringLiteral("Insert Into MoneyTable (MoneyRemark, MoneyCreateTime) Values (%1, #2020-01-02#)")
            .arg(SqlText(QStringLiteral("付至 #2020-01-01# 止"))));
    QCOMPARE(Scalar(QStringLiteral("Select MoneyRemark || '|' || MoneyCreateTime From MoneyTable Where "
                                   "MoneyIndex > 1")),
             QStringLiteral("付至 #2020-01-01# 止|2020-01-02"));
    q.Open(QStringLiteral("Select * From MoneyTable Where MoneyRemark = ") +
           SqlText(QStringLiteral("付至 #2020-01-01# 止")));
    QCOMPARE(q.RecordCount(), 1);
    q.Open(QStringLiteral("Select * From MoneyTable Where MoneyRemark Like '%#2020-01-01#%'"));
    QCOMPARE(q.RecordCount(), 1);
}

void TestQuery::dateComparisons_data() {
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("serials");
    // Rows: A on 2020-01-04, B on 2020-01-05, C on 2020-01-05 at 10:30, D on 2020-01-06.
    QTest::newRow("equal") << "= #2020-01-05#"
                           << "B";
    QTest::newRow("at most") << "<= #2020-01-05#"
                             << "AB";
    QTest::newRow("before") << "< #2020-01-05#"
                            << "A";
    QTest::newRow("after") << "> #2020-01-05#"
                           << "CD";
    QTest::newRow("at least, short form") << ">= #2020-1-5#"
                                          << "BCD";
    QTest::newRow("between the day and the next") << "Between #2020-01-05# And #2020-01-06#"
                                                  << "BCD";
    QTest::newRow("month up to the day") << "Between #2020-01-01# And #2020-01-05#"
                                         << "AB";
    QTest::newRow("at most a time of day") << "<= #2020-01-05 12:00#"
                                           << "ABC";
    QTest::newRow("before the time of day") << "< #2020-01-05 10:30#"
                                            << "AB";
    QTest::newRow("the time of day itself") << "= #2020-01-05 10:30:00#"
                                            << "C";
}

void TestQuery::dateComparisons() {
    QFETCH(QString, condition);
    QFETCH(QString, serials);
    Query q(connection.get());
    q.Open(QStringLiteral("Select * From Bill Where BillIndex = 0"));
    const std::vector<std::pair<QString, QDateTime>> rows = {
        {QStringLiteral("A"), QDateTime(QDate(2020, 1, 4), QTime(0, 0))},
        {QStringLiteral("B"), QDateTime(QDate(2020, 1, 5), QTime(0, 0))},
        {QStringLiteral("C"), QDateTime(QDate(2020, 1, 5), QTime(10, 30))},
        {QStringLiteral("D"), QDateTime(QDate(2020, 1, 6), QTime(0, 0))},
    };
    for (const auto& [serial, when] : rows) {
        q.Insert();
        q.FieldByName(QStringLiteral("BillSerial")).SetAsString(serial);
        q.FieldByName(QStringLiteral("BillCreateTime")).SetAsDateTime(when);
        q.Post();
    }
    q.Open(QStringLiteral("Select BillSerial From Bill Where BillIndex > 1 And BillCreateTime ") + condition +
           QStringLiteral(" Order By BillSerial"));
    QString found;
    for (q.First(); !q.Eof(); q.Next())
        found += q.FieldByName(QStringLiteral("BillSerial")).AsString();
    QCOMPARE(found, serials);
}

void TestQuery::jetFunctionsInSql_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("Round 2.5") << "Round(2.5, 0)" << QVariant(2.0);
    QTest::newRow("Round 3.5") << "Round(3.5, 0)" << QVariant(4.0);
    QTest::newRow("Round one argument") << "Round(-2.5)" << QVariant(-2.0);
    QTest::newRow("Round 0.125") << "Round(0.125, 2)" << QVariant(0.12);
    QTest::newRow("Round 2.675") << "Round(2.675, 2)" << QVariant(2.68);
    QTest::newRow("Round 1.005") << "Round(1.005, 2)" << QVariant(1.0);
    QTest::newRow("round in lower case") << "round(0.125, 2)" << QVariant(0.12);
    QTest::newRow("Round null") << "Round(NULL, 2)" << QVariant();
    QTest::newRow("Round of a sum") << "Round((Select Sum(BillSum) From Bill), 2)" << QVariant(0.3);
    QTest::newRow("InStr") << "InStr('ABC', 'b')" << QVariant(2);
    QTest::newRow("InStr absent") << "InStr('ABC', 'd')" << QVariant(0);
    QTest::newRow("InStr with start") << "InStr(3, 'aXbX', 'x')" << QVariant(4);
    QTest::newRow("InStr chinese") << "InStr('业务管理；财务管理；', '财务管理')" << QVariant(6);
    QTest::newRow("InStr null") << "InStr(NULL, 'a')" << QVariant();
    QTest::newRow("IIF") << "IIF(1 > 2, 'a', 'b')" << QVariant(QStringLiteral("b"));
    QTest::newRow("ABS") << "ABS(-1.5)" << QVariant(1.5);
}

void TestQuery::jetFunctionsInSql() {
    QFETCH(QString, expression);
    QFETCH(QVariant, expected);
    Exec(QStringLiteral("Insert Into Bill (BillSum) Values (0.1), (0.2)"));
    Exec(QStringLiteral("Delete From Bill Where BillIndex = 1"));
    Query q(connection.get());
    q.Open(QStringLiteral("Select %1 As V").arg(expression));
    const Field v = q.FieldByName(QStringLiteral("V"));
    if (!expected.isValid()) {
        QVERIFY(v.IsNull());
    } else if (expected.typeId() == QMetaType::Double) {
        QCOMPARE(v.AsFloat(), expected.toDouble());
    } else if (expected.typeId() == QMetaType::Int) {
        QCOMPARE(v.AsInteger(), expected.toInt());
    } else {
        QCOMPARE(v.AsString(), expected.toString());
    }
}

void TestQuery::documentAmountsReceivedAndOpen() {
    // A purchase of 100 before and after a payment of 100 booked to it; a voucher to no document.
    Exec(QStringLiteral(
        "Insert Into Bill (BillKind, BillUser, BillSum) Values ('采购开单', 'O''Brien', -100)"));
    Exec(QStringLiteral(
        "Insert Into MoneyTable (MoneyBill, MoneyUser, MoneySum) Values (0, 'O''Brien', -30)"));
    const QString sql = QStringLiteral(
        "Select BillIndex, BillSum, IIF(Round(Sum(MoneySum),2) Is Null,0,Round(Sum(MoneySum),2)) As BillGet, "
        "BillSum-IIF(Round(Sum(MoneySum),2) Is Null,0,Round(Sum(MoneySum),2)) As BillOwe From (Bill Left "
        "Join MoneyTable On Bill.BillIndex = MoneyTable.MoneyBill) Where (BillIndex > 1) Group By BillIndex, "
        "BillSum");
    Query q(connection.get());
    q.Open(sql);
    QCOMPARE(q.RecordCount(), 1);
    QCOMPARE(q.FieldByName(QStringLiteral("BillGet")).AsFloat(), 0.0);
    QCOMPARE(q.FieldByName(QStringLiteral("BillOwe")).AsFloat(), -100.0);
    Exec(QStringLiteral("Insert Into MoneyTable (MoneyBill, MoneySum) Values (2, -33.333), (2, -66.667)"));
    q.Open(sql);
    QCOMPARE(q.FieldByName(QStringLiteral("BillGet")).AsFloat(), -100.0);
    QCOMPARE(q.FieldByName(QStringLiteral("BillOwe")).AsFloat(), 0.0);
}

void TestQuery::transactionRollsBackUnlessCommitted() {
    Query q(connection.get());
    {
        Transaction tx(*connection);
        q.ExecSql(QStringLiteral("Insert Into Customer (CustomerName) Values ('甲')"));
        q.Open(QStringLiteral("Select * From Customer Where CustomerName = '甲'"));
        QCOMPARE(q.RecordCount(), 1);
    }
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Customer Where CustomerName = '甲'")),
             QStringLiteral("0"));
    // An error inside the scope rolls back everything done in it, through queries too.
    try {
        Transaction tx(*connection);
        q.ExecSql(QStringLiteral("Insert Into Customer (CustomerName) Values ('乙')"));
        q.Open(QStringLiteral("Select * From Customer Where CustomerName = '乙'"));
        q.Edit();
        q.FieldByName(QStringLiteral("CustomerPhone")).SetAsString(QStringLiteral("1"));
        q.Post();
        q.ExecSql(QStringLiteral("Update NoSuchTable Set A = 1"));
        tx.Commit();
        QFAIL("no error raised");
    } catch (const KestrelError&) {
    }
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Customer Where CustomerIndex > 1")),
             QStringLiteral("0"));
    {
        Transaction tx(*connection);
        q.ExecSql(QStringLiteral("Insert Into Customer (CustomerName) Values ('丙')"));
        q.ExecSql(QStringLiteral("Update Customer Set CustomerPhone = '2' Where CustomerName = '丙'"));
        tx.Commit();
        tx.Commit(); // a second commit does nothing
    }
    QCOMPARE(Scalar(QStringLiteral("Select CustomerPhone From Customer Where CustomerName = '丙'")),
             QStringLiteral("2"));
}

void TestQuery::schemaTablesAndInitialRows() {
    if (SkipOnServer())
        return;
    QCOMPARE(Scalar(QStringLiteral("PRAGMA user_version")), QString::number(Schema::Version));
    const QStringList tables = Schema::TableNames();
    QCOMPARE(tables.size(), 11);
    for (const char* name : {"Customer", "Bill", "MoneyTable", "Account", "Power", "Parameter", "Setting",
                             "PrintReport", "PrintList", "PrintBigFont", "History"}) {
        const QString table = QString::fromLatin1(name);
        QVERIFY2(tables.contains(table), qPrintable(table));
        QCOMPARE(
            Scalar(QStringLiteral("Select Count(*) From sqlite_master Where type = 'table' And name = ") +
                   SqlText(table)),
            QStringLiteral("1"));
        QVERIFY(!Schema::KeyColumn(table).isEmpty());
        QCOMPARE(Schema::KeyColumn(table.toLower()), Schema::KeyColumn(table));
    }
    QCOMPARE(Schema::KeyColumn(QStringLiteral("Customer")), QStringLiteral("CustomerIndex"));
    QCOMPARE(Schema::KeyColumn(QStringLiteral("MoneyTable")), QStringLiteral("MoneyIndex"));
    QCOMPARE(Schema::KeyColumn(QStringLiteral("NoSuchTable")), QString());
    // The reserved row, key 1, alone in each business table.
    for (const auto& [table, key] : std::vector<std::pair<QString, QString>>{{"Customer", "CustomerIndex"},
                                                                             {"Bill", "BillIndex"},
                                                                             {"MoneyTable", "MoneyIndex"},
                                                                             {"Account", "AccountIndex"}}) {
        QCOMPARE(Scalar(QStringLiteral("Select Group_Concat(%1) From %2").arg(key, table)),
                 QStringLiteral("1"));
        QCOMPARE(Scalar(QStringLiteral("Select Count(*) From %2 Where %1 > 1").arg(key, table)),
                 QStringLiteral("0"));
    }
    QCOMPARE(Scalar(QStringLiteral("Select Group_Concat(SettingIndex) From (Select SettingIndex From Setting "
                                   "Order By 1)")),
             QStringLiteral("1,2,3,4"));
    // Each remembered serial proposes a next one.
    Query q(connection.get());
    q.Open(QStringLiteral("Select * From Setting"));
    for (q.First(); !q.Eof(); q.Next()) {
        const QString serial = q.FieldByName(QStringLiteral("SettingValue")).AsString();
        QVERIFY2(IsValidSerial(serial) && !NextSerial(serial).isEmpty(), qPrintable(serial));
    }
    QCOMPARE(
        Scalar(QStringLiteral("Select Group_Concat(ListIndex) From (Select ListIndex From PrintList Order "
                              "By 1)")),
        QStringLiteral("1,2"));
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From PrintBigFont")), QStringLiteral("1"));
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From PrintReport")), QStringLiteral("0"));
    // Every pick list has entries, none twice.
    for (int type = 1; type <= 4; ++type) {
        const QString where = QStringLiteral(" From Parameter Where ParameterType = %1").arg(type);
        QVERIFY(Scalar(QStringLiteral("Select Count(*)") + where).toInt() >= 2);
        QCOMPARE(Scalar(QStringLiteral("Select Count(Distinct ParameterValue)") + where),
                 Scalar(QStringLiteral("Select Count(*)") + where));
        QCOMPARE(
            Scalar(QStringLiteral("Select Count(*)") + where + QStringLiteral(" And ParameterValue = ''")),
            QStringLiteral("0"));
    }
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Parameter Where ParameterType Not Between 1 And 4")),
             QStringLiteral("0"));
    // An existing file is never overwritten.
    QVERIFY(!Schema::CreateDatabase(path).isEmpty());
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Power")), QStringLiteral("21"));
}

void TestQuery::schemaColumns() {
    if (SkipOnServer())
        return;
    // Every field of every table with the kind of value it holds: texts and ISO dates as TEXT,
    // amounts as REAL, keys, links and numbers as INTEGER, yes/no as BOOLEAN.
    const std::vector<std::pair<QString, QString>> tables = {
        {"Customer", "CustomerIndex INTEGER, CustomerName TEXT, CustomerOwe REAL, CustomerPhone TEXT, "
                     "CustomerFax TEXT, CustomerContact TEXT, CustomerHandPhone TEXT, CustomerEMail TEXT, "
                     "CustomerWebsite TEXT, CustomerAddress TEXT, CustomerRemark TEXT, CustomerMan TEXT"},
        {"Bill",
         "BillIndex INTEGER, BillKind TEXT, BillSerial TEXT, BillCreateTime TEXT, BillRecordTime TEXT, "
         "BillUser TEXT, BillSum REAL, BillReason TEXT, BillState TEXT, BillRemark TEXT, BillMan TEXT"},
        {"MoneyTable", "MoneyIndex INTEGER, MoneyAccount INTEGER, MoneyBill INTEGER, MoneySerial TEXT, "
                       "MoneyCreateTime TEXT, MoneyRecordTime TEXT, MoneyUser TEXT, MoneyReason TEXT, "
                       "MoneyType TEXT, MoneyToken TEXT, MoneyRemark TEXT, MoneyMan TEXT, MoneyIn REAL, "
                       "MoneyOut REAL, MoneySum REAL"},
        {"Account", "AccountIndex INTEGER, AccountName TEXT, AccountBase REAL, AccountMan TEXT"},
        {"Power", "PowerIndex INTEGER, PowerName TEXT, PowerKey TEXT, PowerPicture TEXT, PowerRange TEXT, "
                  "PowerRole TEXT"},
        {"Parameter", "ParameterIndex INTEGER, ParameterType INTEGER, ParameterValue TEXT"},
        {"Setting", "SettingIndex INTEGER, SettingValue TEXT"},
        {"PrintReport", "ReportIndex INTEGER, ReportEnable BOOLEAN, ReportGrid1 TEXT, ReportGrid2 TEXT, "
                        "ReportGrid3 TEXT, ReportGrid4 TEXT, ReportGrid5 TEXT, ReportGrid6 TEXT, "
                        "ReportGrid7 TEXT, ReportGrid8 TEXT, ReportGrid9 TEXT"},
        {"PrintList", "ListIndex INTEGER, ListValue TEXT"},
        {"PrintBigFont", "BigFontIndex INTEGER, BigFontValue TEXT"},
    };
    for (const auto& [table, expected] : tables) {
        QSqlQuery info(connection->Database());
        QVERIFY(info.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table)));
        QStringList columns;
        while (info.next())
            columns << info.value(1).toString() + QLatin1Char(' ') + info.value(2).toString();
        QCOMPARE(columns.join(QStringLiteral(", ")), expected);
    }
    // The four business keys are numbered by the database and never reused.
    for (const char* table : {"Customer", "Bill", "MoneyTable", "Account"}) {
        QCOMPARE(Scalar(QStringLiteral("Select Count(*) From sqlite_sequence Where name = ") +
                        SqlText(QString::fromLatin1(table))),
                 QStringLiteral("1"));
    }
    // A password compares letter for letter in SQL too.
    Exec(QStringLiteral("Update Power Set PowerKey = 'Ab' Where PowerName = '修改'"));
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Power Where PowerKey = 'ab'")), QStringLiteral("0"));
}

void TestQuery::schemaPowerRows() {
    Query q(connection.get());
    q.Open(QStringLiteral("Select * From Power Where PowerIndex <= 16 Order By PowerIndex"));
    QCOMPARE(q.RecordCount(), 16);
    int slot = 0;
    for (q.First(); !q.Eof(); q.Next()) {
        ++slot;
        QCOMPARE(q.FieldByName(QStringLiteral("PowerIndex")).AsInteger(), slot);
        QCOMPARE(q.FieldByName(QStringLiteral("PowerName")).AsString(), QString());
        QCOMPARE(q.FieldByName(QStringLiteral("PowerRole")).AsString(), QStringLiteral("业务员"));
        QCOMPARE(q.FieldByName(QStringLiteral("PowerPicture")).AsString(),
                 QStringLiteral("Faces/%1.bmp").arg(slot));
        QCOMPARE(q.FieldByName(QStringLiteral("PowerRange")).AsString(), QString());
    }
    q.Open(QStringLiteral("Select * From Power Where PowerIndex > 16 Order By PowerIndex"));
    QStringList names;
    for (q.First(); !q.Eof(); q.Next()) {
        names << q.FieldByName(QStringLiteral("PowerName")).AsString();
        QVERIFY(!q.FieldByName(QStringLiteral("PowerKey")).IsNull());
        QVERIFY(q.FieldByName(QStringLiteral("PowerRole")).AsString() != QStringLiteral("业务员"));
    }
    QCOMPARE(names,
             QStringList({QStringLiteral("财务主管"), QStringLiteral("财务总监"), QStringLiteral("管理员"),
                          QStringLiteral("总经理"), QStringLiteral("修改")}));
    // The shipped data-modification password is empty: nothing is asked until one is set.
    QCOMPARE(Scalar(QStringLiteral("Select PowerKey From Power Where PowerName = '修改'")), QString());
}

void TestQuery::schemaTextComparesWithoutCase() {
    Exec(QStringLiteral("Insert Into Customer (CustomerName) Values ('Kestrel Ltd')"));
    Exec(QStringLiteral("Insert Into Account (AccountName, AccountMan) Values ('Cash', 'Bob')"));
    Exec(QStringLiteral("Insert Into Parameter (ParameterType, ParameterValue) Values (2, 'Freight')"));
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Customer Where CustomerName = 'KESTREL ltd'")),
             QStringLiteral("1"));
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Account Where AccountName = 'cash' And AccountMan = "
                                   "'BOB'")),
             QStringLiteral("1"));
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Parameter Where ParameterValue = 'FREIGHT'")),
             QStringLiteral("1"));
    // Passwords are compared by the program itself, character for character.
    Exec(QStringLiteral("Update Power Set PowerKey = 'Secret' Where PowerName = '修改'"));
    QCOMPARE(Scalar(QStringLiteral("Select Count(*) From Power Where PowerKey = 'secret'")),
             QStringLiteral("0"));
}

void TestQuery::schemaIndexes() {
    if (SkipOnServer())
        return;
    // The columns every list joins, filters, totals or orders by lead an index.
    const std::vector<std::pair<QString, QString>> columns = {
        {"Customer", "CustomerName"},
        {"Customer", "CustomerMan"},
        {"Bill", "BillUser"},
        {"Bill", "BillCreateTime"},
        {"Bill", "BillMan"},
        {"MoneyTable", "MoneyUser"},
        {"MoneyTable", "MoneyBill"},
        {"MoneyTable", "MoneyAccount"},
        {"MoneyTable", "MoneyCreateTime"},
        {"MoneyTable", "MoneyMan"},
        {"Account", "AccountMan"},
        {"Account", "AccountName"},
        {"Power", "PowerName"},
        {"Parameter", "ParameterType"},
    };
    for (const auto& [table, column] : columns) {
        QSqlQuery plan(connection->Database());
        QVERIFY(
            plan.exec(QStringLiteral("EXPLAIN QUERY PLAN Select * From %1 Where %2 = 1").arg(table, column)));
        QString detail;
        while (plan.next())
            detail += plan.value(3).toString();
        QVERIFY2(detail.contains(QRegularExpression(QStringLiteral("USING (COVERING )?INDEX"))),
                 qPrintable(table + QLatin1Char('.') + column));
    }
}

void TestQuery::connectionUsesItsDataSource() {
    if (SkipOnServer())
        return;
    QVERIFY(connection->Connected());
    QCOMPARE(connection->Database().databaseName(), path);
    connection->Close();
    QVERIFY(!connection->Connected());
    Query q(connection.get());
    QVERIFY_THROWS_EXCEPTION(KestrelError, q.Open(QStringLiteral("Select 1")));
    QVERIFY(connection->Open());

    // A file that holds no database of this program is refused and left untouched.
    const QString other = dir->filePath(QStringLiteral("Other.mdb"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        db.setDatabaseName(other);
        QVERIFY(db.open());
        QSqlQuery(db).exec(QStringLiteral("Create Table Customer (A)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    QFile file(other);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    DbConnection wrong;
    wrong.ConnectionString = BuildConnectionString(other, QStringLiteral("Qolmarn"));
    QVERIFY(!wrong.Open());
    QVERIFY(!wrong.LastError().isEmpty());
    QVERIFY(!wrong.Connected());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);

    DbConnection missing;
    missing.ConnectionString = BuildConnectionString(dir->filePath(QStringLiteral("None.mdb")), QString());
    QVERIFY(!missing.Open());
    QVERIFY(!QFile::exists(dir->filePath(QStringLiteral("None.mdb"))));
}

void TestQuery::connectionRefusesOtherDatabases_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("message");
    QTest::newRow("a table missing") << QStringLiteral("Drop Table PrintBigFont")
                                     << QStringLiteral("不是本软件的数据库");
    QTest::newRow("no schema version")
        << QStringLiteral("PRAGMA user_version = 0") << QStringLiteral("不是本软件的数据库");
    QTest::newRow("newer schema version")
        << QStringLiteral("PRAGMA user_version = %1").arg(Schema::Version + 1) << QStringLiteral("更新版本");
}

void TestQuery::connectionRefusesOtherDatabases() {
    if (SkipOnServer())
        return;
    QFETCH(QString, change);
    QFETCH(QString, message);
    Exec(change);
    connection->Close();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    QVERIFY(!connection->Open());
    QVERIFY2(connection->LastError().contains(message), qPrintable(connection->LastError()));
    QVERIFY(!connection->Connected());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

QTEST_GUILESS_MAIN(TestQuery)
#include "tst_query.moc"
