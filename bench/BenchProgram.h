#pragma once

// The program as the benchmarks start it: every window created, the database at path open
// through the data module, the main window shown.

#include "app/Forms.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "foundation/Startup.h"
#include "kit/Prompts.h"
#include "mainwindow/MainForm.h"

#include <QCoreApplication>
#include <QTextStream>
#include <memory>

// False, with the reason written to out, when the database does not open.
inline bool StartProgramOn(const QString& path, QTextStream& out) {
    Prompts::Install(std::make_unique<QtPrompts>());
    SetProgramFolder(QCoreApplication::applicationDirPath());
    CreateForms();
    ShareDataModule->ADOConnection1.ConnectionString = BuildConnectionString(path, DatabasePassword);
    if (!ShareDataModule->ADOConnection1.Open()) {
        out << "cannot open " << path << ": " << ShareDataModule->ADOConnection1.LastError() << "\n";
        return false;
    }
    FormMain->show();
    return true;
}
