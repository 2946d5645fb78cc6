#include "foundation/Backup.h"
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

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
