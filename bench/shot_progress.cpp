// Saves a picture of the monthly reports' progress window over the main window, as it stands
// halfway through a run:
//   kestrel_shot_progress OUTPUT.png
#include "app/Forms.h"
#include "foundation/Schema.h"
#include "foundation/ShareDM.h"
#include "foundation/Startup.h"
#include "kit/Prompts.h"
#include "mainwindow/MainForm.h"
#include "reports/ProgressForm.h"

#include <QApplication>
#include <QLayout>
#include <QPainter>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: kestrel_shot_progress OUTPUT.png\n";
        return 2;
    }
    QTemporaryDir folder;
    SetProgramFolder(folder.path());
    auto previous = Prompts::Install(std::make_unique<ScriptedPrompts>());
    CreateForms();
    if (!Schema::CreateDatabase(ProgramFolder + QStringLiteral("Kestrel.mdb")).isEmpty() || !OpenDatabase())
        return 1;
    // Not shown: showing runs the start-up sign-in. The picture is the main window's own drawing
    // with the progress window's drawn where it stands over it.
    FormMain->move(0, 0);
    FormMain->layout()->activate();
    QPixmap picture = FormMain->grab();
    FormProgress->ShowOver(nullptr);
    FormProgress->SetPosition(50);
    const QPoint at =
        FormMain->rect().center() - QPoint(FormProgress->width() / 2, FormProgress->height() / 2);
    QPainter painter(&picture);
    painter.drawPixmap(at, FormProgress->grab());
    painter.setPen(QPen(Qt::darkGray, 1));
    painter.drawRect(QRect(at, FormProgress->size()).adjusted(0, 0, -1, -1));
    painter.end();
    picture.save(args[1]);
    FormProgress->hide();
    DestroyForms();
    Prompts::Install(std::move(previous));
    return 0;
}
