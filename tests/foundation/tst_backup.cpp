#include "foundation/Backup.h"
#include "foundation/FileStamp.h"
#include "foundation/FileTargets.h"
#include "foundation/JetSql.h"
#include "foundation/PublicFunction.h"
#include "foundation/Schema.h"
#include "foundation/ShareDM.h"
#include "foundation/Startup.h"
#include "mainwindow/MainForm.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QUuid>
#include <cerrno>
#include <filesystem>
#include <sqlite3.h>
#include <unistd.h>

// Backup and restore from the data maintenance page.
class TestBackup : public QObject {
    Q_OBJECT
private slots:
    void proposedName_data();
    void proposedName();
    void backupWhileAnotherWriterHoldsTheFile();
    void backupReplacesAnExistingFile();
    void backupFailures_data();
    void backupFailures();
    void cancelledBackupDoesNothing();
    void restoreReplacesTheDatabaseAndEndsTheProgram();
    void restoreRefusesFilesThatAreNoDatabase_data();
    void restoreRefusesFilesThatAreNoDatabase();
    void restoreCancelledOrDeclined_data();
    void restoreCancelledOrDeclined();
    void onlyTheAdministrator_data();
    void onlyTheAdministrator();
    void restoreReadsTheFileAsTheEngineReadsIt_data();
    void restoreReadsTheFileAsTheEngineReadsIt();
    void filesCarryingCodeAreRefused_data();
    void filesCarryingCodeAreRefused();
    void backupRefusesTheBooksAndTheirCompanions_data();
    void backupRefusesTheBooksAndTheirCompanions();
    void failuresGiveTheSystemsCause_data();
    void failuresGiveTheSystemsCause();
};

namespace {

// Rows and a check of a database file opened on a connection of its own.
struct FileCheck {
    QString Problem; // Schema::CheckDatabase, "" when the file is sound
    int Customers = -1;
};

FileCheck CheckFile(const QString& path) {
    FileCheck check;
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.open();
        check.Problem = Schema::CheckDatabase(db, Schema::PageCheck::EveryPage);
        QSqlQuery query(db);
        if (query.exec(QStringLiteral("Select Count(*) From Customer Where CustomerIndex > 1")) &&
            query.next())
            check.Customers = query.value(0).toInt();
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return check;
}

void AddCustomers(TestProgram& program, int count, const QString& prefix) {
    program.Exec(QStringLiteral("Begin"));
    for (int i = 0; i < count; ++i)
        program.Exec(QStringLiteral("Insert Into Customer (CustomerName, CustomerAddress) Values (%1, %2)")
                         .arg(SqlText(prefix + QString::number(i)), SqlText(QString(60, QChar(0x5730)))));
    program.Exec(QStringLiteral("Commit"));
}

int Customers(TestProgram& program) {
    return program.Scalar(QStringLiteral("Select Count(*) From Customer Where CustomerIndex > 1")).toInt();
}

// Files the backup or restore may have left in a folder besides the ones named.
QStringList LeftOvers(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*.part"), QStringLiteral("*-journal")},
                                  QDir::Files | QDir::Hidden);
}

void WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void TestBackup::proposedName_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("name");
    QTest::newRow("ordinary") << QDate(2026, 12, 10) << QStringLiteral("岚峰商业软件2026-12-10.mdb");
    QTest::newRow("first of January") << QDate(2027, 1, 1) << QStringLiteral("岚峰商业软件2027-01-01.mdb");
}

void TestBackup::proposedName() {
    QFETCH(QDate, date);
    QFETCH(QString, name);
    QCOMPARE(BackupFileProposal(date), name);
    QVERIFY(!name.contains(QLatin1Char('/')));
}

