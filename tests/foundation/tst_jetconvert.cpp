#include "foundation/Connection.h"
#include "foundation/JetConvert.h"
#include "foundation/Leftovers.h"
#include "foundation/PublicFunction.h"
#include "foundation/Query.h"
#include "foundation/Schema.h"
#include "support/FakeJetBooks.h"
#include "support/ServerDatabase.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

// Books kept in the Jet format converted into this program's: through the same interface as the
// Jet files, with books in memory in the shape of ours, on both engines; and on the Jet 3 sample,
// which is not a set of books of this program.
class TestJetConvert : public QObject {
    Q_OBJECT
private slots:
    void valuesConverted_data();
    void valuesConverted();
    void targetsOfTheSchema_data();
    void targetsOfTheSchema();
    void shopBooksConverted_data();
    void shopBooksConverted();
    void namesMatchWithoutLetterCase();
    void missingAndUnknownAreNamed_data();
    void missingAndUnknownAreNamed();
    void sampleFileIsRefusedNamingTheMissingTables();
    void badValueLeavesNoBooks_data();
    void badValueLeavesNoBooks();
    void cancelLeavesNoBooks();
    void convertedInPlaceKeepsTheJetFile();
    void targetWithRecordsIsRefused();
    void largeBooksConvertQuickly();
    void killedConversionLeavesTheJetFileOrWholeBooks();
};

namespace {

using T = Jet::ColumnType;
using JetConvert::Target;

QString Fixture(const char* name) {
    return QStringLiteral(KESTREL_TESTS_DIR "/foundation/data/jet/") + QLatin1String(name);
}

// One value of the books as text, "NULL" for NULL.
QString ValueOf(DbConnection& connection, const QString& sql) {
    Query q(&connection);
    q.Open(sql);
    if (q.RecordCount() == 0)
        return QStringLiteral("(no row)");
    return q.Fields(0).IsNull() ? QStringLiteral("NULL") : q.Fields(0).AsString();
}

bool OpenFile(DbConnection& connection, const QString& path) {
    connection.ConnectionString = BuildConnectionString(path, QString());
    return connection.Open();
}

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

void TestJetConvert::valuesConverted_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<bool>("fits");
    const auto row = [](const char* name, QVariant value, T from, Target to, QVariant expected,
                        bool fits = true) {
        QTest::newRow(name) << value << int(from) << int(to) << expected << fits;
    };
    row("currency to real keeps cents", 1234.56, T::Currency, Target::Real, 1234.56);
    row("currency of four decimals", 0.0001, T::Currency, Target::Real, 0.0001);
    row("double to real", -98765.4321, T::Double, Target::Real, -98765.4321);
    row("NULL stays NULL", QVariant(), T::Currency, Target::Real, QVariant());
    row("date without time", FakeShop::Day(2019, 3, 1), T::DateTime, Target::Date, "2019-03-01");
    row("date with time", FakeShop::Day(2020, 1, 2, 13, 45, 5), T::DateTime, Target::Date,
        "2020-01-02 13:45:05");
    row("date before 1900", FakeShop::Day(1898, 1, 1), T::DateTime, Target::Date, "1898-01-01");
    row("date in 9999", FakeShop::Day(9999, 12, 31), T::DateTime, Target::Date, "9999-12-31");
    row("date out of range", QDateTime(), T::DateTime, Target::Date, QVariant(), false);
    row("yes", true, T::Boolean, Target::YesNo, 1);
    row("no", false, T::Boolean, Target::YesNo, 0);
    row("Jet's -1 for yes", -1, T::Integer, Target::YesNo, 1);
    row("byte to integer", 4, T::Byte, Target::Integer, 4);
    row("whole double to integer", 17.0, T::Double, Target::Integer, 17);
    row("fraction to integer", 17.5, T::Double, Target::Integer, QVariant(), false);
    row("number text to integer", " 42 ", T::Text, Target::Integer, 42);
    row("word to integer", "四十二", T::Text, Target::Integer, QVariant(), false);
    row("empty text to real", "", T::Text, Target::Real, QVariant());
    row("text to real", "12.30", T::Text, Target::Real, 12.3);
    row("word to real", "abc", T::Text, Target::Real, QVariant(), false);
    row("Chinese text", "杭州岚峰贸易有限公司", T::Text, Target::Text, "杭州岚峰贸易有限公司");
    row("memo with line breaks", "一\r\n二", T::Memo, Target::Text, "一\r\n二");
    row("empty text stays empty", "", T::Text, Target::Text, "");
    row("long number to text", 100003, T::LongInteger, Target::Text, "100003");
}

