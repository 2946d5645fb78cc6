#include "foundation/Connection.h"
#include "foundation/JetSql.h"
#include "foundation/PgBackend.h"
#include "foundation/PgDialect.h"
#include "foundation/PublicFunction.h"
#include "foundation/Query.h"
#include "foundation/Schema.h"
#include "support/ServerDatabase.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// The program's Jet SQL on both engines: each statement gives on SQLite and on PostgreSQL the
// results in the table (the same, except where a difference is intended and named).
class TestPgDialect : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void rewriting_data();
    void rewriting();
    void bothEngines_data();
    void bothEngines();
    void writeBack();
    void serverSession();
    void serverWithOtherDefaults_data();
    void serverWithOtherDefaults();
    void containsIgnoresCaseInAnyLocale_data();
    void containsIgnoresCaseInAnyLocale();
    void databaseNotInUtf8IsRefused();
    void documentTotalledOnce();

private:
    static QString Rows(DbConnection& connection, const QString& sql);
    static void Fill(DbConnection& connection);

    QTemporaryDir folder;
    DbConnection file;
    std::unique_ptr<ServerDatabase> server;
    DbConnection onServer;
};

// A few counterparts, documents and vouchers whose names differ in letter case, a document dated
// with a time of day, values with quotes and a backslash.
void TestPgDialect::Fill(DbConnection& connection) {
    Query q(&connection);
    const QStringList rows{
        "Insert Into Customer (CustomerName, CustomerOwe) Values ('Alpha Trading', 50)",
        "Insert Into Customer (CustomerName, CustomerOwe) Values ('O''Brien 商行', 0)",
        "Insert Into Customer (CustomerName, CustomerOwe) Values ('beta', 0)",
        "Insert Into Customer (CustomerName, CustomerOwe) Values ('C\\D', 0)",
        "Insert Into Customer (CustomerName, CustomerOwe) Values ('Äpfel', 0)",
        "Insert Into Bill (BillKind, BillSerial, BillCreateTime, BillUser, BillSum) Values "
        "('销售开单', 'XS1', #2024-01-05#, 'alpha trading', 2.5)",
        "Insert Into Bill (BillKind, BillSerial, BillCreateTime, BillUser, BillSum) Values "
        "('销售开单', 'XS2', #2024-01-31 10:30:00#, 'ALPHA TRADING', 3.5)",
        "Insert Into Bill (BillKind, BillSerial, BillCreateTime, BillUser, BillSum) Values "
        "('采购开单', 'CG1', #2024-02-01#, 'beta', -100)",
        "Insert Into MoneyTable (MoneyAccount, MoneyBill, MoneyCreateTime, MoneyUser, MoneyIn, MoneyOut, "
        "MoneySum) Values (0, 2, #2024-01-06#, 'Alpha Trading', 0.125, 0, 0.125)",
        "Insert Into MoneyTable (MoneyAccount, MoneyBill, MoneyCreateTime, MoneyUser, MoneyIn, MoneyOut, "
        "MoneySum) Values (0, 2, #2024-01-07#, 'alpha TRADING', 1, 0, 1)",
        "Insert Into MoneyTable (MoneyAccount, MoneyBill, MoneyCreateTime, MoneyUser, MoneyIn, MoneyOut, "
        "MoneySum) Values (0, 0, #2024-01-08#, 'beta', 0, 50, -50)",
        "Insert Into PrintReport (ReportEnable, ReportGrid1) Values (True, 'a'), (False, 'b'), (1, 'c')",
    };
    for (const QString& sql : rows)
        q.ExecSql(sql);
}

void TestPgDialect::initTestCase() {
    const QString path = folder.filePath(QStringLiteral("Kestrel.mdb"));
    QCOMPARE(Schema::CreateDatabase(path), QString());
    file.ConnectionString = BuildConnectionString(path, QString());
    QVERIFY2(file.Open(), qPrintable(file.LastError()));
    Fill(file);
    server = std::make_unique<ServerDatabase>();
    if (!server->Available())
        return;
    // An empty server database is given the tables, keys and initial rows at the first opening.
    onServer.Server = server->ConnectionString();
    QVERIFY2(onServer.Open(), qPrintable(onServer.LastError()));
    QCOMPARE(onServer.CurrentEngine(), Engine::PostgreSql);
    Fill(onServer);
}

