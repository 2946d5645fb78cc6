#include "foundation/IniFile.h"
#include "foundation/PublicFunction.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

// Kestrel.ini: GBK bytes on disk, defaults, names without case, trimmed values, byte limits,
// damaged files, files saved in Unicode, files that cannot be read and long file names.
class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void roundTripStoresGbkBytes();
    void defaults_data();
    void defaults();
    void namesIgnoreCase();
    void valuesAreTrimmed();
    void otherLinesAreKept();
    void nameLimits_data();
    void nameLimits();
    void valueLimits_data();
    void valueLimits();
    void readValueIsCutAt1023Bytes_data();
    void readValueIsCutAt1023Bytes();
    void writeRefusesWhatCannotBeReadBack_data();
    void writeRefusesWhatCannotBeReadBack();
    void damagedFileGivesDefaults_data();
    void damagedFileGivesDefaults();
    void readingWritesNothing();
    void longFileNameIsUsed();
    void unicodeFilesAreRead_data();
    void unicodeFilesAreRead();
    void unreadableFileIsTold_data();
    void unreadableFileIsTold();

private:
    QByteArray FileBytes() const;
    void WriteFile(const QByteArray& bytes) const;
    QString Read(const QString& key, const QString& def = QStringLiteral("默认")) const {
        return ReadIniString(QStringLiteral("Kestrel"), key, def, ini);
    }

    std::unique_ptr<QTemporaryDir> dir;
    QString ini;
};

void TestIniFile::init() {
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    ini = dir->filePath(QStringLiteral("Kestrel.ini"));
}

void TestIniFile::cleanup() {
    dir.reset();
}

QByteArray TestIniFile::FileBytes() const {
    QFile file(ini);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

void TestIniFile::WriteFile(const QByteArray& bytes) const {
    QFile file(ini);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

void TestIniFile::roundTripStoresGbkBytes() {
    QVERIFY(
        WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("客户排序方式"), QStringLiteral("2"), ini));
    QVERIFY(WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("PrintType"), QStringLiteral("横向打印"),
                           ini));
    // 客户排序方式 and 横向打印 in GBK, two bytes per character.
    const QByteArray expected = QByteArray("[Kestrel]\r\n") +
                                QByteArray::fromHex("bfcdbba7c5c5d0f2b7bdcabd") +
                                "=2\r\nPrintType=" + QByteArray::fromHex("bae1cff2b4f2d3a1") + "\r\n";
    QCOMPARE(FileBytes(), expected);
    QCOMPARE(Read(QStringLiteral("客户排序方式")), QStringLiteral("2"));
    QCOMPARE(Read(QStringLiteral("PrintType")), QStringLiteral("横向打印"));

    // Replacing a value keeps one line per key.
    QVERIFY(WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("PrintType"), QStringLiteral("纵向打印"),
                           ini));
    QCOMPARE(FileBytes(), QByteArray("[Kestrel]\r\n") + QByteArray::fromHex("bfcdbba7c5c5d0f2b7bdcabd") +
                              "=2\r\nPrintType=" + QByteArray::fromHex("d7ddcff2b4f2d3a1") + "\r\n");
    QCOMPARE(Read(QStringLiteral("PrintType")), QStringLiteral("纵向打印"));

    // A file written by hand in GBK reads back as the same text.
    WriteFile(QByteArray("[Kestrel]\r\n") + QByteArray::fromHex("bfcdbba7c5c5d0f2b7bdcabd") + "=1\r\n");
    QCOMPARE(Read(QStringLiteral("客户排序方式")), QStringLiteral("1"));
    // An empty value is a value, not a missing key.
    QVERIFY(WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("Empty"), QString(), ini));
    QCOMPARE(Read(QStringLiteral("Empty")), QString());
}

void TestIniFile::defaults_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("exists");
    QTest::newRow("missing file") << QByteArray() << false;
    QTest::newRow("empty file") << QByteArray() << true;
    QTest::newRow("missing section") << QByteArray("[Other]\r\nPrintType=x\r\n") << true;
    QTest::newRow("missing key") << QByteArray("[Kestrel]\r\nOther=x\r\n") << true;
    QTest::newRow("key before any section") << QByteArray("PrintType=x\r\n[Kestrel]\r\n") << true;
    QTest::newRow("key in a later section") << QByteArray("[Kestrel]\r\n[Other]\r\nPrintType=x\r\n") << true;
    QTest::newRow("commented out") << QByteArray("[Kestrel]\r\n;PrintType=x\r\n") << true;
    QTest::newRow("no equals sign") << QByteArray("[Kestrel]\r\nPrintType\r\n") << true;
    QTest::newRow("unclosed section") << QByteArray("[Kestrel\r\nPrintType=x\r\n") << true;
}