void TestJetConvert::valuesConverted() {
    QFETCH(QVariant, value);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QVariant, expected);
    QFETCH(bool, fits);
    QVariant out;
    QString problem;
    QCOMPARE(JetConvert::ConvertValue(value, T(from), Target(to), &out, &problem), fits);
    QCOMPARE(problem.isEmpty(), fits);
    if (!fits)
        return;
    QCOMPARE(out.isValid(), expected.isValid());
    if (expected.typeId() == QMetaType::Double)
        QCOMPARE(out.toDouble(), expected.toDouble());
    else if (expected.isValid())
        QCOMPARE(out.toString(), expected.toString());
}

void TestJetConvert::targetsOfTheSchema_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("target");
    QTest::newRow("key") << "Bill"
                         << "BillIndex" << int(Target::Integer);
    QTest::newRow("amount") << "MoneyTable"
                            << "MoneySum" << int(Target::Real);
    QTest::newRow("document date") << "Bill"
                                   << "BillCreateTime" << int(Target::Date);
    QTest::newRow("voucher date, any case") << "moneytable"
                                            << "moneyrecordtime" << int(Target::Date);
    QTest::newRow("name") << "Customer"
                          << "CustomerName" << int(Target::Text);
    QTest::newRow("yes/no") << "PrintReport"
                            << "ReportEnable" << int(Target::YesNo);
    QTest::newRow("pick list") << "Parameter"
                               << "ParameterType" << int(Target::Integer);
}

void TestJetConvert::targetsOfTheSchema() {
    QFETCH(QString, table);
    QFETCH(QString, column);
    QTEST(int(JetConvert::TargetOf(table, column)), "target");
}

void TestJetConvert::shopBooksConverted_data() {
    QTest::addColumn<bool>("server");
    QTest::newRow("file") << false;
    QTest::newRow("server") << true;
}

