#include "foundation/Startup.h"
#include "kit/ErrorHandler.h"
#include "mainwindow/MainForm.h"

int main(int argc, char* argv[]) {
    KestrelApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("岚峰商业管理软件"));
    SetProgramFolder(QCoreApplication::applicationDirPath());
    CreateForms();
    FormMain->show();
    const int result = app.exec();
    DestroyForms();
    return result;
}
