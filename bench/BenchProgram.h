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

// The books the program works on from now: the database file at path or, when server is given (a
// libpq connection string), the books on that PostgreSQL server. An open connection is closed
// first. False, with the reason written to out, when they do not open.
inline bool OpenBooks(const QString& path, const QString& server, QTextStream& out) {
    DbConnection& connection = ShareDataModule->ADOConnection1;
    if (connection.Connected())
        connection.Close();
    connection.Server = server;
    connection.ConnectionString =
        server.isEmpty() ? BuildConnectionString(path, DatabasePassword) : QString();
    if (!connection.Open()) {
        out << "cannot open " << (server.isEmpty() ? path : server) << ": " << connection.LastError() << "\n";
        return false;
    }
    return true;
}

// False, with the reason written to out, when the database does not open.
inline bool StartProgramOn(const QString& path, QTextStream& out, const QString& server = QString()) {
    Prompts::Install(std::make_unique<QtPrompts>());
    SetProgramFolder(QCoreApplication::applicationDirPath());
    CreateForms();
    if (!OpenBooks(path, server, out))
        return false;
    FormMain->show();
    return true;
}