QString TestPgDialect::Rows(DbConnection& connection, const QString& sql) {
    Query q(&connection);
    q.Open(sql);
    QStringList rows;
    for (q.First(); !q.Eof(); q.Next()) {
        QStringList values;
        for (int i = 0; i < q.FieldCount(); ++i)
            values << (q.Fields(i).IsNull() ? QStringLiteral("null") : q.Fields(i).AsString());
        rows << values.join(QLatin1Char('|'));
    }
    return rows.join(QLatin1Char(';'));
}

void TestPgDialect::rewriting_data() {
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("postgres");
    QTest::newRow("date") << "Where BillCreateTime <= #2024-01-31#"
                          << "Where BillCreateTime <= '2024-01-31'";
    QTest::newRow("iif nested") << "IIF(a > 0, IIF(b, 1, 2), 3)"
                                << "(CASE WHEN a > 0 THEN (CASE WHEN b THEN 1 ELSE 2 END) ELSE 3 END)";
    QTest::newRow("literal untouched") << "Select 'IIF(a,b,c) Like #x# True +1' From T"
                                       << "Select 'IIF(a,b,c) Like #x# True +1' From T";
    QTest::newRow("double-quoted text") << "Where A = \"it's\""
                                        << "Where A = 'it''s'";
    QTest::newRow("unary plus dropped") << "Group By +BillUser, +BillMan"
                                        << "Group By BillUser, BillMan";
    QTest::newRow("binary plus kept") << "Select a +b, (c) + 1, 2+3"
                                      << "Select a +b, (c) + 1, 2+3";
    QTest::newRow("yes and no") << "Where ReportEnable = True Or X = false"
                                << "Where ReportEnable = 1 Or X = 0";
    QTest::newRow("qualified name kept") << "Select T.True, T.Round(1)"
                                         << "Select T.True, T.Round(1)";
    QTest::newRow("like") << "Where A Like 'x%'"
                          << "Where A COLLATE \"und-x-icu\" ILIKE 'x%' ESCAPE ''";
    QTest::newRow("not like") << "Where A Not Like 'x%' And B = 1"
                              << "Where A COLLATE \"und-x-icu\" Not ILIKE 'x%' ESCAPE '' And B = 1";
    QTest::newRow("subquery in from named")
        << "Select Count(*) From (Select A From T) Where B = 1"
        << "Select Count(*) From (Select A From T) AS kestrel_subquery1 Where B = 1";
    QTest::newRow("nested subqueries named") << "Select * From (Select A From (Select A From T)) Order By A"
                                             << "Select * From (Select A From (Select A From T) AS "
                                                "kestrel_subquery1) AS kestrel_subquery1 Order By A";
    QTest::newRow("subqueries of a join named")
        << "Select * From (Select A From T) Left Join (Select B From U) On A = B"
        << "Select * From (Select A From T) AS kestrel_subquery1 Left Join (Select B From U) AS "
           "kestrel_subquery2 On A = B";
    QTest::newRow("named subquery kept") << "Select * From (Select A From T) As N, (Select B From U) M"
                                         << "Select * From (Select A From T) As N, (Select B From U) M";
    QTest::newRow("parenthesised join kept") << "Select * From (T Left Join U On T.A = U.B) Where A > 1"
                                             << "Select * From (T Left Join U On T.A = U.B) Where A > 1";
    QTest::newRow("subquery as a value kept") << "Select A From T Where A In (Select B From U)"
                                              << "Select A From T Where A In (Select B From U)";
    const QString sub = QStringLiteral("(Select Sum(X) From U Where U.K = T.K)");
    const QString shared = QStringLiteral("kestrel_shared1.kestrel_value");
    const QString item =
        QStringLiteral(", LATERAL (SELECT %1 AS kestrel_value OFFSET 0) AS kestrel_shared1").arg(sub);
    QTest::newRow("repeated subquery computed once")
        << "Select A, " + sub + " As G, B-" + sub + " As O From T Where A > 1 Order By A"
        << "Select A, " + shared + " As G, B-" + shared + " As O From T" + item + " Where A > 1 Order By A";
    QTest::newRow("repeated subquery over a join, no where")
        << "Select IIF(" + sub + " Is Null, 0, " + sub + ") From (T Left Join V On T.A = V.A)"
        << "Select (CASE WHEN " + shared + " Is Null THEN 0 ELSE " + shared +
               " END) From (T Left Join V On T.A = V.A)" + item;
    QTest::newRow("two repeated subqueries")
        << "Select " + sub + ", (Select 1), " + sub + ", (Select 1) From T"
        << "Select " + shared + ", kestrel_shared2.kestrel_value, " + shared +
               ", kestrel_shared2.kestrel_value From T" + item +
               ", LATERAL (SELECT (Select 1) AS kestrel_value OFFSET 0) AS kestrel_shared2";
    const QString pattern = QStringLiteral("(Select Count(*) From U Where U.N Like '%2%')");
    QTest::newRow("repeated subquery with a pattern")
        << "Select " + pattern + ", " + pattern + " From T"
        << "Select " + shared + ", " + shared +
               " From T, LATERAL (SELECT (Select Count(*) From U Where U.N COLLATE \"und-x-icu\" ILIKE '%2%' "
               "ESCAPE '') AS kestrel_value OFFSET 0) AS kestrel_shared1";
    QTest::newRow("subquery written once kept") << "Select A, " + sub + " As G From T Where A > 1"
                                                << "Select A, " + sub + " As G From T Where A > 1";
    QTest::newRow("repeated subquery in a grouping kept")
        << "Select A, " + sub + ", " + sub + " From T Group By A"
        << "Select A, " + sub + ", " + sub + " From T Group By A";
    QTest::newRow("repeated subquery beside a total kept")
        << "Select Count(*), " + sub + ", " + sub + " From T"
        << "Select Count(*), " + sub + ", " + sub + " From T";
    QTest::newRow("repeated subquery beside all columns kept")
        << "Select T.*, " + sub + ", " + sub + " From T"
        << "Select T.*, " + sub + ", " + sub + " From T";
    const QString found = QStringLiteral("strpos(lower(CAST((A) AS text) COLLATE \"und-x-icu\"), "
                                         "lower(CAST(('x') AS text) COLLATE \"und-x-icu\"))");
    QTest::newRow("instr as a condition") << "Where (B > 1) And (InStr(A,'x')) Order By B"
                                          << "Where (B > 1) And ((" + found + " <> 0)) Order By B";
    QTest::newRow("instr as the only condition") << "Where InStr(A, 'x')"
                                                 << "Where (" + found + " <> 0)";
    QTest::newRow("instr negated") << "Where Not InStr(A, 'x') Or B = 1"
                                   << "Where Not (" + found + " <> 0) Or B = 1";
    QTest::newRow("instr as the condition of iif")
        << "Select IIF(InStr(A, 'x'), 1, 0)"
        << "Select (CASE WHEN (" + found + " <> 0) THEN 1 ELSE 0 END)";
    QTest::newRow("instr compared") << "Where (InStr(A, 'x')) > 1 And InStr(A, 'x') = 2"
                                    << "Where (" + found + ") > 1 And " + found + " = 2";
    QTest::newRow("instr in a value") << "Select InStr(A, 'x') From T Where B Between 1 And InStr(A, 'x')"
                                      << "Select " + found + " From T Where B Between 1 And " + found;
}

