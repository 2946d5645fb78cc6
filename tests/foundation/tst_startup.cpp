#include "foundation/BooksPlace.h"
#include "foundation/FileStamp.h"
#include "foundation/IniFile.h"
#include "foundation/KestrelError.h"
#include "foundation/PgBackend.h"
#include "foundation/PublicFunction.h"
#include "foundation/Query.h"
#include "foundation/Schema.h"
#include "foundation/ShareDM.h"
#include "foundation/Startup.h"
#include "mainwindow/MainForm.h"
#include "support/ServerDatabase.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>
#include <sys/stat.h>

// Start-up against a missing, a damaged and a foreign database file, the page check at opening,
// and the upgrade of a file of the previous schema version.
class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void missingDatabaseEndsStartUp();
    void unusableDatabaseIsReportedAndLeftUntouched_data();
    void unusableDatabaseIsReportedAndLeftUntouched();
    void shippedDatabaseOpens();
    void serverThatCannotBeUsedEndsStartUp_data();
    void serverThatCannotBeUsedEndsStartUp();
    void serverKeyOpensTheBooksOnTheServer();
    void unreadableIniEndsStartUp_data();
    void unreadableIniEndsStartUp();
    void iniOfAnyEditorAndPathReachesTheServer_data();
    void iniOfAnyEditorAndPathReachesTheServer();
    void programFolderAndFiles_data();
    void programFolderAndFiles();
    void installedProgramKeepsEachUsersBooksInTheDataFolder();
    void firstShowWithNobodySigningIn();
    void pageCheckAfterCleanClose_data();
    void pageCheckAfterCleanClose();
    void previousVersionIsUpgradedKeepingEveryRow();
    void failedUpgradeLeavesTheFileAsItWas();
};

namespace {

// Every row of every table, in key order, as text: what an upgrade must keep.
QStringList AllRows(const QString& path) {
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("rows"));
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        db.open();
        QSqlQuery query(db);
        for (const QString& table : Schema::TableNames()) {
            query.exec(QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(table));
            while (query.next()) {
                QString row = table;
                for (int i = 0; i < query.record().count(); ++i)
                    row += QLatin1Char('|') + query.value(i).toString();
                rows << row;
            }
        }
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("rows"));
    return rows;
}

// Writes the database of the previous schema version, as that release wrote it, at path.
bool WritePreviousVersion(const QString& path) {
    QFile script(QStringLiteral(KESTREL_TESTS_DIR "/foundation/data/Kestrel-v1.sql"));
    if (!script.open(QIODevice::ReadOnly))
        return false;
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(path.toUtf8().constData(), &db) == SQLITE_OK &&
              sqlite3_exec(db, script.readAll().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Overwrites one page of the file; with keepStamp the file keeps its modification time, as when a
// page goes bad on the disk while the program is not running.
void DamagePage(const QString& path, qint64 page, bool keepStamp) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QDateTime modified = file.fileTime(QFileDevice::FileModificationTime);
    QByteArray garbage(4096, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 37 + 11) & 0xff);
    QVERIFY(file.seek((page - 1) * 4096));
    QCOMPARE(file.write(garbage), qint64(4096));
    file.flush();
    if (keepStamp)
        QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

} // namespace

void TestStartup::missingDatabaseEndsStartUp() {
    TestProgram program(false);
    QVERIFY(!OpenDatabase());
    QCOMPARE(program.Prompts().Messages.size(), size_t(1));
    QCOMPARE(program.Prompts().Messages[0].Kind, QStringLiteral("error"));
    QVERIFY(program.Prompts().Messages[0].Text.startsWith(QStringLiteral("数据库文件找不到")));
    QVERIFY(!ShareDataModule->ADOConnection1.Connected());
    QVERIFY(!QFile::exists(program.DatabasePath()));
}

void TestStartup::unusableDatabaseIsReportedAndLeftUntouched_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("text file") << QByteArray("这不是数据库\r\njust text\r\n");
    QTest::newRow("empty file") << QByteArray();
    QByteArray damaged("SQLite format 3");
    damaged.append('\0');
    damaged.append(QByteArray(4000, '\x7f'));
    QTest::newRow("damaged header") << damaged;
    const QByteArray damagedPage = DatabaseWithDamagedPage();
    QVERIFY(damagedPage.size() > 200 * 4096);
    QTest::newRow("damaged page inside") << damagedPage;
}

