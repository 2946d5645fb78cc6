#include "IniFile.h"

#include "PublicFunction.h"
#include "RegularFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>

namespace {

constexpr int NameLimit = 255;
constexpr int ValueLimit = 1023;
constexpr qint64 FileLimit = 16 * 1024 * 1024;

// The text of the file: GBK, or the Unicode form its byte-order mark names (an editor may save the
// file as UTF-8 with a mark, or as UTF-16).
QString DecodeIni(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                            : QStringDecoder::Utf16BE);
        return decoder.decode(bytes.mid(2));
    }
    return FromGbk(bytes);
}

// The lines of the file; *problem (when given) says why a file that exists cannot be read.
QStringList ReadLines(const QString& fileName, QString* problem = nullptr) {
    QByteArray bytes;
    QString reason;
    const RegularFile::Status status = RegularFile::Read(fileName, FileLimit, &bytes, &reason);
    if (status != RegularFile::Status::Read) {
        if (problem && status != RegularFile::Status::Missing)
            *problem = reason;
        return {};
    }
    QStringList lines = DecodeIni(bytes).split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

bool IsSection(const QString& line, QString* name) {
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return false;
    const int close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return false;
    *name = t.mid(1, close - 1).trimmed();
    return true;
}

// Splits "key=value"; false for a line that is no key.
bool IsKey(const QString& line, QString* key, QString* value) {
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0 || line.trimmed().startsWith(QLatin1Char(';')))
        return false;
    *key = line.left(eq).trimmed();
    *value = line.mid(eq + 1).trimmed();
    return !key->isEmpty();
}

bool HasLineBreak(const QString& s) {
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

QString ReadIniString(const QString& section, const QString& key, const QString& defaultValue,
                      const QString& fileName) {
    // Names are stored and matched without the spaces around them, as the file's lines are read.
    const QString sectionName = GbkLeft(section, NameLimit).trimmed();
    const QString keyName = GbkLeft(key, NameLimit).trimmed();
    const QString fallback = GbkLeft(defaultValue, NameLimit).trimmed();
    const QStringList lines = ReadLines(fileName);
    bool inSection = false;
    for (const QString& line : lines) {
        QString name, k, v;
        if (IsSection(line, &name)) {
            inSection = SameName(name, sectionName);
        } else if (inSection && IsKey(line, &k, &v) && SameName(k, keyName)) {
            return GbkLeft(v, ValueLimit);
        }
    }
    return fallback;
}

bool WriteIniString(const QString& sectionText, const QString& keyText, const QString& value,
                    const QString& fileName) {
    const QString section = sectionText.trimmed();
    const QString key = keyText.trimmed();
    bool sectionOk = false, keyOk = false, valueOk = false;
    const int sectionBytes = ToGbk(section, &sectionOk).size();
    const int keyBytes = ToGbk(key, &keyOk).size();
    const int valueBytes = ToGbk(value, &valueOk).size();
    if (!sectionOk || !keyOk || !valueOk || section.isEmpty() || key.isEmpty() || sectionBytes > NameLimit ||
        keyBytes > NameLimit || valueBytes > ValueLimit || key.contains(QLatin1Char('=')) ||
        HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value) ||
        section.contains(QLatin1Char(']')) || key.trimmed().startsWith(QLatin1Char('[')) ||
        key.trimmed().startsWith(QLatin1Char(';')) || key.trimmed().isEmpty())
        return false;

    // A file that exists but cannot be read is not replaced by one holding only this key.
    QString problem;
    QStringList lines = ReadLines(fileName, &problem);
    if (!problem.isEmpty())
        return false;
    // Lines of a damaged file that have no text form are dropped rather than written back.
    lines.removeIf([](const QString& line) {
        return line.contains(QChar::ReplacementCharacter) || line.contains(QChar(0));
    });
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    const QString entry = key + QLatin1Char('=') + value;
    int sectionAt = -1;
    int insertAt = -1;
    bool done = false;
    for (int i = 0; i < lines.size() && !done; ++i) {
        QString name, k, v;
        if (IsSection(lines[i], &name)) {
            if (sectionAt >= 0)
                break;
            if (SameName(name, section)) {
                sectionAt = i;
                insertAt = i + 1;
            }
        } else if (sectionAt >= 0) {
            if (IsKey(lines[i], &k, &v) && SameName(k, key)) {
                lines[i] = entry;
                done = true;
            } else if (!lines[i].trimmed().isEmpty()) {
                insertAt = i + 1;
            }
        }
    }
    if (!done) {
        if (sectionAt < 0) {
            lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
        } else {
            lines.insert(insertAt, entry);
        }
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    bool ok = false;
    const QByteArray bytes = ToGbk(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"), &ok);
    if (!ok || file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

QString IniFileProblem(const QString& fileName) {
    QString problem;
    ReadLines(fileName, &problem);
    return problem;
}