void TestBackup::backupWhileAnotherWriterHoldsTheFile() {
    TestProgram program;
    if (program.OnServer())
        QSKIP("the other writer is a second connection to the database file; the books are on the server");
    CurrentRole = QStringLiteral("管理员");
    AddCustomers(program, 1500, QStringLiteral("客户"));
    // Another writer has rows written but not committed while the backup runs.
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
    {
        other.setDatabaseName(program.DatabasePath());
        QVERIFY(other.open());
        QVERIFY(other.transaction());
        QSqlQuery insert(other);
        for (int i = 0; i < 50; ++i)
            QVERIFY(insert.exec(
                QStringLiteral("Insert Into Customer (CustomerName) Values ('未提交%1')").arg(i)));
    }
    const QString target = program.Folder() + QStringLiteral("备份/岚峰商业软件2026-12-10.mdb");
    QDir().mkpath(program.Folder() + QStringLiteral("备份"));
    program.Prompts().QueueFileName(target);
    FormMain->ActionSaveExecute();
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("恭喜您，数据库备份成功")});
    FileCheck check = CheckFile(target);
    QCOMPARE(check.Problem, QString());
    QCOMPARE(check.Customers, 1500);

    // Once the other writer commits, the next backup over the same file holds its rows too, and
    // the program keeps working on its own connection meanwhile.
    QVERIFY(other.commit());
    other.close();
    AddCustomers(program, 10, QStringLiteral("之后"));
    program.Prompts().QueueFileName(target);
    FormMain->ActionSaveExecute();
    check = CheckFile(target);
    QCOMPARE(check.Problem, QString());
    QCOMPARE(check.Customers, 1560);
    QCOMPARE(Customers(program), 1560);
    QCOMPARE(LeftOvers(program.Folder() + QStringLiteral("备份")), QStringList());
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
}

void TestBackup::backupReplacesAnExistingFile() {
    TestProgram program;
    CurrentRole = QStringLiteral("管理员");
    AddCustomers(program, 3, QStringLiteral("客户"));
    const QString target = program.Folder() + QStringLiteral("old.mdb");
    WriteFile(target, QByteArray("an older file of the same name"));
    program.Prompts().QueueFileName(target);
    FormMain->ActionSaveExecute();
    // No question before replacing it.
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("恭喜您，数据库备份成功")});
    QCOMPARE(CheckFile(target).Customers, 3);
    // The dialog as the user sees it.
    const FileDialogOptions& dialog = program.Prompts().LastFileDialog;
    QCOMPARE(dialog.FileName, BackupFileProposal(QDate::currentDate()));
    QCOMPARE(dialog.Folder, GetDesktopFolder());
    QCOMPARE(dialog.DefaultSuffix, QStringLiteral("mdb"));
    QVERIFY(dialog.Filter.startsWith(QStringLiteral("Mdb Files (")));
}

void TestBackup::backupFailures_data() {
    QTest::addColumn<QString>("target"); // relative to the program folder
    QTest::newRow("folder missing") << QStringLiteral("没有的文件夹/备份.mdb");
    QTest::newRow("the database itself") << QStringLiteral("Kestrel.mdb");
    QTest::newRow("a folder") << QStringLiteral("Faces");
}

void TestBackup::backupFailures() {
    QFETCH(QString, target);
    TestProgram program;
    if (program.OnServer() && target == QLatin1String("Kestrel.mdb"))
        QSKIP("with the books on the server there is no database file beside the program to refuse");
    CurrentRole = QStringLiteral("管理员");
    AddCustomers(program, 2, QStringLiteral("客户"));
    const QByteArray database = ReadFile(program.DatabasePath());
    program.Prompts().QueueFileName(program.Folder() + target);
    FormMain->ActionSaveExecute();
    QCOMPARE(program.Prompts().Messages.back().Kind, QStringLiteral("error"));
    const QString text = program.Prompts().LastText();
    // A number, then the system's text.
    const QString number = FailureNumber(text, QStringLiteral("数据库备份失败，失败号为："));
    QVERIFY2(!number.isEmpty() && number != QLatin1String("0"), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("\n\n")));
    QCOMPARE(ReadFile(program.DatabasePath()), database);
    QVERIFY(ShareDataModule->ADOConnection1.Connected());
    QCOMPARE(Customers(program), 2);
    QCOMPARE(LeftOvers(program.Folder()), QStringList());
}

void TestBackup::cancelledBackupDoesNothing() {
    TestProgram program;
    CurrentRole = QStringLiteral("管理员");
    FormMain->ActionSaveExecute();
    QCOMPARE(program.Prompts().Messages.size(), size_t(1));
    QCOMPARE(program.Prompts().Messages[0].Kind, QStringLiteral("save"));
    QCOMPARE(LeftOvers(program.Folder()), QStringList());
}

