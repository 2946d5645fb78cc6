#include "customers/CustomerRules.h"
#include "documents/DocumentRules.h"
#include "finance/AccountRules.h"
#include "finance/VoucherRules.h"
#include "foundation/Connection.h"
#include "foundation/JetSql.h"
#include "foundation/KestrelError.h"
#include "foundation/PublicFunction.h"
#include "foundation/Query.h"
#include "foundation/RowImage.h"
#include "foundation/Schema.h"
#include "reports/ReportPool.h"
#include "signin/StaffRules.h"
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
    void sameValues_data();
    void sameValues();
    void editorsKeepWhatTheyLoaded_data();
    void editorsKeepWhatTheyLoaded();
    void storesAtOnceOverOneLoad_data();
    void storesAtOnceOverOneLoad();
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

void TestSharing::sameValues_data() {
    QTest::addColumn<QVariant>("loaded");
    QTest::addColumn<QVariant>("now");
    QTest::addColumn<bool>("same");
    QTest::newRow("equal texts") << QVariant(QStringLiteral("abc商行")) << QVariant(QStringLiteral("abc商行"))
                                 << true;
    QTest::newRow("letter case") << QVariant(QStringLiteral("abc")) << QVariant(QStringLiteral("ABC"))
                                 << false;
    QTest::newRow("full-width digit")
        << QVariant(QStringLiteral("5")) << QVariant(QStringLiteral("５")) << false;
    QTest::newRow("trailing space") << QVariant(QStringLiteral("a")) << QVariant(QStringLiteral("a "))
                                    << false;
    QTest::newRow("null and null") << QVariant() << QVariant() << true;
    QTest::newRow("null and empty text") << QVariant() << QVariant(QStringLiteral("")) << false;
    QTest::newRow("empty text and null") << QVariant(QStringLiteral("")) << QVariant() << false;
    QTest::newRow("whole numbers") << QVariant(qint64(5)) << QVariant(5) << true;
    QTest::newRow("whole and real") << QVariant(qint64(5)) << QVariant(5.0) << true;
    QTest::newRow("amounts") << QVariant(100.25) << QVariant(100.25) << true;
    QTest::newRow("a cent apart") << QVariant(100.25) << QVariant(100.26) << false;
    QTest::newRow("sum not rounded") << QVariant(0.1 + 0.2) << QVariant(0.3) << false;
    QTest::newRow("large keys") << QVariant(qint64(9007199254740993)) << QVariant(qint64(9007199254740992))
                                << false;
}

// Values of a loaded row against the stored one: exactly equal, or a change.
void TestSharing::sameValues() {
    QFETCH(QVariant, loaded);
    QFETCH(QVariant, now);
    QFETCH(bool, same);
    QCOMPARE(SameValue(loaded, now), same);
}

