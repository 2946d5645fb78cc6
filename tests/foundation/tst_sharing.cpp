#include "foundation/Connection.h"
#include "foundation/KestrelError.h"
#include "foundation/Query.h"
#include "support/ServerDatabase.h"

#include <QTest>

// Two workstations on one server: a change stored over a record that the other changed or
// deleted since it was read is refused, and nothing of either change is lost.
class TestSharing : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void staleWritesAreRefused_data();
    void staleWritesAreRefused();

private:
    static QString Customer(DbConnection& connection);
    ServerDatabase server;
    DbConnection first;
    DbConnection second;
};

void TestSharing::initTestCase() {
    REQUIRE_SERVER(server);
    first.Server = server.ConnectionString();
    second.Server = server.ConnectionString();
    QVERIFY2(first.Open(), qPrintable(first.LastError()));
    QVERIFY2(second.Open(), qPrintable(second.LastError()));
}

// The stored customer as name|phone, or "none".
QString TestSharing::Customer(DbConnection& connection) {
    Query q(&connection);
    q.Open(QStringLiteral("Select * From Customer Where CustomerIndex > 1"));
    if (q.RecordCount() == 0)
        return QStringLiteral("none");
    return q.FieldByName(QStringLiteral("CustomerName")).AsString() + QLatin1Char('|') +
           q.FieldByName(QStringLiteral("CustomerPhone")).AsString();
}

void TestSharing::staleWritesAreRefused_data() {
    QTest::addColumn<QString>("otherDoes"); // what the first workstation does meanwhile
    QTest::addColumn<QString>("thisDoes");  // what the second then stores: change or delete
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("stored");
    QTest::newRow("change over a change") << "change"
                                          << "change" << true << "甲商行|111";
    QTest::newRow("change over a deletion") << "delete"
                                            << "change" << true << "none";
    QTest::newRow("deletion over a change") << "change"
                                            << "delete" << true << "甲商行|111";
    QTest::newRow("deletion over a deletion") << "delete"
                                              << "delete" << true << "none";
    QTest::newRow("change of an untouched record") << "nothing"
                                                   << "change" << false << "甲商行|222";
    QTest::newRow("deletion of an untouched record") << "nothing"
                                                     << "delete" << false << "none";
}

void TestSharing::staleWritesAreRefused() {
    QFETCH(QString, otherDoes);
    QFETCH(QString, thisDoes);
    QFETCH(bool, refused);
    QFETCH(QString, stored);
    Query setUp(&first);
    setUp.ExecSql(QStringLiteral("Delete From Customer Where CustomerIndex > 1"));
    setUp.ExecSql(QStringLiteral(
        "Insert Into Customer (CustomerName, CustomerPhone, CustomerOwe) Values ('甲商行', '000', 5)"));

    Query mine(&second);
    mine.Open(QStringLiteral("Select * From Customer Where CustomerName = '甲商行'"));
    QCOMPARE(mine.RecordCount(), 1);

    Query other(&first);
    other.Open(QStringLiteral("Select * From Customer Where CustomerName = '甲商行'"));
    if (otherDoes == QLatin1String("change")) {
        other.Edit();
        other.FieldByName(QStringLiteral("CustomerPhone")).SetAsString(QStringLiteral("111"));
        other.Post();
    } else if (otherDoes == QLatin1String("delete")) {
        other.Delete();
    }

    QString message;
    try {
        if (thisDoes == QLatin1String("change")) {
            mine.Edit();
            mine.FieldByName(QStringLiteral("CustomerPhone")).SetAsString(QStringLiteral("222"));
            mine.Post();
        } else {
            mine.Delete();
        }
    } catch (const KestrelError& error) {
        message = error.Message();
    }
    QCOMPARE(message.isEmpty(), !refused);
    if (refused)
        QCOMPARE(message, QStringLiteral("该记录已被其他用户修改，请刷新后重试"));
    QCOMPARE(Customer(first), stored);
}

QTEST_GUILESS_MAIN(TestSharing)
#include "tst_sharing.moc"
