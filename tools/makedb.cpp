// Writes the initial database file that ships beside the program.
#include "foundation/Schema.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: kestrel_makedb PATH-OF-NEW-Kestrel.mdb\n";
        return 2;
    }
    const QString error = Schema::CreateDatabase(args[1]);
    if (!error.isEmpty()) {
        QTextStream(stderr) << "kestrel_makedb: " << error << "\n";
        return 1;
    }
    return 0;
}