void TestStartup::unusableDatabaseIsReportedAndLeftUntouched() {
    QFETCH(QByteArray, content);
    TestProgram program(false);
    {
        QFile file(program.DatabasePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QVERIFY(!OpenDatabase());
    QCOMPARE(program.Prompts().Messages.size(), size_t(1));
    QCOMPARE(program.Prompts().Messages[0].Kind, QStringLiteral("error"));
    QVERIFY(!ShareDataModule->ADOConnection1.Connected());
    QFile file(program.DatabasePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
}

void TestStartup::shippedDatabaseOpens() {
    TestProgram program;
    QVERIFY(ShareDataModule->ADOConnection1.Connected());
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Power Where PowerIndex <= 16")),
             QStringLiteral("16"));
    QVERIFY(program.Prompts().Messages.empty());
}

void TestStartup::serverThatCannotBeUsedEndsStartUp_data() {
    QTest::addColumn<QString>("connection");
    QTest::addColumn<bool>("needsServer");
    QTest::addColumn<QString>("reason");
    QTest::newRow("unreadable connection string") << "host='unclosed" << false << "连接字符串有误";
    QTest::newRow("no server there") << "host=/nonexistent/kestrel port=1 dbname=books user=shop" << false
                                     << "无法连接数据库服务器";
    QTest::newRow("login refused") << "user=nobody_of_this_shop" << true << "无法连接数据库服务器";
    // %1: the name of the server database, which the message names.
    QTest::newRow("database of another program") << "" << true << "数据库“%1”不是本软件的数据库";
}

// An INI key naming a server that cannot be used ends start-up with one clear message; nothing
// is created, neither a database file nor a table on the server.
void TestStartup::serverThatCannotBeUsedEndsStartUp() {
    QFETCH(QString, connection);
    QFETCH(bool, needsServer);
    QFETCH(QString, reason);
    ServerDatabase server;
    if (needsServer)
        REQUIRE_SERVER(server);
    TestProgram program(false);
    QString key = connection;
    if (needsServer) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("foreign"));
        QString problem;
        db.setConnectOptions(PgBackend::ConnectOptions(server.ConnectionString(), &problem));
        QVERIFY(db.open());
        QSqlQuery(db).exec(QStringLiteral("CREATE TABLE Other (Id INTEGER)"));
        db.close();
        key = server.ConnectionString() + QLatin1Char(' ') + connection;
    }
    QVERIFY(WriteIniString(QStringLiteral("Kestrel"), ServerIniKey(), key, IniFileName));
    QVERIFY(!OpenDatabase());
    QCOMPARE(program.Prompts().Messages.size(), size_t(1));
    QCOMPARE(program.Prompts().Messages[0].Kind, QStringLiteral("error"));
    QVERIFY2(program.Prompts().Messages[0].Text.contains(reason.replace(QStringLiteral("%1"), server.Name())),
             qPrintable(program.Prompts().Messages[0].Text));
    QVERIFY(!ShareDataModule->ADOConnection1.Connected());
    QVERIFY(!QFile::exists(program.DatabasePath()));
    if (needsServer) {
        QSqlDatabase db = QSqlDatabase::database(QStringLiteral("foreign"));
        QSqlQuery tables(db);
        QVERIFY(tables.exec(QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE "
                                           "table_schema = current_schema()")));
        QVERIFY(tables.next());
        QCOMPARE(tables.value(0).toInt(), 1);
        tables.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
}

// With the key set, the program works on the server's books; no database file is needed.
void TestStartup::serverKeyOpensTheBooksOnTheServer() {
    ServerDatabase server;
    REQUIRE_SERVER(server);
    TestProgram program(false);
    QVERIFY(
        WriteIniString(QStringLiteral("Kestrel"), ServerIniKey(), server.ConnectionString(), IniFileName));
    QVERIFY(OpenDatabase());
    QVERIFY(program.Prompts().Messages.empty());
    QCOMPARE(ShareDataModule->ADOConnection1.CurrentEngine(), Engine::PostgreSql);
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Power Where PowerIndex <= 16")),
             QStringLiteral("16"));
    QCOMPARE(program.Scalar(QStringLiteral("Select Version From SchemaVersion")),
             QString::number(Schema::Version));
    QVERIFY(!QFile::exists(program.DatabasePath()));
    // Opening again finds the books as they are.
    program.Exec(QStringLiteral("Insert Into Customer (CustomerName) Values ('甲')"));
    QVERIFY(OpenDatabase());
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Customer Where CustomerIndex > 1")),
             QStringLiteral("1"));
}