void TestIniFile::defaults() {
    QFETCH(QByteArray, content);
    QFETCH(bool, exists);
    if (exists)
        WriteFile(content);
    QCOMPARE(Read(QStringLiteral("PrintType"), QStringLiteral("纵向打印")), QStringLiteral("纵向打印"));
    QCOMPARE(Read(QStringLiteral("客户排序方向"), QStringLiteral("1")), QStringLiteral("1"));
    QCOMPARE(Read(QStringLiteral("PrintType"), QString()), QString());
    QCOMPARE(QFileInfo::exists(ini), exists);
}

void TestIniFile::namesIgnoreCase() {
    QVERIFY(WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("PrintType"), QStringLiteral("a"), ini));
    QCOMPARE(ReadIniString(QStringLiteral("KESTREL"), QStringLiteral("printtype"), QString(), ini),
             QStringLiteral("a"));
    QCOMPARE(ReadIniString(QStringLiteral("kestrel"), QStringLiteral("PRINTTYPE"), QString(), ini),
             QStringLiteral("a"));
    // Writing under other letter case replaces the same key in the same section.
    QVERIFY(WriteIniString(QStringLiteral("kESTREL"), QStringLiteral("PRINTtype"), QStringLiteral("b"), ini));
    QCOMPARE(Read(QStringLiteral("PrintType")), QStringLiteral("b"));
    QCOMPARE(FileBytes(), QByteArray("[Kestrel]\r\nPRINTtype=b\r\n"));
}

void TestIniFile::valuesAreTrimmed() {
    WriteFile(QByteArray("  [Kestrel]  \r\n  PrintType  =   ") + QByteArray::fromHex("bae1cff2b4f2d3a1") +
              "  \r\n\tTabbed\t=\t1\t\nUnix=2\n");
    QCOMPARE(Read(QStringLiteral("PrintType")), QStringLiteral("横向打印"));
    QCOMPARE(Read(QStringLiteral("Tabbed")), QStringLiteral("1"));
    QCOMPARE(Read(QStringLiteral("Unix")), QStringLiteral("2"));
    // Spaces written around a value are not read back; a default is trimmed too.
    QVERIFY(
        WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("Spaced"), QStringLiteral("  x y  "), ini));
    QCOMPARE(Read(QStringLiteral("Spaced")), QStringLiteral("x y"));
    QCOMPARE(Read(QStringLiteral("Missing"), QStringLiteral(" 0 ")), QStringLiteral("0"));
    // Spaces around a name do not make another key.
    QVERIFY(
        WriteIniString(QStringLiteral("Kestrel"), QStringLiteral(" PrintType "), QStringLiteral("z"), ini));
    QCOMPARE(Read(QStringLiteral("PrintType")), QStringLiteral("z"));
    QCOMPARE(FileBytes().count("PrintType"), 1);
}

void TestIniFile::otherLinesAreKept() {
    WriteFile("; settings\r\n[Other]\r\nA=1\r\n\r\n[Kestrel]\r\nB=2\r\n\r\n[Last]\r\nC=3\r\n");
    QVERIFY(WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("D"), QStringLiteral("4"), ini));
    QVERIFY(WriteIniString(QStringLiteral("New"), QStringLiteral("E"), QStringLiteral("5"), ini));
    QCOMPARE(FileBytes(),
             QByteArray("; settings\r\n[Other]\r\nA=1\r\n\r\n[Kestrel]\r\nB=2\r\nD=4\r\n\r\n[Last]\r\n"
                        "C=3\r\n[New]\r\nE=5\r\n"));
    QCOMPARE(ReadIniString(QStringLiteral("Other"), QStringLiteral("A"), QString(), ini),
             QStringLiteral("1"));
    QCOMPARE(ReadIniString(QStringLiteral("Last"), QStringLiteral("C"), QString(), ini), QStringLiteral("3"));
    QCOMPARE(Read(QStringLiteral("D")), QStringLiteral("4"));
}

void TestIniFile::nameLimits_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("stored");
    const QString k = QStringLiteral("Kestrel");
    QTest::newRow("key of 255 bytes") << k << QString(255, QLatin1Char('k')) << true;
    QTest::newRow("key of 256 bytes") << k << QString(256, QLatin1Char('k')) << false;
    QTest::newRow("chinese key of 254 bytes") << k << QString(127, QChar(0x5BA2)) << true;
    QTest::newRow("chinese key of 256 bytes") << k << QString(128, QChar(0x5BA2)) << false;
    QTest::newRow("mixed key of 255 bytes") << k << QStringLiteral("a") + QString(127, QChar(0x5BA2)) << true;
    QTest::newRow("mixed key of 257 bytes")
        << k << QStringLiteral("a") + QString(128, QChar(0x5BA2)) << false;
    QTest::newRow("section of 255 bytes") << QString(255, QLatin1Char('s')) << QStringLiteral("Key") << true;
    QTest::newRow("section of 256 bytes") << QString(256, QLatin1Char('s')) << QStringLiteral("Key") << false;
}

