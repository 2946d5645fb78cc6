#pragma once

#include <QString>

class QWidget;

// Books kept in the Jet format are converted when the program meets them, never refused: at start-up
// (Kestrel.mdb is a Jet file) and in a restore (the chosen file is one). The user is told what was
// found and asked once; a progress window can cancel; the comparison of the two is shown at the end.

// Converts the Jet file databasePath into this program's books under the same name, keeping the Jet
// file beside it as "Kestrel-旧格式-<date-time>.mdb". True when the books can now be opened;
// false (after a message, or when the user said No or cancelled) with nothing changed.
bool ConvertJetBooksInPlace(const QString& databasePath, QWidget* parent = nullptr);

// Converts a Jet file chosen for a restore into a new database file in folder (the chosen file is
// only read). The new file's path, or "" when refused, declined or cancelled (a message was shown
// where there was something to tell).
QString ConvertJetBooksForRestore(const QString& jetPath, const QString& folder, QWidget* parent = nullptr);