void TestBackup::restoreReplacesTheDatabaseAndEndsTheProgram() {
    TestProgram program;
    CurrentRole = QStringLiteral("管理员");
    AddCustomers(program, 4, QStringLiteral("备份时"));
    const QString backup = program.Folder() + QStringLiteral("backup.mdb");
    QVERIFY(BackupDatabase(ShareDataModule->ADOConnection1, backup).Ok);
    AddCustomers(program, 2, QStringLiteral("备份后"));
    FormMain->show();

    program.Prompts().QueueAnswer(true);
    program.Prompts().QueueFileName(backup);
    FormMain->ActionLoadExecute();
    QCOMPARE(program.Prompts().Texts(),
             QStringList({QStringLiteral("数据库恢复将导致当前数据全部丢失，是否继续？"),
                          QStringLiteral("恭喜您，数据库恢复成功，请重新启动软件")}));
    QCOMPARE(program.Prompts().Messages[0].Title, QStringLiteral("恢复警告"));
    QCOMPARE(program.Prompts().LastFileDialog.FileName, QStringLiteral("*.mdb"));
    QCOMPARE(program.Prompts().LastFileDialog.Folder, GetDesktopFolder());
    // The program ends, with nothing open on the replaced file.
    QVERIFY(!FormMain->isVisible());
    QVERIFY(!ShareDataModule->ADOConnection1.Connected());

    // The replaced database is kept beside the new one, dated.
    const QStringList kept =
        QDir(program.Folder()).entryList({QStringLiteral("Kestrel-恢复前-*.mdb")}, QDir::Files);
    QCOMPARE(kept.size(), 1);
    QVERIFY(QRegularExpression(QStringLiteral("^Kestrel-恢复前-\\d{4}-\\d\\d-\\d\\d-\\d{6}\\.mdb$"))
                .match(kept[0])
                .hasMatch());
    QCOMPARE(CheckFile(program.Folder() + kept[0]).Customers, 6);
    QCOMPARE(LeftOvers(program.Folder()), QStringList());
    // The chosen file is left as it was.
    QCOMPARE(CheckFile(backup).Customers, 4);

    // The next start opens the restored data.
    QVERIFY(OpenDatabase());
    QCOMPARE(Customers(program), 4);
    QCOMPARE(
        program.Scalar(QStringLiteral("Select Count(*) From Customer Where CustomerName Like '备份后%'")),
        QStringLiteral("0"));
}

void TestBackup::restoreRefusesFilesThatAreNoDatabase_data() {
    AddFilesThatAreNoBooks();
}

void TestBackup::restoreRefusesFilesThatAreNoDatabase() {
    QFETCH(QByteArray, content);
    TestProgram program;
    CurrentRole = QStringLiteral("管理员");
    AddCustomers(program, 3, QStringLiteral("现有"));
    FormMain->show();
    const QByteArray database = ReadFile(program.DatabasePath());
    const QString chosen = program.Folder() + QStringLiteral("chosen.mdb");
    WriteFile(chosen, content);

    program.Prompts().QueueAnswer(true);
    program.Prompts().QueueFileName(chosen);
    FormMain->ActionLoadExecute();
    QCOMPARE(program.Prompts().Messages.back().Kind, QStringLiteral("error"));
    const QString text = program.Prompts().LastText();
    QVERIFY2(text.startsWith(QStringLiteral("所选文件不能用来恢复数据库，当前数据库没有改动。")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("chosen.mdb")), qPrintable(text));
    // Nothing replaced, nothing left behind, and the program goes on with its data.
    QVERIFY(FormMain->isVisible());
    QVERIFY(ShareDataModule->ADOConnection1.Connected());
    QCOMPARE(ReadFile(program.DatabasePath()), database);
    QCOMPARE(ReadFile(chosen), content);
    QCOMPARE(Customers(program), 3);
    QCOMPARE(QDir(program.Folder()).entryList({QStringLiteral("Kestrel-*")}), QStringList());
    QCOMPARE(LeftOvers(program.Folder()), QStringList());
    AddCustomers(program, 1, QStringLiteral("之后"));
    QCOMPARE(Customers(program), 4);
}

void TestBackup::restoreCancelledOrDeclined_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("No to the warning") << false;
    QTest::newRow("dialog cancelled") << true;
}

