#include "foundation/Backup.h"
#include "foundation/BookCopy.h"
#include "foundation/FileStamp.h"
#include "foundation/JetSql.h"
#include "foundation/PublicFunction.h"
#include "foundation/Schema.h"
#include "foundation/ShareDM.h"
#include "mainwindow/MainForm.h"
#include "support/Books.h"
#include "support/ServerDatabase.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>

// Backup and restore from the data maintenance page while the books are on a server: the backup
// is a database file of this program, a restore replaces the server's books in one transaction.
class TestServerBackup : public QObject {
    Q_OBJECT
private slots:
    void backupThenRestore_data();
    void backupThenRestore();
    void backupFailures_data();
    void backupFailures();
    void refusedFileLeavesTheServerUntouched_data();
    void refusedFileLeavesTheServerUntouched();
    void restoreFailingHalfWayLeavesTheServerAsItWas();
    void onlyTheAdministrator_data();
    void onlyTheAdministrator();
};

namespace {

DbConnection& Books() {
    return ShareDataModule->ADOConnection1;
}

// The program's connection on a database of the test server, as the INI key makes it at start-up.
bool OpenOn(const ServerDatabase& database) {
    Books().Server = database.ConnectionString();
    return Books().Open();
}

// A program whose books are on a fresh database of the test server.
struct ServerProgram {
    ServerDatabase Database;
    TestProgram Program{false};
    // Opens the books, enters EnterBooks' records and signs in as 管理员; "" or the problem.
    QString Open() {
        if (!OpenOn(Database))
            return Books().LastError();
        EnterBooks(Books());
        CurrentRole = QStringLiteral("管理员");
        return QString();
    }
};

// The rows of a database file, read on a connection of its own that leaves nothing beside it.
QStringList RowsOfFile(const QString& path) {
    DbConnection file;
    if (!OpenBooksFile(file, path))
        return {QStringLiteral("cannot open ") + path + QStringLiteral(": ") + file.LastError()};
    const QStringList rows = AllRows(file);
    file.Close();
    FileStamp::Forget(path);
    return rows;
}

// Runs statements on a database file with the engine alone (no check, no upgrade).
void ChangeFile(const QString& path, const QStringList& statements) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("change"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        for (const QString& sql : statements)
            QVERIFY2(query.exec(sql), qPrintable(sql));
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("change"));
}

QStringList PartFiles(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*.part"), QStringLiteral("*-journal")},
                                  QDir::Files | QDir::Hidden);
}

QStringList KeptCopies(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("Kestrel-恢复前-*.mdb")}, QDir::Files);
}

// Answers Yes to the warning and chooses file in the open dialog, then restores.
void Restore(TestProgram& program, const QString& file) {
    program.Prompts().QueueAnswer(true);
    program.Prompts().QueueFileName(file);
    FormMain->ActionLoadExecute();
}

// The main window shown on its data maintenance page; with KESTREL_SCREENSHOTS set, pictured.
void ShowMaintenancePage(const QString& picture) {
    FormMain->show();
    for (int i = 0; i < FormMain->PageControl1->count(); ++i) {
        if (FormMain->PageControl1->tabText(i) == QStringLiteral("数据维护"))
            FormMain->PageControl1->setCurrentIndex(i);
    }
    SaveScreenshot(FormMain, picture);
}

void AddCustomer(TestProgram& program, const QString& name) {
    program.Exec(QStringLiteral("Insert Into Customer (CustomerName) Values (%1)").arg(SqlText(name)));
}

} // namespace

void TestServerBackup::backupThenRestore_data() {
    QTest::addColumn<bool>("fresh");
    QTest::addColumn<bool>("older");
    QTest::newRow("into a fresh database") << true << false;
    QTest::newRow("over the same books changed since") << false << false;
    QTest::newRow("a backup of the version before") << true << true;
}

