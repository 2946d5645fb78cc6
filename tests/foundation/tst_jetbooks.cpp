#include "foundation/JetBooks.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

// Reading books kept by the Jet engine, on two files a Jet engine wrote: nwind.mdb (Jet 3,
// code-page text) and DateTestDatabase.mdb (Jet 4, Unicode text). The expected values were read
// with the mdbtools command-line tools (mdb-export, mdb-schema); dates from their stored values
// (days since 1899-12-30), since mdb-export prints dates outside 1900-2099 wrongly.
class TestJetBooks : public QObject {
    Q_OBJECT
private slots:
    void versionsFromTheHeader();
    void jet4DatesAndTexts_data();
    void jet4DatesAndTexts();
    void jet3TypesOfColumns();
    void jet3ValuesAndNulls();
    void jet3TotalsOfWholeTables();
    void daysToDateTime_data();
    void daysToDateTime();
    void filesThatCannotBeReadAreRefused();
    void oneTableAtATime();
};

namespace {

QString Fixture(const char* name) {
    return QStringLiteral(KESTREL_TESTS_DIR "/foundation/data/jet/") + QLatin1String(name);
}

std::unique_ptr<Jet::Books> OpenFixture(const char* name) {
    QString error;
    std::unique_ptr<Jet::Books> books = Jet::Open(Fixture(name), &error);
    if (!books)
        qWarning("%s", qPrintable(error));
    return books;
}

// Every row of a table.
QList<QVariantList> AllRows(Jet::Books& books, const QString& table) {
    QList<QVariantList> rows;
    std::unique_ptr<Jet::Rows> reader = books.ReadRows(table);
    QVariantList row;
    while (reader->Next(&row))
        rows << row;
    if (!reader->Error().isEmpty())
        qWarning("%s", qPrintable(reader->Error()));
    return rows;
}

QDateTime At(int y, int m, int d, int h = 0, int min = 0, int s = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, min, s), Qt::UTC);
}

int Column(const QVector<Jet::Column>& columns, const char* name) {
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].Name == QLatin1String(name))
            return i;
    }
    return -1;
}

} // namespace

void TestJetBooks::versionsFromTheHeader() {
    QCOMPARE(Jet::VersionOf(Fixture("nwind.mdb")), 3);
    QCOMPARE(Jet::VersionOf(Fixture("DateTestDatabase.mdb")), 4);
    QVERIFY(Jet::IsJetFile(Fixture("nwind.mdb")));
    QVERIFY(!Jet::IsJetFile(QStringLiteral(KESTREL_TESTS_DIR "/foundation/data/Kestrel-v1.sql")));
    QVERIFY(!Jet::IsJetFile(QStringLiteral("/nonexistent/Kestrel.mdb")));
}

void TestJetBooks::jet4DatesAndTexts_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QDateTime>("dateTime");
    QTest::addColumn<QDateTime>("date");
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QString>("text");
    // Stored days: 44532; 2958101; -728, -363, 2; -463126, -462760, -462395.
    QTest::newRow("2021") << 0 << At(2021, 12, 2) << At(2021, 12, 2) << At(2021, 12, 2) << "Hello"
                          << "Hello";
    QTest::newRow("year 9999") << 1 << At(9999, 1, 1) << At(9999, 1, 1) << At(9999, 1, 1) << "Year 9999"
                               << "Year 1999";
    QTest::newRow("before 1900") << 2 << At(1898, 1, 1) << At(1899, 1, 1) << At(1900, 1, 1)
                                 << "Pre-1900 years"
                                 << "Pre-1900 years";
    QTest::newRow("before 1000") << 3 << At(632, 1, 1) << At(633, 1, 1) << At(634, 1, 1) << "Pre-1000 years"
                                 << "Pre-1000 years";
    QTest::newRow("backslashes") << 4 << At(2021, 12, 2) << At(2021, 12, 2) << At(2021, 12, 2)
                                 << "Escaped new line \\r\\n in field"
                                 << "Escaped new line \\r\\n in field";
    QTest::newRow("line break") << 5 << At(2021, 12, 2) << At(2021, 12, 2) << At(2021, 12, 2)
                                << "New line\r\nin field"
                                << "No new line";
}

