#include "foundation/FileTargets.h"
#include "foundation/Leftovers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

// What a killed backup, restore or copy left behind is removed at the next start: only the
// program's own files, and only when no other instance runs.
class TestLeftovers : public QObject {
    Q_OBJECT
private slots:
    void cleanedAtTheNextStart_data();
    void cleanedAtTheNextStart();
};

namespace {

// Makes path (a file, or a folder when folder is true) in a child process that notes it as
// unfinished and is then killed: the note stays, as after a killed run.
void LeaveUnfinished(const QString& path, bool folder, bool noted) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (noted)
            new Leftovers::Unfinished(path); // never ended: the process is killed
        if (folder) {
            QDir().mkpath(path);
            QFile inside(path + QStringLiteral("/Kestrel.mdb"));
            inside.open(QIODevice::WriteOnly);
            inside.write("copy");
        } else {
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write("half written");
        }
        ::kill(::getpid(), SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
}

} // namespace

void TestLeftovers::cleanedAtTheNextStart_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("noted");
    QTest::addColumn<bool>("otherInstance");
    QTest::addColumn<bool>("removed");
    QTest::newRow("a backup's part") << QStringLiteral("backup") << true << false << true;
    QTest::newRow("a restore's part") << QStringLiteral("restore") << true << false << true;
    QTest::newRow("a restore's temporary folder") << QStringLiteral("folder") << true << false << true;
    QTest::newRow("another instance runs") << QStringLiteral("backup") << true << true << false;
    QTest::newRow("a part nobody noted") << QStringLiteral("backup") << false << false << false;
    QTest::newRow("a noted file of another name") << QStringLiteral("other") << true << false << false;
}

void TestLeftovers::cleanedAtTheNextStart() {
    QFETCH(QString, kind);
    QFETCH(bool, noted);
    QFETCH(bool, otherInstance);
    QFETCH(bool, removed);
    QTemporaryDir books;
    QTemporaryDir notes;
    Leftovers::SetNoteFolder(notes.path());
    QString path;
    if (kind == QLatin1String("folder")) {
        path = QDir::tempPath() + QStringLiteral("/kestrel-restore-") + QFileInfo(books.path()).fileName();
    } else if (kind == QLatin1String("other")) {
        path = books.filePath(QStringLiteral("岚峰商业软件2026-12-10.mdb"));
    } else {
        path = FileTargets::PartBeside(books.filePath(QStringLiteral("Kestrel.mdb")), kind);
    }
    LeaveUnfinished(path, kind == QLatin1String("folder"), noted);
    QVERIFY(QFileInfo::exists(path));
    int other = -1;
    if (otherInstance) {
        other = ::open(QFile::encodeName(Leftovers::InstanceLockPath()).constData(), O_RDWR | O_CREAT, 0600);
        QVERIFY(other >= 0 && ::flock(other, LOCK_SH) == 0);
    }
    const QStringList gone = Leftovers::CleanUpAtStart();
    if (other >= 0)
        ::close(other);
    QCOMPARE(QFileInfo::exists(path), !removed);
    QCOMPARE(gone, removed ? QStringList{path} : QStringList());
    if (!removed && kind == QLatin1String("folder"))
        QDir(path).removeRecursively();
    // Once the other instance has ended, the next start removes it.
    if (otherInstance) {
        QCOMPARE(Leftovers::CleanUpAtStart(), QStringList{path});
        QVERIFY(!QFileInfo::exists(path));
    }
}

QTEST_GUILESS_MAIN(TestLeftovers)
#include "tst_leftovers.moc"
