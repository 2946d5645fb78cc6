#pragma once

#include <QString>

// Kestrel.ini: a Windows-style INI file in the GBK code page (a file that starts with a UTF-8 or
// UTF-16 byte-order mark is read in that form). Section and key names match without regard to the
// case of Latin letters; values are returned without surrounding spaces. Section, key and default
// pass through 255-byte buffers; a value read is cut at 1023 bytes. A missing or unreadable file
// yields the default; the file name may be of any length.
QString ReadIniString(const QString& section, const QString& key, const QString& defaultValue,
                      const QString& fileName);
// Stores value under [section] key, creating what is missing. Returns false (and writes nothing)
// when an argument is longer than its limit, a text has no GBK form, or the file cannot be written.
bool WriteIniString(const QString& section, const QString& key, const QString& value,
                    const QString& fileName);

// Why a file that exists cannot be read as the INI file (not a regular file, no permission, too
// large), in Chinese; "" when it is missing or can be read.
QString IniFileProblem(const QString& fileName);
