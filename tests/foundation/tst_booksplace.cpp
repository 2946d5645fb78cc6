#include "foundation/BooksPlace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

// Where the books live: beside a program in a folder it may write, in the user's data folder for
// an installed one; the first start's copy of the empty books and the default INI, which never
// replaces what a user has; the templates the designer saved, which win over the installed ones.
class TestBooksPlace : public QObject {
    Q_OBJECT
private slots:
    void folderForProgramAndUser_data();
    void folderForProgramAndUser();
    void writableFolder();
    void firstStartCopiesTheEmptyBooksAndTheIni();
    void existingBooksAndIniAreKept();
    void folderThatCannotBeMadeIsReported();
    void savedTemplateTakesPrecedence();
    void designerSavesInstalledTemplatesWithTheBooks_data();
    void designerSavesInstalledTemplatesWithTheBooks();
};

namespace {

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// A program folder as the package installs it: the empty books and the default INI.
void MakeInstalledFolder(const QString& folder) {
    QVERIFY(WriteFile(folder + QStringLiteral("/Kestrel.mdb"), QByteArray("SQLite format 3\0empty", 21)));
    QVERIFY(WriteFile(folder + QStringLiteral("/Kestrel.ini"), "[Kestrel]\r\n"));
    QVERIFY(WriteFile(folder + QStringLiteral("/Frf/Bill.frf"), "<Report installed/>"));
    QVERIFY(WriteFile(folder + QLatin1Char('/') + BooksPlace::PackagedMark(), "installed"));
}

} // namespace

void TestBooksPlace::folderForProgramAndUser_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("expected");
    QTest::newRow("writable folder keeps the books beside the program")
        << QStringLiteral("/media/u盘/岚峰") << true
        << QStringLiteral("/home/li/.local/share/岚峰商业管理软件") << QStringLiteral("/media/u盘/岚峰/");
    QTest::newRow("installed folder sends them to the user's data folder")
        << QStringLiteral("/opt/kestrel/") << false
        << QStringLiteral("/home/li/.local/share/岚峰商业管理软件")
        << QStringLiteral("/home/li/.local/share/岚峰商业管理软件/");
    QTest::newRow("folders are made absolute and clean")
        << QStringLiteral("/opt/a/../kestrel") << false << QStringLiteral("/home/li/x/../.local/share/k/")
        << QStringLiteral("/home/li/.local/share/k/");
    QTest::newRow("no user data folder")
        << QStringLiteral("/usr/lib/kestrel") << false << QString() << QString();
}

void TestBooksPlace::folderForProgramAndUser() {
    QFETCH(QString, program);
    QFETCH(bool, writable);
    QFETCH(QString, user);
    QFETCH(QString, expected);
    QCOMPARE(BooksPlace::FolderFor(program, writable, user), expected);
}

void TestBooksPlace::writableFolder() {
    QTemporaryDir dir;
    QVERIFY(BooksPlace::MayWriteIn(dir.path()));
    // The probe leaves nothing behind.
    QVERIFY(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    QVERIFY(!BooksPlace::MayWriteIn(dir.filePath(QStringLiteral("missing"))));
    QVERIFY(!BooksPlace::MayWriteIn(QString()));
    // The package's mark says no even to root.
    QVERIFY(WriteFile(dir.filePath(BooksPlace::PackagedMark()), "installed"));
    QVERIFY(!BooksPlace::MayWriteIn(dir.path()));

    // A folder without write permission (root may write anywhere, so only for other users).
    QTemporaryDir locked;
    QVERIFY(QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    if (geteuid() != 0)
        QVERIFY(!BooksPlace::MayWriteIn(locked.path()));
    QVERIFY(QFile::setPermissions(locked.path(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
}

void TestBooksPlace::firstStartCopiesTheEmptyBooksAndTheIni() {
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("opt/kestrel"));
    MakeInstalledFolder(program);
    const QString books = dir.filePath(QStringLiteral("home/.local/share/岚峰商业管理软件/"));
    QCOMPARE(BooksPlace::Prepare(program, books), QString());
    for (const QString& name : BooksPlace::StartingFiles()) {
        QCOMPARE(ReadFile(books + name), ReadFile(program + QLatin1Char('/') + name));
        // The user's own books: nobody else reads them.
        QCOMPARE(QFileInfo(books + name).permissions() & (QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                          QFileDevice::ReadOther | QFileDevice::WriteOther),
                 QFileDevice::Permissions());
        QVERIFY(QFileInfo(books + name).isWritable());
    }
    // Only the starting files, no half-written copy.
    QCOMPARE(QDir(books).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({QStringLiteral("Kestrel.ini"), QStringLiteral("Kestrel.mdb")}));
    // A program folder holding no INI: only the books are copied, and that is no fault.
    const QString bare = dir.filePath(QStringLiteral("bare"));
    QVERIFY(WriteFile(bare + QStringLiteral("/Kestrel.mdb"), "books"));
    const QString other = dir.filePath(QStringLiteral("other"));
    QCOMPARE(BooksPlace::Prepare(bare, other), QString());
    QVERIFY(QFileInfo(other + QStringLiteral("/Kestrel.mdb")).isFile());
    QVERIFY(!QFileInfo::exists(other + QStringLiteral("/Kestrel.ini")));
}

void TestBooksPlace::existingBooksAndIniAreKept() {
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("opt/kestrel"));
    MakeInstalledFolder(program);
    const QString books = dir.filePath(QStringLiteral("books"));
    // The user's books of an earlier start (or an older version), and an INI pointing at the server.
    QVERIFY(WriteFile(books + QStringLiteral("/Kestrel.mdb"), "the shop's books"));
    QVERIFY(WriteFile(books + QStringLiteral("/Kestrel.ini"), "[Kestrel]\r\nPostgreSQL=host=books\r\n"));
    QCOMPARE(BooksPlace::Prepare(program, books), QString());
    QCOMPARE(ReadFile(books + QStringLiteral("/Kestrel.mdb")), QByteArray("the shop's books"));
    QCOMPARE(ReadFile(books + QStringLiteral("/Kestrel.ini")),
             QByteArray("[Kestrel]\r\nPostgreSQL=host=books\r\n"));
    // A link the user placed counts as theirs, even one that points nowhere now (a drive not mounted).
    QVERIFY(QFile::remove(books + QStringLiteral("/Kestrel.mdb")));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("unmounted/Kestrel.mdb")),
                        books + QStringLiteral("/Kestrel.mdb")));
    QCOMPARE(BooksPlace::Prepare(program, books), QString());
    QVERIFY(QFileInfo(books + QStringLiteral("/Kestrel.mdb")).isSymLink());
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("unmounted/Kestrel.mdb"))));
    // Beside the program (a writable folder) nothing is copied onto itself.
    QCOMPARE(BooksPlace::Prepare(program, program + QLatin1Char('/')), QString());
    QCOMPARE(ReadFile(program + QStringLiteral("/Kestrel.ini")), QByteArray("[Kestrel]\r\n"));
}