void TestStartup::unreadableIniEndsStartUp_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("a folder") << "folder";
    QTest::newRow("a named pipe") << "pipe";
    QTest::newRow("larger than 16 MB") << "large";
}

// The INI file exists but cannot be read: it may name the server the other workstations use, so
// start-up says so and ends instead of opening the database file beside the program.
void TestStartup::unreadableIniEndsStartUp() {
    QFETCH(QString, kind);
    TestProgram program(false);
    QCOMPARE(Schema::CreateDatabase(program.DatabasePath()), QString());
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(IniFileName));
    } else if (kind == QLatin1String("pipe")) {
        QCOMPARE(mkfifo(QFile::encodeName(IniFileName).constData(), 0600), 0);
    } else {
        QFile ini(IniFileName);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Kestrel]\r\nPostgreSQL=host=server dbname=kestrel\r\n");
        QVERIFY(ini.resize(17 * 1024 * 1024));
    }
    QVERIFY(!OpenDatabase());
    QCOMPARE(program.Prompts().Messages.size(), size_t(1));
    QCOMPARE(program.Prompts().Messages[0].Kind, QStringLiteral("error"));
    const QString text = program.Prompts().Messages[0].Text;
    QVERIFY2(
        text.startsWith(QStringLiteral("配置文件“%1”无法读取").arg(QDir::toNativeSeparators(IniFileName))),
        qPrintable(text));
    QVERIFY(!ShareDataModule->ADOConnection1.Connected());
}

void TestStartup::iniOfAnyEditorAndPathReachesTheServer_data() {
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<bool>("longPath");
    QTest::newRow("GBK") << "GBK" << false;
    QTest::newRow("UTF-8 with a byte-order mark") << "UTF-8" << false;
    QTest::newRow("UTF-16 with a byte-order mark") << "UTF-16" << false;
    QTest::newRow("GBK in a folder of a long path") << "GBK" << true;
    QTest::newRow("UTF-8 with a byte-order mark in a folder of a long path") << "UTF-8" << true;
}

// The key naming the server is found in an INI saved in any of these forms and in a program folder
// of a long path; the database file beside the program is never opened instead.
void TestStartup::iniOfAnyEditorAndPathReachesTheServer() {
    QFETCH(QString, encoding);
    QFETCH(bool, longPath);
    ServerDatabase server;
    REQUIRE_SERVER(server);
    TestProgram program(false);
    QString folder = program.Folder();
    if (longPath) {
        // Over 255 bytes, the limit of the INI functions' buffers; the database file's path stays
        // within what SQLite opens (512 bytes).
        for (int level = 0; level < 3; ++level)
            folder += QString(45, QChar(0x5E10)) + QLatin1Char('/'); // 帐
        QVERIFY(QDir().mkpath(folder));
        SetProgramFolder(folder);
        QVERIFY(GbkLength(IniFileName) > 255);
    }
    QCOMPARE(Schema::CreateDatabase(ProgramFolder + QStringLiteral("Kestrel.mdb")), QString());
    const QString text = QStringLiteral("; 岚峰\r\n[Kestrel]\r\nPrintType=横向打印\r\nPostgreSQL=") +
                         server.ConnectionString() + QStringLiteral("\r\n");
    QByteArray bytes;
    if (encoding == QLatin1String("UTF-8")) {
        bytes = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    } else if (encoding == QLatin1String("UTF-16")) {
        bytes = QByteArray("\xFF\xFE");
        for (const QChar c : text)
            bytes.append(static_cast<char>(c.unicode() & 0xff)).append(static_cast<char>(c.unicode() >> 8));
    } else {
        bytes = ToGbk(text);
    }
    {
        QFile ini(IniFileName);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        QCOMPARE(ini.write(bytes), bytes.size());
    }
    QVERIFY(OpenDatabase());
    QVERIFY(program.Prompts().Messages.empty());
    QCOMPARE(ShareDataModule->ADOConnection1.CurrentEngine(), Engine::PostgreSql);
    QCOMPARE(program.Scalar(QStringLiteral("Select current_database()")), server.Name());
    ShareDataModule->ADOConnection1.Close();
}