void TestPgDialect::rewriting() {
    QFETCH(QString, jet);
    QFETCH(QString, postgres);
    QCOMPARE(ToPostgresSql(jet), postgres);
}

void TestPgDialect::bothEngines_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("onSqlite");
    QTest::addColumn<QString>("onPostgres");
    auto same = [](const char* name, const QString& sql, const QString& rows) {
        QTest::newRow(name) << sql << rows << rows;
    };
    same("round halves to even",
         "Select Round(2.5), Round(3.5), Round(-2.5), Round(0.125, 2), Round(0.375, 2)", "2|4|-2|0.12|0.38");
    same("round of doubles near the half", "Select Round(1.005, 2), Round(2.675, 2)", "1|2.68");
    same("round of an empty sum", "Select Round(Sum(MoneySum), 2) From MoneyTable Where MoneyIndex > 100",
         "null");
    same("document totals through the outer join",
         "Select BillSerial, IIF(Round(Sum(MoneySum),2) Is Null,0,Round(Sum(MoneySum),2)) As BillGet, "
         "BillSum-IIF(Round(Sum(MoneySum),2) Is Null,0,Round(Sum(MoneySum),2)) As BillOwe "
         "From (Bill Left Join MoneyTable On Bill.BillIndex = MoneyTable.MoneyBill) Where (BillIndex > 1) "
         "Group By BillIndex, BillSerial, BillSum Order By BillIndex",
         "XS1|1.12|1.38;XS2|0|3.5;CG1|0|-100");
    // The received amount written twice, as the document query writes it.
    const QString got = QStringLiteral(
        "(Select IIF(Round(Sum(MoneySum),2) Is Null,0,Round(Sum(MoneySum),2)) From MoneyTable Where "
        "MoneyTable.MoneyBill = Bill.BillIndex)");
    same("a repeated subquery per document",
         "Select BillSerial, " + got + " As BillGet, BillSum-" + got +
             " As BillOwe From Bill Where (BillIndex > 1) Order By BillIndex",
         "XS1|1.12|1.38;XS2|0|3.5;CG1|0|-100");
    const QString one = QStringLiteral(
        "(Select MoneySum From MoneyTable Where MoneyTable.MoneyBill = Bill.BillIndex And MoneySum > 0.5)");
    same("a repeated subquery without a row keeps the row",
         "Select BillSerial, " + one + ", IIF(" + one +
             " Is Null, 'none', 'some') From Bill Where BillIndex > 1 Order By BillIndex",
         "XS1|1|some;XS2|null|none;CG1|null|none");
    same("iif by sign",
         "Select IIF(BillSum > 0, '销售', '采购') From Bill Where BillIndex > 1 Order By BillIndex",
         "销售;销售;采购");
    same("equal ignores letter case", "Select Count(*) From Bill Where BillUser = 'Alpha TRADING'", "2");
    same("join and group ignore letter case",
         "Select CustomerName, Count(BillIndex) From Customer Left Join Bill On Bill.BillUser = "
         "Customer.CustomerName Where CustomerIndex > 1 And CustomerIndex < 6 Group By CustomerName "
         "Order By CustomerName",
         "Alpha Trading|2;beta|1;C\\D|0;O'Brien 商行|0");
    same("distinct ignores letter case",
         "Select Count(*) From (Select Distinct BillUser From Bill Where BillIndex > 1) As Names", "2");
    same("like ignores letter case", "Select CustomerName From Customer Where CustomerName Like 'ALPHA%'",
         "Alpha Trading");
    same("like with one-character wildcard",
         "Select CustomerName From Customer Where CustomerName Like 'BET_'", "beta");
    same("not like", "Select Count(*) From Customer Where CustomerIndex > 1 And CustomerName Not Like '%a%'",
         "3");
    same("backslash is no escape in like", "Select CustomerName From Customer Where CustomerName Like 'c\\%'",
         "C\\D");
    same("instr ignores letter case",
         "Select CustomerName, InStr(CustomerName, 'BRIEN') From Customer Where InStr(CustomerName, 'brien') "
         "> 0",
         "O'Brien 商行|3");
    same("instr as a condition",
         "Select CustomerName From Customer Where (CustomerIndex > 1) And (InStr(CustomerName, 'BRIEN'))",
         "O'Brien 商行");
    same("instr negated as a condition",
         "Select Count(*) From Customer Where CustomerIndex > 1 And Not InStr(CustomerName, 'a')", "3");
    same("subquery without a name",
         "Select Count(*) From (Select Distinct BillUser From Bill Where BillIndex > 1) Where BillUser <> ''",
         "2");
    same("instr from a position", "Select InStr(3, 'abcabc', 'A'), InStr(1, 'abc', 'x'), InStr('', 'a')",
         "4|0|0");
    same("quote in a value", "Select CustomerOwe From Customer Where CustomerName = 'o''brien 商行'", "0");
    same("text between double quotes", "Select Count(*) From Customer Where CustomerName = \"BETA\"", "1");
    same("date range leaves a time of day on the last day out",
         "Select Count(*) From Bill Where BillCreateTime Between #2024-01-01# And #2024-01-31#", "1");
    same("date with a time of day",
         "Select BillSerial From Bill Where BillCreateTime >= #2024-01-31 10:30# And BillIndex > 1 Order By "
         "BillIndex",
         "XS2;CG1");
    same("dates read back", "Select BillCreateTime From Bill Where BillIndex > 1 Order By BillCreateTime",
         "2024-01-05;2024-01-31 10:30:00;2024-02-01");
    same("yes and no values", "Select Count(*) From PrintReport Where ReportEnable = True", "2");
    same("unary plus in a grouping",
         "Select Sum(BillSum) From Bill Where BillIndex > 1 Group By +BillUser Order By Sum(BillSum)",
         "-100;6");
    same("null tests",
         "Select Count(*) From Bill Left Join MoneyTable On BillIndex = MoneyBill Where MoneyIndex Is Null",
         "3");
    same("abs and counts", "Select ABS(MoneySum) As MSum, MoneyIndex From MoneyTable Where MoneySum < 0",
         "50|4");
    // Intended differences: the server's collation ignores the case of every letter and the
    // width of full-width Latin letters; SQLite's NOCASE only that of ASCII letters.
    QTest::newRow("letter case beyond ASCII") << "Select Count(*) From Customer Where CustomerName = 'äPFEL'"
                                              << "0"
                                              << "1";
    QTest::newRow("full-width letters") << "Select Count(*) From Customer Where CustomerName = 'ＢＥＴＡ'"
                                        << "0"
                                        << "1";
}