void TestJetConvert::shopBooksConverted() {
    QFETCH(bool, server);
    FakeJetBooks books;
    FakeShop::AddShopBooks(books, 30, 40);
    QTemporaryDir folder;
    DbConnection to;
    ServerDatabase database;
    JetConvert::Outcome outcome;
    if (server) {
        REQUIRE_SERVER(database);
        to.Server = database.ConnectionString();
        QVERIFY2(to.Open(), qPrintable(to.LastError()));
        outcome = JetConvert::Convert(books, JetConvert::MakePlan(books), to);
    } else {
        const QString path = folder.filePath(QStringLiteral("Kestrel.mdb"));
        outcome = JetConvert::ConvertToFile(books, path);
        QVERIFY2(outcome.Ok, qPrintable(outcome.Problem));
        QCOMPARE(FilesIn(folder.path()), QStringList{QStringLiteral("Kestrel.mdb")});
        QVERIFY2(OpenFile(to, path), qPrintable(to.LastError()));
    }
    QVERIFY2(outcome.Ok, qPrintable(outcome.Problem));

    // Keys with their gaps, Chinese names, cents, NULLs.
    QCOMPARE(ValueOf(to, QStringLiteral("Select Count(*) From Customer")), QStringLiteral("4"));
    QCOMPARE(ValueOf(to, QStringLiteral("Select CustomerName From Customer Where CustomerIndex = 2")),
             QStringLiteral("杭州岚峰贸易有限公司"));
    QCOMPARE(ValueOf(to, QStringLiteral("Select CustomerOwe From Customer Where CustomerIndex = 2")),
             QStringLiteral("1234.56"));
    QCOMPARE(ValueOf(to, QStringLiteral("Select CustomerOwe From Customer Where CustomerIndex = 5")),
             QStringLiteral("-0.01"));
    QCOMPARE(ValueOf(to, QStringLiteral("Select CustomerName From Customer Where CustomerIndex = 9")),
             QStringLiteral("Müller & Söhne"));
    QCOMPARE(ValueOf(to, QStringLiteral("Select CustomerRemark From Customer Where CustomerIndex = 2")),
             QStringLiteral("老客户\r\n月结"));
    QCOMPARE(ValueOf(to, QStringLiteral("Select CustomerFax From Customer Where CustomerIndex = 2")),
             QStringLiteral("NULL"));
    QCOMPARE(ValueOf(to, QStringLiteral("Select CustomerFax From Customer Where CustomerIndex = 5")),
             QString());
    // Documents: back-dated, with a time of day when they had one, amounts to the cent, signs kept.
    QCOMPARE(ValueOf(to, QStringLiteral("Select BillCreateTime From Bill Where BillIndex = 3")),
             QStringLiteral("2001-01-02"));
    QCOMPARE(ValueOf(to, QStringLiteral("Select BillCreateTime From Bill Where BillIndex = 15")),
             QStringLiteral("2001-01-08 13:45:00"));
    QCOMPARE(ValueOf(to, QStringLiteral("Select BillSum From Bill Where BillIndex = 13")),
             QStringLiteral("-6.5")); // a purchase: 6 + 0.5
    QCOMPARE(ValueOf(to, QStringLiteral("Select BillKind From Bill Where BillIndex = 13")),
             QStringLiteral("采购开单"));
    QCOMPARE(ValueOf(to, QStringLiteral("Select BillState From Bill Where BillIndex = 11")),
             QStringLiteral("NULL"));
    QCOMPARE(ValueOf(to, QStringLiteral("Select Count(*) From Bill Where BillCreateTime <= '2001-01-07'")),
             QStringLiteral("6")); // dates compare as the program's date texts
    QCOMPARE(
        ValueOf(to, QStringLiteral("Select Round(Sum(MoneySum), 2) From MoneyTable Where MoneyIndex > 1")),
        QStringLiteral("20.2")); // 20 vouchers of +i and 20 of -i, plus cents
    // Keys that the Jet books did not have are numbered; yes/no as the program writes it.
    QCOMPARE(
        ValueOf(to, QStringLiteral("Select ParameterIndex From Parameter Where ParameterValue = '已发货'")),
        QStringLiteral("4"));
    QCOMPARE(ValueOf(to, QStringLiteral("Select Count(*) From PrintReport Where ReportEnable = 1")),
             QStringLiteral("1"));
    QCOMPARE(ValueOf(to, QStringLiteral("Select ReportGrid1 From PrintReport Where ReportEnable = 0")),
             QStringLiteral("NULL"));
    QCOMPARE(ValueOf(to, QStringLiteral("Select PowerKey From Power Where PowerName = '管理员'")),
             QStringLiteral("密码"));
    QCOMPARE(ValueOf(to, QStringLiteral("Select SettingValue From Setting Where SettingIndex = 3")),
             QStringLiteral("SK100004"));
    // The initial rows of a new set of books are gone: only what the Jet books held.
    QCOMPARE(ValueOf(to, QStringLiteral("Select Count(*) From Parameter")), QStringLiteral("4"));
    QCOMPARE(ValueOf(to, QStringLiteral("Select Count(*) From Power")), QStringLiteral("21"));

    // New records get keys past the largest one.
    Query q(&to);
    q.ExecSql(QStringLiteral("Insert Into Customer (CustomerName) Values ('新客户')"));
    QCOMPARE(ValueOf(to, QStringLiteral("Select CustomerIndex From Customer Where CustomerName = '新客户'")),
             QStringLiteral("10"));
    q.ExecSql(QStringLiteral("Insert Into Bill (BillKind) Values ('销售开单')"));
    QCOMPARE(ValueOf(to, QStringLiteral("Select Max(BillIndex) From Bill")), QStringLiteral("62"));
    q.ExecSql(QStringLiteral("Insert Into Parameter (ParameterType, ParameterValue) Values (1, '新')"));
    QVERIFY(ValueOf(to, QStringLiteral("Select ParameterIndex From Parameter Where ParameterValue = '新'"))
                .toInt() > 4);

    // The comparison shown to the user.
    const QString summary = JetConvert::Summary(outcome.Figures);
    QVERIFY2(summary.startsWith(QStringLiteral("客户 4 条，起初欠款合计 1,234.65")), qPrintable(summary));
    QVERIFY2(summary.contains(QStringLiteral("业务单据 31 条")), qPrintable(summary));
    QVERIFY2(summary.contains(QStringLiteral("财务单据 41 条")), qPrintable(summary));
    to.Close();
}

