#include "ServerDatabase.h"

#include "foundation/PgBackend.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

QString ServerDatabase::TestServer() {
    return qEnvironmentVariable("KESTREL_PG_TEST");
}

QString ServerDatabase::Administer(const QString& sql) {
    const QString connection = QStringLiteral("kestrel-admin-") + QUuid::createUuid().toString(QUuid::Id128);
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        QString problem;
        db.setConnectOptions(PgBackend::ConnectOptions(TestServer(), &problem));
        if (!problem.isEmpty())
            error = problem;
        else if (!db.open())
            error = db.lastError().text();
        else if (QSqlQuery query(db); !query.exec(sql))
            error = query.lastError().text();
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return error;
}

ServerDatabase::ServerDatabase(const QString& options) {
    if (TestServer().isEmpty()) {
        problem = QStringLiteral("no PostgreSQL test server given (KESTREL_PG_TEST)");
        return;
    }
    name = QStringLiteral("kestrel_") + QUuid::createUuid().toString(QUuid::Id128);
    // A copy of the template's files: quicker for a database this small than writing it through
    // the server's log, and every test begins with a new database.
    problem = Administer(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 STRATEGY FILE_COPY %2")
                             .arg(name, options.contains(QLatin1String("ENCODING"), Qt::CaseInsensitive)
                                            ? options
                                            : QStringLiteral("ENCODING 'UTF8' ") + options));
    if (!problem.isEmpty())
        name.clear();
}

ServerDatabase::~ServerDatabase() {
    if (!name.isEmpty())
        Administer(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
}

QString ServerDatabase::ConnectionString() const {
    return TestServer() + QStringLiteral(" dbname=") + name;
}