namespace {

QString KeyColumnOfRecord(const QString& record) {
    if (record == QLatin1String("customer"))
        return QStringLiteral("Customer");
    if (record == QLatin1String("document"))
        return QStringLiteral("Bill");
    if (record == QLatin1String("voucher"))
        return QStringLiteral("MoneyTable");
    if (record == QLatin1String("account"))
        return QStringLiteral("Account");
    return QStringLiteral("Power");
}

qint64 LastKeyOf(DbConnection& connection, const QString& table) {
    return Column(connection, QStringLiteral("Select Max(%1) From %2").arg(Schema::KeyColumn(table), table))
        .value(0)
        .toLongLong();
}

void AddVoucherOf(Query& run, qint64 bill, const QString& serial) {
    run.ExecSql(
        QStringLiteral("Insert Into MoneyTable (MoneyAccount, MoneyBill, MoneySerial, MoneyCreateTime, "
                       "MoneyUser, MoneyIn, MoneyOut, MoneySum, MoneyRemark) Values (2, %1, %2, "
                       "'2024-03-01', 'abc商行', 50, 0, 50, '')")
            .arg(SqlNumber(bill), SqlText(serial)));
}

// Enters the record an editor then opens; returns its key.
qint64 EnterRecord(DbConnection& connection, const QString& record) {
    Query run(&connection);
    const QString table = KeyColumnOfRecord(record);
    if (record == QLatin1String("customer")) {
        run.ExecSql(QStringLiteral("Insert Into Customer (CustomerName, CustomerPhone, CustomerOwe) Values "
                                   "('abc商行', '000', 5)"));
    } else if (record == QLatin1String("document")) {
        run.ExecSql(
            QStringLiteral("Insert Into Bill (BillKind, BillSerial, BillCreateTime, BillUser, BillSum, "
                           "BillRemark) Values ('销售开单', 'XS100001', '2024-03-01', 'abc商行', 100, '')"));
        AddVoucherOf(run, LastKeyOf(connection, table), QStringLiteral("SK100001"));
    } else if (record == QLatin1String("voucher")) {
        AddVoucherOf(run, 0, QStringLiteral("SK100001"));
    } else if (record == QLatin1String("account")) {
        run.ExecSql(
            QStringLiteral("Insert Into Account (AccountName, AccountBase, AccountMan) Values ('abc现金', "
                           "10, '')"));
    } else {
        const qint64 slot =
            Column(connection, QStringLiteral("Select Min(PowerIndex) From Power Where PowerRole = '业务员'"))
                .value(0)
                .toLongLong();
        run.ExecSql(
            QStringLiteral("Update Power Set PowerName = 'abc', PowerKey = '000' Where PowerIndex = ") +
            SqlNumber(slot));
        return slot;
    }
    return LastKeyOf(connection, table);
}

// What the other workstation does to the record meanwhile.
void ChangeRecord(DbConnection& connection, const QString& record, qint64 key, const QString& what) {
    const QString table = KeyColumnOfRecord(record);
    const QString where = QStringLiteral(" Where %1 = %2").arg(Schema::KeyColumn(table), SqlNumber(key));
    // A plain change of one field, and one of letter case only, per table.
    static const QMap<QString, QPair<QString, QString>> changes = {
        {QStringLiteral("Customer"),
         {QStringLiteral("CustomerPhone = '111'"), QStringLiteral("CustomerName = 'ABC商行'")}},
        {QStringLiteral("Bill"),
         {QStringLiteral("BillSum = 100.01"), QStringLiteral("BillUser = 'ABC商行'")}},
        {QStringLiteral("MoneyTable"),
         {QStringLiteral("MoneyRemark = '改过'"), QStringLiteral("MoneySerial = 'sk100001'")}},
        {QStringLiteral("Account"),
         {QStringLiteral("AccountBase = 20"), QStringLiteral("AccountName = 'ABC现金'")}},
        {QStringLiteral("Power"), {QStringLiteral("PowerKey = '999'"), QStringLiteral("PowerName = 'ABC'")}},
    };
    Query run(&connection);
    if (what == QLatin1String("change"))
        run.ExecSql(QStringLiteral("Update %1 Set %2").arg(table, changes[table].first) + where);
    else if (what == QLatin1String("case"))
        run.ExecSql(QStringLiteral("Update %1 Set %2").arg(table, changes[table].second) + where);
    else if (what == QLatin1String("delete"))
        run.ExecSql(QStringLiteral("Delete From %1").arg(table) + where);
    else if (what == QLatin1String("voucher changed"))
        run.ExecSql(QStringLiteral("Update MoneyTable Set MoneyIn = 60, MoneySum = 60 Where MoneyBill = ") +
                    SqlNumber(key));
    else if (what == QLatin1String("voucher case"))
        run.ExecSql(QStringLiteral("Update MoneyTable Set MoneyUser = 'ABC商行' Where MoneyBill = ") +
                    SqlNumber(key));
    else if (what == QLatin1String("voucher added"))
        AddVoucherOf(run, key, QStringLiteral("SK100002"));
    else if (what == QLatin1String("voucher deleted"))
        run.ExecSql(QStringLiteral("Delete From MoneyTable Where MoneyBill = ") + SqlNumber(key));
}

// This workstation stores (or deletes) the record against what its editor loaded.
void StoreRecord(DbConnection& connection, const QString& record, const RowImage& loaded,
                 const RowsImage& vouchers, bool remove) {
    if (remove) {
        if (record == QLatin1String("account"))
            DeleteAccountWithVouchers(connection, loaded);
        else
            DeleteLoadedRow(connection, loaded, vouchers);
        return;
    }
    if (record == QLatin1String("customer")) {
        CustomerFields fields;
        fields.Name = QStringLiteral("abc商行");
        fields.Phone = QStringLiteral("222");
        QVERIFY(UpdateCustomer(connection, loaded, fields));
    } else if (record == QLatin1String("document")) {
        BillFields fields;
        fields.Kind = SaleKind;
        fields.CreateTime = QDate(2024, 3, 1);
        fields.Serial = QStringLiteral("XS100001");
        fields.User = QStringLiteral("abc商行");
        fields.Sum = 200;
        fields.Remark = QStringLiteral("本机");
        QCOMPARE(StoreBill(connection, loaded.Key, fields, false, false, nullptr, loaded, vouchers),
                 loaded.Key);
    } else if (record == QLatin1String("voucher")) {
        VoucherFields fields;
        fields.Account = 2;
        fields.CreateTime = QDate(2024, 3, 1);
        fields.User = QStringLiteral("abc商行");
        SetVoucherAmount(&fields, ReceiptKind, 70);
        fields.Serial = QStringLiteral("SK100001");
        fields.Remark = QStringLiteral("本机");
        QVERIFY(UpdateVoucher(connection, loaded, fields));
    } else if (record == QLatin1String("account")) {
        QVERIFY(UpdateAccount(connection, loaded, QStringLiteral("abc现金"), 30));
    } else {
        QVERIFY(StoreSlot(connection, loaded,
                          {QStringLiteral("abc"), QStringLiteral("本机"), QString(), QString()}));
    }
}

} // namespace

