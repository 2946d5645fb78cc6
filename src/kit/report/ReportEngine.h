#pragma once

#include "ReportDataSet.h"
#include "ReportTemplate.h"
#include "ReportTemplateFile.h"

#include <QDateTime>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <vector>

// The data sets of a report by name (names match without regard to case). The sets are not owned
// and must outlive every report prepared from them.
class ReportData {
public:
    void Add(const QString& name, const ReportDataSet* dataSet);
    void Clear() { sets.clear(); }
    const ReportDataSet* Find(const QString& name) const;

private:
    std::map<QString, const ReportDataSet*> sets; // by lower-case name
};

// The answers of a host, kept: every name asked and what it got.
using ReportAnswers = std::map<QString, QVariant>;

// Asked for the value of a variable the template names and the engine does not know itself; an
// invalid QVariant means no answer (the variable then prints as nothing).
using ReportVariables = std::function<QVariant(const QString& name)>;

// Hears now and then how many rows of the longest data set are laid out of how many; returning
// false stops the layout (nothing is prepared).
using ReportProgress = std::function<bool(qint64 done, qint64 total)>;
// The message of a layout stopped by its progress.
inline const QString ReportCancelled = QStringLiteral("报表准备已取消");

// A value as an item's display format shows it: "amount" (rounded to 4 decimals, no trailing
// zeros), "amount:abs" (the same without sign), "fixed:N" (N decimals), "date:PATTERN" (a date or date text
// in a QDate pattern), or "" (numbers with up to 15 significant digits, anything else as text).
QString FormatValue(const QVariant& value, const QString& format);

// Checks that every data set and field the template names exists in data.
std::optional<ReportError> CheckTemplate(const ReportTemplate& report, const ReportData& data);

// One band as it stands on a page: which band of the template, which row of its data set (0 for
// bands without one), and its top edge in mm below the top margin.
struct PlacedBand {
    int Band = 0;
    int Row = 0;
    float Top = 0;
};

// A report laid out into pages. It holds only where each band instance stands; the texts are put
// together from the data sets when a page is drawn, so a long list costs a few bytes per row.
// The largest picture file a template may show.
constexpr qint64 PictureSizeLimit = 32 * 1024 * 1024;

class PreparedReport {
public:
    const ReportTemplate& Template() const { return *report; }
    int PageCount() const { return static_cast<int>(pageStarts.size()); }
    std::span<const PlacedBand> Page(int page) const;
    QDateTime PreparedAt() const { return preparedAt; }

    // The text an item of a band shows for a row on a page (page counted from 0).
    QString ItemText(int band, int item, int row, int page) const;

    // Every item of a page with its place on the paper (mm from the paper's top left corner) and,
    // for a text item, its text.
    using ItemVisitor =
        std::function<void(const ReportItem& item, const QRectF& paperMm, const QString& text)>;
    void ForEachItem(int page, const ItemVisitor& visit) const;

    // A picture item's image, read once from beside the template.
    const QImage& Picture(const ReportItem& item) const;

    // The data sets the template reads, by the names it uses, and the host's answers it got:
    // everything needed to prepare the same report again.
    const std::map<QString, const ReportDataSet*>& DataSetsUsed() const { return setsUsed; }
    const ReportAnswers& Answers() const { return answers; }
    // Keeps a data set alive as long as the report (for rows the report itself owns).
    void Keep(std::shared_ptr<const ReportDataSet> dataSet) { kept.push_back(std::move(dataSet)); }

private:
    friend class ReportLayout;
    struct Part {
        TextPart::Kind Type = TextPart::Kind::Literal;
        QString Text; // literal, or a value fixed when prepared (sum, count, variable, date, time)
        const ReportDataSet* DataSet = nullptr;
        int Field = -1;
        bool FollowsRow = false; // a field of the band's own data set: read from the band's row
    };
    struct CompiledItem {
        std::vector<Part> Parts;
        Part Condition;    // the field an item's condition reads (DataSet null: no condition)
        bool Fixed = true; // no part changes from row to row or page to page
        QString FixedText;
    };
    QString PartText(const Part& part, const QString& format, int row, int page) const;

    std::shared_ptr<const ReportTemplate> report;
    std::vector<std::vector<CompiledItem>> items; // per band, per item
    std::vector<PlacedBand> placed;
    std::vector<int> pageStarts; // index into placed of each page's first band
    QDateTime preparedAt;
    mutable std::map<QString, QImage> pictures;
    std::map<QString, const ReportDataSet*> setsUsed;
    ReportAnswers answers;
    std::vector<std::shared_ptr<const ReportDataSet>> kept;
};

// Lays a template out over its data: report title on the first page, page header on every page,
// each master data band once per row of its data set (its header before the first row and again at
// the top of every page it continues on, its footer after the last), the summary after all, and
// the page footer at the foot of every page. A band that does not fit on the page goes to the next.
// Returns nothing and fills *error when the template names a data set or field data does not have.
// preparedAt: the moment [Date] and [Time] show (now when not given).
std::shared_ptr<PreparedReport> PrepareReport(const ReportTemplate& report, const ReportData& data,
                                              const ReportVariables& variables, ReportError* error,
                                              const QDateTime& preparedAt = QDateTime(),
                                              const ReportProgress& progress = {});

// A report object of the program: the template last loaded into it, the data sets it reads and the
// host's answer for variables. The template stays until the next successful load.
class Report {
public:
    ReportData Data;
    ReportVariables Variables;
    // Told how far a Prepare is; may stop it (then Prepare returns nothing and Cancelled() is true).
    ReportProgress Progress;
    bool Cancelled() const { return lastError.Message == ReportCancelled; }

    // Reads and checks a template file; on failure the previous template stays and LastError says why.
    bool LoadFromFile(const QString& fileName);
    void SetTemplate(const ReportTemplate& report);
    bool HasTemplate() const { return report.has_value(); }
    const ReportTemplate& Template() const { return *report; }
    QString FileName() const { return report ? report->FileName : QString(); }

    // Lays the loaded template out; nothing and LastError when there is no template or it does not
    // fit the data.
    std::shared_ptr<PreparedReport> Prepare();
    const ReportError& LastError() const { return lastError; }

private:
    std::optional<ReportTemplate> report;
    ReportError lastError;
};
