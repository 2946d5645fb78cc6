#include "foundation/JetSql.h"

#include <QTest>
#include <cmath>
#include <sqlite3.h>

// The Jet dialect adapter: spliced values, date literals and Jet's Round and InStr.
class TestJetSql : public QObject {
    Q_OBJECT
private slots:
    void sqlText_data();
    void sqlText();
    void sqlDate_data();
    void sqlDate();
    void sqlNumber_data();
    void sqlNumber();
    void toEngineSql_data();
    void toEngineSql();
    void storedDates_data();
    void storedDates();
    void jetRound_data();
    void jetRound();
    void jetInStr_data();
    void jetInStr();
    void utf8InStrAgreesWithJetInStr_data();
    void utf8InStrAgreesWithJetInStr();
};

void TestJetSql::sqlText_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << QStringLiteral("abc") << QStringLiteral("'abc'");
    QTest::newRow("empty") << QString() << QStringLiteral("''");
    QTest::newRow("one quote") << QStringLiteral("O'Brien") << QStringLiteral("'O''Brien'");
    QTest::newRow("only quotes") << QStringLiteral("''") << QStringLiteral("''''''");
    QTest::newRow("injection") << QStringLiteral("x' Or '1'='1") << QStringLiteral("'x'' Or ''1''=''1'");
    QTest::newRow("chinese") << QStringLiteral("岚峰'贸易") << QStringLiteral("'岚峰''贸易'");
    QTest::newRow("double quote kept") << QStringLiteral("a\"b") << QStringLiteral("'a\"b'");
    QTest::newRow("date literal kept") << QStringLiteral("#2020-01-01#") << QStringLiteral("'#2020-01-01#'");
}

void TestJetSql::sqlText() {
    QFETCH(QString, value);
    QFETCH(QString, expected);
    QCOMPARE(SqlText(value), expected);
    // Whatever the value, the adapter leaves a quoted text as it is.
    QCOMPARE(ToEngineSql(SqlText(value)), expected);
}

void TestJetSql::sqlDate_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("expected");
    QTest::newRow("padded") << QDate(2008, 1, 5) << QStringLiteral("#2008-01-05#");
    QTest::newRow("end of year") << QDate(2020, 12, 31) << QStringLiteral("#2020-12-31#");
    QTest::newRow("leap day") << QDate(2024, 2, 29) << QStringLiteral("#2024-02-29#");
}

void TestJetSql::sqlDate() {
    QFETCH(QDate, date);
    QFETCH(QString, expected);
    QCOMPARE(SqlDate(date), expected);
    QCOMPARE(ToEngineSql(SqlDate(date)), QStringLiteral("'%1'").arg(date.toString(Qt::ISODate)));
}

void TestJetSql::sqlNumber_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("whole") << 100.0 << QStringLiteral("100");
    QTest::newRow("decimal") << 12.5 << QStringLiteral("12.5");
    QTest::newRow("negative") << -1234.56 << QStringLiteral("-1234.56");
    QTest::newRow("not exact in binary") << 0.1 << QStringLiteral("0.1");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0");
    QTest::newRow("large") << 123456789012.34 << QStringLiteral("123456789012.34");
}

void TestJetSql::sqlNumber() {
    QFETCH(double, value);
    QFETCH(QString, expected);
    const QString text = SqlNumber(value);
    QCOMPARE(text, expected);
    // The text reads back as the very same double, in the C locale.
    bool ok = false;
    QCOMPARE(text.toDouble(&ok), value);
    QVERIFY(ok);
    QVERIFY(!text.contains(QLatin1Char(',')));
}

