#pragma once

#include <QString>

// The database checks of start-up. The windows are created by the program's wiring (app/Forms).

// Where the program's files are: the executable's folder, with the separator at the end.
void SetProgramFolder(const QString& executableFolder);

// The text of the box shown when Kestrel.mdb is missing.
QString MissingDatabaseMessage();

// Opens ProgramFolder + "Kestrel.mdb" on the data module's connection. A missing file, or one that
// is not a database of this program, is reported in an error box and false is returned; the file
// is left untouched.
bool OpenDatabase();