void TestJetConvert::namesMatchWithoutLetterCase() {
    FakeJetBooks books;
    FakeShop::AddShopBooks(books);
    books.Find(QStringLiteral("Customer"))->Name = QStringLiteral("CUSTOMER");
    books.Find(QStringLiteral("Bill"))->Columns[6].Name = QStringLiteral("billsum");
    const JetConvert::Plan plan = JetConvert::MakePlan(books);
    QCOMPARE(JetConvert::RefusalOf(plan), QString());
    QCOMPARE(plan.Tables[0].Source, QStringLiteral("CUSTOMER"));
    QCOMPARE(plan.Tables[0].Table, QStringLiteral("Customer"));
    QVERIFY(plan.Tables[1].Columns.contains(QStringLiteral("BillSum")));
    QVERIFY(plan.Unknown.isEmpty());
}

void TestJetConvert::missingAndUnknownAreNamed_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("refusalNames");
    QTest::addColumn<QStringList>("unknown");
    QTest::newRow("table missing") << "drop MoneyTable" << QStringList{"MoneyTable"} << QStringList();
    QTest::newRow("column missing") << "drop Bill.BillSum" << QStringList{"Bill.BillSum"} << QStringList();
    QTest::newRow("key missing") << "drop Customer.CustomerIndex" << QStringList{"Customer.CustomerIndex"}
                                 << QStringList();
    QTest::newRow("type unfit") << "ole Bill.BillSum" << QStringList{"Bill.BillSum（OLE 对象或其他）"}
                                << QStringList();
    QTest::newRow("unknown table and column")
        << "extra" << QStringList() << QStringList{"Bill.Photo", "客户照片"};
}

void TestJetConvert::missingAndUnknownAreNamed() {
    QFETCH(QString, change);
    QFETCH(QStringList, refusalNames);
    QFETCH(QStringList, unknown);
    FakeJetBooks books;
    FakeShop::AddShopBooks(books);
    const QString what = change.section(QLatin1Char(' '), 1);
    if (change.startsWith(QLatin1String("drop ")) && !what.contains(QLatin1Char('.')))
        books.Remove(what);
    if (what.contains(QLatin1Char('.'))) {
        FakeJetBooks::Table* table = books.Find(what.section(QLatin1Char('.'), 0, 0));
        for (Jet::Column& column : table->Columns) {
            if (column.Name != what.section(QLatin1Char('.'), 1))
                continue;
            if (change.startsWith(QLatin1String("drop")))
                column.Name = QStringLiteral("Other");
            else
                column.Type = T::Unsupported;
        }
    }
    if (change == QLatin1String("extra")) {
        books.Find(QStringLiteral("Bill"))
            ->Columns.append(Jet::Column{QStringLiteral("Photo"), T::Unsupported});
        books.Add(QStringLiteral("客户照片"), FakeShop::Columns({{"Picture", T::Unsupported}}),
                  QList<QVariantList>());
    }
    const JetConvert::Plan plan = JetConvert::MakePlan(books);
    const QString refusal = JetConvert::RefusalOf(plan);
    QCOMPARE(refusal.isEmpty(), refusalNames.isEmpty());
    for (const QString& name : refusalNames)
        QVERIFY2(refusal.contains(name), qPrintable(refusal));
    for (const QString& name : unknown) {
        QVERIFY2(plan.Unknown.contains(name), qPrintable(plan.Unknown.join(QLatin1Char(','))));
        QVERIFY(JetConvert::LeftOutNote(plan).contains(name));
    }
    if (change == QLatin1String("extra")) {
        // Left out, and the rest converted.
        QTemporaryDir folder;
        const JetConvert::Outcome outcome =
            JetConvert::ConvertToFile(books, folder.filePath(QStringLiteral("Kestrel.mdb")));
        QVERIFY2(outcome.Ok, qPrintable(outcome.Problem));
    }
}