void TestJetSql::toEngineSql_data() {
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("engine");
    QTest::newRow("no literal") << QStringLiteral("Select * From Bill Where (BillIndex > 1)")
                                << QStringLiteral("Select * From Bill Where (BillIndex > 1)");
    QTest::newRow("date") << QStringLiteral("Where BillCreateTime <= #2020-01-05#")
                          << QStringLiteral("Where BillCreateTime <= '2020-01-05'");
    QTest::newRow("short month and day")
        << QStringLiteral("Where D = #2020-1-5#") << QStringLiteral("Where D = '2020-01-05'");
    QTest::newRow("slashes") << QStringLiteral("Where D = #2020/01/05#")
                             << QStringLiteral("Where D = '2020-01-05'");
    QTest::newRow("between") << QStringLiteral("D Between #2020-01-01# And #2020-01-31#")
                             << QStringLiteral("D Between '2020-01-01' And '2020-01-31'");
    QTest::newRow("time of day") << QStringLiteral("D < #2020-01-05 10:30#")
                                 << QStringLiteral("D < '2020-01-05 10:30:00'");
    QTest::newRow("time with seconds")
        << QStringLiteral("D < #2020-01-05 08:05:09#") << QStringLiteral("D < '2020-01-05 08:05:09'");
    QTest::newRow("midnight is the date")
        << QStringLiteral("D = #2020-01-05 00:00:00#") << QStringLiteral("D = '2020-01-05'");
    QTest::newRow("inside a text literal")
        << QStringLiteral("Where R = '#2020-01-01#'") << QStringLiteral("Where R = '#2020-01-01#'");
    QTest::newRow("inside a text with doubled quote")
        << QStringLiteral("Where R = 'it''s #2020-01-01#' And D = #2020-01-02#")
        << QStringLiteral("Where R = 'it''s #2020-01-01#' And D = '2020-01-02'");
    QTest::newRow("inside a double-quoted text")
        << QStringLiteral("Where R = \"#2020-01-01#\"") << QStringLiteral("Where R = \"#2020-01-01#\"");
    QTest::newRow("not a date") << QStringLiteral("Where R = #abc# Or X = 1")
                                << QStringLiteral("Where R = #abc# Or X = 1");
    QTest::newRow("impossible date") << QStringLiteral("D = #2020-02-30#")
                                     << QStringLiteral("D = #2020-02-30#");
    QTest::newRow("lone hash") << QStringLiteral("Select 1 # 2") << QStringLiteral("Select 1 # 2");
    QTest::newRow("hash then date") << QStringLiteral("# D = #2020-01-05#")
                                    << QStringLiteral("# D = '2020-01-05'");
    QTest::newRow("unterminated text")
        << QStringLiteral("Where R = '#2020-01-01#") << QStringLiteral("Where R = '#2020-01-01#");
    QTest::newRow("chinese around") << QStringLiteral("Where BillUser = '岚峰' And D = #2020-01-05#")
                                    << QStringLiteral("Where BillUser = '岚峰' And D = '2020-01-05'");
}

void TestJetSql::toEngineSql() {
    QFETCH(QString, jet);
    QFETCH(QString, engine);
    QCOMPARE(ToEngineSql(jet), engine);
}

void TestJetSql::storedDates_data() {
    QTest::addColumn<QDateTime>("value");
    QTest::addColumn<QString>("stored");
    QTest::newRow("date only") << QDateTime(QDate(2020, 1, 5), QTime(0, 0)) << QStringLiteral("2020-01-05");
    QTest::newRow("time of day") << QDateTime(QDate(2020, 1, 5), QTime(9, 8, 7))
                                 << QStringLiteral("2020-01-05 09:08:07");
    QTest::newRow("invalid") << QDateTime() << QString();
}

void TestJetSql::storedDates() {
    QFETCH(QDateTime, value);
    QFETCH(QString, stored);
    QCOMPARE(StoredDateText(value), stored);
    if (value.isValid()) {
        QCOMPARE(StoredDateText(value.date()), value.date().toString(Qt::ISODate));
        QCOMPARE(ParseStoredDate(stored), value);
    } else {
        QVERIFY(!ParseStoredDate(stored).isValid());
    }
}

void TestJetSql::jetRound_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("expected");
    QTest::newRow("2.5 to even") << 2.5 << 0 << 2.0;
    QTest::newRow("3.5 to even") << 3.5 << 0 << 4.0;
    QTest::newRow("0.5 to even") << 0.5 << 0 << 0.0;
    QTest::newRow("-2.5 to even") << -2.5 << 0 << -2.0;
    QTest::newRow("-1.5 to even") << -1.5 << 0 << -2.0;
    QTest::newRow("0.125 to even") << 0.125 << 2 << 0.12;
    QTest::newRow("-0.125 to even") << -0.125 << 2 << -0.12;
    // The scaled double decides: 0.135 * 100 and 2.675 * 100 are exactly halfway, 1.005 * 100 and
    // 0.285 * 100 fall below half.
    QTest::newRow("0.135") << 0.135 << 2 << 0.14;
    QTest::newRow("2.675") << 2.675 << 2 << 2.68;
    QTest::newRow("1.005") << 1.005 << 2 << 1.0;
    QTest::newRow("0.285") << 0.285 << 2 << 0.28;
    QTest::newRow("12.345") << 12.345 << 2 << 12.34;
    QTest::newRow("plain") << 1234.5678 << 2 << 1234.57;
    QTest::newRow("whole") << 100.0 << 2 << 100.0;
    QTest::newRow("huge stays") << 1e306 << 4 << 1e306;
}

void TestJetSql::jetRound() {
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(double, expected);
    QCOMPARE(JetRound(value, decimals), expected);
}