void TestBackup::restoreCancelledOrDeclined() {
    QFETCH(bool, yes);
    TestProgram program;
    CurrentRole = QStringLiteral("管理员");
    FormMain->show();
    const QByteArray database = ReadFile(program.DatabasePath());
    program.Prompts().QueueAnswer(yes);
    FormMain->ActionLoadExecute();
    // Only the question, and the open dialog after a Yes; no message.
    QCOMPARE(program.Prompts().Texts(),
             QStringList{QStringLiteral("数据库恢复将导致当前数据全部丢失，是否继续？")});
    QCOMPARE(program.Prompts().Messages.size(), size_t(yes ? 2 : 1));
    QVERIFY(FormMain->isVisible());
    QVERIFY(ShareDataModule->ADOConnection1.Connected());
    QCOMPARE(ReadFile(program.DatabasePath()), database);
}

void TestBackup::onlyTheAdministrator_data() {
    QTest::addColumn<QString>("role");
    QTest::newRow("nobody") << QString();
    QTest::newRow("总经理") << QStringLiteral("总经理");
    QTest::newRow("业务员") << QStringLiteral("业务员");
}

void TestBackup::onlyTheAdministrator() {
    QFETCH(QString, role);
    TestProgram program;
    CurrentRole = role;
    const QByteArray database = ReadFile(program.DatabasePath());
    program.Prompts().QueueAnswer(true);
    program.Prompts().QueueFileName(program.Folder() + QStringLiteral("backup.mdb"));
    FormMain->ActionSave->trigger();
    FormMain->ActionLoad->trigger();
    QVERIFY(program.Prompts().Messages.empty());
    QVERIFY(!QFile::exists(program.Folder() + QStringLiteral("backup.mdb")));
    QCOMPARE(ReadFile(program.DatabasePath()), database);
}

namespace {

// Runs statements on a database file through the engine's own interface; fails the test on error.
void Run(sqlite3* db, const char* sql) {
    char* message = nullptr;
    const int code = sqlite3_exec(db, sql, nullptr, nullptr, &message);
    const QString text = QString::fromUtf8(message ? message : "");
    sqlite3_free(message);
    QVERIFY2(code == SQLITE_OK, qPrintable(text + QStringLiteral(" [") + QString::fromUtf8(sql) + "]"));
}

QString Text(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    QString value;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return value;
}

void CopyFile(const QString& from, const QString& to) {
    std::error_code error;
    std::filesystem::copy_file(from.toStdString(), to.toStdString(),
                               std::filesystem::copy_options::overwrite_existing, error);
    QVERIFY2(!error, error.message().c_str());
}

// What the engine reads from a file with the journal or log beside it: the names of the customers,
// read from a copy of the three files so that the originals stay as they are.
QString CustomersAsTheEngineReads(const QString& file) {
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("copy.mdb"));
    for (const QString& suffix : {QString(), QStringLiteral("-journal"), QStringLiteral("-wal")}) {
        if (QFile::exists(file + suffix))
            CopyFile(file + suffix, copy + suffix);
    }
    sqlite3* db = nullptr;
    sqlite3_open(copy.toUtf8().constData(), &db);
    const QString names = Text(db, "SELECT group_concat(CustomerName, ',') FROM "
                                   "(SELECT CustomerName FROM Customer WHERE CustomerIndex > 1 ORDER BY 1)");
    sqlite3_close(db);
    return names;
}