void TestJetBooks::jet4DatesAndTexts() {
    QFETCH(int, row);
    std::unique_ptr<Jet::Books> books = OpenFixture("DateTestDatabase.mdb");
    QVERIFY(books);
    QCOMPARE(books->TableNames(), QStringList{QStringLiteral("DateTest")});
    const QList<QVariantList> rows = AllRows(*books, QStringLiteral("datetest")); // any case
    QCOMPARE(rows.size(), 6);
    QCOMPARE(books->RowCount(QStringLiteral("DateTest")), qint64(6));
    const QVariantList& r = rows[row];
    QCOMPARE(r.size(), 6);
    QCOMPARE(r[0].toLongLong(), qint64(row + 1));
    QTEST(r[1].toDateTime(), "dateTime");
    QTEST(r[2].toDateTime(), "date");
    QTEST(r[3].toDateTime(), "time");
    QTEST(r[4].toString(), "memo");
    QTEST(r[5].toString(), "text");
}

void TestJetBooks::jet3TypesOfColumns() {
    std::unique_ptr<Jet::Books> books = OpenFixture("nwind.mdb");
    QVERIFY(books);
    const QStringList tables = books->TableNames();
    for (const char* name : {"Order Details", "Orders", "Products", "Shippers", "Categories", "Customers",
                             "Employees", "Suppliers"})
        QVERIFY2(tables.contains(QLatin1String(name)), name);
    QVERIFY(tables.contains(QStringLiteral("Umsätze"))); // a name in the file's code page
    QCOMPARE(tables.size(), 9);

    using T = Jet::ColumnType;
    const QVector<Jet::Column> details = books->Columns(QStringLiteral("Order Details"));
    QCOMPARE(details.size(), 5);
    const QVector<T> detailTypes = {T::LongInteger, T::LongInteger, T::Currency, T::Integer, T::Single};
    for (int i = 0; i < details.size(); ++i)
        QCOMPARE(details[i].Type, detailTypes[i]);
    const QVector<Jet::Column> products = books->Columns(QStringLiteral("Products"));
    QCOMPARE(products[Column(products, "Discontinued")].Type, T::Boolean);
    QCOMPARE(products[Column(products, "ProductName")].Type, T::Text);
    const QVector<Jet::Column> categories = books->Columns(QStringLiteral("Categories"));
    QCOMPARE(categories[Column(categories, "Description")].Type, T::Memo);
    QCOMPARE(categories[Column(categories, "Picture")].Type, T::Unsupported);
    const QVector<Jet::Column> orders = books->Columns(QStringLiteral("Orders"));
    QCOMPARE(orders[Column(orders, "OrderDate")].Type, T::DateTime);
    QCOMPARE(orders[Column(orders, "Freight")].Type, T::Currency);
    QVERIFY(books->Columns(QStringLiteral("NoSuchTable")).isEmpty());
}

