#include "foundation/JetBooks.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "foundation/Startup.h"
#include "mainwindow/MainForm.h"
#include "support/FakeJetBooks.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

// A Kestrel.mdb kept in the Jet format, met at start-up or chosen in a restore: converted once
// after one question, never refused, the Jet file kept untouched. Jet files of our books cannot be
// written here: a real Jet file stands in the folder and the books behind it are held in memory.
class TestJetStartup : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void jetBooksAtStartAreConverted();
    void answeringNoChangesNothing();
    void jetFileOfAnotherProgramIsRefusedByName();
    void restoreFromJetBooks();
};

namespace {

QString Fixture(const char* name) {
    return QStringLiteral(KESTREL_TESTS_DIR "/foundation/data/jet/") + QLatin1String(name);
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every Jet file opens as the books in memory.
void ServeShopBooks() {
    Jet::SetOpenerForTests([](const QString&, QString*) {
        auto books = std::make_unique<FakeJetBooks>();
        FakeShop::AddShopBooks(*books, 30, 40);
        return std::unique_ptr<Jet::Books>(std::move(books));
    });
}

// Puts a real Jet file in place of the books.
void PutJetFile(TestProgram& program) {
    QFile::remove(program.DatabasePath());
    QVERIFY(QFile::copy(Fixture("DateTestDatabase.mdb"), program.DatabasePath()));
    QFile::setPermissions(program.DatabasePath(), QFile::ReadOwner | QFile::WriteOwner);
}

// With the books on a server no Kestrel.mdb is opened at start-up.
#define SkipOnServer(program)                                                                                \
    do {                                                                                                     \
        if ((program).OnServer())                                                                            \
            QSKIP("the books are on the server: no Kestrel.mdb is opened at start-up");                      \
    } while (false)

} // namespace

void TestJetStartup::cleanup() {
    Jet::SetOpenerForTests(Jet::Opener());
}

void TestJetStartup::jetBooksAtStartAreConverted() {
    TestProgram program(false);
    SkipOnServer(program);
    PutJetFile(program);
    const QByteArray jet = Bytes(program.DatabasePath());
    ServeShopBooks();
    program.Prompts().QueueAnswer(true);
    QVERIFY(OpenDatabase());
    const QStringList texts = program.Prompts().Texts();
    QCOMPARE(texts.size(), 2);
    QVERIFY2(texts[0].startsWith(QStringLiteral("这是旧格式（Jet）的数据库，将转换为新格式，原文件保留为“")),
             qPrintable(texts[0]));
    QCOMPARE(program.Prompts().Messages[0].Kind, QStringLiteral("question"));
    QVERIFY2(texts[1].contains(QStringLiteral("客户 4 条，起初欠款合计 1,234.65；业务单据 31 条")),
             qPrintable(texts[1]));

    // The Jet file is kept untouched beside the new books, which are open.
    const QStringList kept =
        QDir(program.Folder()).entryList({QStringLiteral("Kestrel-旧格式-*.mdb")}, QDir::Files);
    QCOMPARE(kept.size(), 1);
    QVERIFY(QRegularExpression(QStringLiteral("^Kestrel-旧格式-\\d{4}-\\d\\d-\\d\\d-\\d{6}\\.mdb$"))
                .match(kept[0])
                .hasMatch());
    QVERIFY(texts[0].contains(kept[0]));
    QCOMPARE(Bytes(program.Folder() + kept[0]), jet);
    QVERIFY(ShareDataModule->ADOConnection1.Connected());
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill Where BillIndex > 1")),
             QStringLiteral("30"));
    QCOMPARE(program.Scalar(QStringLiteral("Select CustomerName From Customer Where CustomerIndex = 2")),
             QStringLiteral("杭州岚峰贸易有限公司"));
    const QStringList hidden =
        QDir(program.Folder()).entryList({QStringLiteral(".*.part*")}, QDir::Files | QDir::Hidden);
    QVERIFY2(hidden.isEmpty(), qPrintable(hidden.join(QLatin1Char(','))));

