// Times the start of the program on a large database, with a warm file cache: from starting the
// process to the sign-in window painted, run as the program runs (windows created, main window
// shown, database opened and checked, sign-in window shown). The first start finds a file the
// program has not closed before and checks every page; later starts find the file as the program
// left it at its last clean close. Also the opening of the database alone, both ways.
//
// usage: kestrel_bench_startup PATH-OF-A-LARGE-Kestrel.mdb   (kestrel_makebenchdb writes one)
#include "app/Forms.h"
#include "foundation/FileStamp.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "foundation/Startup.h"
#include "kit/ErrorHandler.h"
#include "kit/Prompts.h"
#include "mainwindow/MainForm.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <ctime>
#include <vector>

namespace {

QTextStream out(stdout);

void CopyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    const QDir source(from);
    for (const QString& file : source.entryList(QDir::Files))
        QFile::copy(source.filePath(file), to + QLatin1Char('/') + file);
}

// The program itself, started in a folder of its own: prints the milliseconds from the start of
// main to the sign-in window painted, then closes it without signing in, which ends the program.
int RunAsProgram(int argc, char* argv[], const QString& folder) {
    QElapsedTimer sinceMain;
    sinceMain.start();
    KestrelApplication app(argc, argv);
    QFont font; // as the program sets it
    font.setFamilies(
        {QStringLiteral("SimSun"), QStringLiteral("NSimSun"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPointSize(9);
    QApplication::setFont(font);
    SetProgramFolder(folder);
    auto scripted = std::make_unique<ScriptedPrompts>();
    scripted->QueueModal([&](QDialog* signIn) {
        signIn->grab();
        timespec cpu{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
        out << "signin " << sinceMain.nsecsElapsed() / 1e6 << " " << cpu.tv_sec * 1e3 + cpu.tv_nsec / 1e6
            << "\n";
        out.flush();
    });
    ScriptedPrompts* prompts = scripted.get();
    Prompts::Install(std::move(scripted));
    CreateForms();
    FormMain->show();
    const int result = app.exec();
    DestroyForms();
    for (const QString& text : prompts->Texts())
        out << "message " << text << "\n";
    return result;
}

struct Start {
    double total = -1;  // ms from starting the process to the sign-in window painted
    double inMain = -1; // ms of it from the start of main
    double cpu = -1;    // ms of CPU time the process used up to then: on a busy machine, the figure
                        // that tells what the start costs rather than how busy the others are
};

Start StartProgram(const QString& folder) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--program"), folder});
    Start start;
    while (process.waitForReadyRead(30000)) {
        while (process.canReadLine()) {
            const QString line = QString::fromUtf8(process.readLine()).trimmed();
            if (line.startsWith(QLatin1String("signin "))) {
                start.total = timer.nsecsElapsed() / 1e6;
                const QStringList parts = line.split(QLatin1Char(' '));
                start.inMain = parts.value(1).toDouble();
                start.cpu = parts.value(2).toDouble();
            } else {
                out << "  " << line << "\n";
            }
        }
    }
    process.waitForFinished(30000);
    return start;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Opening the connection alone, with or without the record of a clean close.
double OpenTime(const QString& path, bool asLeft) {
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        DbConnection connection;
        connection.ConnectionString = BuildConnectionString(path, DatabasePassword);
        if (!asLeft)
            FileStamp::Forget(path);
        QElapsedTimer timer;
        timer.start();
        if (!connection.Open()) {
            out << "cannot open " << path << ": " << connection.LastError() << "\n";
            return -1;
        }
        times.push_back(timer.nsecsElapsed() / 1e6);
        connection.Close();
    }
    return Median(times);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && QByteArray(argv[1]) == "--program")
        return RunAsProgram(argc, argv, QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    if (argc != 2 || !QFileInfo(QString::fromLocal8Bit(argv[1])).isFile()) {
        out << "usage: kestrel_bench_startup PATH-OF-A-LARGE-Kestrel.mdb (kestrel_makebenchdb writes one)\n";
        return 2;
    }
    QTemporaryDir folder;
    const QString database = folder.filePath(QStringLiteral("Kestrel.mdb"));
    if (!QFile::copy(QString::fromLocal8Bit(argv[1]), database)) {
        out << "cannot copy " << argv[1] << "\n";
        return 1;
    }
    const QString programFolder = QCoreApplication::applicationDirPath();
    CopyFolder(programFolder + QStringLiteral("/Res"), folder.filePath(QStringLiteral("Res")));
    CopyFolder(programFolder + QStringLiteral("/Faces"), folder.filePath(QStringLiteral("Faces")));
    {
        QFile file(database); // a warm file cache
        file.open(QIODevice::ReadOnly);
        while (!file.read(1 << 20).isEmpty()) {
        }
    }
    out << QFileInfo(database).size() / (1024 * 1024) << " MB database\n";

    const Start first = StartProgram(folder.path());
    out << "first start, every page checked: " << first.total << " ms wall to the sign-in window ("
        << first.inMain << " ms of it from main), " << first.cpu << " ms cpu\n";
    std::vector<double> totals, inMain, cpu;
    for (int i = 0; i < 7; ++i) {
        const Start start = StartProgram(folder.path());
        totals.push_back(start.total);
        inMain.push_back(start.inMain);
        cpu.push_back(start.cpu);
    }
    out << "later starts, file as the program left it: median " << Median(totals) << " ms wall (best "
        << *std::min_element(totals.begin(), totals.end()) << ", median " << Median(inMain)
        << " ms from main), median " << Median(cpu) << " ms cpu, to the sign-in window  (limit 500 ms)\n";
    out << "opening the database alone: every page checked " << OpenTime(database, false)
        << " ms, file as left " << OpenTime(database, true) << " ms (median of 5)\n";
    return 0;
}
