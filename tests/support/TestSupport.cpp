#include "TestSupport.h"

#include "app/Forms.h"
#include "foundation/JetSql.h"
#include "foundation/Schema.h"
#include "foundation/ShareDM.h"
#include "foundation/Startup.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace {
// Copies the program's pictures and templates so windows find them beside the "program".
void CopyTree(const QString& from, const QString& to) {
    QDir source(from);
    if (!source.exists())
        return;
    QDir().mkpath(to);
    for (const QFileInfo& entry : source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (entry.isDir())
            CopyTree(entry.filePath(), to + QLatin1Char('/') + entry.fileName());
        else
            QFile::copy(entry.filePath(), to + QLatin1Char('/') + entry.fileName());
    }
}
} // namespace

TestProgram::TestProgram(bool openDatabase) {
    auto scripted = std::make_unique<ScriptedPrompts>();
    prompts = scripted.get();
    previous = ::Prompts::Install(std::move(scripted));
    const QString data = qEnvironmentVariable("KESTREL_DATA_DIR");
    if (!data.isEmpty())
        CopyTree(data, dir.path());
    SetProgramFolder(dir.path());
    CurrentRole.clear();
    CurrentUser.clear();
    CurrentRights.clear();
    CustomerFilter.clear();
    AccountFilter.clear();
    BillFilter.clear();
    MoneyFilter.clear();
    CreateForms();
    if (openDatabase) {
        const QString error = Schema::CreateDatabase(DatabasePath());
        if (!error.isEmpty())
            qFatal("cannot create the test database: %s", qPrintable(error));
        if (!OpenDatabase())
            qFatal("cannot open the test database");
    }
}

TestProgram::~TestProgram() {
    DestroyForms();
    ::Prompts::Install(std::move(previous));
}

QString TestProgram::Folder() const {
    return ProgramFolder;
}

QString TestProgram::DatabasePath() const {
    return ProgramFolder + QStringLiteral("Kestrel.mdb");
}

void TestProgram::Exec(const QString& sql) {
    QSqlQuery query(ShareDataModule->ADOConnection1.Database());
    if (!query.exec(ToEngineSql(sql)))
        QTest::qFail(qPrintable(query.lastError().text() + QStringLiteral(" in ") + sql), __FILE__, __LINE__);
}

QString TestProgram::Scalar(const QString& sql) {
    QSqlQuery query(ShareDataModule->ADOConnection1.Database());
    if (!query.exec(ToEngineSql(sql))) {
        QTest::qFail(qPrintable(query.lastError().text() + QStringLiteral(" in ") + sql), __FILE__, __LINE__);
        return QString();
    }
    return query.next() ? query.value(0).toString() : QString();
}
