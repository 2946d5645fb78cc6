// Starts the program on books kept on a PostgreSQL server, as a shop's workstation does (the
// connection in Kestrel.ini), signs in as 总经理 through the sign-in window and saves a picture of
// the main window with its card pages:
//   kestrel_shot_server OUTPUT.png CONNECTION-STRING [WORKING-DATE]
// Run it under a window system (xvfb-run) to see the real window.
#include "app/Forms.h"
#include "foundation/IniFile.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "foundation/Startup.h"
#include "kit/Prompts.h"
#include "mainwindow/MainForm.h"
#include "signin/AskForm.h"
#include "signin/LoginForm.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <memory>

namespace {

// The pictures of the program beside the "program" in the temporary folder.
void CopyFolder(const QString& name, const QString& target) {
    const QDir source(QCoreApplication::applicationDirPath() + QLatin1Char('/') + name);
    QDir().mkpath(target + QLatin1Char('/') + name);
    for (const QString& file : source.entryList(QDir::Files))
        QFile::copy(source.filePath(file), target + QLatin1Char('/') + name + QLatin1Char('/') + file);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        QTextStream(stderr) << "usage: kestrel_shot_server OUTPUT.png CONNECTION-STRING [WORKING-DATE]\n";
        return 2;
    }
    QTemporaryDir folder;
    CopyFolder(QStringLiteral("Res"), folder.path());
    CopyFolder(QStringLiteral("Faces"), folder.path());
    SetProgramFolder(folder.path());
    if (!WriteIniString(QStringLiteral("Kestrel"), ServerIniKey(), args[2], IniFileName)) {
        QTextStream(stderr) << "kestrel_shot_server: cannot write " << IniFileName << "\n";
        return 1;
    }
    auto scripted = std::make_unique<ScriptedPrompts>();
    ScriptedPrompts* prompts = scripted.get();
    auto previous = Prompts::Install(std::move(scripted));
    CreateForms();
    if (!OpenDatabase()) {
        QTextStream(stderr) << "kestrel_shot_server: " << prompts->Texts().join(QLatin1Char('\n')) << "\n";
        return 1;
    }
    // The sign-in window: 总经理, then his password (none in fresh books).
    prompts->QueueModal([](QDialog* dialog) { static_cast<TFormLogin*>(dialog)->Action4->trigger(); });
    prompts->QueueModal([](QDialog* dialog) {
        auto* ask = static_cast<TFormAsk*>(dialog);
        ask->Edit1->setText(QString());
        ask->BitBtn1->click();
    });
    FormMain->show();
    QTimer::singleShot(500, [&] {
        if (args.size() > 3)
            FormMain->SetWorkingDate(QDate::fromString(args[3], Qt::ISODate));
        QTimer::singleShot(500, [&] {
            FormMain->grab().save(args[1]);
            app.quit();
        });
    });
    app.exec();
    QTextStream(stdout) << "signed in as " << CurrentRole << " (" << CurrentUser
                        << "); messages shown: " << prompts->Messages.size() << "\n";
    for (const QString& text : prompts->Texts())
        QTextStream(stdout) << "  " << text << "\n";
    DestroyForms();
    Prompts::Install(std::move(previous));
    return CurrentRole.isEmpty() ? 1 : 0;
}
