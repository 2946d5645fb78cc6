#include "foundation/IniFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// The Debian package as a shop uses it: built from this build, installed with apt-get, started from
// the menu entry's command by a user with a fresh home folder (the books go to the user's data
// folder, a second user gets books of their own), upgraded by a newer package (the books and the
// INI stay), and removed (the books stay). Needs root, for apt-get.
class TestPackage : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void installStartUpgradeRemove();
    void cleanupTestCase();

private:
    QTemporaryDir work{QDir::tempPath() + QStringLiteral("/kestrel-package-XXXXXX")};
    QString package; // kestrel_VERSION_ARCH.deb of this build
    QString newer;   // the same program as a later version
    QString version;
};

namespace {

const QString InstalledFolder = QStringLiteral("/opt/kestrel");
const QString DesktopFile = QStringLiteral("/usr/share/applications/kestrel.desktop");
// The user data folder of the program under a home folder (QStandardPaths::AppDataLocation).
const QString DataFolderInHome = QStringLiteral("/.local/share/岚峰商业管理软件");

struct Ran {
    int Code = -1;
    QString Output;
};

// Runs program to its end (within limitSeconds), stdout and stderr together.
Ran Run(const QString& program, const QStringList& arguments, const QString& folder = QString(),
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
        int limitSeconds = 300) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(environment);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, arguments);
    Ran ran;
    if (!process.waitForStarted(30000)) {
        ran.Output = program + QStringLiteral(": ") + process.errorString();
        return ran;
    }
    if (!process.waitForFinished(limitSeconds * 1000)) {
        process.kill();
        process.waitForFinished();
    }
    ran.Output = QString::fromLocal8Bit(process.readAll());
    ran.Code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return ran;
}

Ran AptGet(const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DEBIAN_FRONTEND"), QStringLiteral("noninteractive"));
    return Run(QStringLiteral("apt-get"), arguments, QString(), environment, 600);
}

QString InstalledVersion() {
    const Ran ran =
        Run(QStringLiteral("dpkg-query"),
            {QStringLiteral("-W"), QStringLiteral("-f=${Status}|${Version}"), QStringLiteral("kestrel")});
    if (ran.Code != 0 || !ran.Output.startsWith(QStringLiteral("install ok installed|")))
        return QString();
    return ran.Output.section(QLatin1Char('|'), 1);
}

QByteArray Sha1Of(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(&file);
    return hash.result().toHex();
}

// Every file under folder with its size and content hash: what the program must not change.
QStringList FilesUnder(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files << path + QLatin1Char(' ') + QString::fromLatin1(Sha1Of(path));
    }
    files.sort();
    return files;
}

// The command of the menu entry's Exec line, without the field codes (%f, %U, ...).
QString ExecOf(const QString& desktopFile) {
    QFile file(desktopFile);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    bool inEntry = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        if (t.startsWith(QLatin1Char('[')))
            inEntry = t == QStringLiteral("[Desktop Entry]");
        else if (inEntry && t.startsWith(QStringLiteral("Exec=")))
            return t.mid(5)
                .remove(QRegularExpression(QStringLiteral("%[fFuUdDnNickvm]")))
                .replace(QStringLiteral("%%"), QStringLiteral("%"))
                .trimmed();
    }
    return QString();
}

// The value of key in the [Desktop Entry] group.
QString DesktopValue(const QString& desktopFile, const QString& key) {
    QFile file(desktopFile);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QString prefix = key + QLatin1Char('=');
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed();
    return QString();
}

// Starts command (the menu entry's) under a virtual screen as the user of uid, with home as the home
// folder and nothing else of the caller's desktop, and waits for the sign-in window (the program's
// fixed 721x465 dialog) to show. Returns what the run printed; "SIGN-IN SHOWN" on its first line
// when the window showed. shot, when given, receives an xwd picture of the sign-in window.
QString StartAndWaitForSignIn(const QString& command, const QString& home, uid_t uid, const QString& shot) {
    const QString script = QStringLiteral(R"(
sh -c "exec $KESTREL_EXEC" > "$HOME/kestrel.log" 2>&1 &
program=$!
tries=0
while [ $tries -lt 600 ]; do
    if xwininfo -root -tree 2>/dev/null | grep -F '("kestrel" ' | grep -q ' 721x465+'; then
        echo "SIGN-IN SHOWN"
        window=$(xwininfo -root -tree | grep -F '("kestrel" ' | grep ' 721x465+' | awk '{print $1}')
        if [ -n "$KESTREL_SHOT" ] && command -v xwd >/dev/null; then sleep 3; xwd -id "$window" -silent -out "$KESTREL_SHOT"; fi
        kill $program; wait $program
        exit 0
    fi
    if ! kill -0 $program 2>/dev/null; then echo "the program ended"; cat "$HOME/kestrel.log"; exit 1; fi
    sleep 0.1
    tries=$((tries + 1))
done
echo "no sign-in window within 60 s"; kill $program; cat "$HOME/kestrel.log"; exit 1
)");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : environment.keys())
        if (name.startsWith(QStringLiteral("XDG_")) || name == QStringLiteral("QT_QPA_PLATFORM") ||
            name.startsWith(QStringLiteral("KESTREL_")) || name == QStringLiteral("DISPLAY"))
            environment.remove(name);
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("KESTREL_EXEC"), command);
    environment.insert(QStringLiteral("KESTREL_SHOT"), shot);
    QStringList arguments{QStringLiteral("-a"), QStringLiteral("-s"),
                          QStringLiteral("-ac -screen 0 1280x900x24")};
    if (uid != 0)
        arguments << QStringLiteral("setpriv") << QStringLiteral("--reuid=%1").arg(uid)
                  << QStringLiteral("--regid=%1").arg(getpwuid(uid)->pw_gid)
                  << QStringLiteral("--clear-groups") << QStringLiteral("--");
    arguments << QStringLiteral("sh") << QStringLiteral("-c") << script;
    const Ran ran = Run(QStringLiteral("xvfb-run"), arguments, home, environment, 120);
    return ran.Output;
}

} // namespace