// A database file of this program, chosen for a restore, copied while another program was writing
// it: with a hot rollback journal (a change half written into the file), or in write-ahead-log mode
// with commits still in the log.
void MakeFileCopiedWhileWritten(const QString& chosen, const QString& kind) {
    QTemporaryDir dir;
    const QString live = dir.filePath(QStringLiteral("live.mdb"));
    QCOMPARE(Schema::CreateDatabase(live), QString());
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(live.toUtf8().constData(), &db), SQLITE_OK);
    Run(db, "INSERT INTO Customer (CustomerName) VALUES ('已提交甲'), ('已提交乙')");
    if (kind == QLatin1String("wal")) {
        QCOMPARE(Text(db, "PRAGMA journal_mode = WAL"), QStringLiteral("wal"));
        Run(db, "PRAGMA wal_autocheckpoint = 0");
        Run(db, "INSERT INTO Customer (CustomerName) VALUES ('日志中丙')");
        Run(db, "UPDATE Customer SET CustomerName = '日志中甲' WHERE CustomerName = '已提交甲'");
        // The file is copied while the writer still has it open: the commits are only in the log.
        for (const QString& suffix : {QString(), QStringLiteral("-wal")})
            CopyFile(live + suffix, chosen + suffix);
    } else {
        // A small cache makes the engine write changed pages into the file before the commit.
        Run(db, "PRAGMA cache_size = 2");
        const QByteArray before = ReadFile(live);
        Run(db, "BEGIN");
        Run(db, "DELETE FROM Customer WHERE CustomerName = '已提交甲'");
        for (int i = 0; i < 400; ++i)
            Run(db, QStringLiteral(
                        "INSERT INTO Customer (CustomerName, CustomerAddress) VALUES ('未提交%1', '%2')")
                        .arg(i)
                        .arg(QString(200, QChar(0x5730)))
                        .toUtf8()
                        .constData());
        QVERIFY2(ReadFile(live) != before, "the change must be half written into the file");
        QVERIFY(QFile::exists(live + QStringLiteral("-journal")));
        for (const QString& suffix : {QString(), QStringLiteral("-journal")})
            CopyFile(live + suffix, chosen + suffix);
        Run(db, "ROLLBACK");
    }
    sqlite3_close(db);
}

// The journal mode a database file is left in, read without changing it.
QString JournalMode(const QString& file) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const QString mode = Text(db, "PRAGMA journal_mode");
    sqlite3_close(db);
    return mode;
}

} // namespace

void TestBackup::restoreReadsTheFileAsTheEngineReadsIt_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected"); // the customers the restored books hold
    QTest::newRow("hot rollback journal") << QStringLiteral("journal") << QStringLiteral("已提交乙,已提交甲");
    QTest::newRow("write-ahead log with unmerged commits")
        << QStringLiteral("wal") << QStringLiteral("已提交乙,日志中丙,日志中甲");
}

void TestBackup::restoreReadsTheFileAsTheEngineReadsIt() {
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    TestProgram program;
    CurrentRole = QStringLiteral("管理员");
    AddCustomers(program, 2, QStringLiteral("现有"));
    FormMain->show();
    // In a folder of its own: the journal beside it is not a file the restore left behind.
    QVERIFY(QDir().mkpath(program.Folder() + QStringLiteral("拷来")));
    const QString chosen = program.Folder() + QStringLiteral("拷来/copied.mdb");
    MakeFileCopiedWhileWritten(chosen, kind);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(CustomersAsTheEngineReads(chosen), expected);
    const QString companion =
        chosen + (kind == QLatin1String("wal") ? QStringLiteral("-wal") : QStringLiteral("-journal"));
    const QByteArray chosenBytes = ReadFile(chosen);
    const QByteArray companionBytes = ReadFile(companion);

    program.Prompts().QueueAnswer(true);
    program.Prompts().QueueFileName(chosen);
    FormMain->ActionLoadExecute();
    QCOMPARE(program.Prompts().LastText(), QStringLiteral("恭喜您，数据库恢复成功，请重新启动软件"));
    // The chosen file and the one beside it are as they were.
    QCOMPARE(ReadFile(chosen), chosenBytes);
    QCOMPARE(ReadFile(companion), companionBytes);
    QVERIFY(!QFile::exists(chosen + QStringLiteral("-shm")));
    if (!program.OnServer()) {
        // The restored file needs nothing beside it and keeps the program's journal mode.
        QCOMPARE(JournalMode(program.DatabasePath()), QStringLiteral("delete"));
        const QByteArray header = ReadFile(program.DatabasePath()).left(20);
        QCOMPARE(int(header[18]), 1);
        QCOMPARE(int(header[19]), 1);
        for (const QString& suffix : {QStringLiteral("-journal"), QStringLiteral("-wal")})
            QVERIFY(!QFile::exists(program.DatabasePath() + suffix));
    }
    QCOMPARE(LeftOvers(program.Folder()), QStringList());
    QVERIFY(OpenDatabase());
    QCOMPARE(program.Joined(QStringLiteral("Select CustomerName From Customer Where CustomerIndex > 1 "
                                           "Order By CustomerName")),
             expected);
}

