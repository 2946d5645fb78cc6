#include "TestSupport.h"

#include "app/Forms.h"
#include "foundation/IniFile.h"
#include "foundation/JetSql.h"
#include "foundation/Leftovers.h"
#include "foundation/PublicFunction.h"
#include "foundation/Schema.h"
#include "foundation/ShareDM.h"
#include "foundation/Startup.h"
#include "mainwindow/MainForm.h"
#include "support/ServerDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>

namespace {
// Copies the program's pictures and templates so windows find them beside the "program". A plain
// copy of the files: the test's folder goes when the test ends, nothing need reach the disk first.
void CopyTree(const QString& from, const QString& to) {
    if (!QDir(from).exists())
        return;
    std::error_code error;
    std::filesystem::copy(QFile::encodeName(from).toStdString(), QFile::encodeName(to).toStdString(),
                          std::filesystem::copy_options::recursive, error);
    if (error)
        qFatal("cannot copy %s to the test's folder: %s", qPrintable(from), error.message().c_str());
}

// New books as Schema::CreateDatabase writes them, written once per test program and copied for
// each test: the same file every time, without writing every table and its rows again.
QString CreateBooksFile(const QString& path) {
    static QTemporaryDir folder;
    static const QString made = folder.filePath(QStringLiteral("Kestrel.mdb"));
    static const QString error = folder.isValid() ? Schema::CreateDatabase(made) : folder.errorString();
    if (!error.isEmpty())
        return error;
    if (QFileInfo::exists(path))
        return QStringLiteral("文件已存在：") + path;
    std::error_code copyError;
    if (!std::filesystem::copy_file(QFile::encodeName(made).toStdString(),
                                    QFile::encodeName(path).toStdString(), copyError))
        return QString::fromStdString(copyError.message());
    return QString();
}
} // namespace

TestProgram::TestProgram(bool openDatabase, bool startAsProgram) {
    auto scripted = std::make_unique<ScriptedPrompts>();
    prompts = scripted.get();
    previous = ::Prompts::Install(std::move(scripted));
    const QString data = qEnvironmentVariable("KESTREL_DATA_DIR");
    if (!data.isEmpty())
        CopyTree(data, dir.path());
    SetProgramFolder(dir.path());
    // The notes of unfinished files stay with the test's folder, away from the user's own.
    Leftovers::SetNoteFolder(dir.filePath(QStringLiteral(".unfinished")));
    CurrentRole.clear();
    CurrentUser.clear();
    CurrentRights.clear();
    CustomerFilter.clear();
    AccountFilter.clear();
    BillFilter.clear();
    MoneyFilter.clear();
    CreateForms();
    if (!startAsProgram) {
        std::array<bool, 8> every;
        every.fill(true);
        FormMain->ShowOnlyPages(every);
    }
    if (openDatabase && qEnvironmentVariable("KESTREL_TEST_ENGINE") == QLatin1String("postgresql")) {
        server = std::make_unique<ServerDatabase>();
        if (!server->Available())
            qFatal("no server database for the test: %s", qPrintable(server->Problem()));
        // The program finds the server as a workstation does: by the key in its configuration file.
        if (!WriteIniString(QStringLiteral("Kestrel"), ServerIniKey(), server->ConnectionString(),
                            IniFileName))
            qFatal("cannot write the test's configuration file");
        QFile ini(IniFileName);
        if (ini.open(QIODevice::ReadOnly))
            iniAtStart = ini.readAll();
        if (!OpenDatabase())
            qFatal("cannot open the test database on the server: %s",
                   qPrintable(ShareDataModule->ADOConnection1.LastError()));
    } else if (openDatabase) {
        const QString error = CreateBooksFile(DatabasePath());
        if (!error.isEmpty())
            qFatal("cannot create the test database: %s", qPrintable(error));
        if (!OpenDatabase())
            qFatal("cannot open the test database");
    }
}

TestProgram::~TestProgram() {
    DestroyForms();
    ::Prompts::Install(std::move(previous));
}

QString TestProgram::Folder() const {
    return ProgramFolder;
}

bool TestProgram::IniWritten() const {
    QFile ini(IniFileName);
    if (!ini.open(QIODevice::ReadOnly))
        return !iniAtStart.isEmpty();
    return ini.readAll() != iniAtStart;
}

bool TestProgram::OpenOtherWorkstation(DbConnection& connection) {
    if (server)
        connection.Server = server->ConnectionString();
    else
        connection.ConnectionString = BuildConnectionString(DatabasePath(), QString());
    if (connection.Open())
        return true;
    QTest::qFail(qPrintable(connection.LastError()), __FILE__, __LINE__);
    return false;
}

QString TestProgram::DatabasePath() const {
    return ProgramFolder + QStringLiteral("Kestrel.mdb");
}

