#pragma once

#include <QString>
#include <QStringList>

// Where the books live. A program run from a folder it may write (the build folder, a USB stick)
// keeps Kestrel.mdb, Kestrel.ini, the customer folders, its kept copies and the templates changed in
// the designer beside itself. A program installed by the package manager (/opt, /usr) writes nothing
// into its own folder: each user's files live in the user's data folder, which the first start
// fills with a copy of the empty books and the default INI shipped beside the program.
// The books' folder of this run, with the separator at the end (set with the program folder at start).
extern QString BooksFolder;

namespace BooksPlace {

// The file the package puts beside the program: its folder is never written, not even by root.
QString PackagedMark();

// Whether the program may keep its files in folder: false when the package's mark is there, or
// when no file can be created in it.
bool MayWriteIn(const QString& folder);

// The books' folder, with the separator at the end: programFolder when the program may write it,
// else userDataFolder. "" when neither can be used (no writable program folder, no data folder).
QString FolderFor(const QString& programFolder, bool programFolderWritable, const QString& userDataFolder);

// The user's data folder of the program (QStandardPaths::AppDataLocation).
QString UserDataFolder();

// The files the first start copies from the program's folder into the books' folder: the empty books
// and the default INI.
QStringList StartingFiles();

// Prepares booksFolder for the first start: creates it and copies each of StartingFiles that is in
// programFolder and not yet in booksFolder. A file already there (the user's books, an INI a user or
// an older version wrote) is never touched. Returns "" or the reason it failed, in Chinese.
QString Prepare(const QString& programFolder, const QString& booksFolder);

// The template file to read for relative ("Frf/Bill.frf"): the copy in the books' folder when the
// user saved one there from the designer, else the installed one beside the program.
QString TemplateFile(const QString& programFolder, const QString& booksFolder, const QString& relative);

// Where the designer saves a template opened from path: a template beside the program, when the books
// live elsewhere, is saved under the same relative name in the books' folder; any other path is
// saved where it is.
QString TemplateSavePath(const QString& programFolder, const QString& booksFolder, const QString& path);

} // namespace BooksPlace