void TestStartup::programFolderAndFiles_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");
    QTest::newRow("without separator") << QStringLiteral("岚峰") << QStringLiteral("岚峰/");
    QTest::newRow("with separator") << QStringLiteral("kestrel/") << QStringLiteral("kestrel/");
    QTest::newRow("dot segments") << QStringLiteral("a/../kestrel") << QStringLiteral("kestrel/");
}

void TestStartup::programFolderAndFiles() {
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    // A folder the program may write (the build folder, a USB stick): the books and the INI beside it.
    QTemporaryDir base;
    QVERIFY(QDir().mkpath(base.filePath(QStringLiteral("a"))) &&
            QDir().mkpath(base.filePath(QStringLiteral("kestrel"))) &&
            QDir().mkpath(base.filePath(QStringLiteral("岚峰"))));
    const QString before = ProgramFolder;
    SetProgramFolder(base.filePath(folder));
    QCOMPARE(ProgramFolder, base.filePath(expected));
    QCOMPARE(BooksFolder, ProgramFolder);
    QCOMPARE(IniFileName, base.filePath(expected) + QStringLiteral("Kestrel.ini"));
    SetProgramFolder(before);
}

void TestStartup::installedProgramKeepsEachUsersBooksInTheDataFolder() {
    TestProgram program(false);
    // The folder as the package installs it: the empty books, the default INI, the package's mark.
    QCOMPARE(Schema::CreateDatabase(program.DatabasePath()), QString());
    QVERIFY(WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("PrintType"), QStringLiteral("纵向打印"),
                           IniFileName));
    {
        QFile mark(program.Folder() + BooksPlace::PackagedMark());
        QVERIFY(mark.open(QIODevice::WriteOnly));
    }
    const QByteArray emptyBooks = ReadFile(program.DatabasePath());
    const QString programFolder = program.Folder();
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    QTemporaryDir users;
    for (const QString& user : {QStringLiteral("li"), QStringLiteral("wang")}) {
        // Each user's first start, with the user's own data folder.
        const QString userData = users.filePath(user + QStringLiteral("/share"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(userData));
        SetProgramFolder(programFolder);
        QCOMPARE(ProgramFolder, programFolder);
        QVERIFY(BooksFolder.startsWith(userData + QLatin1Char('/')));
        QCOMPARE(IniFileName, BooksFolder + QStringLiteral("Kestrel.ini"));
        QVERIFY(OpenDatabase());
        QVERIFY(program.Prompts().Messages.empty());
        QCOMPARE(DataSourceOf(ShareDataModule->ADOConnection1.ConnectionString),
                 BooksFolder + QStringLiteral("Kestrel.mdb"));
        QCOMPARE(
            ReadIniString(QStringLiteral("Kestrel"), QStringLiteral("PrintType"), QString(), IniFileName),
            QStringLiteral("纵向打印"));
        QVERIFY(
            BooksPlaceText().contains(QDir::toNativeSeparators(BooksFolder + QStringLiteral("Kestrel.mdb"))));
        program.Exec(QStringLiteral("Insert Into Customer (CustomerName) Values ('%1')").arg(user));
        ShareDataModule->ADOConnection1.Close();
        // The next start opens the same books, with what was entered (and not the other user's
        // entry), and the user's INI.
        QVERIFY(WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("PrintType"),
                               QStringLiteral("横向打印"), IniFileName));
        SetProgramFolder(programFolder);
        QVERIFY(OpenDatabase());
        QCOMPARE(program.Scalar(
                     QStringLiteral("Select Count(*) From Customer Where CustomerName In ('li','wang')")),
                 QStringLiteral("1"));
        QCOMPARE(
            ReadIniString(QStringLiteral("Kestrel"), QStringLiteral("PrintType"), QString(), IniFileName),
            QStringLiteral("横向打印"));
        ShareDataModule->ADOConnection1.Close();
    }
    // Neither user's entries reached the other's books nor the installed empty books.
    QCOMPARE(ReadFile(programFolder + QStringLiteral("Kestrel.mdb")), emptyBooks);
    QCOMPARE(ReadIniString(QStringLiteral("Kestrel"), QStringLiteral("PrintType"), QString(),
                           programFolder + QStringLiteral("Kestrel.ini")),
             QStringLiteral("纵向打印"));
    if (dataHome.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", dataHome);
    SetProgramFolder(programFolder);
}

