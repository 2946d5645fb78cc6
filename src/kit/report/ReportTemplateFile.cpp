#include "ReportTemplateFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <cmath>

namespace {

// Reads one template, stopping at the first problem with its line.
class TemplateReader {
public:
    TemplateReader(const QByteArray& xml, const QString& fileName)
        : xml(xml)
        , fileName(fileName) {}

    std::optional<ReportTemplate> Read(ReportError* error) {
        result.FileName = fileName;
        if (!ReadDocument() && problem.isEmpty())
            Fail(QStringLiteral("不是报表模板（%1）").arg(xml.errorString()));
        if (!problem.isEmpty()) {
            *error = ReportError{fileName, problemLine, problem};
            return std::nullopt;
        }
        return std::move(result);
    }

private:
    int Line() const { return static_cast<int>(xml.lineNumber()); }

    bool Fail(const QString& message) {
        if (problem.isEmpty()) {
            problem = message;
            problemLine = Line();
        }
        return false;
    }

    bool ReadDocument() {
        if (!xml.readNextStartElement())
            return false;
        if (xml.name() != QLatin1String("Report"))
            return Fail(QStringLiteral("不是报表模板：根元素是“%1”，应为“Report”").arg(xml.name()));
        result.Title = xml.attributes().value(QLatin1String("title")).toString();
        bool pageSeen = false;
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("Page")) {
                if (!ReadPage())
                    return false;
                pageSeen = true;
            } else if (xml.name() == QLatin1String("Band")) {
                if (!ReadBand())
                    return false;
            } else {
                return Fail(QStringLiteral("未知的元素“%1”").arg(xml.name()));
            }
        }
        if (xml.hasError())
            return false;
        if (!pageSeen)
            return Fail(QStringLiteral("缺少页面设置（Page）"));
        return true;
    }

    // A number attribute; absent keeps *value.
    bool Number(const char* name, double* value, bool positive = false) {
        const auto text = xml.attributes().value(QLatin1String(name));
        if (text.isNull())
            return true;
        bool ok = false;
        const double number = text.toDouble(&ok);
        if (ok && !std::isfinite(number))
            return Fail(QStringLiteral("属性 %1 的值“%2”不是有限的数").arg(QLatin1String(name), text));
        if (!ok || (positive && number <= 0) || number < 0 || number > 10000)
            return Fail(QStringLiteral("属性 %1 的值“%2”不是有效的长度").arg(QLatin1String(name), text));
        *value = number;
        return true;
    }

    bool Boolean(const char* name, bool* value) {
        const auto text = xml.attributes().value(QLatin1String(name));
        if (text.isNull())
            return true;
        if (text == QLatin1String("true") || text == QLatin1String("1"))
            *value = true;
        else if (text == QLatin1String("false") || text == QLatin1String("0"))
            *value = false;
        else
            return Fail(QStringLiteral("属性 %1 的值“%2”应为 true 或 false").arg(QLatin1String(name), text));
        return true;
    }

    QString Text(const char* name) const { return xml.attributes().value(QLatin1String(name)).toString(); }

    bool ReadPage() {
        ReportPageSetup& page = result.Page;
        double width = page.Size.width();
        double height = page.Size.height();
        const QString orientation = Text("orientation");
        if (orientation == QLatin1String("landscape"))
            page.Landscape = true;
        else if (!orientation.isEmpty() && orientation != QLatin1String("portrait"))
            return Fail(QStringLiteral("纸张方向“%1”应为 portrait 或 landscape").arg(orientation));
        if (!Number("width", &width, true) || !Number("height", &height, true) ||
            !Number("left", &page.MarginLeft) || !Number("top", &page.MarginTop) ||
            !Number("right", &page.MarginRight) || !Number("bottom", &page.MarginBottom))
            return false;
        page.Size = QSizeF(width, height);
        if (page.ContentWidth() <= 0 || page.ContentHeight() <= 0)
            return Fail(QStringLiteral("页边距大于纸张"));
        xml.skipCurrentElement();
        return true;
    }

    bool ReadBand() {
        ReportBand band;
        band.SourceLine = Line();
        const QString type = Text("type");
        if (!BandKindFromName(type, &band.Type))
            return Fail(QStringLiteral("未知的带区类型“%1”").arg(type));
        if (!Number("height", &band.Height))
            return false;
        band.DataSet = Text("dataset");
        if (band.Type == ReportBand::Kind::MasterData && band.DataSet.isEmpty())
            return Fail(QStringLiteral("主数据带区没有指定数据集（dataset）"));
        while (xml.readNextStartElement()) {
            ReportItem item;
            if (!ItemKindFromName(xml.name().toString(), &item.Type))
                return Fail(QStringLiteral("未知的报表项“%1”").arg(xml.name()));
            if (!ReadItem(&item))
                return false;
            band.Items.push_back(std::move(item));
        }
        result.Bands.push_back(std::move(band));
        return !xml.hasError();
    }

    bool ReadItem(ReportItem* item) {
        item->SourceLine = Line();
        double x = 0, y = 0, width = 0, height = 0;
        if (!Number("x", &x) || !Number("y", &y) || !Number("width", &width) || !Number("height", &height) ||
            !Number("lineWidth", &item->LineWidth) || !Number("size", &item->FontSize) ||
            !Boolean("bold", &item->Bold) || !Boolean("italic", &item->Italic) ||
            !Boolean("wrap", &item->WordWrap) || !Boolean("shrink", &item->ShrinkToFit))
            return false;
        item->Geometry = QRectF(x, y, width, height);
        if (const QString font = Text("font"); !font.isEmpty())
            item->FontFamily = font;
        if (const QString align = Text("align"); !align.isEmpty() && !AlignmentFromName(align, &item->Align))
            return Fail(QStringLiteral("对齐方式“%1”有误").arg(align));
        if (const QString frame = Text("frame"); !frame.isEmpty() && !FrameFromName(frame, &item->Frame))
            return Fail(QStringLiteral("边框“%1”有误").arg(frame));
        if (const QString colour = Text("color"); !colour.isEmpty()) {
            item->Colour = QColor::fromString(colour);
            if (!item->Colour.isValid())
                return Fail(QStringLiteral("颜色“%1”有误").arg(colour));
        }
        item->Format = Text("format");
        if (!FormatKnown(item->Format))
            return Fail(QStringLiteral("显示格式“%1”有误").arg(item->Format));
        item->Picture = Text("file");
        item->ShowIf = Text("showIf");
        if (!item->ShowIf.isEmpty() && !ParseCondition(item->ShowIf, &item->Condition))
            return Fail(QStringLiteral("显示条件“%1”有误").arg(item->ShowIf));
        if (item->Type == ReportItem::Kind::Text) {
            item->Text = xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
            item->Parts = ParseTextParts(item->Text);
        } else {
            xml.skipCurrentElement();
        }
        return !xml.hasError();
    }

    static bool FormatKnown(const QString& format) {
        if (format.isEmpty() || format == QLatin1String("amount") || format == QLatin1String("amount:abs") ||
            format.startsWith(QLatin1String("date:")))
            return true;
        if (format.startsWith(QLatin1String("fixed:"))) {
            bool ok = false;
            const int decimals = format.mid(6).toInt(&ok);
            return ok && decimals >= 0 && decimals <= 6;
        }
        return false;
    }

    QXmlStreamReader xml;
    QString fileName;
    ReportTemplate result;
    QString problem;
    int problemLine = 0;
};

