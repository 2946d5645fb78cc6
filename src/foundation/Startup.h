#pragma once

#include <QString>

// The database checks of start-up. The windows are created by the program's wiring (app/Forms).

// Where the program's files are: the executable's folder, with the separator at the end, and where
// the books are (BooksPlace: beside the program, or the user's data folder for an installed one).
void SetProgramFolder(const QString& executableFolder);

// The text of the box shown when Kestrel.mdb is missing.
QString MissingDatabaseMessage();

// The key of section Kestrel in Kestrel.ini that holds a libpq connection string to the shop's
// PostgreSQL server ("host=... port=... dbname=... user=..."; the password through libpq's password
// file or PGPASSWORD, never in the file).
QString ServerIniKey();

// What the maintenance page says about where the books are, after OpenDatabase: the database file
// or the server (without a password the connection string may hold), and the folder of the INI, the
// customer folders and the changed templates.
QString BooksPlaceText();

// Opens the books on the data module's connection: on the server the INI key names, or else
// BooksFolder + "Kestrel.mdb". An installed program's first start first copies the empty books and the
// default INI into the user's data folder. An INI file that exists but cannot be read, a missing file, one
// that is not a database of this program, or a server that cannot be reached or refuses the login is reported
// in an error box and false is returned; nothing is changed.
bool OpenDatabase();
