#include "ReportEngine.h"

#include "foundation/PublicFunction.h"
#include "foundation/RegularFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <cmath>

void ReportData::Add(const QString& name, const ReportDataSet* dataSet) {
    sets[name.toLower()] = dataSet;
}

const ReportDataSet* ReportData::Find(const QString& name) const {
    const auto it = sets.find(name.toLower());
    return it == sets.end() ? nullptr : it->second;
}

namespace {

bool IsNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

// A finite number, or a text that reads as one ("nan" and "inf" are texts).
bool ToNumber(const QVariant& value, double* number) {
    if (IsNumber(value)) {
        *number = value.toDouble();
        return std::isfinite(*number);
    }
    bool ok = false;
    *number = value.toString().trimmed().toDouble(&ok);
    return ok && std::isfinite(*number);
}

QDateTime ToDateTime(const QVariant& value) {
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().startOfDay();
    const QString text = value.toString().trimmed();
    QDateTime moment = QDateTime::fromString(text, Qt::ISODate);
    if (!moment.isValid())
        moment = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!moment.isValid())
        moment = QDate::fromString(text.left(10), Qt::ISODate).startOfDay();
    return moment;
}

std::optional<ReportError> Problem(const ReportTemplate& report, int line, const QString& message) {
    return ReportError{report.FileName, line, message};
}

} // namespace