    // The next start opens the new books without a question.
    ShareDataModule->ADOConnection1.Close();
    program.Prompts().Messages.clear();
    QVERIFY(OpenDatabase());
    QVERIFY(program.Prompts().Messages.empty());
}

void TestJetStartup::answeringNoChangesNothing() {
    TestProgram program(false);
    SkipOnServer(program);
    PutJetFile(program);
    const QByteArray jet = Bytes(program.DatabasePath());
    const QStringList before = QDir(program.Folder()).entryList(QDir::Files | QDir::Hidden);
    ServeShopBooks();
    program.Prompts().QueueAnswer(false);
    QVERIFY(!OpenDatabase());
    QCOMPARE(program.Prompts().Messages.size(), size_t(1));
    QVERIFY(!ShareDataModule->ADOConnection1.Connected());
    QCOMPARE(Bytes(program.DatabasePath()), jet);
    QCOMPARE(QDir(program.Folder()).entryList(QDir::Files | QDir::Hidden), before);
}

void TestJetStartup::jetFileOfAnotherProgramIsRefusedByName() {
    TestProgram program(false);
    SkipOnServer(program);
    QFile::remove(program.DatabasePath());
    QVERIFY(QFile::copy(Fixture("nwind.mdb"), program.DatabasePath()));
    const QByteArray jet = Bytes(program.DatabasePath());
    const QStringList before = QDir(program.Folder()).entryList(QDir::Files | QDir::Hidden);
    QVERIFY(!OpenDatabase());
    QCOMPARE(program.Prompts().Messages.size(), size_t(1));
    const QString text = program.Prompts().Messages[0].Text;
    QCOMPARE(program.Prompts().Messages[0].Kind, QStringLiteral("error"));
    QVERIFY2(text.contains(QStringLiteral("缺少的数据表或字段：Customer、Bill、MoneyTable、Account")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Orders")), qPrintable(text));
    QCOMPARE(Bytes(program.DatabasePath()), jet);
    QCOMPARE(QDir(program.Folder()).entryList(QDir::Files | QDir::Hidden), before);
}

void TestJetStartup::restoreFromJetBooks() {
    TestProgram program;
    CurrentRole = QStringLiteral("管理员");
    const QString chosen = program.Folder() + QStringLiteral("旧帐套.mdb");
    QVERIFY(QFile::copy(Fixture("DateTestDatabase.mdb"), chosen));
    const QByteArray jet = Bytes(chosen);
    ServeShopBooks();
    program.Prompts().QueueAnswer(true); // the restore's warning
    program.Prompts().QueueAnswer(true); // the conversion
    program.Prompts().QueueFileName(chosen);
    FormMain->ActionLoadExecute();
    const QStringList texts = program.Prompts().Texts();
    QVERIFY2(texts.size() == 4, qPrintable(texts.join(QLatin1Char('\n'))));
    QVERIFY2(texts[1].startsWith(QStringLiteral("这是旧格式（Jet）的数据库，将转换为新格式，原文件保留为“")),
             qPrintable(texts[1]));
    QVERIFY2(texts[2].contains(QStringLiteral("财务单据 41 条")), qPrintable(texts[2]));
    QCOMPARE(texts[3], QStringLiteral("恭喜您，数据库恢复成功，请重新启动软件"));
    QCOMPARE(Bytes(chosen), jet);
    QVERIFY(!ShareDataModule->ADOConnection1.Connected());

    // The next start opens the converted books.
    Jet::SetOpenerForTests(Jet::Opener());
    QVERIFY(OpenDatabase());
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From MoneyTable Where MoneyIndex > 1")),
             QStringLiteral("40"));
}

QTEST_MAIN(TestJetStartup)
#include "tst_jetstartup.moc"