void TestBackup::filesCarryingCodeAreRefused_data() {
    QTest::addColumn<QByteArray>("sql");
    QTest::addColumn<QString>("named");
    QTest::newRow("trigger deleting vouchers")
        << QByteArray("CREATE TRIGGER 清理 AFTER INSERT ON Bill BEGIN DELETE FROM MoneyTable WHERE "
                      "MoneyIndex > 2; END")
        << QStringLiteral("触发器“清理”");
    QTest::newRow("trigger on a customer's change")
        << QByteArray(
               "CREATE TRIGGER t_rename AFTER UPDATE ON Customer BEGIN UPDATE Bill SET BillSum = 0; END")
        << QStringLiteral("触发器“t_rename”");
    QTest::newRow("view") << QByteArray("CREATE VIEW Everything AS SELECT * FROM Customer")
                          << QStringLiteral("视图“Everything”");
}

void TestBackup::filesCarryingCodeAreRefused() {
    QFETCH(QByteArray, sql);
    QFETCH(QString, named);
    TestProgram program;
    CurrentRole = QStringLiteral("管理员");
    AddCustomers(program, 3, QStringLiteral("现有"));
    FormMain->show();
    // A sound database of this program but for the object added.
    const QString chosen = program.Folder() + QStringLiteral("carrying.mdb");
    QCOMPARE(Schema::CreateDatabase(chosen), QString());
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(chosen.toUtf8().constData(), &db), SQLITE_OK);
    Run(db, "INSERT INTO MoneyTable (MoneySerial) VALUES ('SK1'), ('SK2')");
    Run(db, sql.constData());
    sqlite3_close(db);
    const QByteArray chosenBytes = ReadFile(chosen);
    const QByteArray database = program.OnServer() ? QByteArray() : ReadFile(program.DatabasePath());

    // Restore: refused, naming the object; nothing changes.
    program.Prompts().QueueAnswer(true);
    program.Prompts().QueueFileName(chosen);
    FormMain->ActionLoadExecute();
    QCOMPARE(program.Prompts().Messages.back().Kind, QStringLiteral("error"));
    const QString text = program.Prompts().LastText();
    QVERIFY2(text.startsWith(QStringLiteral("所选文件不能用来恢复数据库，当前数据库没有改动。")),
             qPrintable(text));
    QVERIFY2(text.contains(named) && text.contains(QStringLiteral("carrying.mdb")), qPrintable(text));
    QVERIFY(ShareDataModule->ADOConnection1.Connected());
    QCOMPARE(Customers(program), 3);
    QCOMPARE(ReadFile(chosen), chosenBytes);
    if (!program.OnServer())
        QCOMPARE(ReadFile(program.DatabasePath()), database);
    QCOMPARE(QDir(program.Folder()).entryList({QStringLiteral("Kestrel-*")}), QStringList());
    QCOMPARE(LeftOvers(program.Folder()), QStringList());
    if (program.OnServer())
        return;

    // Start-up with such a file as Kestrel.mdb: refused, naming the object, the file untouched.
    ShareDataModule->ADOConnection1.Close();
    QVERIFY(QFile::remove(program.DatabasePath()));
    QVERIFY(QFile::remove(FileStamp::RecordPath(program.DatabasePath())) || true);
    QVERIFY(QFile::copy(chosen, program.DatabasePath()));
    QVERIFY(!OpenDatabase());
    const QString startText = program.Prompts().LastText();
    QVERIFY2(startText.contains(named) && startText.contains(QStringLiteral("不使用这个文件")),
             qPrintable(startText));
    QVERIFY(!ShareDataModule->ADOConnection1.Connected());
    QCOMPARE(ReadFile(program.DatabasePath()), chosenBytes);
}

void TestBackup::backupRefusesTheBooksAndTheirCompanions_data() {
    QTest::addColumn<QString>("target"); // relative to the program folder
    QTest::addColumn<QString>("link");   // "" or: "symbolic" (target is a link to Kestrel.mdb + link
                                         // suffix), "hard", "folder" (a folder linked to the program's)
    QTest::addColumn<QString>("linked");
    for (const QString& suffix : FileTargets::CompanionSuffixes())
        QTest::addRow("Kestrel.mdb%s", qPrintable(suffix))
            << QStringLiteral("Kestrel.mdb") + suffix << QString() << QString();
    QTest::newRow("a link to the books")
        << QStringLiteral("链接.mdb") << QStringLiteral("symbolic") << QString();
    QTest::newRow("a link to the log, not there yet")
        << QStringLiteral("链接.mdb") << QStringLiteral("symbolic") << QStringLiteral("-wal");
    QTest::newRow("a second name of the books")
        << QStringLiteral("同一文件.mdb") << QStringLiteral("hard") << QString();
    QTest::newRow("through a linked folder")
        << QStringLiteral("帐套/Kestrel.mdb-journal") << QStringLiteral("folder") << QString();
}