void TestIniFile::nameLimits() {
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(bool, stored);
    QCOMPARE(WriteIniString(section, key, QStringLiteral("v"), ini), stored);
    QCOMPARE(QFileInfo::exists(ini), stored);
    if (stored)
        QCOMPARE(ReadIniString(section, key, QString(), ini), QStringLiteral("v"));
}

void TestIniFile::valueLimits_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("stored");
    QTest::newRow("1023 bytes") << QString(1023, QLatin1Char('v')) << true;
    QTest::newRow("1024 bytes") << QString(1024, QLatin1Char('v')) << false;
    QTest::newRow("chinese 1022 bytes") << QString(511, QChar(0x6237)) << true;
    QTest::newRow("chinese 1024 bytes") << QString(512, QChar(0x6237)) << false;
}

void TestIniFile::valueLimits() {
    QFETCH(QString, value);
    QFETCH(bool, stored);
    QVERIFY(WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("Key"), QStringLiteral("old"), ini));
    const QByteArray before = FileBytes();
    QCOMPARE(WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("Key"), value, ini), stored);
    QCOMPARE(Read(QStringLiteral("Key")), stored ? value : QStringLiteral("old"));
    if (!stored)
        QCOMPARE(FileBytes(), before);
}

void TestIniFile::readValueIsCutAt1023Bytes_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("latin") << QByteArray(2000, 'x') << QString(1023, QLatin1Char('x'));
    // 户 is two bytes: the cut never splits it.
    QByteArray chinese;
    for (int i = 0; i < 600; ++i)
        chinese += QByteArray::fromHex("bba7");
    QTest::newRow("chinese") << chinese << QString(511, QChar(0x6237));
    QTest::newRow("odd start") << QByteArray("a") + chinese
                               << QStringLiteral("a") + QString(511, QChar(0x6237));
}

void TestIniFile::readValueIsCutAt1023Bytes() {
    QFETCH(QByteArray, value);
    QFETCH(QString, expected);
    WriteFile("[Kestrel]\r\nLong=" + value + "\r\n");
    const QString read = Read(QStringLiteral("Long"));
    QCOMPARE(read, expected);
    QVERIFY(GbkLength(read) <= 1023);
}

void TestIniFile::writeRefusesWhatCannotBeReadBack_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    const QString k = QStringLiteral("Kestrel");
    QTest::newRow("empty section") << QString() << QStringLiteral("A") << QStringLiteral("1");
    QTest::newRow("empty key") << k << QString() << QStringLiteral("1");
    QTest::newRow("blank key") << k << QStringLiteral("  ") << QStringLiteral("1");
    QTest::newRow("equals in key") << k << QStringLiteral("A=B") << QStringLiteral("1");
    QTest::newRow("line break in value") << k << QStringLiteral("A") << QStringLiteral("1\n[Other]");
    QTest::newRow("carriage return in value") << k << QStringLiteral("A") << QStringLiteral("1\r2");
    QTest::newRow("line break in key") << k << QStringLiteral("A\nB") << QStringLiteral("1");
    QTest::newRow("bracket in section")
        << QStringLiteral("Kes]trel") << QStringLiteral("A") << QStringLiteral("1");
    QTest::newRow("key like a section") << k << QStringLiteral("[A]") << QStringLiteral("1");
    QTest::newRow("key like a comment") << k << QStringLiteral(";A") << QStringLiteral("1");
    QTest::newRow("no GBK form") << k << QStringLiteral("A") << QStringLiteral("😀");
}

void TestIniFile::writeRefusesWhatCannotBeReadBack() {
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QVERIFY(WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("Kept"), QStringLiteral("1"), ini));
    const QByteArray before = FileBytes();
    QVERIFY(!WriteIniString(section, key, value, ini));
    QCOMPARE(FileBytes(), before);
}