void TestPackage::initTestCase() {
    if (geteuid() != 0)
        QSKIP("installing the package with apt-get needs root");
    QVERIFY(work.isValid());
    QVERIFY(QFile::setPermissions(work.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                   QFileDevice::ExeOther | QFileDevice::ReadGroup |
                                                   QFileDevice::ExeGroup));
    // The package of the program this build made: gzip, which is quicker than the release's xz.
    const QString build = QStringLiteral(KESTREL_BUILD_DIR);
    const QStringList common{QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-D"),
                             QStringLiteral("CPACK_DEBIAN_COMPRESSION_TYPE=gzip")};
    Ran ran = Run(QStringLiteral("cpack"),
                  common + QStringList{QStringLiteral("-B"), work.filePath(QStringLiteral("old"))}, build);
    QVERIFY2(ran.Code == 0, qPrintable(ran.Output));
    const QStringList built =
        QDir(work.filePath(QStringLiteral("old"))).entryList({QStringLiteral("kestrel_*.deb")});
    QCOMPARE(built.size(), 1);
    package = work.filePath(QStringLiteral("old/") + built.first());
    version = built.first().section(QLatin1Char('_'), 1, 1);
    // The same program as a later release, for the upgrade.
    ran = Run(QStringLiteral("cpack"),
              common + QStringList{QStringLiteral("-D"),
                                   QStringLiteral("CPACK_PACKAGE_VERSION=%1+upgrade").arg(version),
                                   QStringLiteral("-B"), work.filePath(QStringLiteral("new"))},
              build);
    QVERIFY2(ran.Code == 0, qPrintable(ran.Output));
    const QStringList later =
        QDir(work.filePath(QStringLiteral("new"))).entryList({QStringLiteral("kestrel_*.deb")});
    QCOMPARE(later.size(), 1);
    newer = work.filePath(QStringLiteral("new/") + later.first());
    QCOMPARE(later.first().section(QLatin1Char('_'), 1, 1), version + QStringLiteral("+upgrade"));
}