void TestServerBackup::backupThenRestore() {
    QFETCH(bool, fresh);
    QFETCH(bool, older);
    ServerProgram first;
    REQUIRE_SERVER(first.Database);
    QCOMPARE(first.Open(), QString());
    TestProgram& program = first.Program;
    ServerDatabase second;
    REQUIRE_SERVER(second);
    const QStringList original = AllRows(Books());
    const std::vector<BookCopy::TableFigures> figures = BookCopy::Figures(Books());

    // The backup: a database file of this program with every row, nothing left beside it.
    const QString folder = program.Folder() + QStringLiteral("备份/");
    QVERIFY(QDir().mkpath(folder));
    const QString backup = folder + BackupFileProposal(QDate::currentDate());
    program.Prompts().QueueFileName(backup);
    FormMain->ActionSaveExecute();
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("恭喜您，数据库备份成功")});
    QCOMPARE(program.Prompts().LastFileDialog.FileName, BackupFileProposal(QDate::currentDate()));
    ShowMaintenancePage(QStringLiteral("server-backup.png"));
    QCOMPARE(RowsOfFile(backup), original);
    QCOMPARE(PartFiles(folder), QStringList());
    if (older)
        ChangeFile(backup, {QStringLiteral("PRAGMA user_version = %1").arg(Schema::Version - 1)});
    const QByteArray chosen = [&] {
        QFile file(backup);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();

    if (fresh) {
        QVERIFY2(OpenOn(second), qPrintable(Books().LastError()));
    } else {
        AddCustomer(program, QStringLiteral("备份后"));
        program.Exec(QStringLiteral("Delete From Bill Where BillIndex = 5"));
        program.Exec(QStringLiteral("Update Account Set AccountBase = 1 Where AccountIndex = 2"));
    }
    const QStringList replaced = AllRows(Books());
    program.Prompts().Messages.clear();
    Restore(program, backup);
    QCOMPARE(program.Prompts().Texts(),
             QStringList({QStringLiteral("数据库恢复将导致当前数据全部丢失，是否继续？"),
                          QStringLiteral("恭喜您，数据库恢复成功，请重新启动软件")}));
    QCOMPARE(program.Prompts().Messages[0].Title, QStringLiteral("恢复警告"));
    QCOMPARE(program.Prompts().LastFileDialog.FileName, QStringLiteral("*.mdb"));
    // The program ends; the chosen file is left as it was.
    QVERIFY(!FormMain->isVisible());
    QVERIFY(!Books().Connected());
    QFile file(backup);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), chosen);
    // The books replaced are kept beside the program.
    const QStringList kept = KeptCopies(program.Folder());
    QCOMPARE(kept.size(), 1);
    QCOMPARE(RowsOfFile(program.Folder() + kept[0]), replaced);

    // The next start finds the restored books, of this version, with the same figures.
    QVERIFY2(Books().Open(), qPrintable(Books().LastError()));
    QCOMPARE(AllRows(Books()), original);
    QCOMPARE(BookCopy::Differences(figures, BookCopy::Figures(Books())), QStringList());
    QCOMPARE(program.Scalar(QStringLiteral("Select Version From SchemaVersion")),
             QString::number(Schema::Version));
    // New records get keys after the restored ones.
    AddCustomer(program, QStringLiteral("恢复后"));
    QCOMPARE(
        program.Scalar(QStringLiteral("Select CustomerIndex From Customer Where CustomerName = '恢复后'")),
        QStringLiteral("32"));
}

void TestServerBackup::backupFailures_data() {
    QTest::addColumn<QString>("target"); // relative to the program folder
    QTest::newRow("folder missing") << QStringLiteral("没有的文件夹/备份.mdb");
    QTest::newRow("a folder") << QStringLiteral("Faces");
}

void TestServerBackup::backupFailures() {
    QFETCH(QString, target);
    ServerProgram server;
    REQUIRE_SERVER(server.Database);
    QCOMPARE(server.Open(), QString());
    TestProgram& program = server.Program;
    QVERIFY(QDir().mkpath(program.Folder() + QStringLiteral("Faces")));
    const QStringList before = AllRows(Books());
    program.Prompts().QueueFileName(program.Folder() + target);
    FormMain->ActionSaveExecute();
    QCOMPARE(program.Prompts().Messages.back().Kind, QStringLiteral("error"));
    const QString text = program.Prompts().LastText();
    const QString number = FailureNumber(text, QStringLiteral("数据库备份失败，失败号为："));
    QVERIFY2(!number.isEmpty() && number != QLatin1String("0"), qPrintable(text));
    QVERIFY(Books().Connected());
    QCOMPARE(AllRows(Books()), before);
    QCOMPARE(PartFiles(program.Folder()), QStringList());
}

void TestServerBackup::refusedFileLeavesTheServerUntouched_data() {
    AddFilesThatAreNoBooks();
}

