// Copies a whole set of books between a Kestrel.mdb file and an empty PostgreSQL database, either
// way, and checks the row counts and amount sums of every table after the copy.
#include "foundation/BookCopy.h"
#include "foundation/Connection.h"
#include "foundation/PublicFunction.h"
#include "foundation/Schema.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

namespace {

// A libpq connection string names a server; anything else is a database file.
bool IsServer(const QString& place) {
    return place.contains(QLatin1Char('=')) || place.startsWith(QLatin1String("postgres"));
}

bool OpenPlace(DbConnection& connection, const QString& place, bool target, QTextStream& err) {
    if (IsServer(place)) {
        connection.Server = place;
    } else {
        if (target) {
            const QString error = Schema::CreateDatabase(place);
            if (!error.isEmpty()) {
                err << "kestrel_copybooks: " << error << "\n";
                return false;
            }
        }
        connection.ConnectionString = BuildConnectionString(QFileInfo(place).absoluteFilePath(), QString());
    }
    if (!connection.Open()) {
        err << "kestrel_copybooks: " << connection.LastError() << "\n";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        err << "usage: kestrel_copybooks SOURCE TARGET\n"
               "  each a Kestrel.mdb file or a libpq connection string such as\n"
               "  \"host=192.168.1.10 dbname=kestrel user=kestrel\".\n"
               "  A target file must not exist yet; a target server database must hold no records.\n";
        return 2;
    }
    DbConnection from;
    DbConnection to;
    if (!OpenPlace(from, args[1], false, err) || !OpenPlace(to, args[2], true, err))
        return 1;
    std::vector<BookCopy::TableFigures> copied;
    const QString problem = BookCopy::Copy(from, to, &copied);
    if (!problem.isEmpty()) {
        err << "kestrel_copybooks: " << problem << "\n";
        return 1;
    }
    out << "已复制，行数与金额合计相符：\n";
    for (const QString& line : BookCopy::Describe(copied))
        out << "  " << line << "\n";
    return 0;
}
