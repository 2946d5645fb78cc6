#include "BooksFiles.h"

#include "foundation/BooksPlace.h"
#include "foundation/FileTargets.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "kit/Prompts.h"

#include <QDir>
#include <QFileInfo>

QStringList BooksFiles() {
    QStringList files;
    if (!BooksFolder.isEmpty())
        files << BooksFolder + QStringLiteral("Kestrel.mdb");
    if (!ProgramFolder.isEmpty() && ProgramFolder != BooksFolder)
        files << ProgramFolder + QStringLiteral("Kestrel.mdb");
    if (ShareDataModule != nullptr && ShareDataModule->ADOConnection1.Server.isEmpty()) {
        const QString open = DataSourceOf(ShareDataModule->ADOConnection1.ConnectionString);
        if (!open.isEmpty())
            files << open;
    }
    return files;
}

QString RefusedTarget(const QString& path) {
    return FileTargets::RefusalOf(path, BooksFiles());
}

bool ConfirmWriteTarget(const QString& path, const QString& title) {
    if (const QString refusal = RefusedTarget(path); !refusal.isEmpty()) {
        Prompts::Get().Error(refusal, title);
        return false;
    }
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    return Prompts::Get().Question(QStringLiteral("文件") + QDir::toNativeSeparators(path) +
                                       QStringLiteral("已经存在，是否替换？"),
                                   title);
}
