#include "foundation/ShareDM.h"
#include "foundation/Startup.h"
#include "mainwindow/MainForm.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTest>

// Start-up against a missing, a damaged and a foreign database file.
class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void missingDatabaseEndsStartUp();
    void unusableDatabaseIsReportedAndLeftUntouched_data();
    void unusableDatabaseIsReportedAndLeftUntouched();
    void shippedDatabaseOpens();
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

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
