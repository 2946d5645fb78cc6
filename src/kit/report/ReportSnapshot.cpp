#include "ReportSnapshot.h"

#include "ReportEngine.h"
#include "foundation/RegularFile.h"

#include <QFile>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <cmath>

namespace {

void WriteValue(QXmlStreamWriter& xml, const QVariant& value) {
    xml.writeStartElement(QStringLiteral("V"));
    if (value.isNull() || !value.isValid()) {
        xml.writeAttribute(QStringLiteral("null"), QStringLiteral("true"));
    } else {
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            xml.writeAttribute(QStringLiteral("type"), QStringLiteral("integer"));
            xml.writeCharacters(value.toString());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            xml.writeAttribute(QStringLiteral("type"), QStringLiteral("real"));
            xml.writeCharacters(QString::number(value.toDouble(), 'g', 17));
            break;
        default:
            xml.writeCharacters(value.toString());
        }
    }
    xml.writeEndElement();
}

// The largest saved report read: its rows are kept in memory.
constexpr qint64 SavedReportLimit = 512 * 1024 * 1024;

QString Unreadable(const QString& fileName) {
    return QStringLiteral("文件 %1 不是可以打开的报表").arg(fileName);
}

// The message for a saved report that cannot be opened: why, and at which line of the file.
QString Unreadable(const QString& fileName, int line, const QString& reason) {
    if (line > 0)
        return Unreadable(fileName) + QStringLiteral("（第 %1 行：%2）").arg(line).arg(reason);
    return Unreadable(fileName) + QStringLiteral("（%1）").arg(reason);
}

// Reads a saved report, stopping at the first problem with its line.
class SnapshotReader {
public:
    SnapshotReader(const QByteArray& bytes, const QString& fileName)
        : xml(bytes)
        , fileName(fileName) {}

    std::shared_ptr<PreparedReport> Read(QString* error) {
        std::shared_ptr<PreparedReport> report = ReadDocument();
        if (!report) {
            if (problem.isEmpty())
                Fail(xml.hasError() ? QStringLiteral("XML 格式有误（%1）").arg(xml.errorString())
                                    : QStringLiteral("内容不完整"));
            *error = Unreadable(fileName, problemLine, problem);
        }
        return report;
    }

private:
    int Line() const { return static_cast<int>(xml.lineNumber()); }

    bool Fail(const QString& message, int line = -1) {
        if (problem.isEmpty()) {
            problem = message;
            problemLine = line >= 0 ? line : Line();
        }
        return false;
    }

    std::shared_ptr<PreparedReport> ReadDocument() {
        if (!xml.readNextStartElement())
            return nullptr;
        if (xml.name() != QLatin1String("PreparedReport")) {
            Fail(QStringLiteral("根元素是“%1”，应为“PreparedReport”").arg(xml.name()));
            return nullptr;
        }
        const QString version = Text("version");
        if (!version.isEmpty() && version != QLatin1String("1")) {
            Fail(QStringLiteral("版本“%1”无法读取").arg(version));
            return nullptr;
        }
        const QString prepared = Text("prepared");
        const QDateTime preparedAt = QDateTime::fromString(prepared, Qt::ISODate);
        if (!prepared.isEmpty() && !preparedAt.isValid()) {
            Fail(QStringLiteral("制作时间“%1”有误").arg(prepared));
            return nullptr;
        }
        const QString templateName = Text("template");
        while (xml.readNextStartElement()) {
            const bool ok = xml.name() == QLatin1String("Template")  ? ReadTemplateText()
                            : xml.name() == QLatin1String("DataSet") ? ReadDataSet()
                            : xml.name() == QLatin1String("Answer")
                                ? ReadAnswer()
                                : Fail(QStringLiteral("未知的元素“%1”").arg(xml.name()));
            if (!ok)
                return nullptr;
        }
        if (xml.hasError())
            return nullptr;
        if (templateLine == 0) {
            Fail(QStringLiteral("缺少报表模板（Template）"));
            return nullptr;
        }
        ReportError templateError;
        const auto loaded = ReadTemplate(templateXml, templateName, &templateError);
        if (!loaded) {
            FailInTemplate(templateError);
            return nullptr;
        }
        const ReportVariables variables = [this](const QString& name) {
            const auto it = answers.find(name);
            return it == answers.end() ? QVariant() : it->second;
        };
        std::shared_ptr<PreparedReport> report =
            PrepareReport(*loaded, data, variables, &templateError, preparedAt);
        if (!report) {
            FailInTemplate(templateError);
            return nullptr;
        }
        for (auto& set : sets)
            report->Keep(std::move(set));
        return report;
    }

    // A problem of the template kept in the file, at its line of the file: the template's text
    // starts on the line of its element.
    void FailInTemplate(const ReportError& error) {
        Fail(QStringLiteral("其中的报表模板：") + error.Message,
             error.Line > 0 ? templateLine + error.Line - 1 : templateLine);
    }

    QString Text(const char* name) const { return xml.attributes().value(QLatin1String(name)).toString(); }