void TestJetConvert::sampleFileIsRefusedNamingTheMissingTables() {
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("Kestrel.mdb"));
    const JetConvert::Outcome outcome = JetConvert::ConvertToFile(Fixture("nwind.mdb"), target);
    QVERIFY(!outcome.Ok);
    // Every table of the books but the change history, which the program keeps on its own.
    for (const QString& table : Schema::TableNames()) {
        if (table != QLatin1String("History"))
            QVERIFY2(outcome.Problem.contains(table), qPrintable(table + QLatin1Char(' ') + outcome.Problem));
    }
    QVERIFY2(outcome.Problem.contains(QStringLiteral("不认识的数据表或字段：Order Details、Orders")),
             qPrintable(outcome.Problem));
    QVERIFY(outcome.Problem.contains(QStringLiteral("Umsätze")));
    QVERIFY(FilesIn(folder.path()).isEmpty());
    // The Jet 4 file does not hold the books either.
    QVERIFY(!JetConvert::ConvertToFile(Fixture("DateTestDatabase.mdb"), target).Ok);
    QVERIFY(FilesIn(folder.path()).isEmpty());
}

void TestJetConvert::badValueLeavesNoBooks_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("column");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("problem");
    QTest::newRow("text in an amount") << "Account" << 2 << QVariant("一万") << "“一万”不是数值";
    QTest::newRow("duplicate key") << "Account" << 0 << QVariant(2) << "Account";
    QTest::newRow("date out of range") << "Bill" << 3 << QVariant(QDateTime()) << "日期超出范围";
}

void TestJetConvert::badValueLeavesNoBooks() {
    QFETCH(QString, table);
    QFETCH(int, column);
    QFETCH(QVariant, value);
    FakeJetBooks books;
    FakeShop::AddShopBooks(books);
    FakeJetBooks::Table* t = books.Find(table);
    if (table == QLatin1String("Account"))
        t->Columns[2].Type = T::Text; // an amount kept as text: each value must still be a number
    t->Row = [old = t->Row, column, value](qint64 i) {
        QVariantList row = old(i);
        if (i == 2)
            row[column] = value;
        return row;
    };
    QTemporaryDir folder;
    const JetConvert::Outcome outcome =
        JetConvert::ConvertToFile(books, folder.filePath(QStringLiteral("K.mdb")));
    QVERIFY(!outcome.Ok);
    QVERIFY2(outcome.Problem.contains(QStringLiteral("没有改动")), qPrintable(outcome.Problem));
    QFETCH(QString, problem);
    QVERIFY2(outcome.Problem.contains(problem), qPrintable(outcome.Problem));
    QVERIFY(FilesIn(folder.path()).isEmpty());
}

void TestJetConvert::cancelLeavesNoBooks() {
    FakeJetBooks books;
    FakeShop::AddShopBooks(books, 5000, 5000);
    QTemporaryDir folder;
    qint64 last = 0;
    qint64 total = 0;
    const JetConvert::Outcome outcome = JetConvert::ConvertToFile(
        books, folder.filePath(QStringLiteral("Kestrel.mdb")), [&](qint64 done, qint64 all) {
            last = done;
            total = all;
            return done < 6000;
        });
    QVERIFY(outcome.Cancelled);
    QVERIFY(!outcome.Ok);
    QCOMPARE(last, qint64(6000));
    QCOMPARE(total, qint64(4 + 5001 + 5001 + 3 + 21 + 4 + 4 + 2 + 2 + 1));
    QVERIFY(FilesIn(folder.path()).isEmpty());
}