void TestIniFile::damagedFileGivesDefaults_data() {
    QTest::addColumn<QByteArray>("content");
    QRandomGenerator random(20240601);
    QByteArray noise(4096, '\0');
    for (char& c : noise)
        c = static_cast<char>(random.bounded(256));
    QTest::newRow("random bytes") << noise;
    QTest::newRow("zeros") << QByteArray(1000, '\0');
    QTest::newRow("nul inside a line") << QByteArray("[Kestrel]\r\nPrint\0Type=x\r\n", 25);
    QTest::newRow("nul inside the section") << QByteArray("[Kes\0trel]\r\nPrintType=x\r\n", 25);
    QTest::newRow("invalid GBK") << QByteArray("\x81\x20\xff\xfe\x80\x81[Kestrel\x81]\r\nPrintType=\xff\r\n");
    QTest::newRow("lead byte at the end") << QByteArray("[Other]\r\nA=\x81");
    QTest::newRow("utf-16") << QByteArray("\xff\xfe[\0K\0e\0s\0t\0r\0e\0l\0]\0", 20);
    QTest::newRow("only line breaks") << QByteArray(500, '\n');
    QTest::newRow("only brackets") << QByteArray("[[[[]]]]=][=\r\n=\r\n[");
}

void TestIniFile::damagedFileGivesDefaults() {
    QFETCH(QByteArray, content);
    WriteFile(content);
    QCOMPARE(Read(QStringLiteral("PrintType"), QStringLiteral("纵向打印")), QStringLiteral("纵向打印"));
    QCOMPARE(Read(QStringLiteral("客户排序方式"), QStringLiteral("0")), QStringLiteral("0"));
    QCOMPARE(FileBytes(), content);
    // A later write works and what it wrote reads back, in GBK.
    QVERIFY(WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("PrintType"), QStringLiteral("横向打印"),
                           ini));
    QCOMPARE(Read(QStringLiteral("PrintType")), QStringLiteral("横向打印"));
    QVERIFY(FileBytes().contains("PrintType=" + QByteArray::fromHex("bae1cff2b4f2d3a1") + "\r\n"));
    QVERIFY(
        WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("客户排序方式"), QStringLiteral("3"), ini));
    QCOMPARE(Read(QStringLiteral("客户排序方式")), QStringLiteral("3"));
    QCOMPARE(Read(QStringLiteral("PrintType")), QStringLiteral("横向打印"));
}

void TestIniFile::readingWritesNothing() {
    const QStringList keys = {"客户排序方式",     "客户排序方向",     "业务单据日期范围",
                              "业务单据排序方式", "业务单据排序方向", "财务单据日期范围",
                              "财务单据排序方式", "财务单据排序方向", "PrintType"};
    for (const QString& key : keys)
        Read(key, QStringLiteral("0"));
    QVERIFY(!QFileInfo::exists(ini));
    QVERIFY(QDir(dir->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());

    const QByteArray content("[Kestrel]\r\nPrintType = x \r\n");
    WriteFile(content);
    const QDateTime modified = QFileInfo(ini).lastModified();
    QTest::qWait(20);
    for (const QString& key : keys)
        Read(key, QStringLiteral("0"));
    QCOMPARE(FileBytes(), content);
    QCOMPARE(QFileInfo(ini).lastModified(), modified);
}

void TestIniFile::longFileNameIsUsed() {
    // A file name far over 255 bytes (folders of Chinese names): read and written like any other,
    // and the file its first 255 bytes happen to name is left alone.
    QString folder = dir->path();
    for (int level = 0; level < 6; ++level)
        folder += QLatin1Char('/') + QString(60, QChar(0x8D26)); // 账
    QVERIFY(QDir().mkpath(folder));
    const QString longName = folder + QStringLiteral("/Kestrel.ini");
    QVERIFY(GbkLength(longName) > 700);
    const QString cutName = GbkLeft(longName, 255);
    QVERIFY(QFileInfo(cutName).dir().exists());
    const QByteArray other("[Kestrel]\r\nPrintType=other\r\n");
    {
        QFile file(cutName);
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(cutName));
        file.write(other);
        QFile ini(longName);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Kestrel]\r\nPostgreSQL=host=server dbname=books\r\n");
    }
    QCOMPARE(ReadIniString(QStringLiteral("Kestrel"), QStringLiteral("PostgreSQL"), QString(), longName),
             QStringLiteral("host=server dbname=books"));
    QVERIFY(WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("PrintType"), QStringLiteral("横向打印"),
                           longName));
    QCOMPARE(ReadIniString(QStringLiteral("Kestrel"), QStringLiteral("PrintType"), QString(), longName),
             QStringLiteral("横向打印"));
    QCOMPARE(ReadIniString(QStringLiteral("Kestrel"), QStringLiteral("PostgreSQL"), QString(), longName),
             QStringLiteral("host=server dbname=books"));
    QFile file(cutName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), other);
}

