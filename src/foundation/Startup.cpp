#include "Startup.h"

#include "foundation/BooksPlace.h"
#include "foundation/IniFile.h"
#include "foundation/JetBooks.h"
#include "foundation/JetConversion.h"
#include "foundation/Leftovers.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "kit/Prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

void SetProgramFolder(const QString& executableFolder) {
    ProgramFolder = QDir(executableFolder).absolutePath();
    if (!ProgramFolder.endsWith(QLatin1Char('/')))
        ProgramFolder += QLatin1Char('/');
    BooksFolder = BooksPlace::FolderFor(ProgramFolder, BooksPlace::MayWriteIn(ProgramFolder),
                                        BooksPlace::UserDataFolder());
    IniFileName = BooksFolder + QStringLiteral("Kestrel.ini");
}

QString MissingDatabaseMessage() {
    return QStringLiteral("数据库文件找不到，软件无法运行。\n\n"
                          "请与软件供应商联系：岚峰软件服务部，电话 0571-8765 4321。");
}

QString ServerIniKey() {
    return QStringLiteral("PostgreSQL");
}

bool OpenDatabase() {
    // What a killed backup or restore of an earlier run left behind goes first.
    Leftovers::CleanUpAtStart();
    DbConnection& connection = ShareDataModule->ADOConnection1;
    // An installed program's first start gives the user books and an INI of their own.
    if (BooksFolder != ProgramFolder) {
        if (const QString problem = BooksPlace::Prepare(ProgramFolder, BooksFolder); !problem.isEmpty()) {
            Prompts::Get().Error(QStringLiteral("无法准备帐套文件夹，软件将退出。\n\n") + problem,
                                 QStringLiteral("错误"));
            return false;
        }
    }
    // The INI file may name the server: one that cannot be read must not send this workstation to
    // the database file while the others work on the server.
    if (const QString problem = IniFileProblem(IniFileName); !problem.isEmpty()) {
        Prompts::Get().Error(QStringLiteral("配置文件“%1”无法读取（%2），软件将退出。\n\n"
                                            "请检查该文件的权限，或与系统管理员联系。")
                                 .arg(QDir::toNativeSeparators(IniFileName), problem),
                             QStringLiteral("错误"));
        return false;
    }
    const QString server = ReadIniString(QStringLiteral("Kestrel"), ServerIniKey(), QString(), IniFileName);
    if (!server.isEmpty()) {
        connection.ConnectionString.clear();
        connection.Server = server;
        if (!connection.Open()) {
            Prompts::Get().Error(QStringLiteral("无法打开数据库服务器上的帐套，软件将退出。\n\n") +
                                     connection.LastError() +
                                     QStringLiteral("\n\n请检查 Kestrel.ini 中的 PostgreSQL 连接设置，"
                                                    "或与系统管理员联系。"),
                                 QStringLiteral("错误"));
            return false;
        }
        return true;
    }
    connection.Server.clear();
    const QString path = BooksFolder + QStringLiteral("Kestrel.mdb");
    if (!QFileInfo(path).isFile()) {
        Prompts::Get().Error(MissingDatabaseMessage(), QStringLiteral("错误"));
        return false;
    }
    // Books kept in the Jet format are converted once (the Jet file kept beside them), not refused.
    if (Jet::IsJetFile(path) && !ConvertJetBooksInPlace(path))
        return false;
    connection.ConnectionString = BuildConnectionString(path, DatabasePassword);
    if (!connection.Open()) {
        Prompts::Get().Error(QStringLiteral("无法打开数据库，软件将退出。\n\n") + connection.LastError(),
                             QStringLiteral("错误"));
        return false;
    }
    return true;
}

QString BooksPlaceText() {
    const DbConnection& connection = ShareDataModule->ADOConnection1;
    QString books;
    if (!connection.Server.isEmpty()) {
        QString server = connection.Server;
        server.replace(QRegularExpression(QStringLiteral("password\\s*=\\s*('([^'\\\\]|\\\\.)*'|\\S*)"),
                                          QRegularExpression::CaseInsensitiveOption),
                       QStringLiteral("password=***"));
        server.replace(QRegularExpression(QStringLiteral("(://[^:/@]*):[^@]*@")), QStringLiteral("\\1:***@"));
        books = QStringLiteral("帐套：PostgreSQL 服务器（%1）").arg(server);
    } else {
        QString file = DataSourceOf(connection.ConnectionString);
        if (file.isEmpty())
            file = BooksFolder + QStringLiteral("Kestrel.mdb");
        books = QStringLiteral("帐套：") + QDir::toNativeSeparators(file);
    }
    return books + QStringLiteral("\n配置文件、客户目录和修改过的报表模板所在文件夹：") +
           QDir::toNativeSeparators(BooksFolder);
}