void TestJetConvert::convertedInPlaceKeepsTheJetFile() {
    // A real Jet file stands for the books' file; the books come from memory.
    QTemporaryDir folder;
    const QString database = folder.filePath(QStringLiteral("Kestrel.mdb"));
    QVERIFY(QFile::copy(Fixture("DateTestDatabase.mdb"), database));
    QFile original(database);
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray jetBytes = original.readAll();
    original.close();
    const QString kept = JetConvert::KeptJetName(database, QDateTime(QDate(2026, 12, 11), QTime(8, 30, 0)));
    QCOMPARE(QFileInfo(kept).fileName(), QStringLiteral("Kestrel-旧格式-2026-12-11-083000.mdb"));

    FakeJetBooks books;
    FakeShop::AddShopBooks(books);
    const JetConvert::Outcome outcome = JetConvert::ConvertInPlace(books, database, kept);
    QVERIFY2(outcome.Ok, qPrintable(outcome.Problem));
    QCOMPARE(FilesIn(folder.path()), (QStringList{QStringLiteral("Kestrel-旧格式-2026-12-11-083000.mdb"),
                                                  QStringLiteral("Kestrel.mdb")}));
    QFile keptFile(kept);
    QVERIFY(keptFile.open(QIODevice::ReadOnly));
    QCOMPARE(keptFile.readAll(), jetBytes);
    QVERIFY(!Jet::IsJetFile(database));
    DbConnection books2;
    QVERIFY2(OpenFile(books2, database), qPrintable(books2.LastError()));
    QCOMPARE(ValueOf(books2, QStringLiteral("Select Count(*) From Bill")), QStringLiteral("4"));
    books2.Close();

    // A second conversion of the same minute does not overwrite the kept file.
    QFile::remove(database);
    QVERIFY(QFile::copy(Fixture("DateTestDatabase.mdb"), database));
    const JetConvert::Outcome again = JetConvert::ConvertInPlace(books, database, kept);
    QVERIFY(!again.Ok);
    QVERIFY(Jet::IsJetFile(database));
}

void TestJetConvert::targetWithRecordsIsRefused() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Kestrel.mdb"));
    QCOMPARE(Schema::CreateDatabase(path), QString());
    DbConnection to;
    QVERIFY(OpenFile(to, path));
    Query q(&to);
    q.ExecSql(QStringLiteral("Insert Into Customer (CustomerName) Values ('已有')"));
    FakeJetBooks books;
    FakeShop::AddShopBooks(books);
    const JetConvert::Outcome outcome = JetConvert::Convert(books, JetConvert::MakePlan(books), to);
    QVERIFY(!outcome.Ok);
    QVERIFY2(outcome.Problem.contains(QStringLiteral("已有业务记录")), qPrintable(outcome.Problem));
    QCOMPARE(ValueOf(to, QStringLiteral("Select Count(*) From Customer")), QStringLiteral("2"));
    to.Close();
}

void TestJetConvert::largeBooksConvertQuickly() {
    // A tenth of 200,000 documents and 300,000 vouchers, which bench/bench_jetconvert converts whole
    // in a build without sanitizers; here the progress is called throughout and the time stays
    // far from what a shop would wait, even with sanitizers on a busy machine.
    FakeJetBooks books;
    FakeShop::AddShopBooks(books, 20000, 30000);
    QTemporaryDir folder;
    qint64 previous = 0;
    int calls = 0;
    QElapsedTimer timer;
    timer.start();
    const JetConvert::Outcome outcome = JetConvert::ConvertToFile(
        books, folder.filePath(QStringLiteral("Kestrel.mdb")), [&](qint64 done, qint64) {
            if (done <= previous)
                return false;
            previous = done;
            ++calls;
            return true;
        });
    const qint64 elapsed = timer.elapsed();
    QVERIFY2(outcome.Ok, qPrintable(outcome.Problem));
    qInfo("converted 50,000 records in %lld ms", elapsed);
    QVERIFY(calls >= 25);
    QCOMPARE(previous, qint64(20001 + 30001 + 4 + 3 + 21 + 4 + 4 + 2 + 2 + 1));
    QVERIFY2(elapsed < 60000, qPrintable(QString::number(elapsed)));
}

