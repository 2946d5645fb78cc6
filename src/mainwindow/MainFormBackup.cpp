#include "MainForm.h"
#include "RoleViews.h"
#include "foundation/Backup.h"
#include "foundation/BooksFiles.h"
#include "foundation/BooksPlace.h"
#include "foundation/JetBooks.h"
#include "foundation/JetConversion.h"
#include "foundation/Leftovers.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "kit/ErrorHandler.h"
#include "kit/Prompts.h"

#include <QAction>
#include <QDir>
#include <QTemporaryDir>

// The data maintenance page: backup and restore of the books, in the file or on the server.

namespace {
const QString MdbFilter = QStringLiteral("Mdb Files (*.mdb *.MDB)");
const QString MdbSuffix = QStringLiteral("mdb");
} // namespace

void TFormMain::ConnectBackupActions() {
    connect(ActionSave, &QAction::triggered, this, Guarded(this, &TFormMain::ActionSaveExecute));
    connect(ActionLoad, &QAction::triggered, this, Guarded(this, &TFormMain::ActionLoadExecute));
}

void TFormMain::ActionSaveExecute() {
    if (!IsAdministratorSignedIn())
        return;
    FileDialogOptions options;
    options.Title = QStringLiteral("备份数据");
    options.Folder = GetDesktopFolder();
    options.FileName = BackupFileProposal(QDate::currentDate());
    options.Filter = MdbFilter;
    options.DefaultSuffix = MdbSuffix;
    const QString target = Prompts::Get().SaveFileName(this, options);
    if (target.isEmpty())
        return;
    const BackupOutcome outcome = BackupDatabase(ShareDataModule->ADOConnection1, target, BooksFiles());
    if (outcome.Ok)
        Prompts::Get().Information(QStringLiteral("恭喜您，数据库备份成功"));
    else
        Prompts::Get().Error(BackupFailureText(outcome));
}

void TFormMain::ActionLoadExecute() {
    if (!IsAdministratorSignedIn())
        return;
    if (!Prompts::Get().Question(QStringLiteral("数据库恢复将导致当前数据全部丢失，是否继续？"),
                                 QStringLiteral("恢复警告")))
        return;
    FileDialogOptions options;
    options.Title = QStringLiteral("恢复数据");
    options.Folder = GetDesktopFolder();
    options.FileName = QStringLiteral("*.mdb");
    options.Filter = MdbFilter;
    options.DefaultSuffix = MdbSuffix;
    const QString source = Prompts::Get().OpenFileName(this, options);
    if (source.isEmpty())
        return;
    RestoreFrom(source);
}

void TFormMain::RestoreFrom(const QString& source) {
    // Books kept in the Jet format are restored from a converted copy; the chosen file is only read.
    const QTemporaryDir work(QDir::tempPath() + QStringLiteral("/kestrel-convert-XXXXXX"));
    const Leftovers::Unfinished noted(work.path());
    QString restored = source;
    if (Jet::IsJetFile(source)) {
        restored = ConvertJetBooksForRestore(source, work.path(), this);
        if (restored.isEmpty())
            return;
    }
    const BackupOutcome outcome = RestoreDatabase(ShareDataModule->ADOConnection1, restored, BooksFolder);
    if (!outcome.Ok) {
        Prompts::Get().Error(RestoreFailureText(outcome));
        return;
    }
    Prompts::Get().Information(QStringLiteral("恭喜您，数据库恢复成功，请重新启动软件"));
    // Nothing may run on the replaced books within this run.
    close();
}
