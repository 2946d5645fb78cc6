#include "documents/DocumentRules.h"
#include "finance/VoucherRules.h"
#include "foundation/Connection.h"
#include "foundation/KestrelError.h"
#include "foundation/PublicFunction.h"
#include "foundation/Query.h"
#include "foundation/Schema.h"
#include "reports/ReportPool.h"
#include "support/Books.h"
#include "support/ServerDatabase.h"

#include <QSet>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <thread>

// Two workstations on one set of books: a change stored over a record that the other changed or
// deleted since it was read is refused, and nothing of either change is lost; records entered at
// the same moment get distinct serials; reports printed at the same moment each print their own
// lines. The books are a database file (two connections to it) or a database on the test server.
class TestSharing : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void staleWritesAreRefused_data();
    void staleWritesAreRefused();
    void serialsStayDistinct_data();
    void serialsStayDistinct();
    void reportsAtOnceKeepTheirLines_data();
    void reportsAtOnceKeepTheirLines();
    void documentPrintsAtOnceKeepTheirCapitals_data();
    void documentPrintsAtOnceKeepTheirCapitals();
    void firstOpeningsAtOnce();

private:
    static QString Customer(DbConnection& connection);
    ServerDatabase server;
    DbConnection first;
    DbConnection second;
};

namespace {

// Fresh books for one test row: a new database file, or a new database on the test server.
class SharedBooks {
public:
    explicit SharedBooks(const QString& engine) {
        if (engine == QLatin1String("server")) {
            database = std::make_unique<ServerDatabase>();
            problem = database->Problem();
            // The first opening writes the tables; the workstations come after it.
            DbConnection first;
            if (problem.isEmpty()) {
                first.Server = database->ConnectionString();
                if (!first.Open())
                    problem = first.LastError();
            }
            return;
        }
        file = dir.filePath(QStringLiteral("Kestrel.mdb"));
        problem = Schema::CreateDatabase(file);
    }
    const QString& Problem() const { return problem; }
    // Opens a connection of its own on the books; raises KestrelError when it cannot.
    void Open(DbConnection& connection) const {
        bool opened = false;
        if (database) {
            connection.Server = database->ConnectionString();
            opened = connection.Open();
        } else {
            opened = OpenBooksFile(connection, file);
        }
        if (!opened)
            throw KestrelError(connection.LastError());
        // Two connections that write to one file without a pause take turns at its one write
        // lock; the one waiting may wait longer than a workstation ever does.
        if (!database)
            QSqlQuery(connection.Database()).exec(QStringLiteral("PRAGMA busy_timeout = 120000"));
    }

private:
    QTemporaryDir dir;
    QString file;
    std::unique_ptr<ServerDatabase> database;
    QString problem;
};

// Runs work on two workstations at once, each in a thread with its own connection to the books.
// Returns what went wrong on either ("" when nothing did).
QString AtOnce(const SharedBooks& books, const std::function<QString(DbConnection&, int workstation)>& work) {
    QString problems[2];
    std::thread workstations[2];
    for (int w = 0; w < 2; ++w) {
        workstations[w] = std::thread([&books, &work, &problems, w] {
            DbConnection connection;
            try {
                books.Open(connection);
                problems[w] = work(connection, w);
            } catch (const KestrelError& error) {
                problems[w] = error.Message();
            }
        });
    }
    for (std::thread& t : workstations)
        t.join();
    return (problems[0] + QLatin1Char(' ') + problems[1]).trimmed();
}

QString CounterValue(DbConnection& connection, int row) {
    Query counter(&connection);
    counter.Open(SettingSql(row));
    return counter.FieldByName(QStringLiteral("SettingValue")).AsString();
}

// A new record as the editors enter it: the serial proposed from the counter, kept, then stored.
void EnterDocument(DbConnection& connection, int workstation) {
    BillFields fields;
    fields.Kind = SaleKind;
    fields.CreateTime = QDate(2024, 3, 1);
    fields.Serial = NextSerial(CounterValue(connection, BillSerialSettingRow(SaleKind)));
    fields.ProposedSerial = fields.Serial;
    fields.User = QStringLiteral("客户%1").arg(workstation);
    fields.Sum = 100;
    StoreBill(connection, 1, fields, true, true);
}

void EnterVoucher(DbConnection& connection, int workstation) {
    VoucherFields fields;
    fields.Account = 2;
    fields.CreateTime = QDate(2024, 3, 1);
    fields.User = QStringLiteral("客户%1").arg(workstation);
    SetVoucherAmount(&fields, ReceiptKind, 50);
    fields.Serial = NextSerial(CounterValue(connection, VoucherSerialSettingRow(ReceiptKind)));
    fields.ProposedSerial = fields.Serial;
    InsertVoucher(connection, fields, 0, ReceiptKind);
}

QStringList Column(DbConnection& connection, const QString& sql) {
    Query q(&connection);
    q.Open(sql);
    QStringList values;
    for (q.First(); !q.Eof(); q.Next())
        values << q.Fields(0).AsString();
    return values;
}

void AddEngines() {
    QTest::newRow("file") << QStringLiteral("file");
    QTest::newRow("server") << QStringLiteral("server");
}

} // namespace