    bool ReadTemplateText() {
        if (templateLine > 0)
            return Fail(QStringLiteral("报表模板（Template）出现了两次"));
        templateLine = Line();
        templateXml = xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement).toUtf8();
        return !xml.hasError();
    }

    bool ReadDataSet() {
        const QString name = Text("name");
        if (name.trimmed().isEmpty())
            return Fail(QStringLiteral("数据集没有名称"));
        if (data.Find(name))
            return Fail(QStringLiteral("数据集“%1”出现了两次").arg(name));
        auto set = std::make_shared<TableDataSet>();
        QStringList fields;
        std::vector<std::vector<QVariant>> rows;
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("Field")) {
                if (!rows.empty())
                    return Fail(QStringLiteral("数据集“%1”的字段写在了数据行之后").arg(name));
                fields << xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
                continue;
            }
            if (xml.name() != QLatin1String("Row"))
                return Fail(QStringLiteral("数据集“%1”中有未知的元素“%2”").arg(name, xml.name()));
            const int rowLine = Line();
            std::vector<QVariant> row;
            while (xml.readNextStartElement()) {
                QVariant value;
                if (!ReadValue(&value))
                    return false;
                row.push_back(std::move(value));
            }
            if (xml.hasError())
                return false;
            if (row.size() != static_cast<size_t>(fields.size()))
                return Fail(QStringLiteral("数据集“%1”的数据行有 %2 个值，应为 %3 个")
                                .arg(name)
                                .arg(row.size())
                                .arg(fields.size()),
                            rowLine);
            rows.push_back(std::move(row));
        }
        if (xml.hasError())
            return false;
        set->SetFields(fields);
        for (auto& row : rows)
            set->AddRow(std::move(row));
        data.Add(name, set.get());
        sets.push_back(std::move(set));
        return true;
    }

    bool ReadAnswer() {
        const QString name = Text("name");
        if (name.trimmed().isEmpty())
            return Fail(QStringLiteral("变量没有名称"));
        QVariant value;
        int values = 0;
        while (xml.readNextStartElement()) {
            if (!ReadValue(&value))
                return false;
            ++values;
        }
        if (xml.hasError())
            return false;
        if (values != 1)
            return Fail(QStringLiteral("变量“%1”应有一个值").arg(name));
        answers[name] = value;
        return true;
    }

    // One value (element V): null, an integer, a finite number or a text.
    bool ReadValue(QVariant* value) {
        if (xml.name() != QLatin1String("V"))
            return Fail(QStringLiteral("未知的元素“%1”，应为值（V）").arg(xml.name()));
        const int line = Line();
        const QString null = Text("null");
        const QString type = Text("type");
        const QString text = xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (xml.hasError())
            return false;
        if (!null.isEmpty() && null != QLatin1String("true") && null != QLatin1String("false"))
            return Fail(QStringLiteral("属性 null 的值“%1”应为 true 或 false").arg(null), line);
        if (null == QLatin1String("true")) {
            *value = QVariant();
            return true;
        }
        if (type.isEmpty()) {
            *value = QVariant(text);
            return true;
        }
        bool ok = false;
        if (type == QLatin1String("integer")) {
            const qlonglong number = text.trimmed().toLongLong(&ok);
            if (!ok)
                return Fail(QStringLiteral("值“%1”不是整数").arg(text), line);
            *value = QVariant(number);
            return true;
        }
        if (type == QLatin1String("real")) {
            const double number = text.trimmed().toDouble(&ok);
            if (!ok || !std::isfinite(number))
                return Fail(QStringLiteral("值“%1”不是有限的数").arg(text), line);
            *value = QVariant(number);
            return true;
        }
        return Fail(QStringLiteral("未知的值类型“%1”").arg(type), line);
    }

    QXmlStreamReader xml;
    QString fileName;
    QString problem;
    int problemLine = 0;
    int templateLine = 0; // the line of the Template element, 0 before it
    QByteArray templateXml;
    std::vector<std::shared_ptr<TableDataSet>> sets;
    ReportData data;
    ReportAnswers answers;
};

} // namespace

bool SavePreparedReport(const PreparedReport& report, const QString& fileName, QString* error) {
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("PreparedReport"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("prepared"), report.PreparedAt().toString(Qt::ISODate));
    xml.writeAttribute(QStringLiteral("template"), report.Template().FileName);
    xml.writeTextElement(QStringLiteral("Template"), QString::fromUtf8(WriteTemplate(report.Template())));
    for (const auto& [name, set] : report.DataSetsUsed()) {
        xml.writeStartElement(QStringLiteral("DataSet"));
        xml.writeAttribute(QStringLiteral("name"), name);
        for (const QString& field : set->FieldNames())
            xml.writeTextElement(QStringLiteral("Field"), field);
        const int fields = static_cast<int>(set->FieldNames().size());
        for (int row = 0; row < set->RowCount(); ++row) {
            xml.writeStartElement(QStringLiteral("Row"));
            for (int field = 0; field < fields; ++field)
                WriteValue(xml, set->Value(row, field));
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    for (const auto& [name, value] : report.Answers()) {
        xml.writeStartElement(QStringLiteral("Answer"));
        xml.writeAttribute(QStringLiteral("name"), name);
        WriteValue(xml, value);
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly) && file.write(out) == out.size() && file.commit())
        return true;
    *error = QStringLiteral("文件 %1 无法写入").arg(fileName);
    return false;
}

std::shared_ptr<PreparedReport> LoadPreparedReport(const QString& fileName, QString* error) {
    QByteArray bytes;
    QString reason;
    if (RegularFile::Read(fileName, SavedReportLimit, &bytes, &reason) != RegularFile::Status::Read) {
        *error = QStringLiteral("文件 %1 无法打开（%2）").arg(fileName, reason);
        return nullptr;
    }
    return SnapshotReader(bytes, fileName).Read(error);
}