void TestServerBackup::refusedFileLeavesTheServerUntouched() {
    QFETCH(QByteArray, content);
    ServerProgram server;
    REQUIRE_SERVER(server.Database);
    QCOMPARE(server.Open(), QString());
    TestProgram& program = server.Program;
    const QStringList before = AllRows(Books());
    const QString chosen = program.Folder() + QStringLiteral("chosen.mdb");
    {
        QFile file(chosen);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    FormMain->show();
    Restore(program, chosen);
    QCOMPARE(program.Prompts().Messages.back().Kind, QStringLiteral("error"));
    const QString text = program.Prompts().LastText();
    QVERIFY2(text.startsWith(QStringLiteral("所选文件不能用来恢复数据库，当前数据库没有改动。")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("chosen.mdb")), qPrintable(text));
    QVERIFY(FormMain->isVisible());
    QVERIFY(Books().Connected());
    QCOMPARE(AllRows(Books()), before);
    QCOMPARE(KeptCopies(program.Folder()), QStringList());
}

void TestServerBackup::restoreFailingHalfWayLeavesTheServerAsItWas() {
    ServerProgram server;
    REQUIRE_SERVER(server.Database);
    QCOMPARE(server.Open(), QString());
    TestProgram& program = server.Program;
    const QString backup = program.Folder() + QStringLiteral("backup.mdb");
    QVERIFY(BackupDatabase(Books(), backup).Ok);
    // A file that passes every check but holds, in a table copied after the customers and
    // documents, a value the server's column cannot take: the copy fails half-way.
    ChangeFile(backup, {QStringLiteral("Update Parameter Set ParameterType = 'x' Where ParameterIndex = "
                                       "(Select Max(ParameterIndex) From Parameter)")});
    AddCustomer(program, QStringLiteral("备份后"));
    program.Exec(QStringLiteral("Delete From Bill Where BillIndex = 5"));
    const QStringList before = AllRows(Books());

    ShowMaintenancePage(QStringLiteral("server-before-failed-restore.png"));
    Restore(program, backup);
    SaveScreenshot(FormMain, QStringLiteral("server-after-failed-restore.png"));
    QCOMPARE(program.Prompts().Messages.back().Kind, QStringLiteral("error"));
    const QString text = program.Prompts().LastText();
    QVERIFY2(!FailureNumber(text, QStringLiteral("数据库恢复失败，失败号为：")).isEmpty(), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Parameter")), qPrintable(text));
    QVERIFY2(text.endsWith(QStringLiteral("当前数据库没有改动。")), qPrintable(text));
    // The program goes on with the books as they were, and can store again.
    QVERIFY(FormMain->isVisible());
    QVERIFY(Books().Connected());
    QCOMPARE(AllRows(Books()), before);
    QCOMPARE(KeptCopies(program.Folder()), QStringList());
    AddCustomer(program, QStringLiteral("之后"));
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Customer Where CustomerIndex > 1")),
             QStringLiteral("29"));
}

void TestServerBackup::onlyTheAdministrator_data() {
    QTest::addColumn<QString>("role");
    QTest::newRow("nobody") << QString();
    QTest::newRow("总经理") << QStringLiteral("总经理");
    QTest::newRow("财务主管") << QStringLiteral("财务主管");
    QTest::newRow("业务员") << QStringLiteral("业务员");
}

void TestServerBackup::onlyTheAdministrator() {
    QFETCH(QString, role);
    ServerProgram server;
    REQUIRE_SERVER(server.Database);
    QCOMPARE(server.Open(), QString());
    TestProgram& program = server.Program;
    const QString file = program.Folder() + QStringLiteral("backup.mdb");
    QVERIFY(BackupDatabase(Books(), file).Ok);
    AddCustomer(program, QStringLiteral("备份后"));
    const QStringList before = AllRows(Books());

    CurrentRole = role;
    program.Prompts().QueueAnswer(true);
    program.Prompts().QueueFileName(program.Folder() + QStringLiteral("other.mdb"));
    FormMain->ActionSave->trigger();
    program.Prompts().QueueFileName(file);
    FormMain->ActionLoad->trigger();
    QVERIFY(program.Prompts().Messages.empty());
    QVERIFY(!QFile::exists(program.Folder() + QStringLiteral("other.mdb")));
    QVERIFY(Books().Connected());
    QCOMPARE(AllRows(Books()), before);
    QCOMPARE(KeptCopies(program.Folder()), QStringList());
}

QTEST_MAIN(TestServerBackup)
#include "tst_serverbackup.moc"