namespace {

// Converts shop books in place in a child process; killed after delay milliseconds (never when
// negative). Returns how long the child ran.
qint64 ConvertInChild(const QString& database, const QString& kept, qint64 delay) {
    QElapsedTimer timer;
    timer.start();
    const pid_t child = fork();
    if (child == 0) {
        FakeJetBooks books;
        FakeShop::AddShopBooks(books, 3000, 3000);
        _exit(JetConvert::ConvertInPlace(books, database, kept).Ok ? 0 : 1);
    }
    if (delay >= 0) {
        usleep(static_cast<useconds_t>(delay * 1000));
        kill(child, SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return timer.elapsed();
}

} // namespace

void TestJetConvert::killedConversionLeavesTheJetFileOrWholeBooks() {
    QTemporaryDir notes;
    Leftovers::SetNoteFolder(notes.path());
    QFile fixture(Fixture("DateTestDatabase.mdb"));
    QVERIFY(fixture.open(QIODevice::ReadOnly));
    const QByteArray jet = fixture.readAll();
    const auto prepare = [&](QTemporaryDir& folder) {
        const QString database = folder.filePath(QStringLiteral("Kestrel.mdb"));
        QFile file(database);
        file.open(QIODevice::WriteOnly);
        file.write(jet);
        return database;
    };
    QTemporaryDir whole;
    const QString wholeDatabase = prepare(whole);
    const qint64 duration = ConvertInChild(wholeDatabase, whole.filePath(QStringLiteral("kept.mdb")), -1);
    QVERIFY(!Jet::IsJetFile(wholeDatabase));

    int converted = 0;
    for (const double share : {0.02, 0.1, 0.25, 0.4, 0.55, 0.7, 0.85, 0.95, 1.0, 1.5}) {
        QTemporaryDir folder;
        const QString database = prepare(folder);
        const QString kept = folder.filePath(QStringLiteral("Kestrel-旧格式-2026-12-11-083000.mdb"));
        ConvertInChild(database, kept, static_cast<qint64>(duration * share));
        // What the next start finds once it has removed what a killed run left.
        Leftovers::CleanUpAtStart();
        QStringList files = FilesIn(folder.path());
        QFile file(database);
        QVERIFY(file.open(QIODevice::ReadOnly));
        if (file.readAll() == jet) {
            // Not converted: the Jet file is the books, a second name of it at most.
            files.removeAll(QStringLiteral("Kestrel-旧格式-2026-12-11-083000.mdb"));
            QCOMPARE(files, QStringList{QStringLiteral("Kestrel.mdb")});
            continue;
        }
        ++converted;
        QCOMPARE(files, (QStringList{QStringLiteral("Kestrel-旧格式-2026-12-11-083000.mdb"),
                                     QStringLiteral("Kestrel.mdb")}));
        QFile keptFile(kept);
        QVERIFY(keptFile.open(QIODevice::ReadOnly));
        QCOMPARE(keptFile.readAll(), jet);
        DbConnection books;
        QVERIFY2(OpenFile(books, database), qPrintable(books.LastError()));
        QCOMPARE(ValueOf(books, QStringLiteral("Select Count(*) From Bill")), QStringLiteral("3001"));
        books.Close();
    }
    QVERIFY(converted >= 1); // the last ones at least had the time to finish
    Leftovers::SetNoteFolder(QString());
}

QTEST_GUILESS_MAIN(TestJetConvert)
#include "tst_jetconvert.moc"