void TestJetBooks::jet3ValuesAndNulls() {
    std::unique_ptr<Jet::Books> books = OpenFixture("nwind.mdb");
    QVERIFY(books);
    const QVector<Jet::Column> columns = books->Columns(QStringLiteral("Orders"));
    const QList<QVariantList> orders = AllRows(*books, QStringLiteral("Orders"));
    QCOMPARE(orders.size(), 830);
    const auto order = [&](qint64 id) {
        for (const QVariantList& row : orders) {
            if (row[Column(columns, "OrderID")].toLongLong() == id)
                return row;
        }
        return QVariantList();
    };
    const QVariantList merep = order(10332);
    QCOMPARE(merep[Column(columns, "CustomerID")].toString(), QStringLiteral("MEREP"));
    QCOMPARE(merep[Column(columns, "ShipName")].toString(), QStringLiteral("Mère Paillarde"));
    QCOMPARE(merep[Column(columns, "ShipCity")].toString(), QStringLiteral("Montréal"));
    QCOMPARE(merep[Column(columns, "ShipRegion")].toString(), QStringLiteral("Québec"));
    QCOMPARE(merep[Column(columns, "Freight")].toDouble(), 52.84);
    QCOMPARE(merep[Column(columns, "OrderDate")].toDateTime(), At(1994, 11, 17)); // 34655
    QCOMPARE(merep[Column(columns, "EmployeeID")].toLongLong(), qint64(3));
    // Not shipped yet: the date is NULL; no region: the text is NULL, not an empty text.
    const QVariantList ernsh = order(11008);
    QVERIFY(!ernsh[Column(columns, "ShippedDate")].isValid());
    QVERIFY(ernsh[Column(columns, "OrderDate")].isValid());
    QVERIFY(!ernsh[Column(columns, "ShipRegion")].isValid());
    QCOMPARE(ernsh[Column(columns, "Freight")].toDouble(), 79.46);
    int unshipped = 0;
    for (const QVariantList& row : orders)
        unshipped += row[Column(columns, "ShippedDate")].isValid() ? 0 : 1;
    QCOMPARE(unshipped, 21);

    const QVector<Jet::Column> people = books->Columns(QStringLiteral("Employees"));
    const QList<QVariantList> employees = AllRows(*books, QStringLiteral("Employees"));
    QCOMPARE(employees.size(), 9);
    const QVariantList& nancy = employees[0];
    QCOMPARE(nancy[Column(people, "LastName")].toString(), QStringLiteral("Davolio"));
    QCOMPARE(nancy[Column(people, "BirthDate")].toDateTime(), At(1948, 12, 8)); // 17875
    QCOMPARE(nancy[Column(people, "Address")].toString(), QStringLiteral("507 - 20th Ave. E.\r\nApt. 2A"));
    const QString notes = nancy[Column(people, "Notes")].toString();
    QCOMPARE(notes.size(), 175);
    QVERIFY(notes.startsWith(QStringLiteral("Education includes a BA in psychology")));
    QVERIFY(!nancy[Column(people, "Photo")].isValid()); // an OLE object is not read

    const QVector<Jet::Column> productColumns = books->Columns(QStringLiteral("Products"));
    const QList<QVariantList> products = AllRows(*books, QStringLiteral("Products"));
    QCOMPARE(products.size(), 77);
    int discontinued = 0;
    for (const QVariantList& row : products) {
        QCOMPARE(row[Column(productColumns, "Discontinued")].typeId(), QMetaType::Bool);
        discontinued += row[Column(productColumns, "Discontinued")].toBool() ? 1 : 0;
    }
    QCOMPARE(discontinued, 8);
    QCOMPARE(products[0][Column(productColumns, "ProductName")].toString(), QStringLiteral("Chai"));
    QCOMPARE(products[0][Column(productColumns, "UnitPrice")].toDouble(), 18.0);
    QCOMPARE(products[0][Column(productColumns, "UnitsInStock")].toLongLong(), qint64(39));

    const QList<QVariantList> sales = AllRows(*books, QStringLiteral("Umsätze"));
    QCOMPARE(sales.size(), books->RowCount(QStringLiteral("Umsätze")));
}

void TestJetBooks::jet3TotalsOfWholeTables() {
    std::unique_ptr<Jet::Books> books = OpenFixture("nwind.mdb");
    QVERIFY(books);
    // Currency is kept to the cent: the sum of every price equals mdb-export's decimal sum.
    const QList<QVariantList> details = AllRows(*books, QStringLiteral("Order Details"));
    QCOMPARE(details.size(), 2155);
    double prices = 0;
    QSet<float> discounts;
    for (const QVariantList& row : details) {
        prices += row[2].toDouble();
        discounts.insert(static_cast<float>(row[4].toDouble()));
    }
    QVERIFY2(std::abs(prices - 56500.91) < 1e-6, qPrintable(QString::number(prices, 'f', 6)));
    // Single values as stored (mdb-export: 0.15000001, 0.0099999998, ...).
    QCOMPARE(discounts.size(), 11);
    QVERIFY(discounts.contains(0.15f));
    QVERIFY(discounts.contains(0.01f));
    const QList<QVariantList> orders = AllRows(*books, QStringLiteral("Orders"));
    const int freight = Column(books->Columns(QStringLiteral("Orders")), "Freight");
    double total = 0;
    for (const QVariantList& row : orders)
        total += row[freight].toDouble();
    QVERIFY2(std::abs(total - 64942.69) < 1e-6, qPrintable(QString::number(total, 'f', 6)));
}