void TestStartup::firstShowWithNobodySigningIn() {
    TestProgram program;
    // The database opened is the one beside the program, with the connection string of old, or
    // the server the configuration file names.
    if (program.OnServer())
        QCOMPARE(ShareDataModule->ADOConnection1.Server,
                 ReadIniString(QStringLiteral("Kestrel"), ServerIniKey(), QString(), IniFileName));
    else
        QCOMPARE(ShareDataModule->ADOConnection1.ConnectionString,
                 BuildConnectionString(program.Folder() + QStringLiteral("Kestrel.mdb"),
                                       QStringLiteral("Qolmarn")));
    FormMain->SetWorkingDate(QDate(2001, 1, 1));
    FormMain->show();
    program.Prompts().QueueModal([](QDialog*) {}); // the sign-in window, closed without signing in
    FormMain->FormShow();
    QCOMPARE(program.Prompts().PendingScripts(), 0);
    QVERIFY(ShareDataModule->ADOConnection1.Connected());
    QCOMPARE(FormMain->WorkingDate(), QDate::currentDate());
    QVERIFY(!FormMain->isVisible());
    QVERIFY(program.Prompts().Texts().isEmpty());
    // Nothing is written to the configuration file at start-up.
    QVERIFY(!program.IniWritten());
    // The maintenance page says where the books are.
    auto* place = FormMain->TabSheet6->findChild<QLabel*>(QStringLiteral("BooksPlaceLabel"));
    QVERIFY(place != nullptr);
    QVERIFY2(place->text().contains(program.OnServer() ? QStringLiteral("PostgreSQL 服务器")
                                                       : QDir::toNativeSeparators(program.DatabasePath())),
             qPrintable(place->text()));
    QVERIFY(place->text().contains(QDir::toNativeSeparators(BooksFolder)));
    FormMain->PageControl1->setCurrentWidget(FormMain->TabSheet6);
    FormMain->show();
    SaveScreenshot(FormMain, QStringLiteral("maintenance-books-place.png"));
    FormMain->hide();
}

void TestStartup::pageCheckAfterCleanClose_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<bool>("keepStamp");
    QTest::addColumn<bool>("refusedAtOnce");
    // A file changed by anything but the program since its last clean close: every page is checked.
    QTest::newRow("customer page, file changed since") << QStringLiteral("Customer") << false << true;
    QTest::newRow("document page, file changed since") << QStringLiteral("Bill") << false << true;
    QTest::newRow("voucher page, file changed since") << QStringLiteral("MoneyTable") << false << true;
    // A page gone bad on the disk, the file's size, time and header as the program left them: the
    // tables other than documents and vouchers are checked at every opening.
    QTest::newRow("customer page gone bad") << QStringLiteral("Customer") << true << true;
    QTest::newRow("document page gone bad") << QStringLiteral("Bill") << true << false;
}