void TestSharing::editorsKeepWhatTheyLoaded_data() {
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("record");    // the editor's record: customer, document, voucher, account, slot
    QTest::addColumn<QString>("otherDoes"); // what another workstation does after the editor loaded it
    QTest::addColumn<bool>("remove");       // whether this editor then deletes instead of storing
    const QStringList records = {QStringLiteral("customer"), QStringLiteral("document"),
                                 QStringLiteral("voucher"), QStringLiteral("account"),
                                 QStringLiteral("slot")};
    for (const char* engine : {"file", "server"}) {
        for (const QString& record : records) {
            QStringList others = {QStringLiteral("nothing"), QStringLiteral("change"), QStringLiteral("case"),
                                  QStringLiteral("delete")};
            if (record == QLatin1String("document"))
                others << QStringLiteral("voucher changed") << QStringLiteral("voucher case")
                       << QStringLiteral("voucher added") << QStringLiteral("voucher deleted");
            for (const QString& other : others) {
                for (bool remove : {false, true}) {
                    if (remove && record == QLatin1String("slot"))
                        continue; // a salesman slot is only ever rewritten
                    QTest::addRow("%s, %s, %s over %s", engine, qPrintable(record),
                                  remove ? "delete" : "store", qPrintable(other))
                        << QString::fromLatin1(engine) << record << other << remove;
                }
            }
        }
    }
}

// Each editor's store and deletion on two workstations: refused with the message, and the other's
// change (or deletion) kept whole, whenever the record changed after the editor loaded it; done
// when it did not.
void TestSharing::editorsKeepWhatTheyLoaded() {
    QFETCH(QString, engine);
    QFETCH(QString, record);
    QFETCH(QString, otherDoes);
    QFETCH(bool, remove);
    const SharedBooks books(engine);
    if (!books.Problem().isEmpty())
        QSKIP(qPrintable(books.Problem()));
    DbConnection mine, other;
    books.Open(mine);
    books.Open(other);
    const QString table = KeyColumnOfRecord(record);
    const qint64 key = EnterRecord(other, record);
    // The editor loads the whole row (and a document the vouchers of its grid).
    const RowImage loaded = TakeRowImage(mine, table, key);
    QVERIFY(loaded.Exists());
    const RowsImage vouchers =
        record == QLatin1String("document") ? TakeVouchersImage(mine, key) : RowsImage();
    QCOMPARE(vouchers.Rows.size(), size_t(record == QLatin1String("document") ? 1 : 0));

    ChangeRecord(other, record, key, otherDoes);
    const QStringList before = AllRows(other);
    QString message;
    try {
        StoreRecord(mine, record, loaded, vouchers, remove);
    } catch (const KestrelError& error) {
        message = error.Message();
    }
    const QStringList after = AllRows(other);
    if (otherDoes == QLatin1String("nothing")) {
        QVERIFY2(message.isEmpty(), qPrintable(message));
        QVERIFY(after != before);
        QCOMPARE(TakeRowImage(other, table, key).Exists(), !remove);
    } else {
        QCOMPARE(message, QStringLiteral("该记录已被其他用户修改，请刷新后重试"));
        QCOMPARE(after, before);
    }
}

void TestSharing::storesAtOnceOverOneLoad_data() {
    QTest::addColumn<QString>("engine");
    AddEngines();
}

// Two workstations that loaded the same customer store it at the same moment, round after round:
// the check and the write are one step, so exactly one store is done and the other is refused.
void TestSharing::storesAtOnceOverOneLoad() {
    QFETCH(QString, engine);
    const SharedBooks books(engine);
    if (!books.Problem().isEmpty())
        QSKIP(qPrintable(books.Problem()));
    DbConnection check;
    books.Open(check);
    const qint64 key = EnterRecord(check, QStringLiteral("customer"));
    for (int round = 0; round < 10; ++round) {
        const RowImage loaded = TakeRowImage(check, QStringLiteral("Customer"), key);
        QVERIFY(loaded.Exists());
        int refused[2] = {0, 0};
        const QString problem =
            AtOnce(books, [&loaded, &refused, round](DbConnection& connection, int workstation) {
                CustomerFields fields;
                fields.Name = QStringLiteral("abc商行");
                fields.Phone = QStringLiteral("%1-%2").arg(round).arg(workstation);
                try {
                    if (!UpdateCustomer(connection, loaded, fields))
                        return QStringLiteral("the customer is gone");
                } catch (const StaleRecordError&) {
                    refused[workstation] = 1;
                }
                return QString();
            });
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QCOMPARE(refused[0] + refused[1], 1);
        const QString winner = QStringLiteral("%1-%2").arg(round).arg(refused[0] ? 1 : 0);
        QCOMPARE(TakeRowImage(check, QStringLiteral("Customer"), key)
                     .Value(QStringLiteral("CustomerPhone"))
                     .toString(),
                 winner);
    }
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