void TestJetBooks::daysToDateTime_data() {
    QTest::addColumn<double>("days");
    QTest::addColumn<QDateTime>("expected");
    QTest::newRow("day zero") << 0.0 << At(1899, 12, 30);
    QTest::newRow("time of day") << 44532.75 << At(2021, 12, 2, 18, 0, 0);
    QTest::newRow("seconds") << 44532.0 + (10 * 3600 + 30 * 60 + 15) / 86400.0 << At(2021, 12, 2, 10, 30, 15);
    QTest::newRow("before 1899-12-30 with a time") << -1.25 << At(1899, 12, 29, 6, 0, 0);
    QTest::newRow("rounds up to the next day") << 1.9999999999 << At(1900, 1, 1);
    QTest::newRow("negative rounds up to the next day") << -1.9999999999 << At(1899, 12, 30);
    QTest::newRow("last second of 9999") << 2958465.0 + 86399.0 / 86400.0 << At(9999, 12, 31, 23, 59, 59);
    QTest::newRow("first day of year 100") << -657434.0 << At(100, 1, 1);
    QTest::newRow("not a number") << std::nan("") << QDateTime();
    QTest::newRow("far beyond") << 1.0e12 << QDateTime();
}

void TestJetBooks::daysToDateTime() {
    QFETCH(double, days);
    QTEST(Jet::DateTimeOfDays(days), "expected");
}

void TestJetBooks::filesThatCannotBeReadAreRefused() {
    QTemporaryDir folder;
    QString error;
    // Not a Jet file.
    const QString text = folder.filePath(QStringLiteral("text.mdb"));
    {
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("SQLite format 3\0 and more", 25);
    }
    QVERIFY(!Jet::Open(text, &error));
    QVERIFY2(error.contains(QStringLiteral("不是旧格式（Jet）的数据库文件")), qPrintable(error));
    // A Jet header whose pages cannot be read, as an encrypted or damaged file looks to the reader.
    QFile original(Fixture("DateTestDatabase.mdb"));
    QVERIFY(original.open(QIODevice::ReadOnly));
    QByteArray bytes = original.readAll();
    for (qsizetype i = 4096; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 7919) & 0xff);
    const QString scrambled = folder.filePath(QStringLiteral("scrambled.mdb"));
    {
        QFile f(scrambled);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QCOMPARE(Jet::VersionOf(scrambled), 4);
    error.clear();
    QVERIFY(!Jet::Open(scrambled, &error));
    QVERIFY2(error.contains(QStringLiteral("无法读取")) && error.contains(QStringLiteral("加密")),
             qPrintable(error));
}

void TestJetBooks::oneTableAtATime() {
    std::unique_ptr<Jet::Books> books = OpenFixture("nwind.mdb");
    QVERIFY(books);
    QVariantList row;
    {
        std::unique_ptr<Jet::Rows> shippers = books->ReadRows(QStringLiteral("Shippers"));
        std::unique_ptr<Jet::Rows> second = books->ReadRows(QStringLiteral("Orders"));
        QVERIFY(!second->Next(&row));
        QVERIFY(!second->Error().isEmpty());
        QVERIFY(shippers->Next(&row));
        QCOMPARE(row[1].toString(), QStringLiteral("Speedy Express"));
    }
    std::unique_ptr<Jet::Rows> missing = books->ReadRows(QStringLiteral("Bill"));
    QVERIFY(!missing->Next(&row));
    QVERIFY(missing->Error().contains(QStringLiteral("Bill")));
    QCOMPARE(AllRows(*books, QStringLiteral("Shippers")).size(), 3);
}

QTEST_GUILESS_MAIN(TestJetBooks)
#include "tst_jetbooks.moc"