void TestBackup::backupRefusesTheBooksAndTheirCompanions() {
    QFETCH(QString, target);
    QFETCH(QString, link);
    QFETCH(QString, linked);
    TestProgram program;
    CurrentRole = QStringLiteral("管理员");
    AddCustomers(program, 2, QStringLiteral("客户"));
    const QString books = program.Folder() + QStringLiteral("Kestrel.mdb");
    if (link == QLatin1String("hard")) {
        if (program.OnServer())
            QSKIP("with the books on the server there is no database file beside the program to link to");
        QVERIFY(::link(books.toUtf8().constData(), (program.Folder() + target).toUtf8().constData()) == 0);
    } else if (link == QLatin1String("symbolic")) {
        QVERIFY(QFile::link(books + linked, program.Folder() + target));
    } else if (link == QLatin1String("folder")) {
        QVERIFY(QFile::link(program.Folder(), program.Folder() + QStringLiteral("帐套")));
    }
    const QByteArray before = ReadFile(books);
    const QStringList entries =
        QDir(program.Folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
    program.Prompts().QueueFileName(program.Folder() + target);
    FormMain->ActionSaveExecute();
    QCOMPARE(program.Prompts().Messages.back().Kind, QStringLiteral("error"));
    const QString text = program.Prompts().LastText();
    QVERIFY2(!FailureNumber(text, QStringLiteral("数据库备份失败，失败号为：")).isEmpty(), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("帐套数据库文件")), qPrintable(text));
    // Nothing written: the books as they were, no companion made, nothing left.
    QCOMPARE(ReadFile(books), before);
    QCOMPARE(QDir(program.Folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System), entries);
    QVERIFY(ShareDataModule->ADOConnection1.Connected());
    QCOMPARE(Customers(program), 2);
}

void TestBackup::failuresGiveTheSystemsCause_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("words");
    QTest::newRow("permission") << EACCES << QStringLiteral("没有权限");
    QTest::newRow("not permitted") << EPERM << QStringLiteral("没有权限");
    QTest::newRow("disk full") << ENOSPC << QStringLiteral("磁盘空间已满");
    QTest::newRow("missing folder") << ENOENT << QStringLiteral("不存在");
    QTest::newRow("read-only disk") << EROFS << QStringLiteral("只读");
    QTest::newRow("a folder") << EISDIR << QStringLiteral("文件夹");
}

void TestBackup::failuresGiveTheSystemsCause() {
    QFETCH(int, number);
    QFETCH(QString, words);
    const QString cause = FileTargets::SystemCause(number);
    QVERIFY2(cause.contains(words), qPrintable(cause));
    QVERIFY2(cause.contains(QStringLiteral("系统错误 %1").arg(number)), qPrintable(cause));
    // Through a real backup where the system gives that cause: the same number and words.
    TestProgram program;
    CurrentRole = QStringLiteral("管理员");
    QString target;
    if (number == ENOENT) {
        target = program.Folder() + QStringLiteral("没有的文件夹/备份.mdb");
    } else if (number == EACCES) {
        if (::geteuid() == 0)
            QSKIP("the administrator may write into any folder");
        QDir().mkpath(program.Folder() + QStringLiteral("只读"));
        QFile::setPermissions(program.Folder() + QStringLiteral("只读"), QFile::ReadOwner | QFile::ExeOwner);
        target = program.Folder() + QStringLiteral("只读/备份.mdb");
    } else if (number == EISDIR) {
        target = program.Folder() + QStringLiteral("Faces");
    } else {
        return;
    }
    program.Prompts().QueueFileName(target);
    FormMain->ActionSaveExecute();
    const QString text = program.Prompts().LastText();
    QCOMPARE(FailureNumber(text, QStringLiteral("数据库备份失败，失败号为：")), QString::number(number));
    QVERIFY2(text.contains(cause), qPrintable(text));
}

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
