#include "foundation/PublicFunction.h"
#include "foundation/Schema.h"
#include "foundation/ShareDM.h"
#include "foundation/Startup.h"
#include "mainwindow/MainForm.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// Start-up against a missing, a damaged and a foreign database file.
class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void missingDatabaseEndsStartUp();
    void unusableDatabaseIsReportedAndLeftUntouched_data();
    void unusableDatabaseIsReportedAndLeftUntouched();
    void shippedDatabaseOpens();
    void programFolderAndFiles_data();
    void programFolderAndFiles();
    void firstShowWithNobodySigningIn();
};

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

void TestStartup::programFolderAndFiles_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");
    QTest::newRow("without separator") << QStringLiteral("/opt/岚峰") << QStringLiteral("/opt/岚峰/");
    QTest::newRow("with separator") << QStringLiteral("/opt/kestrel/") << QStringLiteral("/opt/kestrel/");
    QTest::newRow("dot segments") << QStringLiteral("/opt/a/../kestrel") << QStringLiteral("/opt/kestrel/");
}

void TestStartup::programFolderAndFiles() {
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    const QString before = ProgramFolder;
    SetProgramFolder(folder);
    QCOMPARE(ProgramFolder, expected);
    QCOMPARE(IniFileName, expected + QStringLiteral("Kestrel.ini"));
    SetProgramFolder(before);
}

void TestStartup::firstShowWithNobodySigningIn() {
    TestProgram program;
    // The database opened is the one beside the program, with the connection string of old.
    QCOMPARE(
        ShareDataModule->ADOConnection1.ConnectionString,
        BuildConnectionString(program.Folder() + QStringLiteral("Kestrel.mdb"), QStringLiteral("Qolmarn")));
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
    QVERIFY(!QFile::exists(IniFileName));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