void TestIniFile::unicodeFilesAreRead_data() {
    QTest::addColumn<QByteArray>("content");
    const QString text = QStringLiteral("[Other]\r\nPrintType=别的\r\n[Kestrel]\r\nPostgreSQL=host=服务器 "
                                        "dbname=kestrel\r\nPrintType = 横向打印 \r\n");
    QTest::newRow("GBK") << ToGbk(text);
    QTest::newRow("UTF-8 with a byte-order mark") << QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    QTest::newRow("UTF-8 with a byte-order mark, lines ending in LF")
        << QByteArray("\xEF\xBB\xBF") + QString(text).remove(QLatin1Char('\r')).toUtf8();
    QByteArray little("\xFF\xFE");
    QByteArray big("\xFE\xFF");
    for (const QChar c : text) {
        little.append(static_cast<char>(c.unicode() & 0xff)).append(static_cast<char>(c.unicode() >> 8));
        big.append(static_cast<char>(c.unicode() >> 8)).append(static_cast<char>(c.unicode() & 0xff));
    }
    QTest::newRow("UTF-16 little-endian") << little;
    QTest::newRow("UTF-16 big-endian") << big;
}

// An INI saved by another editor (with a byte-order mark) reads as the GBK file does, and a later
// write keeps every key.
void TestIniFile::unicodeFilesAreRead() {
    QFETCH(QByteArray, content);
    WriteFile(content);
    QCOMPARE(IniFileProblem(ini), QString());
    QCOMPARE(Read(QStringLiteral("PostgreSQL")), QStringLiteral("host=服务器 dbname=kestrel"));
    QCOMPARE(Read(QStringLiteral("PrintType")), QStringLiteral("横向打印"));
    QCOMPARE(FileBytes(), content);
    QVERIFY(
        WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("客户排序方式"), QStringLiteral("2"), ini));
    QCOMPARE(Read(QStringLiteral("客户排序方式")), QStringLiteral("2"));
    QCOMPARE(Read(QStringLiteral("PostgreSQL")), QStringLiteral("host=服务器 dbname=kestrel"));
    QCOMPARE(Read(QStringLiteral("PrintType")), QStringLiteral("横向打印"));
    QCOMPARE(ReadIniString(QStringLiteral("Other"), QStringLiteral("PrintType"), QString(), ini),
             QStringLiteral("别的"));
}

void TestIniFile::unreadableFileIsTold_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("a folder") << "folder";
    QTest::newRow("a named pipe") << "pipe";
    QTest::newRow("larger than 16 MB") << "large";
    QTest::newRow("a link to nothing") << "dangling";
    if (geteuid() != 0) // the superuser reads every file
        QTest::newRow("no permission to read") << "permission";
}

// An INI file that exists but cannot be read is told apart from a missing one (start-up stops on
// it); reading gives the defaults without waiting, and nothing is written over it.
void TestIniFile::unreadableFileIsTold() {
    QFETCH(QString, kind);
    QCOMPARE(IniFileProblem(ini), QString()); // missing: no problem
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(ini));
    } else if (kind == QLatin1String("pipe")) {
        QCOMPARE(mkfifo(QFile::encodeName(ini).constData(), 0600), 0);
    } else if (kind == QLatin1String("large")) {
        WriteFile("[Kestrel]\r\nPostgreSQL=host=h\r\n");
        QFile file(ini);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.resize(17 * 1024 * 1024));
    } else if (kind == QLatin1String("dangling")) {
        QVERIFY(QFile::link(dir->filePath(QStringLiteral("gone.ini")), ini));
    } else {
        WriteFile("[Kestrel]\r\nPostgreSQL=host=h\r\n");
        QVERIFY(QFile::setPermissions(ini, QFileDevice::WriteOwner));
    }
    QElapsedTimer timer;
    timer.start();
    const QString problem = IniFileProblem(ini);
    QVERIFY2(!problem.isEmpty(), qPrintable(kind));
    QCOMPARE(Read(QStringLiteral("PostgreSQL"), QString()), QString());
    QVERIFY(
        !WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("PrintType"), QStringLiteral("x"), ini));
    QVERIFY(timer.elapsed() < 5000);
    const QFileInfo info(ini);
    if (kind == QLatin1String("large"))
        QCOMPARE(info.size(), qint64(17 * 1024 * 1024));
    else if (kind == QLatin1String("folder"))
        QVERIFY(info.isDir());
    else if (kind == QLatin1String("dangling"))
        QVERIFY(info.isSymLink() && !QFileInfo::exists(dir->filePath(QStringLiteral("gone.ini"))));
    QFile::setPermissions(ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