void TestBooksPlace::folderThatCannotBeMadeIsReported() {
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("opt/kestrel"));
    MakeInstalledFolder(program);
    // A file stands where the books' folder would be made.
    QVERIFY(WriteFile(dir.filePath(QStringLiteral("share")), "a file"));
    const QString problem =
        BooksPlace::Prepare(program, dir.filePath(QStringLiteral("share/岚峰商业管理软件")));
    QVERIFY(problem.contains(QStringLiteral("share/岚峰商业管理软件")));
    QVERIFY(!BooksPlace::Prepare(program, QString()).isEmpty());
}

void TestBooksPlace::savedTemplateTakesPrecedence() {
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("opt/kestrel"));
    MakeInstalledFolder(program);
    const QString books = dir.filePath(QStringLiteral("books/"));
    const QString relative = QStringLiteral("Frf/Bill.frf");
    QCOMPARE(BooksPlace::TemplateFile(program, books, relative), program + QLatin1Char('/') + relative);
    QVERIFY(WriteFile(books + relative, "<Report changed/>"));
    QCOMPARE(BooksPlace::TemplateFile(program, books, relative), books + relative);
    QCOMPARE(ReadFile(BooksPlace::TemplateFile(program, books, relative)), QByteArray("<Report changed/>"));
    // A folder in the way of a template is not taken for one.
    QVERIFY(QDir().mkpath(books + QStringLiteral("Frf/Money.frf")));
    QCOMPARE(BooksPlace::TemplateFile(program, books, QStringLiteral("Frf/Money.frf")),
             program + QStringLiteral("/Frf/Money.frf"));
    // Run from a writable folder the books are beside the program: its own templates.
    QCOMPARE(BooksPlace::TemplateFile(program, program, relative), program + QLatin1Char('/') + relative);
}

void TestBooksPlace::designerSavesInstalledTemplatesWithTheBooks_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("books");
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QString>("expected");
    const QString home = QStringLiteral("/home/li/.local/share/岚峰商业管理软件/");
    QTest::newRow("installed template")
        << QStringLiteral("/opt/kestrel/") << home << QStringLiteral("/opt/kestrel/Frf/Bill.frf")
        << home + QStringLiteral("Frf/Bill.frf");
    QTest::newRow("installed, through dot segments")
        << QStringLiteral("/opt/kestrel") << home << QStringLiteral("/opt/kestrel/Res/../Frf/Money.frf")
        << home + QStringLiteral("Frf/Money.frf");
    QTest::newRow("the user's own copy")
        << QStringLiteral("/opt/kestrel/") << home << home + QStringLiteral("Frf/Bill.frf")
        << home + QStringLiteral("Frf/Bill.frf");
    QTest::newRow("a template elsewhere")
        << QStringLiteral("/opt/kestrel/") << home << QStringLiteral("/tmp/mine.frf")
        << QStringLiteral("/tmp/mine.frf");
    QTest::newRow("a folder whose name begins like the program's")
        << QStringLiteral("/opt/kestrel/") << home << QStringLiteral("/opt/kestrel2/Frf/Bill.frf")
        << QStringLiteral("/opt/kestrel2/Frf/Bill.frf");
    QTest::newRow("books beside the program")
        << QStringLiteral("/media/u/k/") << QStringLiteral("/media/u/k/")
        << QStringLiteral("/media/u/k/Frf/Bill.frf") << QStringLiteral("/media/u/k/Frf/Bill.frf");
}

void TestBooksPlace::designerSavesInstalledTemplatesWithTheBooks() {
    QFETCH(QString, program);
    QFETCH(QString, books);
    QFETCH(QString, opened);
    QFETCH(QString, expected);
    QCOMPARE(BooksPlace::TemplateSavePath(program, books, opened), expected);
}

QTEST_GUILESS_MAIN(TestBooksPlace)
#include "tst_booksplace.moc"
