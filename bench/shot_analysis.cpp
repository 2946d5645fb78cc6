// Opens the analysis window on every document of a database and saves a picture of each of its
// five pages, in bars and in pies, and the document result as a workbook, to look at them:
//   kestrel_shot_analysis PATH-OF-Kestrel.mdb OUTPUT-FOLDER [WORKING-DATE]
// (kestrel_makebenchdb PATH 50 300 400 writes a small database to try it on.)
#include "app/Forms.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "foundation/Startup.h"
#include "kit/Prompts.h"
#include "mainwindow/MainForm.h"
#include "reports/AnalysisForm.h"
#include "reports/GridExport.h"
#include "reports/ReportQueries.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTabWidget>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        QTextStream(stderr)
            << "usage: kestrel_shot_analysis PATH-OF-Kestrel.mdb OUTPUT-FOLDER [WORKING-DATE]\n";
        return 2;
    }
    Prompts::Install(std::make_unique<QtPrompts>());
    SetProgramFolder(QCoreApplication::applicationDirPath());
    CreateForms();
    ShareDataModule->ADOConnection1.ConnectionString = BuildConnectionString(args[1], DatabasePassword);
    if (!ShareDataModule->ADOConnection1.Open())
        return 1;
    CurrentRole = QStringLiteral("总经理");
    FormMain->SetWorkingDate(args.size() > 3 ? QDate::fromString(args[3], Qt::ISODate) : QDate(2024, 6, 28));
    FormMain->FillBillReport(BillReportSelect() + QStringLiteral("(BillIndex > 1)"));
    const QDir out(args[2]);
    QDir().mkpath(out.path());
    FormAnalysis->show();
    for (int shape = 0; shape < 2; ++shape) {
        FormAnalysis->ComboBox1->setCurrentIndex(shape);
        for (int page = 0; page < FormAnalysis->PageControl1->count(); ++page) {
            FormAnalysis->PageControl1->setCurrentIndex(page);
            QApplication::processEvents(); // the charts lay out their legends on posted events
            FormAnalysis->grab().save(
                out.filePath(QStringLiteral("analysis-%1-%2.png").arg(shape ? "pie" : "bars").arg(page + 1)));
        }
    }
    FormAnalysis->hide();
    const QString error = WriteGridWorkbook(*FormMain->DBGridEh2, out.filePath(QStringLiteral("export.xlsx")),
                                            QDate::currentDate());
    if (!error.isEmpty())
        QTextStream(stderr) << error << "\n";
    DestroyForms();
    return error.isEmpty() ? 0 : 1;
}