void TestPgDialect::bothEngines() {
    QFETCH(QString, sql);
    QFETCH(QString, onSqlite);
    QFETCH(QString, onPostgres);
    QCOMPARE(Rows(file, sql), onSqlite);
    REQUIRE_SERVER(*server);
    QCOMPARE(Rows(onServer, sql), onPostgres);
}

// Rows added, changed and deleted through a query are stored by key on both engines, and the key
// the engine gives comes back into the open result.
void TestPgDialect::writeBack() {
    REQUIRE_SERVER(*server);
    for (DbConnection* connection : {&file, &onServer}) {
        Query q(connection);
        q.Open(QStringLiteral("Select * From Account Where AccountName = 'Cash'"));
        QCOMPARE(q.RecordCount(), 0);
        q.Insert();
        q.FieldByName(QStringLiteral("AccountName")).SetAsString(QStringLiteral("Cash"));
        q.FieldByName(QStringLiteral("AccountBase")).SetAsFloat(12.5);
        q.Post();
        const qint64 key = q.FieldByName(QStringLiteral("AccountIndex")).AsInteger();
        QVERIFY(key > 1);
        QCOMPARE(q.FieldNames().first(), QStringLiteral("AccountIndex"));
        q.Edit();
        q.FieldByName(QStringLiteral("AccountBase")).SetAsFloat(-3.25);
        q.Post();
        QCOMPARE(Rows(*connection,
                      QStringLiteral("Select AccountName, AccountBase From Account Where AccountIndex = ") +
                          SqlNumber(key)),
                 QStringLiteral("Cash|-3.25"));
        q.Open(QStringLiteral("Select * From Account Where AccountName = 'CASH'"));
        QCOMPARE(q.RecordCount(), 1);
        q.Delete();
        QCOMPARE(Rows(*connection, QStringLiteral("Select Count(*) From Account Where AccountIndex > 1")),
                 QStringLiteral("0"));
    }
}