QString Number(double value) {
    return QString::number(value, 'g', 10);
}

// "#rrggbb", or "#aarrggbb" for a colour that is not opaque.
QString ColourName(const QColor& colour) {
    return colour.name(colour.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb);
}

// Every attribute that differs from an item's default is written, whatever the kind of the item:
// a line keeps its colour, a rectangle its frame and pen, and what a later change of kind would
// show is not lost either.
void WriteItem(QXmlStreamWriter& xml, const ReportItem& item) {
    const ReportItem defaults;
    xml.writeStartElement(ItemKindName(item.Type));
    xml.writeAttribute(QStringLiteral("x"), Number(item.Geometry.x()));
    xml.writeAttribute(QStringLiteral("y"), Number(item.Geometry.y()));
    xml.writeAttribute(QStringLiteral("width"), Number(item.Geometry.width()));
    xml.writeAttribute(QStringLiteral("height"), Number(item.Geometry.height()));
    if (item.Frame != defaults.Frame)
        xml.writeAttribute(QStringLiteral("frame"), FrameName(item.Frame));
    if (item.LineWidth != defaults.LineWidth)
        xml.writeAttribute(QStringLiteral("lineWidth"), Number(item.LineWidth));
    if (!item.ShowIf.isEmpty())
        xml.writeAttribute(QStringLiteral("showIf"), item.ShowIf);
    if (item.Type == ReportItem::Kind::Picture || !item.Picture.isEmpty())
        xml.writeAttribute(QStringLiteral("file"), item.Picture);
    if (item.FontFamily != defaults.FontFamily)
        xml.writeAttribute(QStringLiteral("font"), item.FontFamily);
    if (item.FontSize != defaults.FontSize)
        xml.writeAttribute(QStringLiteral("size"), Number(item.FontSize));
    if (item.Bold)
        xml.writeAttribute(QStringLiteral("bold"), QStringLiteral("true"));
    if (item.Italic)
        xml.writeAttribute(QStringLiteral("italic"), QStringLiteral("true"));
    if (item.Align != defaults.Align)
        xml.writeAttribute(QStringLiteral("align"), AlignmentName(item.Align));
    if (item.WordWrap)
        xml.writeAttribute(QStringLiteral("wrap"), QStringLiteral("true"));
    if (item.ShrinkToFit)
        xml.writeAttribute(QStringLiteral("shrink"), QStringLiteral("true"));
    if (item.Colour != defaults.Colour)
        xml.writeAttribute(QStringLiteral("color"), ColourName(item.Colour));
    if (!item.Format.isEmpty())
        xml.writeAttribute(QStringLiteral("format"), item.Format);
    if (item.Type == ReportItem::Kind::Text)
        xml.writeCharacters(item.Text);
    xml.writeEndElement();
}

} // namespace

