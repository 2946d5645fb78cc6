#include "foundation/BookCopy.h"
#include "foundation/Connection.h"
#include "foundation/JetSql.h"
#include "foundation/PublicFunction.h"
#include "foundation/Query.h"
#include "foundation/Schema.h"
#include "support/Books.h"
#include "support/ServerDatabase.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Moving the books between a database file and a server: every row of every table arrives with
// its key, and the figures of both sides agree.
class TestCopyBooks : public QObject {
    Q_OBJECT
private slots:
    void fileToServerAndBack();
    void generatedBooksThroughTheTool();
    void targetWithRecordsIsRefused();
    void jetSourceThatIsNoBooksIsRefusedByName();
    void figuresNameEveryDifference();
    void filesAreToldFromServersByTheirForm_data();
    void filesAreToldFromServersByTheirForm();
};

void TestCopyBooks::fileToServerAndBack() {
    ServerDatabase server;
    REQUIRE_SERVER(server);
    QTemporaryDir folder;
    DbConnection file;
    QVERIFY(OpenBooksFile(file, folder.filePath(QStringLiteral("Kestrel.mdb"))));
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
    QVERIFY(OpenBooksFile(back, folder.filePath(QStringLiteral("Back.mdb"))));
    QCOMPARE(BookCopy::Copy(onServer, back, &figures), QString());
    QCOMPARE(AllRows(back), original);
}

namespace {

// Runs a tool of the build; its exit code, with what it printed in *output.
int RunTool(const QString& tool, const QStringList& arguments, QString* output) {
    QProcess process;
    process.start(QStringLiteral(KESTREL_TOOLS_DIR "/") + tool, arguments);
    if (!process.waitForFinished(300000))
        return -1;
    *output = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

void TestCopyBooks::generatedBooksThroughTheTool() {
    ServerDatabase server;
    REQUIRE_SERVER(server);
    QTemporaryDir folder;
    const QString generated = folder.filePath(QStringLiteral("Kestrel.mdb"));
    const QString back = folder.filePath(QStringLiteral("Back.mdb"));
    QString output;
    QCOMPARE(RunTool(QStringLiteral("kestrel_makebenchdb"),
                     {generated, QStringLiteral("300"), QStringLiteral("3000"), QStringLiteral("4000")},
                     &output),
             0);
    QCOMPARE(RunTool(QStringLiteral("kestrel_copybooks"),
                     {generated, QStringLiteral("postgresql:") + server.ConnectionString()}, &output),
             0);
    QVERIFY2(output.contains(QStringLiteral("Bill：3001 行")), qPrintable(output));
    QCOMPARE(RunTool(QStringLiteral("kestrel_copybooks"),
                     {QStringLiteral("postgresql:") + server.ConnectionString(), back}, &output),
             0);
    QVERIFY2(output.contains(QStringLiteral("MoneyTable：4001 行")), qPrintable(output));

    DbConnection from;
    DbConnection to;
    QVERIFY(OpenBooksFile(from, generated));
    QVERIFY(OpenBooksFile(to, back));
    QCOMPARE(AllRows(to), AllRows(from));
    QCOMPARE(BookCopy::Differences(BookCopy::Figures(from), BookCopy::Figures(to)), QStringList());
    // A second copy onto the server, which now holds the books, is refused.
    QCOMPARE(RunTool(QStringLiteral("kestrel_copybooks"),
                     {generated, QStringLiteral("postgresql:") + server.ConnectionString()}, &output),
             1);
    QVERIFY2(output.contains(QStringLiteral("已有业务记录")), qPrintable(output));
}

void TestCopyBooks::jetSourceThatIsNoBooksIsRefusedByName() {
    // A Jet file is read as a source; the Jet 3 sample lacks every table of the books.
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("Kestrel.mdb"));
    QString output;
    QCOMPARE(RunTool(QStringLiteral("kestrel_copybooks"),
                     {QStringLiteral(KESTREL_TESTS_DIR "/foundation/data/jet/nwind.mdb"), target}, &output),
             1);
    QVERIFY2(
        output.contains(QStringLiteral("缺少的数据表或字段：Customer、Bill、MoneyTable、Account、Power")),
        qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("Order Details")), qPrintable(output));
    QVERIFY(QDir(folder.path()).isEmpty());
}

void TestCopyBooks::targetWithRecordsIsRefused() {
    QTemporaryDir folder;
    DbConnection from;
    DbConnection to;
    QVERIFY(OpenBooksFile(from, folder.filePath(QStringLiteral("From.mdb"))));
    QVERIFY(OpenBooksFile(to, folder.filePath(QStringLiteral("To.mdb"))));
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

void TestCopyBooks::filesAreToldFromServersByTheirForm_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::newRow("names holding \"=\"") << QStringLiteral("host=a.mdb") << QStringLiteral("dbname=b.mdb");
    QTest::newRow("names beginning with postgres")
        << QStringLiteral("postgres帐套.mdb") << QStringLiteral("postgresql帐套.mdb");
}

// File names are files whatever they hold; a target file is written beside its name and takes it
// only when complete, and a part left by a killed copy does not stand in the way.
void TestCopyBooks::filesAreToldFromServersByTheirForm() {
    QFETCH(QString, source);
    QFETCH(QString, target);
    QTemporaryDir folder;
    const QString from = folder.filePath(source);
    const QString to = folder.filePath(target);
    {
        DbConnection file;
        QVERIFY(OpenBooksFile(file, from));
        EnterBooks(file);
    }
    // A part left behind by a killed copy to the same name.
    QFile stale(folder.filePath(QStringLiteral(".") + target + QStringLiteral(".copy-") +
                                QString(32, QLatin1Char('0')) + QStringLiteral(".part")));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write("half a copy");
    stale.close();
    QString output;
    QCOMPARE(RunTool(QStringLiteral("kestrel_copybooks"), {from, to}, &output), 0);
    DbConnection a;
    DbConnection b;
    QVERIFY(OpenBooksFile(a, from));
    QVERIFY(OpenBooksFile(b, to));
    QCOMPARE(AllRows(b), AllRows(a));
    // Only the stale part remains beside the books; the copy's own part took the name.
    QCOMPARE(QDir(folder.path()).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden).size(), 1);
    // A target that exists is refused and left as it is.
    QCOMPARE(RunTool(QStringLiteral("kestrel_copybooks"), {from, to}, &output), 1);
    QVERIFY2(output.contains(QStringLiteral("已存在")), qPrintable(output));
    // A source that is not a database: no target appears, no part remains.
    const QString other = folder.filePath(QStringLiteral("其他=c.mdb"));
    QCOMPARE(RunTool(QStringLiteral("kestrel_copybooks"),
                     {folder.filePath(QStringLiteral("没有.mdb")), other}, &output),
             1);
    QVERIFY(!QFile::exists(other));
    QCOMPARE(QDir(folder.path()).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden).size(), 1);
}

QTEST_GUILESS_MAIN(TestCopyBooks)
#include "tst_copybooks.moc"
