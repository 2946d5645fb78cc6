#pragma once

#include <QByteArray>
#include <QString>

// Reading a whole file that the program did not write itself (the INI file, a template's picture, a
// saved report): only a regular file is read, and only up to a size limit, so that a named pipe, a
// device or a huge file never blocks or fills the memory.
namespace RegularFile {

enum class Status {
    Read,       // *bytes holds the file
    Missing,    // nothing of that name
    NotRegular, // a folder, a named pipe, a device, ...
    TooLarge,   // larger than the limit
    Failed,     // it could not be opened or read (permissions, input/output error)
};

// Reads the file at path (links followed). On any status but Read, *reason says why in Chinese.
Status Read(const QString& path, qint64 limit, QByteArray* bytes, QString* reason = nullptr);

} // namespace RegularFile
