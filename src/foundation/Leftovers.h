#pragma once

#include <QString>
#include <QStringList>

// Files the program writes for a while and then moves into place or removes: the hidden ".part"
// files beside a backup, a restored database or a copy, and the temporary folders of a restore. A
// note of each is kept while it exists, so that what a killed run left behind is removed at the
// next start, and nothing else.
namespace Leftovers {

// Where the notes are kept (the user's local data folder of the program unless set).
QString NoteFolder();
void SetNoteFolder(const QString& folder);
// The file every running instance of the program holds a shared lock on.
QString InstanceLockPath();

// Notes path as unfinished while it lives; the note is removed when it ends.
class Unfinished {
public:
    explicit Unfinished(const QString& path);
    ~Unfinished();
    Unfinished(const Unfinished&) = delete;
    Unfinished& operator=(const Unfinished&) = delete;

private:
    QString note;
};

// Called at start: marks this instance as running and, when no other instance runs, removes every
// noted file or folder that is still there (only names the program gives: a PartBeside name with
// its journal, or a "kestrel-" folder in the temporary folder) with its note. Returns what was
// removed.
QStringList CleanUpAtStart();

} // namespace Leftovers