// The program's session on the server compiles no statement to machine code: a shop's server does
// by default for a large statement, which then takes longer than running it.
void TestPgDialect::serverSession() {
    REQUIRE_SERVER(*server);
    QCOMPARE(Rows(onServer, QStringLiteral("Select current_setting('jit')")), QStringLiteral("off"));
}

void TestPgDialect::serverWithOtherDefaults_data() {
    QTest::addColumn<QStringList>("settings"); // of ALTER DATABASE ... SET
    const QStringList backslashes{"standard_conforming_strings = off", "backslash_quote = on",
                                  "escape_string_warning = off"};
    const QStringList others{"DateStyle = 'German, DMY'", "client_encoding = 'GBK'",
                             "search_path = elsewhere"};
    QTest::newRow("backslashes escape in texts") << backslashes;
    QTest::newRow("dates written day first") << QStringList{others[0]};
    QTest::newRow("texts sent in GBK") << QStringList{others[1]};
    QTest::newRow("tables looked for in another schema") << QStringList{others[2]};
    QTest::newRow("all of these") << backslashes + others;
}

// A server database whose defaults are the opposite of what the program's statements rely on (an
// administrator's choice): the session pins its own, so texts with backslashes and quotes are
// stored and found as typed, spliced or bound, no text runs as a statement, and the tables are the
// program's own.
void TestPgDialect::serverWithOtherDefaults() {
    QFETCH(QStringList, settings);
    ServerDatabase database;
    REQUIRE_SERVER(database);
    {
        DbConnection first;
        first.Server = database.ConnectionString();
        QVERIFY2(first.Open(), qPrintable(first.LastError()));
        // Another schema holds a table of the same name, as a trap for an unpinned search path.
        QSqlQuery raw(first.Database());
        for (const char* sql : {"CREATE SCHEMA elsewhere",
                                "CREATE TABLE elsewhere.Customer (CustomerIndex INTEGER, CustomerName TEXT)",
                                "INSERT INTO elsewhere.Customer VALUES (2, 'intruder')"})
            QVERIFY2(raw.exec(QLatin1String(sql)), qPrintable(raw.lastError().text()));
    }
    for (const QString& setting : settings)
        QCOMPARE(ServerDatabase::Administer(
                     QStringLiteral("ALTER DATABASE %1 SET %2").arg(database.Name(), setting)),
                 QString());

    DbConnection program;
    program.Server = database.ConnectionString();
    QVERIFY2(program.Open(), qPrintable(program.LastError()));
    QCOMPARE(Rows(program, QStringLiteral("Select current_setting('standard_conforming_strings'), "
                                          "current_setting('client_encoding'), current_setting('DateStyle'), "
                                          "current_schema()")),
             QStringLiteral("on|UTF8|ISO, YMD|public"));

    const QStringList typed{QStringLiteral("x\\'; CREATE TABLE injected(a int); --"),
                            QStringLiteral("C:\\new\\table\\"), QStringLiteral("O'Brien \\\\ 商行 \\'"),
                            QStringLiteral("\\x41\\u0042 E'\\n'")};
    Query q(&program);
    q.ExecSql(QStringLiteral("Insert Into Customer (CustomerName) Values ('before'), ('other')"));
    q.ExecSql(
        QStringLiteral("Insert Into Bill (BillKind, BillSerial, BillCreateTime, BillUser, BillSum) Values "
                       "('销售开单', 'XS1', #2024-03-05#, 'before', 1), "
                       "('销售开单', 'XS2', #2024-03-06#, 'other', 2)"));
    QString previous = QStringLiteral("before");
    for (const QString& name : typed) {
        // A rename as the customer editor writes it: spliced texts in one statement per table.
        q.ExecSql(QStringLiteral("Update Customer Set CustomerName = ") + SqlText(name) +
                  QStringLiteral(" Where CustomerName = ") + SqlText(previous));
        q.ExecSql(QStringLiteral("Update Bill Set BillUser = ") + SqlText(name) +
                  QStringLiteral(" Where BillUser = ") + SqlText(previous));
        QCOMPARE(Rows(program, QStringLiteral("Select CustomerName From Customer Where CustomerName = ") +
                                   SqlText(name)),
                 name);
        QCOMPARE(Rows(program, QStringLiteral("Select BillSerial From Bill Where (BillIndex > 1) And "
                                              "(InStr(BillUser,") +
                                   SqlText(name) + QStringLiteral("))")),
                 QStringLiteral("XS1"));
        // Bound through the data layer: the remark holds the same text.
        q.Open(QStringLiteral("Select * From Customer Where CustomerName = ") + SqlText(name));
        QCOMPARE(q.RecordCount(), 1);
        q.Edit();
        q.FieldByName(QStringLiteral("CustomerRemark")).SetAsString(name);
        q.Post();
        QCOMPARE(Rows(program, QStringLiteral("Select CustomerRemark From Customer Where CustomerName = ") +
                                   SqlText(name)),
                 name);
        previous = name;
    }
    QCOMPARE(Rows(program, QStringLiteral("Select BillUser, BillCreateTime From Bill Where BillIndex > 1 "
                                          "Order By BillIndex")),
             previous + QStringLiteral("|2024-03-05;other|2024-03-06"));
    QCOMPARE(Rows(program, QStringLiteral("Select Count(*) From Customer Where CustomerIndex > 1")),
             QStringLiteral("2"));
    QCOMPARE(Rows(program, QStringLiteral("Select Count(*) From information_schema.tables Where "
                                          "lower(table_name) = 'injected'")),
             QStringLiteral("0"));
    QCOMPARE(Rows(program, QStringLiteral("Select CustomerName From elsewhere.Customer")),
             QStringLiteral("intruder"));
}

