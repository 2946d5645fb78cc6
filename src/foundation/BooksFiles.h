#pragma once

#include <QString>
#include <QStringList>

// The books' files as targets of what the program writes at a name the user chooses (a backup, a
// spreadsheet, a PDF, a saved report): never one of them.

// The books' database files: Kestrel.mdb in the books' folder (and the empty books beside an installed
// program) and the file the connection has open.
QStringList BooksFiles();

// The message refusing path as a file to write when it is one of BooksFiles or a file the engine or
// the program keeps beside them (also through a link); "" when path may be written.
QString RefusedTarget(const QString& path);

// Before writing path: refuses the books' files with an error box, and asks (Yes/No, title) before
// an existing file is replaced. True when path may be written.
bool ConfirmWriteTarget(const QString& path, const QString& title);