void TestProgram::Exec(const QString& sql) {
    QSqlQuery query(ShareDataModule->ADOConnection1.Database());
    if (!query.exec(ShareDataModule->ADOConnection1.EngineSql(sql))) {
        QTest::qFail(qPrintable(query.lastError().text() + QStringLiteral(" in ") + sql), __FILE__, __LINE__);
        return;
    }
    // Fixtures write rows with their keys; the server's key sequences then move past them, as after
    // a copy of the books, so that the program's own new rows get new keys.
    static const QRegularExpression insert(QStringLiteral("^\\s*Insert\\s+Into\\s+(\\w+)"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch inserted = insert.match(sql);
    if (OnServer() && inserted.hasMatch()) {
        const QString error =
            Schema::AdvanceKeys(ShareDataModule->ADOConnection1.Database(), {inserted.captured(1)});
        if (!error.isEmpty())
            QTest::qFail(qPrintable(error), __FILE__, __LINE__);
    }
}

QString TestProgram::Scalar(const QString& sql) {
    QSqlQuery query(ShareDataModule->ADOConnection1.Database());
    if (!query.exec(ShareDataModule->ADOConnection1.EngineSql(sql))) {
        QTest::qFail(qPrintable(query.lastError().text() + QStringLiteral(" in ") + sql), __FILE__, __LINE__);
        return QString();
    }
    return query.next() ? query.value(0).toString() : QString();
}

QString TestProgram::Joined(const QString& sql, const QString& separator) {
    QSqlQuery query(ShareDataModule->ADOConnection1.Database());
    if (!query.exec(ShareDataModule->ADOConnection1.EngineSql(sql))) {
        QTest::qFail(qPrintable(query.lastError().text() + QStringLiteral(" in ") + sql), __FILE__, __LINE__);
        return QString();
    }
    QStringList values;
    while (query.next())
        values << query.value(0).toString();
    return values.join(separator);
}

void TestProgram::RefuseWrites(const QString& table, const QString& event, const QString& message) {
    const QString name = QStringLiteral("Refuse%1%2").arg(table, event);
    QStringList statements;
    if (OnServer()) {
        statements << QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS "
                                     "$body$BEGIN RAISE EXCEPTION %2; END$body$")
                          .arg(name, SqlText(message))
                   << QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW EXECUTE FUNCTION %1()")
                          .arg(name, event, table);
    } else {
        statements << QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 BEGIN SELECT RAISE(ABORT, %4); END")
                          .arg(name, event, table, SqlText(message));
    }
    // The engine's own statements: not Jet SQL, so not rewritten.
    QSqlQuery query(ShareDataModule->ADOConnection1.Database());
    for (const QString& sql : statements)
        if (!query.exec(sql))
            QTest::qFail(qPrintable(query.lastError().text() + QStringLiteral(" in ") + sql), __FILE__,
                         __LINE__);
}

// A database of this program whose header, schema and tables read well, with one page of the
// customer list overwritten: only a read of that page, or a check of every page, shows it.
QByteArray DatabaseWithDamagedPage() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Kestrel.mdb"));
    if (!Schema::CreateDatabase(path).isEmpty())
        return QByteArray();
    const int pagesBefore = static_cast<int>(QFileInfo(path).size() / 4096);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("damage"));
        db.setDatabaseName(path);
        db.open();
        db.transaction();
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("Insert Into Customer (CustomerName, CustomerAddress) Values (?, ?)"));
        for (int i = 0; i < 2000; ++i) {
            insert.addBindValue(QStringLiteral("客户%1").arg(i));
            insert.addBindValue(QString(100, QChar(0x5730)));
            insert.exec();
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("damage"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QByteArray bytes = file.readAll();
    const int pages = static_cast<int>(bytes.size() / 4096);
    const int page = (pagesBefore + pages) / 2; // among the pages the customers were written to
    for (int i = 0; i < 4096; ++i)
        bytes[page * 4096 + i] = static_cast<char>((i * 37 + 11) & 0xff);
    return bytes;
}

namespace {
// The bytes of a database file written by prepare on a connection of its own.
QByteArray DatabaseBytes(const std::function<void(QSqlDatabase)>& prepare) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("prepared.mdb"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("prepared"));
        db.setDatabaseName(path);
        if (db.open())
            prepare(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("prepared"));
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

void AddFilesThatAreNoBooks() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("text file") << QByteArray("这不是数据库\r\njust text\r\n");
    QTest::newRow("empty file") << QByteArray();
    QByteArray header("SQLite format 3");
    header.append('\0');
    header.append(QByteArray(4000, '\x7f'));
    QTest::newRow("damaged header") << header;
    const QByteArray damagedPage = DatabaseWithDamagedPage();
    QVERIFY(!damagedPage.isEmpty());
    QTest::newRow("damaged page inside") << damagedPage;
    // A database of another program: tables of its own, none of ours.
    const QByteArray foreign = DatabaseBytes(
        [](QSqlDatabase db) { QSqlQuery(db).exec(QStringLiteral("Create Table Notes (Text)")); });
    QVERIFY(!foreign.isEmpty());
    QTest::newRow("another program's database") << foreign;
    // Books written by a later release of the program.
    const QByteArray newer = DatabaseBytes([](QSqlDatabase db) {
        Schema::CreateSchema(db);
        QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = %1").arg(Schema::Version + 1));
    });
    QVERIFY(!newer.isEmpty());
    QTest::newRow("a later version's books") << newer;
}

QString FailureNumber(const QString& text, const QString& words) {
    if (!text.startsWith(words))
        return QString();
    const QString number = text.mid(words.size()).section(QLatin1Char('\n'), 0, 0);
    return !number.isEmpty() && IsAllDigits(number) ? number : QString();
}

void SaveScreenshot(QWidget* window, const QString& name) {
    const QString folder = qEnvironmentVariable("KESTREL_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    window->grab().save(folder + QLatin1Char('/') + name);
}

QStringList ChildrenOutside(QWidget* window) {
    QStringList outside;
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->isWindow() || !child->isVisibleTo(window) || child->objectName().isEmpty() ||
            child->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const QRect area(child->mapTo(window, QPoint(0, 0)), child->size());
        if (!window->rect().contains(area))
            outside << child->objectName();
    }
    return outside;
}