void TestPgDialect::containsIgnoresCaseInAnyLocale_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("typed");
    QTest::newRow("Latin with accents") << "Émile Zola 商行"
                                        << "émile";
    QTest::newRow("full-width Latin") << "ＡＢＣ公司"
                                      << "ａｂｃ";
    QTest::newRow("umlaut in capitals") << "ÄPFEL GmbH"
                                        << "äpfel";
    QTest::newRow("Greek") << "ΑΘΗΝΑ 贸易"
                           << "αθηνα";
    QTest::newRow("Cyrillic") << "МОСКВА"
                              << "москва";
    QTest::newRow("typed in capitals") << "émile zola"
                                       << "ÉMILE";
}

// In a server database made with lc_ctype 'C' the "contains" criteria still ignore the letter case of
// every alphabet, as on the database file; names compare without regard to case on the server.
void TestPgDialect::containsIgnoresCaseInAnyLocale() {
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    ServerDatabase database(QStringLiteral("LC_CTYPE 'C' LC_COLLATE 'C'"));
    REQUIRE_SERVER(database);
    DbConnection onC;
    onC.Server = database.ConnectionString();
    QVERIFY2(onC.Open(), qPrintable(onC.LastError()));
    QCOMPARE(Rows(onC, QStringLiteral("Select current_setting('lc_ctype')")), QStringLiteral("C"));
    QTemporaryDir here;
    const QString path = here.filePath(QStringLiteral("Kestrel.mdb"));
    QCOMPARE(Schema::CreateDatabase(path), QString());
    DbConnection onFile;
    onFile.ConnectionString = BuildConnectionString(path, QString());
    QVERIFY2(onFile.Open(), qPrintable(onFile.LastError()));
    for (DbConnection* connection : {&onFile, &onC}) {
        Query q(connection);
        q.ExecSql(QStringLiteral("Insert Into Customer (CustomerName) Values (%1), ('other')")
                      .arg(SqlText(stored)));
        q.ExecSql(QStringLiteral("Insert Into Bill (BillKind, BillUser, BillSum) Values ('销售开单', %1, 5)")
                      .arg(SqlText(stored)));
        const QString name = connection == &onC ? QStringLiteral("server") : QStringLiteral("file");
        // The customer search and the document query write " And (InStr(field,'text'))".
        QVERIFY2(
            Rows(*connection, QStringLiteral("Select CustomerName From Customer Where (CustomerIndex > 1) "
                                             "And (InStr(CustomerName,") +
                                  SqlText(typed) + QStringLiteral("))")) == stored,
            qPrintable(name));
        QVERIFY2(Rows(*connection, QStringLiteral("Select Count(*) From Bill Where InStr(BillUser, ") +
                                       SqlText(typed) + QStringLiteral(") > 0")) == QStringLiteral("1"),
                 qPrintable(name));
    }
    // On the server patterns and equal names ignore the case of every alphabet as well.
    QCOMPARE(Rows(onC, QStringLiteral("Select CustomerName From Customer Where CustomerName Like ") +
                           SqlText(QLatin1Char('%') + typed + QLatin1Char('%'))),
             stored);
    QCOMPARE(Rows(onC, QStringLiteral("Select Count(*) From Customer Where CustomerName = ") +
                           SqlText(stored.toUpper())),
             QStringLiteral("1"));
}

