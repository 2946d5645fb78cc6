#include "ReportSnapshot.h"

#include "ReportEngine.h"

#include <QFile>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

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

QVariant ReadValue(QXmlStreamReader& xml) {
    const QXmlStreamAttributes attributes = xml.attributes();
    const bool null = attributes.value(QLatin1String("null")) == QLatin1String("true");
    const QString type = attributes.value(QLatin1String("type")).toString();
    const QString text = xml.readElementText();
    if (null)
        return QVariant();
    if (type == QLatin1String("integer"))
        return QVariant(text.toLongLong());
    if (type == QLatin1String("real"))
        return QVariant(text.toDouble());
    return QVariant(text);
}

QString Unreadable(const QString& fileName) {
    return QStringLiteral("文件 %1 不是可以打开的报表").arg(fileName);
}

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
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("文件 %1 无法打开").arg(fileName);
        return nullptr;
    }
    QXmlStreamReader xml(&file);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("PreparedReport")) {
        *error = Unreadable(fileName);
        return nullptr;
    }
    const QDateTime preparedAt =
        QDateTime::fromString(xml.attributes().value(QLatin1String("prepared")).toString(), Qt::ISODate);
    const QString templateName = xml.attributes().value(QLatin1String("template")).toString();
    QByteArray templateXml;
    std::vector<std::shared_ptr<TableDataSet>> sets;
    ReportData data;
    ReportAnswers answers;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("Template")) {
            templateXml = xml.readElementText().toUtf8();
        } else if (xml.name() == QLatin1String("DataSet")) {
            auto set = std::make_shared<TableDataSet>();
            const QString name = xml.attributes().value(QLatin1String("name")).toString();
            QStringList fields;
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("Field")) {
                    fields << xml.readElementText();
                    continue;
                }
                std::vector<QVariant> row;
                while (xml.readNextStartElement())
                    row.push_back(ReadValue(xml));
                set->AddRow(std::move(row));
            }
            set->SetFields(fields);
            data.Add(name, set.get());
            sets.push_back(std::move(set));
        } else if (xml.name() == QLatin1String("Answer")) {
            const QString name = xml.attributes().value(QLatin1String("name")).toString();
            QVariant value;
            while (xml.readNextStartElement())
                value = ReadValue(xml);
            answers[name] = value;
        } else {
            xml.skipCurrentElement();
        }
    }
    ReportError problem;
    const auto loaded = xml.hasError() ? std::nullopt : ReadTemplate(templateXml, templateName, &problem);
    if (!loaded) {
        *error = Unreadable(fileName);
        return nullptr;
    }
    const ReportVariables variables = [&answers](const QString& name) {
        const auto it = answers.find(name);
        return it == answers.end() ? QVariant() : it->second;
    };
    std::shared_ptr<PreparedReport> report = PrepareReport(*loaded, data, variables, &problem, preparedAt);
    if (!report) {
        *error = Unreadable(fileName) + QStringLiteral("：") + problem.Message;
        return nullptr;
    }
    for (auto& set : sets)
        report->Keep(std::move(set));
    return report;
}
