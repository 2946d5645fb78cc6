#pragma once

#include <QString>

// The database checks of start-up. The windows are created by the program's wiring (app/Forms).

// Where the program's files are: the executable's folder, with the separator at the end.
void SetProgramFolder(const QString& executableFolder);

// The text of the box shown when Kestrel.mdb is missing.
QString MissingDatabaseMessage();

// The key of section Kestrel in Kestrel.ini that holds a libpq connection string to the shop's
// PostgreSQL server ("host=... port=... dbname=... user=..."; the password through libpq's password
// file or PGPASSWORD, never in the file).
QString ServerIniKey();

// Opens the books on the data module's connection: on the server the INI key names, or else
// ProgramFolder + "Kestrel.mdb". An INI file that exists but cannot be read, a missing file, one that is not
// a database of this program, or a server that cannot be reached or refuses the login is reported in an error
// box and false is returned; nothing is changed.
bool OpenDatabase();
