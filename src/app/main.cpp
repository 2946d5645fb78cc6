#include "Forms.h"
#include "foundation/Startup.h"
#include "kit/ErrorHandler.h"
#include "mainwindow/MainForm.h"

#include <QFont>

int main(int argc, char* argv[]) {
    KestrelApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("岚峰商业管理软件"));
    QFont font;
    font.setFamilies(
        {QStringLiteral("SimSun"), QStringLiteral("NSimSun"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPointSize(9);
    QApplication::setFont(font);
    SetProgramFolder(QCoreApplication::applicationDirPath());
    CreateForms();
    FormMain->show();
    const int result = app.exec();
    DestroyForms();
    return result;
}