void TestStartup::pageCheckAfterCleanClose() {
    QFETCH(QString, table);
    QFETCH(bool, keepStamp);
    QFETCH(bool, refusedAtOnce);
    TestProgram program;
    if (program.OnServer())
        QSKIP("checks the pages of the database file; the books are on the server");
    const QString path = program.DatabasePath();
    const QString rows =
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) ");
    program.Exec(rows + QStringLiteral("INSERT INTO Customer (CustomerName, CustomerRemark) "
                                       "SELECT 'C' || i, hex(randomblob(150)) FROM n"));
    program.Exec(rows + QStringLiteral("INSERT INTO Bill (BillKind, BillUser, BillRemark) "
                                       "SELECT '销售开单', 'C' || i, hex(randomblob(150)) FROM n"));
    program.Exec(rows + QStringLiteral("INSERT INTO MoneyTable (MoneyBill, MoneyUser, MoneyRemark) "
                                       "SELECT i + 1, 'C' || i, hex(randomblob(150)) FROM n"));
    const qint64 page =
        program
            .Scalar(QStringLiteral("SELECT pageno FROM dbstat WHERE name = '%1' AND pagetype = 'leaf' "
                                   "ORDER BY pageno LIMIT 1 OFFSET 3")
                        .arg(table))
            .toLongLong();
    QVERIFY(page > 1);
    ShareDataModule->ADOConnection1.Close();
    QVERIFY(FileStamp::IsAsLeft(path));
    QTest::qWait(30); // past the resolution of the file system's clock
    DamagePage(path, page, keepStamp);
    QCOMPARE(FileStamp::IsAsLeft(path), keepStamp);

    const QByteArray damaged = ReadFile(path);
    QCOMPARE(OpenDatabase(), !refusedAtOnce);
    if (refusedAtOnce) {
        QCOMPARE(program.Prompts().Messages.size(), size_t(1));
        QVERIFY(program.Prompts().Messages[0].Text.contains(QStringLiteral("已损坏")));
        QCOMPARE(ReadFile(path), damaged);
        return;
    }
    // The damaged page shows when it is read; the action ends with the engine's message and the
    // next opening checks every page and refuses the file.
    Query query(&ShareDataModule->ADOConnection1);
    QVERIFY_THROWS_EXCEPTION(KestrelError, query.Open(QStringLiteral("Select * From ") + table));
    ShareDataModule->ADOConnection1.Close();
    QVERIFY(!FileStamp::IsAsLeft(path));
    QVERIFY(!OpenDatabase());
    QCOMPARE(ReadFile(path), damaged);
}

void TestStartup::previousVersionIsUpgradedKeepingEveryRow() {
    TestProgram program(false);
    const QString path = program.DatabasePath();
    QVERIFY(WritePreviousVersion(path));
    const QStringList before = AllRows(path);
    QVERIFY(before.size() > 150);
    QVERIFY(OpenDatabase());
    QVERIFY(program.Prompts().Messages.empty());
    QCOMPARE(program.Scalar(QStringLiteral("PRAGMA user_version")), QString::number(Schema::Version));
    // The upgraded file has the indexes of a new one.
    const QString indexes = QStringLiteral(
        "SELECT group_concat(name || ':' || sql, ';') FROM (SELECT name, sql FROM sqlite_master "
        "WHERE type = 'index' AND sql IS NOT NULL ORDER BY name)");
    const QString upgraded = program.Scalar(indexes);
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("new.mdb"));
    QCOMPARE(Schema::CreateDatabase(fresh), QString());
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fresh"));
        db.setDatabaseName(fresh);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(indexes) && query.next());
        QCOMPARE(upgraded, query.value(0).toString());
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fresh"));
    QVERIFY(upgraded.contains(QStringLiteral("IX_MoneyBill ON MoneyTable (MoneyBill, MoneySum)")));
    // Indexes a later version dropped are gone from a file that passed through the version that made them.
    QVERIFY(upgraded.contains(QStringLiteral("IX_HistoryRecord")));
    QVERIFY(!upgraded.contains(QStringLiteral("IX_HistoryTime")));
    QVERIFY(!upgraded.contains(QStringLiteral("IX_HistoryUser")));
    QVERIFY(!upgraded.contains(QStringLiteral("IX_HistoryAction")));
    ShareDataModule->ADOConnection1.Close();
    QCOMPARE(AllRows(path), before);
    // Opened again, nothing more is done to it.
    const QByteArray upgradedFile = ReadFile(path);
    QVERIFY(OpenDatabase());
    ShareDataModule->ADOConnection1.Close();
    QCOMPARE(ReadFile(path), upgradedFile);
}

void TestStartup::failedUpgradeLeavesTheFileAsItWas() {
    TestProgram program(false);
    const QString path = program.DatabasePath();
    QVERIFY(WritePreviousVersion(path));
    // Without the column the rebuilt index needs, the upgrade fails after it has dropped the old index.
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    const int altered =
        sqlite3_exec(db, "DROP INDEX IX_MoneyAccount; ALTER TABLE MoneyTable DROP COLUMN MoneySum", nullptr,
                     nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(altered, SQLITE_OK);
    const QByteArray before = ReadFile(path);
    QVERIFY(!OpenDatabase());
    QCOMPARE(program.Prompts().Messages.size(), size_t(1));
    QVERIFY(program.Prompts().Messages[0].Text.contains(QStringLiteral("无法升级")));
    QVERIFY(!ShareDataModule->ADOConnection1.Connected());
    QCOMPARE(ReadFile(path), before);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