// A server database that does not keep texts in UTF-8 cannot hold the books: it is refused with the
// way to make one that can, and nothing is written into it.
void TestPgDialect::databaseNotInUtf8IsRefused() {
    ServerDatabase database(QStringLiteral("ENCODING 'SQL_ASCII' LC_CTYPE 'C' LC_COLLATE 'C'"));
    REQUIRE_SERVER(database);
    DbConnection connection;
    connection.Server = database.ConnectionString();
    QVERIFY(!connection.Open());
    QVERIFY2(connection.LastError().contains(QStringLiteral("SQL_ASCII")) &&
                 connection.LastError().contains(QStringLiteral("createdb --owner=kestrel --encoding=UTF8")),
             qPrintable(connection.LastError()));
    QVERIFY(!connection.Connected());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("look"));
    QString problem;
    db.setConnectOptions(PgBackend::ConnectOptions(database.ConnectionString(), &problem));
    QVERIFY(db.open());
    {
        QSqlQuery tables(db);
        QVERIFY(
            tables.exec(QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE table_schema = "
                                       "'public'")));
        QVERIFY(tables.next());
        QCOMPARE(tables.value(0).toInt(), 0);
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("look"));
}

// The received amount that the document query writes for the received and the open amount is
// totalled once per document on the server, not at each place.
void TestPgDialect::documentTotalledOnce() {
    REQUIRE_SERVER(*server);
    const QString got = QStringLiteral(
        "(Select IIF(Round(Sum(MoneySum),2) Is Null,0,Round(Sum(MoneySum),2)) From MoneyTable Where "
        "MoneyTable.MoneyBill = Bill.BillIndex)");
    const QString sql = "Select BillIndex, " + got + " As BillGet, BillSum-" + got +
                        " As BillOwe From Bill Where (BillIndex > 1) Order By BillCreateTime,BillIndex";
    const QString plan = Rows(onServer, "Explain " + ToPostgresSql(sql));
    // Each scan of the vouchers is a plan line "… on moneytable".
    const QRegularExpression scan(QStringLiteral("\\bon moneytable\\b"),
                                  QRegularExpression::CaseInsensitiveOption);
    QCOMPARE(plan.count(scan), 1);
}

QTEST_GUILESS_MAIN(TestPgDialect)
#include "tst_pgdialect.moc"