QString ReportError::Text() const {
    if (Line > 0)
        return QStringLiteral("报表模板 %1 第 %2 行：%3").arg(File).arg(Line).arg(Message);
    return QStringLiteral("报表模板 %1：%2").arg(File, Message);
}

std::optional<ReportTemplate> ReadTemplate(const QByteArray& xml, const QString& fileName,
                                           ReportError* error) {
    return TemplateReader(xml, fileName).Read(error);
}

std::optional<ReportTemplate> LoadTemplate(const QString& fileName, ReportError* error) {
    QFile file(fileName);
    if (!QFileInfo(fileName).isFile()) {
        *error = ReportError{fileName, 0, QStringLiteral("找不到模板文件")};
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *error = ReportError{fileName, 0, QStringLiteral("模板文件无法读取（%1）").arg(file.errorString())};
        return std::nullopt;
    }
    return ReadTemplate(file.readAll(), fileName, error);
}

QByteArray WriteTemplate(const ReportTemplate& report) {
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("Report"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
    if (!report.Title.isEmpty())
        xml.writeAttribute(QStringLiteral("title"), report.Title);
    const ReportPageSetup& page = report.Page;
    xml.writeStartElement(QStringLiteral("Page"));
    xml.writeAttribute(QStringLiteral("width"), Number(page.Size.width()));
    xml.writeAttribute(QStringLiteral("height"), Number(page.Size.height()));
    xml.writeAttribute(QStringLiteral("orientation"),
                       page.Landscape ? QStringLiteral("landscape") : QStringLiteral("portrait"));
    xml.writeAttribute(QStringLiteral("left"), Number(page.MarginLeft));
    xml.writeAttribute(QStringLiteral("top"), Number(page.MarginTop));
    xml.writeAttribute(QStringLiteral("right"), Number(page.MarginRight));
    xml.writeAttribute(QStringLiteral("bottom"), Number(page.MarginBottom));
    xml.writeEndElement();
    for (const ReportBand& band : report.Bands) {
        xml.writeStartElement(QStringLiteral("Band"));
        xml.writeAttribute(QStringLiteral("type"), BandKindName(band.Type));
        xml.writeAttribute(QStringLiteral("height"), Number(band.Height));
        if (!band.DataSet.isEmpty())
            xml.writeAttribute(QStringLiteral("dataset"), band.DataSet);
        for (const ReportItem& item : band.Items)
            WriteItem(xml, item);
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

bool SaveTemplate(const ReportTemplate& report, const QString& fileName, ReportError* error) {
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly) && file.write(WriteTemplate(report)) >= 0 && file.commit())
        return true;
    *error = ReportError{fileName, 0, QStringLiteral("模板文件无法写入（%1）").arg(file.errorString())};
    return false;
}