QString FormatValue(const QVariant& value, const QString& format) {
    if (value.isNull() || !value.isValid())
        return QString();
    double number = 0;
    if (format == QLatin1String("amount"))
        return ToNumber(value, &number) ? RoundAmountText(number) : value.toString();
    if (format == QLatin1String("amount:abs"))
        return ToNumber(value, &number) ? RoundAmountText(std::fabs(number)) : value.toString();
    if (format.startsWith(QLatin1String("fixed:")))
        return ToNumber(value, &number) ? QString::number(number, 'f', format.mid(6).toInt())
                                        : value.toString();
    if (format.startsWith(QLatin1String("date:"))) {
        const QDateTime moment = ToDateTime(value);
        return moment.isValid() ? moment.toString(format.mid(5)) : value.toString();
    }
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

std::optional<ReportError> CheckTemplate(const ReportTemplate& report, const ReportData& data) {
    for (const ReportBand& band : report.Bands) {
        if (band.Type == ReportBand::Kind::MasterData && !data.Find(band.DataSet))
            return Problem(report, band.SourceLine, QStringLiteral("未知的数据集“%1”").arg(band.DataSet));
        for (const ReportItem& item : band.Items) {
            std::vector<TextPart> parts = item.Parts;
            if (!item.ShowIf.isEmpty()) {
                TextPart condition;
                condition.DataSet = item.Condition.DataSet;
                condition.Field = item.Condition.Field;
                parts.push_back(condition);
            }
            for (const TextPart& part : parts) {
                if (part.DataSet.isEmpty())
                    continue;
                const ReportDataSet* set = data.Find(part.DataSet);
                if (!set)
                    return Problem(report, item.SourceLine,
                                   QStringLiteral("未知的数据集“%1”").arg(part.DataSet));
                if (!part.Field.isEmpty() && set->FieldIndex(part.Field) < 0)
                    return Problem(report, item.SourceLine,
                                   QStringLiteral("数据集“%1”中没有字段“%2”").arg(part.DataSet, part.Field));
            }
        }
    }
    return std::nullopt;
}

std::span<const PlacedBand> PreparedReport::Page(int page) const {
    if (page < 0 || page >= PageCount())
        return {};
    const size_t first = static_cast<size_t>(pageStarts[static_cast<size_t>(page)]);
    const size_t end = page + 1 < PageCount() ? static_cast<size_t>(pageStarts[static_cast<size_t>(page) + 1])
                                              : placed.size();
    return std::span<const PlacedBand>(placed).subspan(first, end - first);
}

QString PreparedReport::PartText(const Part& part, const QString& format, int row, int page) const {
    switch (part.Type) {
    case TextPart::Kind::Field:
        return FormatValue(part.DataSet->Value(part.FollowsRow ? row : 0, part.Field), format);
    case TextPart::Kind::Page:
        return QString::number(page + 1);
    case TextPart::Kind::TotalPages:
        return QString::number(PageCount());
    default:
        return part.Text;
    }
}

QString PreparedReport::ItemText(int band, int item, int row, int page) const {
    const CompiledItem& compiled = items[static_cast<size_t>(band)][static_cast<size_t>(item)];
    if (compiled.Fixed)
        return compiled.FixedText;
    const QString& format = report->Bands[static_cast<size_t>(band)].Items[static_cast<size_t>(item)].Format;
    if (compiled.Parts.size() == 1)
        return PartText(compiled.Parts.front(), format, row, page);
    QString text;
    for (const Part& part : compiled.Parts)
        text += PartText(part, format, row, page);
    return text;
}

void PreparedReport::ForEachItem(int page, const ItemVisitor& visit) const {
    const ReportPageSetup& setup = report->Page;
    for (const PlacedBand& placedBand : Page(page)) {
        const ReportBand& band = report->Bands[static_cast<size_t>(placedBand.Band)];
        const QPointF origin(setup.MarginLeft, setup.MarginTop + placedBand.Top);
        const auto& compiledBand = items[static_cast<size_t>(placedBand.Band)];
        for (size_t i = 0; i < band.Items.size(); ++i) {
            const ReportItem& item = band.Items[i];
            const Part& condition = compiledBand[i].Condition;
            if (condition.DataSet &&
                !ConditionHolds(
                    item.Condition,
                    condition.DataSet->Value(condition.FollowsRow ? placedBand.Row : 0, condition.Field)))
                continue;
            const QRectF where = item.Geometry.translated(origin);
            if (item.Type == ReportItem::Kind::Text)
                visit(item, where, ItemText(placedBand.Band, static_cast<int>(i), placedBand.Row, page));
            else
                visit(item, where, QString());
        }
    }
}

const QImage& PreparedReport::Picture(const ReportItem& item) const {
    auto it = pictures.find(item.Picture);
    if (it == pictures.end()) {
        // Only a regular file of a picture's size is read: a named pipe or a device named by the
        // template (or by a saved report's template folder) never holds up the drawing.
        const QString folder = QFileInfo(report->FileName).absolutePath();
        QByteArray bytes;
        QImage image;
        if (RegularFile::Read(QDir(folder).filePath(item.Picture), PictureSizeLimit, &bytes) ==
            RegularFile::Status::Read)
            image = QImage::fromData(bytes);
        it = pictures.emplace(item.Picture, std::move(image)).first;
    }
    return it->second;
}

// Builds one PreparedReport: compiles the items against the data and places the bands.
class ReportLayout {
public:
    ReportLayout(const ReportTemplate& report, const ReportData& data, const ReportVariables& variables,
                 const QDateTime& preparedAt, const ReportProgress& progress)
        : data(data)
        , variables(variables)
        , progress(progress)
        , result(std::make_shared<PreparedReport>()) {
        result->report = std::make_shared<const ReportTemplate>(report);
        result->preparedAt = preparedAt.isValid() ? preparedAt : QDateTime::currentDateTime();
    }

    // Nothing when the progress stopped the layout.
    std::shared_ptr<PreparedReport> Run() {
        Compile();
        if (!Place())
            return nullptr;
        return result;
    }

private:
    const ReportTemplate& Template() const { return *result->report; }

    QString FixedPartText(const TextPart& part, const QString& format) {
        switch (part.Type) {
        case TextPart::Kind::Literal:
            return part.Text;
        case TextPart::Kind::Sum:
            return FormatValue(Sum(part.DataSet, part.Field), format);
        case TextPart::Kind::Count:
            return QString::number(data.Find(part.DataSet)->RowCount());
        case TextPart::Kind::Date:
            return result->preparedAt.date().toString(QStringLiteral("yyyy-MM-dd"));
        case TextPart::Kind::Time:
            return result->preparedAt.time().toString(QStringLiteral("HH:mm:ss"));
        case TextPart::Kind::Variable:
            return FormatValue(Variable(part.Text), format);
        default:
            return QString();
        }
    }

    QVariant Variable(const QString& name) {
        ReportAnswers& answers = result->answers;
        const auto it = answers.find(name);
        if (it != answers.end())
            return it->second;
        const QVariant value = variables ? variables(name) : QVariant();
        answers.emplace(name, value);
        return value;
    }

    const ReportDataSet* Use(const QString& name) {
        const ReportDataSet* set = data.Find(name);
        result->setsUsed.emplace(name, set);
        return set;
    }

    // The total of a field over every row of its data set, computed once.
    double Sum(const QString& dataSet, const QString& field) {
        const QString key = dataSet.toLower() + QLatin1Char('.') + field.toLower();
        const auto it = sums.find(key);
        if (it != sums.end())
            return it->second;
        const ReportDataSet* set = data.Find(dataSet);
        const int column = set->FieldIndex(field);
        double total = 0;
        const int rows = set->RowCount();
        for (int row = 0; row < rows; ++row) {
            double value = 0;
            if (ToNumber(set->Value(row, column), &value))
                total += value;
        }
        sums.emplace(key, total);
        return total;
    }

    void Compile() {
        for (const ReportBand& band : Template().Bands) {
            std::vector<PreparedReport::CompiledItem> compiledBand;
            const ReportDataSet* bandSet =
                band.Type == ReportBand::Kind::MasterData ? Use(band.DataSet) : nullptr;
            for (const ReportItem& item : band.Items) {
                PreparedReport::CompiledItem compiled;
                if (!item.ShowIf.isEmpty()) {
                    compiled.Condition.DataSet = Use(item.Condition.DataSet);
                    compiled.Condition.Field = compiled.Condition.DataSet->FieldIndex(item.Condition.Field);
                    compiled.Condition.FollowsRow = compiled.Condition.DataSet == bandSet;
                }
                for (const TextPart& part : item.Parts) {
                    PreparedReport::Part out;
                    out.Type = part.Type;
                    if (!part.DataSet.isEmpty())
                        Use(part.DataSet);
                    if (part.Type == TextPart::Kind::Field) {
                        out.DataSet = data.Find(part.DataSet);
                        out.Field = out.DataSet->FieldIndex(part.Field);
                        out.FollowsRow = out.DataSet == bandSet;
                        compiled.Fixed = false;
                    } else if (part.Type == TextPart::Kind::Page || part.Type == TextPart::Kind::TotalPages) {
                        compiled.Fixed = false;
                    } else {
                        out.Text = FixedPartText(part, item.Format);
                    }
                    compiled.Parts.push_back(std::move(out));
                }
                if (compiled.Fixed) {
                    for (const PreparedReport::Part& part : compiled.Parts)
                        compiled.FixedText += part.Text;
                }
                compiledBand.push_back(std::move(compiled));
            }
            result->items.push_back(std::move(compiledBand));
        }
    }

    double BandHeight(int band) const { return Template().Bands[static_cast<size_t>(band)].Height; }

    void Put(int band, int row) {
        result->placed.push_back(PlacedBand{band, row, static_cast<float>(y)});
        y += BandHeight(band);
    }

    void StartPage() {
        result->pageStarts.push_back(static_cast<int>(result->placed.size()));
        y = 0;
        if (result->pageStarts.size() == 1) {
            for (int band : BandsOf(ReportBand::Kind::ReportTitle))
                Put(band, 0);
        }
        for (int band : BandsOf(ReportBand::Kind::PageHeader))
            Put(band, 0);
        if (repeatHeader >= 0)
            Put(repeatHeader, 0);
        pageTop = y;
    }

    void EndPage() {
        y = bodyBottom;
        for (int band : BandsOf(ReportBand::Kind::PageFooter))
            Put(band, 0);
    }

    // Starts a new page first when the bands of height need do not fit below y; a page that holds
    // nothing but its headers takes the band anyway, so a band taller than a page cannot loop.
    void Room(double need) {
        if (y + need > bodyBottom + 1e-6 && y > pageTop + 1e-6) {
            EndPage();
            StartPage();
        }
    }

    std::vector<int> BandsOf(ReportBand::Kind kind) const {
        std::vector<int> found;
        for (size_t i = 0; i < Template().Bands.size(); ++i) {
            if (Template().Bands[i].Type == kind)
                found.push_back(static_cast<int>(i));
        }
        return found;
    }

    // False when the progress stopped it.
    bool Place() {
        double footer = 0;
        for (int band : BandsOf(ReportBand::Kind::PageFooter))
            footer += BandHeight(band);
        bodyBottom = Template().Page.ContentHeight() - footer;
        StartPage();
        const auto& bands = Template().Bands;
        const int count = static_cast<int>(bands.size());
        for (int i = 0; i < count; ++i) {
            const ReportBand::Kind kind = bands[static_cast<size_t>(i)].Type;
            const bool masterNext =
                i + 1 < count && bands[static_cast<size_t>(i) + 1].Type == ReportBand::Kind::MasterData;
            if (kind == ReportBand::Kind::Header && masterNext) {
                i = PlaceMaster(i, i + 1);
            } else if (kind == ReportBand::Kind::MasterData) {
                i = PlaceMaster(-1, i);
            } else if (kind == ReportBand::Kind::Header || kind == ReportBand::Kind::Footer ||
                       kind == ReportBand::Kind::Summary) {
                Room(BandHeight(i));
                Put(i, 0);
            }
            if (stopped)
                return false;
        }
        EndPage();
        return true;
    }

    // A master band with the header before it and the footer right after it (both only when it has
    // rows); returns the index of the last band it took.
    int PlaceMaster(int header, int master) {
        const auto& bands = Template().Bands;
        const int footer = master + 1 < static_cast<int>(bands.size()) &&
                                   bands[static_cast<size_t>(master) + 1].Type == ReportBand::Kind::Footer
                               ? master + 1
                               : -1;
        const int rows = data.Find(bands[static_cast<size_t>(master)].DataSet)->RowCount();
        if (rows > 0) {
            const double rowHeight = BandHeight(master);
            if (header >= 0) {
                Room(BandHeight(header) + rowHeight);
                Put(header, 0);
                repeatHeader = header;
            }
            for (int row = 0; row < rows; ++row) {
                if (progress && row % 4096 == 0 && !progress(row, rows)) {
                    stopped = true;
                    return master;
                }
                Room(rowHeight);
                Put(master, row);
            }
            repeatHeader = -1;
            if (footer >= 0) {
                Room(BandHeight(footer));
                Put(footer, 0);
            }
        }
        return footer >= 0 ? footer : master;
    }

    const ReportData& data;
    const ReportVariables& variables;
    const ReportProgress& progress;
    bool stopped = false;
    std::shared_ptr<PreparedReport> result;
    std::map<QString, double> sums;
    double y = 0;
    double pageTop = 0;
    double bodyBottom = 0;
    int repeatHeader = -1;
};

std::shared_ptr<PreparedReport> PrepareReport(const ReportTemplate& report, const ReportData& data,
                                              const ReportVariables& variables, ReportError* error,
                                              const QDateTime& preparedAt, const ReportProgress& progress) {
    if (const auto problem = CheckTemplate(report, data)) {
        *error = *problem;
        return nullptr;
    }
    std::shared_ptr<PreparedReport> prepared =
        ReportLayout(report, data, variables, preparedAt, progress).Run();
    if (!prepared)
        *error = ReportError{report.FileName, 0, ReportCancelled};
    return prepared;
}

bool Report::LoadFromFile(const QString& fileName) {
    std::optional<ReportTemplate> loaded = LoadTemplate(fileName, &lastError);
    if (!loaded)
        return false;
    if (const auto problem = CheckTemplate(*loaded, Data)) {
        lastError = *problem;
        return false;
    }
    report = std::move(loaded);
    return true;
}

void Report::SetTemplate(const ReportTemplate& value) {
    report = value;
}

std::shared_ptr<PreparedReport> Report::Prepare() {
    if (!report) {
        lastError = ReportError{QString(), 0, QStringLiteral("没有载入报表模板")};
        return nullptr;
    }
    lastError = ReportError();
    return PrepareReport(*report, Data, Variables, &lastError, QDateTime(), Progress);
}
