#include "Forms.h"
#include "foundation/Startup.h"
#include "kit/ErrorHandler.h"
#include "mainwindow/MainForm.h"

int main(int argc, char* argv[]) {
    KestrelApplication app(argc, argv);
    SetUpApplication();
    SetProgramFolder(QCoreApplication::applicationDirPath());
    CreateForms();
    FormMain->show();
    const int result = app.exec();
    DestroyForms();
    return result;
}
