#include "foundation/BookCopy.h"
#include "foundation/Connection.h"
#include "foundation/JetSql.h"
#include "foundation/PublicFunction.h"
#include "foundation/Query.h"
#include "foundation/Schema.h"
#include "support/Books.h"
#include "support/ServerDatabase.h"

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
    void figuresNameEveryDifference();
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
    QCOMPARE(RunTool(QStringLiteral("kestrel_copybooks"), {generated, server.ConnectionString()}, &output),
             0);
    QVERIFY2(output.contains(QStringLiteral("Bill：3001 行")), qPrintable(output));
    QCOMPARE(RunTool(QStringLiteral("kestrel_copybooks"), {server.ConnectionString(), back}, &output), 0);
    QVERIFY2(output.contains(QStringLiteral("MoneyTable：4001 行")), qPrintable(output));

    DbConnection from;
    DbConnection to;
    QVERIFY(OpenBooksFile(from, generated));
    QVERIFY(OpenBooksFile(to, back));
    QCOMPARE(AllRows(to), AllRows(from));
    QCOMPARE(BookCopy::Differences(BookCopy::Figures(from), BookCopy::Figures(to)), QStringList());
    // A second copy onto the server, which now holds the books, is refused.
    QCOMPARE(RunTool(QStringLiteral("kestrel_copybooks"), {generated, server.ConnectionString()}, &output),
             1);
    QVERIFY2(output.contains(QStringLiteral("已有业务记录")), qPrintable(output));
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

QTEST_GUILESS_MAIN(TestCopyBooks)
#include "tst_copybooks.moc"