void TestSharing::initTestCase() {
    if (!server.Available())
        return; // the server rows skip themselves
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
    QTest::addColumn<QString>("otherDoes"); // what the first workstation does meanwhile: change,
                                            // case (the name in capitals), delete or nothing
    QTest::addColumn<QString>("thisDoes");  // what the second then stores: change or delete
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("stored");
    QTest::newRow("change over a change") << "change"
                                          << "change" << true << "abc商行|111";
    QTest::newRow("change over a deletion") << "delete"
                                            << "change" << true << "none";
    QTest::newRow("deletion over a change") << "change"
                                            << "delete" << true << "abc商行|111";
    QTest::newRow("deletion over a deletion") << "delete"
                                              << "delete" << true << "none";
    // The customer's name compares without regard to case, the check of what was read must not.
    QTest::newRow("change over a change of letter case") << "case"
                                                         << "change" << true << "ABC商行|000";
    QTest::newRow("deletion over a change of letter case") << "case"
                                                           << "delete" << true << "ABC商行|000";
    QTest::newRow("change of an untouched record") << "nothing"
                                                   << "change" << false << "abc商行|222";
    QTest::newRow("deletion of an untouched record") << "nothing"
                                                     << "delete" << false << "none";
}

void TestSharing::staleWritesAreRefused() {
    // A database file has one user at a time: there is nobody to get there first.
    REQUIRE_SERVER(server);
    QFETCH(QString, otherDoes);
    QFETCH(QString, thisDoes);
    QFETCH(bool, refused);
    QFETCH(QString, stored);
    Query setUp(&first);
    setUp.ExecSql(QStringLiteral("Delete From Customer Where CustomerIndex > 1"));
    setUp.ExecSql(QStringLiteral(
        "Insert Into Customer (CustomerName, CustomerPhone, CustomerOwe) Values ('abc商行', '000', 5)"));

    Query mine(&second);
    mine.Open(QStringLiteral("Select * From Customer Where CustomerName = 'abc商行'"));
    QCOMPARE(mine.RecordCount(), 1);

    Query other(&first);
    other.Open(QStringLiteral("Select * From Customer Where CustomerName = 'abc商行'"));
    if (otherDoes == QLatin1String("change")) {
        other.Edit();
        other.FieldByName(QStringLiteral("CustomerPhone")).SetAsString(QStringLiteral("111"));
        other.Post();
    } else if (otherDoes == QLatin1String("case")) {
        other.Edit();
        other.FieldByName(QStringLiteral("CustomerName")).SetAsString(QStringLiteral("ABC商行"));
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

void TestSharing::serialsStayDistinct_data() {
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("records");
    QTest::addColumn<int>("perWorkstation");
    // A file is written with every commit flushed to disk: fewer records keep the run short there.
    for (const char* records : {"documents", "vouchers"}) {
        QTest::addRow("file, %s", records) << QStringLiteral("file") << QString::fromLatin1(records) << 100;
        QTest::addRow("server, %s", records)
            << QStringLiteral("server") << QString::fromLatin1(records) << 500;
    }
}

// Two workstations enter records at the same moment (500 each on the server), every one with the
// serial its editor proposed: all are stored, with the serials that follow the counter, each once.
void TestSharing::serialsStayDistinct() {
    QFETCH(QString, engine);
    QFETCH(QString, records);
    QFETCH(int, perWorkstation);
    const SharedBooks books(engine);
    if (!books.Problem().isEmpty())
        QSKIP(qPrintable(books.Problem()));
    const bool documents = records == QLatin1String("documents");
    const int counterRow = documents ? BillSerialSettingRow(SaleKind) : VoucherSerialSettingRow(ReceiptKind);
    const QString problem =
        AtOnce(books, [documents, perWorkstation](DbConnection& connection, int workstation) {
            for (int i = 0; i < perWorkstation; ++i) {
                if (documents)
                    EnterDocument(connection, workstation);
                else
                    EnterVoucher(connection, workstation);
            }
            return QString();
        });
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    DbConnection check;
    books.Open(check);
    const QStringList serials =
        Column(check, documents ? QStringLiteral("Select BillSerial From Bill Where BillIndex > 1")
                                : QStringLiteral("Select MoneySerial From MoneyTable Where MoneyIndex > 1"));
    QCOMPARE(serials.size(), 2 * perWorkstation);
    QSet<QString> expected;
    QString serial = documents ? QStringLiteral("XS100000") : QStringLiteral("SK100000");
    for (int i = 0; i < 2 * perWorkstation; ++i)
        expected.insert(serial = NextSerial(serial));
    QCOMPARE(QSet<QString>(serials.begin(), serials.end()), expected);
    QCOMPARE(CounterValue(check, counterRow), serial);
}

void TestSharing::reportsAtOnceKeepTheirLines_data() {
    QTest::addColumn<QString>("engine");
    AddEngines();
}

// Two workstations print monthly reports of different lengths over and over at the same moment:
// every time each reads back exactly its own lines and titles.
void TestSharing::reportsAtOnceKeepTheirLines() {
    QFETCH(QString, engine);
    const SharedBooks books(engine);
    if (!books.Problem().isEmpty())
        QSKIP(qPrintable(books.Problem()));
    const QString problem = AtOnce(books, [](DbConnection& connection, int workstation) {
        const QString name = workstation == 0 ? QStringLiteral("甲") : QStringLiteral("乙");
        std::vector<Monthly::ReportLine> lines(workstation == 0 ? 30 : 7);
        for (size_t i = 0; i < lines.size(); ++i) {
            for (int cell = 0; cell < 9; ++cell)
                lines[i][cell] = QStringLiteral("%1%2-%3").arg(name).arg(i).arg(cell);
        }
        Query read(&connection);
        for (int report = 0; report < 40; ++report) {
            const std::map<QString, QString> titles = FillReportPool(
                connection, lines, name + QStringLiteral("月报"), name + QStringLiteral("客户"), read);
            if (titles.at(MonthTitleVariable) != name + QStringLiteral("月报") ||
                titles.at(ReportTitleVariable) != name + QStringLiteral("客户"))
                return QStringLiteral("%1 read the titles of the other report").arg(name);
            if (read.RecordCount() != static_cast<int>(lines.size()))
                return QStringLiteral("%1 read %2 lines instead of %3")
                    .arg(name)
                    .arg(read.RecordCount())
                    .arg(lines.size());
            int i = 0;
            for (read.First(); !read.Eof(); read.Next(), ++i) {
                for (int cell = 0; cell < 9; ++cell) {
                    const QString text =
                        read.FieldByName(QStringLiteral("ReportGrid%1").arg(cell + 1)).AsString();
                    if (text != lines[static_cast<size_t>(i)][cell])
                        return QStringLiteral("%1 read %2 for %3")
                            .arg(name, text, lines[static_cast<size_t>(i)][cell]);
                }
            }
        }
        return QString();
    });
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestSharing::documentPrintsAtOnceKeepTheirCapitals_data() {
    QTest::addColumn<QString>("engine");
    AddEngines();
}

// Two workstations print documents at the same moment: neither print is refused as a change over
// the other's, and each prints its own amount in capitals.
void TestSharing::documentPrintsAtOnceKeepTheirCapitals() {
    QFETCH(QString, engine);
    const SharedBooks books(engine);
    if (!books.Problem().isEmpty())
        QSKIP(qPrintable(books.Problem()));
    const QString problem = AtOnce(books, [](DbConnection& connection, int workstation) {
        Query bigFont(&connection);
        for (int print = 0; print < 100; ++print) {
            const QString capitals = QStringLiteral("壹佰元整-%1-%2").arg(workstation).arg(print);
            FillBigFont(connection, capitals, bigFont);
            if (bigFont.FieldByName(QStringLiteral("BigFontValue")).AsString() != capitals)
                return QStringLiteral("%1 printed %2")
                    .arg(capitals, bigFont.FieldByName(QStringLiteral("BigFontValue")).AsString());
        }
        return QString();
    });
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

// Workstations opening an empty server database at the same moment: the first gives it the
// tables and initial rows, the others wait for it and find them; every one of them opens.
void TestSharing::firstOpeningsAtOnce() {
    ServerDatabase empty;
    REQUIRE_SERVER(empty);
    constexpr int Workstations = 4;
    QString problems[Workstations];
    std::thread workstations[Workstations];
    for (int w = 0; w < Workstations; ++w) {
        workstations[w] = std::thread([&empty, &problems, w] {
            DbConnection connection;
            connection.Server = empty.ConnectionString();
            if (!connection.Open())
                problems[w] = connection.LastError();
        });
    }
    for (std::thread& t : workstations)
        t.join();
    for (const QString& problem : problems)
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    // The initial rows are there once, as in a new database file.
    QTemporaryDir dir;
    DbConnection file;
    QVERIFY(OpenBooksFile(file, dir.filePath(QStringLiteral("Kestrel.mdb"))));
    DbConnection onServer;
    onServer.Server = empty.ConnectionString();
    QVERIFY2(onServer.Open(), qPrintable(onServer.LastError()));
    QCOMPARE(AllRows(onServer), AllRows(file));
}

QTEST_MAIN(TestSharing)
#include "tst_sharing.moc"