void TestPackage::installStartUpgradeRemove() {
    // The package names its libraries' packages (dpkg-shlibdeps) and what the program loads itself.
    Ran ran = Run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), package, QStringLiteral("Depends")});
    QCOMPARE(ran.Code, 0);
    for (const char* needed : {"libqt6widgets6", "libqt6core6", "libsqlite3-0", "libpq5", "libxlsxwriter",
                               "libqt6sql6-sqlite", "libqt6sql6-psql", "fonts-wqy-microhei"})
        QVERIFY2(ran.Output.contains(QLatin1String(needed)), qPrintable(ran.Output));

    ran = AptGet({QStringLiteral("install"), QStringLiteral("-y"), package});
    QVERIFY2(ran.Code == 0, qPrintable(ran.Output));
    QCOMPARE(InstalledVersion(), version);

    // The menu entry and what the desktop shows of it.
    QCOMPARE(DesktopValue(DesktopFile, QStringLiteral("Name")), QStringLiteral("岚峰商业管理软件"));
    QVERIFY(!DesktopValue(DesktopFile, QStringLiteral("Name[en]")).isEmpty());
    QCOMPARE(DesktopValue(DesktopFile, QStringLiteral("Categories")), QStringLiteral("Office;Finance;"));
    const QString icon = DesktopValue(DesktopFile, QStringLiteral("Icon"));
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString file = QStringLiteral("/usr/share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(icon);
        QVERIFY2(QFileInfo(file).isFile(), qPrintable(file));
    }
    QVERIFY(QFileInfo(QStringLiteral("/usr/share/metainfo/kestrel.metainfo.xml")).isFile());
    const QString command = ExecOf(DesktopFile);
    QVERIFY(!command.isEmpty());

    // A user's first start: books of their own in the user's data folder, copied from the empty books
    // and the default INI; the installed folder is not written to.
    const QStringList installed = FilesUnder(InstalledFolder);
    const QString shots = qEnvironmentVariable("KESTREL_SCREENSHOTS");
    const QString home = work.filePath(QStringLiteral("home-root"));
    QVERIFY(QDir().mkpath(home));
    QString output = StartAndWaitForSignIn(
        command, home, 0, shots.isEmpty() ? QString() : shots + QStringLiteral("/installed-start.xwd"));
    QVERIFY2(output.startsWith(QStringLiteral("SIGN-IN SHOWN")), qPrintable(output));
    const QString books = home + DataFolderInHome;
    {
        QFile mdb(books + QStringLiteral("/Kestrel.mdb"));
        QVERIFY(mdb.open(QIODevice::ReadOnly));
        QCOMPARE(mdb.read(16), QByteArray("SQLite format 3\0", 16));
    }
    QCOMPARE(Sha1Of(books + QStringLiteral("/Kestrel.ini")),
             Sha1Of(InstalledFolder + QStringLiteral("/Kestrel.ini")));
    QCOMPARE(FilesUnder(InstalledFolder), installed);

    // Another user of the computer gets books of their own, and cannot reach the first user's.
    const passwd* nobody = getpwnam("nobody");
    QVERIFY(nobody != nullptr);
    const QString otherHome = work.filePath(QStringLiteral("home-other"));
    QVERIFY(QDir().mkpath(otherHome));
    QCOMPARE(::chown(QFile::encodeName(otherHome).constData(), nobody->pw_uid, nobody->pw_gid), 0);
    output = StartAndWaitForSignIn(command, otherHome, nobody->pw_uid, QString());
    QVERIFY2(output.startsWith(QStringLiteral("SIGN-IN SHOWN")), qPrintable(output));
    const QString otherBooks = otherHome + DataFolderInHome;
    QVERIFY(QFileInfo(otherBooks + QStringLiteral("/Kestrel.mdb")).isFile());
    struct stat other {};
    QCOMPARE(::stat(QFile::encodeName(otherBooks + QStringLiteral("/Kestrel.mdb")).constData(), &other), 0);
    QCOMPARE(other.st_uid, nobody->pw_uid);
    QCOMPARE(other.st_mode & 0077, mode_t(0));
    QCOMPARE(FilesUnder(InstalledFolder), installed);

    // The user's INI changed, then a newer package installed over the older one: the books and the
    // INI stay as they were, and the newer program starts on them.
    const QString ini = books + QStringLiteral("/Kestrel.ini");
    QVERIFY(WriteIniString(QStringLiteral("Kestrel"), QStringLiteral("PrintType"), QStringLiteral("横向打印"),
                           ini));
    const QByteArray booksBefore = Sha1Of(books + QStringLiteral("/Kestrel.mdb"));
    const QByteArray iniBefore = Sha1Of(ini);
    ran = AptGet({QStringLiteral("install"), QStringLiteral("-y"), newer});
    QVERIFY2(ran.Code == 0, qPrintable(ran.Output));
    QCOMPARE(InstalledVersion(), version + QStringLiteral("+upgrade"));
    QCOMPARE(Sha1Of(books + QStringLiteral("/Kestrel.mdb")), booksBefore);
    QCOMPARE(Sha1Of(ini), iniBefore);
    output = StartAndWaitForSignIn(ExecOf(DesktopFile), home, 0, QString());
    QVERIFY2(output.startsWith(QStringLiteral("SIGN-IN SHOWN")), qPrintable(output));
    QCOMPARE(ReadIniString(QStringLiteral("Kestrel"), QStringLiteral("PrintType"), QString(), ini),
             QStringLiteral("横向打印"));

    // Removing the package takes the program away and leaves every user's books.
    const QByteArray books1 = Sha1Of(books + QStringLiteral("/Kestrel.mdb"));
    const QByteArray books2 = Sha1Of(otherBooks + QStringLiteral("/Kestrel.mdb"));
    ran = AptGet({QStringLiteral("remove"), QStringLiteral("-y"), QStringLiteral("kestrel")});
    QVERIFY2(ran.Code == 0, qPrintable(ran.Output));
    QVERIFY(InstalledVersion().isEmpty());
    QVERIFY(!QFileInfo::exists(InstalledFolder + QStringLiteral("/kestrel")));
    QVERIFY(!QFileInfo::exists(DesktopFile));
    QCOMPARE(Sha1Of(books + QStringLiteral("/Kestrel.mdb")), books1);
    QCOMPARE(Sha1Of(otherBooks + QStringLiteral("/Kestrel.mdb")), books2);
    QCOMPARE(Sha1Of(ini), iniBefore);
}

void TestPackage::cleanupTestCase() {
    // A failed run does not leave the package installed on the test machine.
    if (geteuid() == 0 && !InstalledVersion().isEmpty())
        AptGet({QStringLiteral("remove"), QStringLiteral("-y"), QStringLiteral("kestrel")});
}

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
