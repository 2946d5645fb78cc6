// Copies a whole set of books between a Kestrel.mdb file and an empty PostgreSQL database, either
// way, and checks the row counts and amount sums of every table after the copy.
#include "foundation/BookCopy.h"
#include "foundation/Connection.h"
#include "foundation/FileStamp.h"
#include "foundation/FileTargets.h"
#include "foundation/JetConvert.h"
#include "foundation/Leftovers.h"
#include "foundation/PublicFunction.h"
#include "foundation/Schema.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {

// A server is named explicitly: "postgresql:" followed by a libpq connection string, or a libpq
// URI ("postgresql://..." or "postgres://..."). Anything else is a database file, whatever it holds.
const QString ServerPrefix = QStringLiteral("postgresql:");

bool IsServer(const QString& place) {
    return place.startsWith(ServerPrefix) || place.startsWith(QLatin1String("postgres://"));
}

QString ServerOptions(const QString& place) {
    if (place.startsWith(QLatin1String("postgresql://")) || place.startsWith(QLatin1String("postgres://")))
        return place;
    return place.mid(ServerPrefix.size()).trimmed();
}

// part: for a target file, the new file beside it that the copy is written to.
bool OpenPlace(DbConnection& connection, const QString& place, const QString& part, QTextStream& err) {
    if (IsServer(place)) {
        connection.Server = ServerOptions(place);
    } else {
        if (!part.isEmpty()) {
            if (QFileInfo::exists(place) || QFileInfo(place).isSymLink()) {
                err << "kestrel_copybooks: 目标文件已存在：" << place << "\n";
                return false;
            }
            const QString error = Schema::CreateDatabase(part);
            if (!error.isEmpty()) {
                err << "kestrel_copybooks: " << error << "\n";
                return false;
            }
        }
        connection.ConnectionString =
            BuildConnectionString(QFileInfo(part.isEmpty() ? place : part).absoluteFilePath(), QString());
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
               "  each a Kestrel.mdb file, or a server: \"postgresql:\" followed by a libpq connection\n"
               "  string, such as \"postgresql:host=192.168.1.10 dbname=kestrel user=kestrel\", or a URI\n"
               "  \"postgresql://kestrel@192.168.1.10/kestrel\".\n"
               "  A target file must not exist yet; a target server database must hold no records.\n"
               "  The source may also be books kept in the Jet (Access) format; they are converted.\n";
        return 2;
    }
    const QString target = args[2];
    // A target file is written beside its name and takes the name only when complete.
    const QString part =
        IsServer(target) ? QString() : FileTargets::PartBeside(target, QStringLiteral("copy"));
    const Leftovers::Unfinished noted(part.isEmpty() ? QString() : part);
    auto removePart = [&] {
        if (part.isEmpty())
            return;
        for (const QString& suffix : QStringList{QString()} + FileTargets::CompanionSuffixes())
            QFile::remove(part + suffix);
    };
    // Books kept in the Jet format are read as they are and converted on the way.
    std::unique_ptr<Jet::Books> jet;
    JetConvert::Plan plan;
    if (!IsServer(args[1]) && Jet::IsJetFile(args[1])) {
        QString error;
        jet = Jet::Open(args[1], &error);
        if (jet)
            error = JetConvert::RefusalOf(plan = JetConvert::MakePlan(*jet));
        if (!error.isEmpty()) {
            err << "kestrel_copybooks: " << error << "\n";
            return 1;
        }
        if (const QString note = JetConvert::LeftOutNote(plan); !note.isEmpty())
            out << note << "\n";
    }
    DbConnection from;
    DbConnection to;
    if ((!jet && !OpenPlace(from, args[1], QString(), err)) || !OpenPlace(to, target, part, err)) {
        to.Close();
        removePart();
        return 1;
    }
    std::vector<BookCopy::TableFigures> copied;
    QString problem;
    if (jet) {
        const JetConvert::Outcome outcome = JetConvert::Convert(*jet, plan, to);
        problem = outcome.Problem;
        copied = outcome.Figures;
    } else {
        problem = BookCopy::Copy(from, to, &copied);
    }
    to.Close();
    if (!problem.isEmpty()) {
        removePart();
        err << "kestrel_copybooks: " << problem << "\n";
        return 1;
    }
    if (!part.isEmpty()) {
        // The record of the clean close belongs to the part's name; the target is checked afresh.
        FileStamp::Forget(part);
        if (QFileInfo::exists(target)) {
            removePart();
            err << "kestrel_copybooks: 目标文件已存在：" << target << "\n";
            return 1;
        }
        if (const QString cause = FileTargets::MoveIntoPlace(part, target); !cause.isEmpty()) {
            removePart();
            err << "kestrel_copybooks: " << target << "：" << cause << "\n";
            return 1;
        }
    }
    out << "已复制，行数与金额合计相符：\n";
    for (const QString& line : BookCopy::Describe(copied))
        out << "  " << line << "\n";
    return 0;
}