void TestJetSql::jetInStr_data() {
    QTest::addColumn<QString>("haystack");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("expected");
    QTest::newRow("found") << QStringLiteral("abc") << QStringLiteral("b") << 1 << 2;
    QTest::newRow("case ignored") << QStringLiteral("ABC") << QStringLiteral("bc") << 1 << 2;
    QTest::newRow("case ignored other way") << QStringLiteral("xyz") << QStringLiteral("XYZ") << 1 << 1;
    QTest::newRow("absent") << QStringLiteral("abc") << QStringLiteral("d") << 1 << 0;
    QTest::newRow("empty haystack") << QString() << QStringLiteral("a") << 1 << 0;
    QTest::newRow("first of two") << QStringLiteral("aXbX") << QStringLiteral("x") << 1 << 2;
    QTest::newRow("from a start") << QStringLiteral("aXbX") << QStringLiteral("x") << 3 << 4;
    QTest::newRow("start past the end") << QStringLiteral("abc") << QStringLiteral("a") << 9 << 0;
    QTest::newRow("chinese") << QStringLiteral("业务管理；财务管理；") << QStringLiteral("财务管理") << 1
                             << 6;
    QTest::newRow("chinese then latin") << QStringLiteral("中文ABC") << QStringLiteral("abc") << 1 << 3;
    QTest::newRow("empty needle") << QStringLiteral("abc") << QString() << 1 << 1;
}

void TestJetSql::jetInStr() {
    QFETCH(QString, haystack);
    QFETCH(QString, needle);
    QFETCH(int, start);
    QFETCH(int, expected);
    QCOMPARE(JetInStr(haystack, needle, start), expected);
}

void TestJetSql::utf8InStrAgreesWithJetInStr_data() {
    QTest::addColumn<QString>("haystack");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<bool>("byBytes"); // whether the bytes alone answer
    QTest::newRow("serial in a row image")
        << QStringLiteral("{\"BillSerial\":\"XS1000007\",\"BillUser\":\"客户9\"}") << "xs1000007" << true;
    QTest::newRow("other case") << QStringLiteral("华东贸易 Acme Ltd") << "ACME" << true;
    QTest::newRow("after chinese") << QStringLiteral("中文ABC") << "abc" << true;
    QTest::newRow("after a character beyond the basic plane") << QStringLiteral("𠀋x𠀋abc") << "ABC" << true;
    QTest::newRow("absent") << QStringLiteral("华东贸易") << "abc" << true;
    QTest::newRow("needle longer") << QStringLiteral("ab") << "abc" << true;
    QTest::newRow("at the very end") << QStringLiteral("客户976") << "976" << true;
    QTest::newRow("empty haystack") << QString() << "a" << true;
    QTest::newRow("partial first") << QStringLiteral("aab aabc") << "aabc" << true;
    QTest::newRow("kelvin sign") << QStringLiteral("5 \u212A 公斤") << "k" << false;
    QTest::newRow("kelvin sign, needle without k") << QStringLiteral("5 \u212A 公斤 ab") << "ab" << true;
    QTest::newRow("long s") << QStringLiteral("Cla\u017Fs") << "ss" << false;
    QTest::newRow("dotted capital i") << QStringLiteral("\u0130stanbul") << "istanbul" << false;
    QTest::newRow("chinese needle") << QStringLiteral("业务管理；财务管理；") << QStringLiteral("财务")
                                    << false;
}

void TestJetSql::utf8InStrAgreesWithJetInStr() {
    QFETCH(QString, haystack);
    QFETCH(QString, needle);
    QFETCH(bool, byBytes);
    const int expected = JetInStr(haystack, needle);
    const int bytes = Utf8InStr(haystack.toUtf8(), needle.toUtf8());
    QCOMPARE(bytes >= 0, byBytes);
    if (byBytes)
        QCOMPARE(bytes, expected);
    // Through the engine, either way, the answer is JetInStr's.
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(":memory:", &db), SQLITE_OK);
    QVERIFY(RegisterJetFunctions(db));
    sqlite3_stmt* statement = nullptr;
    QCOMPARE(sqlite3_prepare_v2(db, "SELECT InStr(?1, ?2)", -1, &statement, nullptr), SQLITE_OK);
    const QByteArray h = haystack.toUtf8(), n = needle.toUtf8();
    sqlite3_bind_text(statement, 1, h.constData(), int(h.size()), SQLITE_STATIC);
    sqlite3_bind_text(statement, 2, n.constData(), int(n.size()), SQLITE_STATIC);
    QCOMPARE(sqlite3_step(statement), SQLITE_ROW);
    QCOMPARE(sqlite3_column_int(statement, 0), expected);
    sqlite3_finalize(statement);
    sqlite3_close(db);
}

QTEST_GUILESS_MAIN(TestJetSql)
#include "tst_jetsql.moc"
