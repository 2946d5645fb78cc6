#pragma once

#include <QColor>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

// A banded report template: the page, the bands in the order they are laid out, and the items of
// each band. Lengths are millimetres; an item's position is relative to its band's top left corner
// (inside the page margins). Font sizes are points.

// One part of a text item's content: fixed text or a value put in when the page is drawn.
struct TextPart {
    enum class Kind {
        Literal,    // Text
        Field,      // [DataSet.Field]
        Sum,        // [SUM(DataSet.Field)]
        Count,      // [COUNT(DataSet)]
        Page,       // [Page]
        TotalPages, // [TotalPages]
        Date,       // [Date]
        Time,       // [Time]
        Variable,   // [Name]: asked of the host by name
    };
    Kind Type = Kind::Literal;
    QString Text;    // the literal, or the variable's name
    QString DataSet; // Field, Sum, Count
    QString Field;   // Field, Sum

    bool operator==(const TextPart&) const = default;
};

// Splits "金额：[ADOQuery1.BillSum] 元" into its parts. A "[" without its "]" stays literal text.
std::vector<TextPart> ParseTextParts(const QString& text);

// When an item is shown: a field of a data set compared with a number or a quoted text, such as
// "frDBDataSet1.MoneySum<0" or "ADOQuery1.BillKind='销售开单'". Operators: = <> < <= > >=.
struct ItemCondition {
    QString DataSet;
    QString Field;
    QString Operator;
    QString Text;      // a quoted text compared as text
    double Number = 0; // otherwise a number
    bool IsText = false;
};
// Reads a condition; false for a text of another form.
bool ParseCondition(const QString& text, ItemCondition* condition);
// Whether a value meets the condition (a value that is no number fails a numeric comparison).
bool ConditionHolds(const ItemCondition& condition, const QVariant& value);

// Frame lines of an item, any combination.
enum FrameLine { FrameNone = 0, FrameLeft = 1, FrameTop = 2, FrameRight = 4, FrameBottom = 8, FrameAll = 15 };

struct ReportItem {
    enum class Kind { Text, Line, Rect, Picture };
    Kind Type = Kind::Text;
    QRectF Geometry; // mm within the band; a line runs from the top left to the bottom right corner

    // Text
    QString Text; // as written in the template, with its [..] parts
    std::vector<TextPart> Parts;
    QString Format; // "" | "amount" | "amount:abs" | "fixed:N" | "date:PATTERN" (see FormatValue)
    QString FontFamily = QStringLiteral("宋体");
    double FontSize = 9;
    bool Bold = false;
    bool Italic = false;
    Qt::Alignment Align = Qt::AlignLeft | Qt::AlignVCenter;
    bool WordWrap = false;
    // The font is made smaller, as far as needed, for the text to fit the item whole (with word
    // wrap: all its lines); what fits at the set size is drawn at the set size.
    bool ShrinkToFit = false;
    QColor Colour = Qt::black;

    // Frame lines (text, rectangle) and the pen of lines and frames.
    int Frame = FrameNone;
    double LineWidth = 0.2; // mm

    // Picture: a file relative to the template's folder.
    QString Picture;

    // Shown only when this condition holds (empty: always).
    QString ShowIf;
    ItemCondition Condition;

    int SourceLine = 0; // line of the template file, for messages
};

struct ReportBand {
    enum class Kind { ReportTitle, PageHeader, Header, MasterData, Footer, Summary, PageFooter };
    Kind Type = Kind::MasterData;
    double Height = 10; // mm
    QString DataSet;    // MasterData: the rows it repeats over
    std::vector<ReportItem> Items;
    int SourceLine = 0;
};

struct ReportPageSetup {
    QSizeF Size = QSizeF(210, 297); // mm, portrait
    bool Landscape = false;
    double MarginLeft = 15;
    double MarginTop = 15;
    double MarginRight = 15;
    double MarginBottom = 15;

    // The paper as it lies: width and height swapped for landscape.
    QSizeF PaperSize() const { return Landscape ? Size.transposed() : Size; }
    double ContentWidth() const { return PaperSize().width() - MarginLeft - MarginRight; }
    double ContentHeight() const { return PaperSize().height() - MarginTop - MarginBottom; }
};

struct ReportTemplate {
    QString Title;
    ReportPageSetup Page;
    std::vector<ReportBand> Bands;
    QString FileName; // where it was read from; pictures are found beside it

    // The first band of a kind, or nullptr.
    const ReportBand* FindBand(ReportBand::Kind kind) const;
};

// Names used in the file for the enumerations, and back.
QString BandKindName(ReportBand::Kind kind);
bool BandKindFromName(const QString& name, ReportBand::Kind* kind);
QString ItemKindName(ReportItem::Kind kind);
bool ItemKindFromName(const QString& name, ReportItem::Kind* kind);
// Alignment as words: "left|center|right" and "top|middle|bottom", e.g. "center middle".
QString AlignmentName(Qt::Alignment align);
bool AlignmentFromName(const QString& name, Qt::Alignment* align);
// Frame lines as words: "none", "all", or some of "left top right bottom".
QString FrameName(int frame);
bool FrameFromName(const QString& name, int* frame);
