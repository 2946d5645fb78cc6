// Converting large books kept in the Jet format: 200,000 documents and 300,000 vouchers, made in
// memory in the shape of the Jet books (no Jet file of that size can be written here), into a new
// database file, with the progress called as the program's window calls it.
#include "BenchTiming.h"
#include "foundation/JetConvert.h"
#include "support/FakeJetBooks.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const qint64 bills = argc > 1 ? QByteArray(argv[1]).toLongLong() : 200000;
    const qint64 vouchers = argc > 2 ? QByteArray(argv[2]).toLongLong() : 300000;
    FakeJetBooks books;
    FakeShop::AddShopBooks(books, bills, vouchers);
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("Kestrel.mdb"));
    int calls = 0;
    QElapsedTimer timer;
    timer.start();
    const double cpu = ThreadCpuMs();
    const JetConvert::Outcome outcome = JetConvert::ConvertToFile(books, target, [&](qint64, qint64) {
        ++calls;
        return true;
    });
    if (!outcome.Ok) {
        std::fprintf(stderr, "%s\n", qPrintable(outcome.Problem));
        return 1;
    }
    std::printf("%lld documents + %lld vouchers: %.0f ms cpu / %lld ms wall, %d progress calls, %lld bytes\n",
                bills, vouchers, ThreadCpuMs() - cpu, timer.elapsed(), calls, QFile(target).size());
    std::printf("%s\n", qPrintable(JetConvert::Summary(outcome.Figures)));
    return 0;
}
