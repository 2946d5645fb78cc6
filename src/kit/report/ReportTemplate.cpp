#include "ReportTemplate.h"

#include <QRegularExpression>
#include <array>
#include <utility>

namespace {

TextPart Literal(const QString& text) {
    TextPart part;
    part.Text = text;
    return part;
}

// The meaning of the text between "[" and "]".
TextPart ReadBracket(const QString& inner) {
    static const QRegularExpression sum(
        QStringLiteral(R"(^\s*SUM\s*\(\s*([^.()\s]+)\s*\.\s*([^()\s]+)\s*\)\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression count(QStringLiteral(R"(^\s*COUNT\s*\(\s*([^.()\s]+)\s*\)\s*$)"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression field(QStringLiteral(R"(^\s*([^.\s]+)\s*\.\s*([^.\s]+)\s*$)"));
    TextPart part;
    if (const auto m = sum.match(inner); m.hasMatch()) {
        part.Type = TextPart::Kind::Sum;
        part.DataSet = m.captured(1);
        part.Field = m.captured(2);
        return part;
    }
    if (const auto m = count.match(inner); m.hasMatch()) {
        part.Type = TextPart::Kind::Count;
        part.DataSet = m.captured(1);
        return part;
    }
    if (const auto m = field.match(inner); m.hasMatch()) {
        part.Type = TextPart::Kind::Field;
        part.DataSet = m.captured(1);
        part.Field = m.captured(2);
        return part;
    }
    const QString name = inner.trimmed();
    static const std::array<std::pair<const char*, TextPart::Kind>, 4> system{{
        {"Page", TextPart::Kind::Page},
        {"TotalPages", TextPart::Kind::TotalPages},
        {"Date", TextPart::Kind::Date},
        {"Time", TextPart::Kind::Time},
    }};
    for (const auto& [word, kind] : system) {
        if (name.compare(QLatin1String(word), Qt::CaseInsensitive) == 0) {
            part.Type = kind;
            return part;
        }
    }
    part.Type = TextPart::Kind::Variable;
    part.Text = name;
    return part;
}

template <class Enum, size_t N>
bool FromName(const std::array<std::pair<Enum, const char*>, N>& names, const QString& name, Enum* value) {
    for (const auto& [kind, word] : names) {
        if (name.compare(QLatin1String(word), Qt::CaseInsensitive) == 0) {
            *value = kind;
            return true;
        }
    }
    return false;
}

template <class Enum, size_t N>
QString ToName(const std::array<std::pair<Enum, const char*>, N>& names, Enum value) {
    for (const auto& [kind, word] : names) {
        if (kind == value)
            return QLatin1String(word);
    }
    return QString();
}

const std::array<std::pair<ReportBand::Kind, const char*>, 7> BandNames{{
    {ReportBand::Kind::ReportTitle, "ReportTitle"},
    {ReportBand::Kind::PageHeader, "PageHeader"},
    {ReportBand::Kind::Header, "Header"},
    {ReportBand::Kind::MasterData, "MasterData"},
    {ReportBand::Kind::Footer, "Footer"},
    {ReportBand::Kind::Summary, "Summary"},
    {ReportBand::Kind::PageFooter, "PageFooter"},
}};

const std::array<std::pair<ReportItem::Kind, const char*>, 4> ItemNames{{
    {ReportItem::Kind::Text, "Text"},
    {ReportItem::Kind::Line, "Line"},
    {ReportItem::Kind::Rect, "Rect"},
    {ReportItem::Kind::Picture, "Picture"},
}};

const std::array<std::pair<Qt::Alignment, const char*>, 6> AlignWords{{
    {Qt::AlignLeft, "left"},
    {Qt::AlignHCenter, "center"},
    {Qt::AlignRight, "right"},
    {Qt::AlignTop, "top"},
    {Qt::AlignVCenter, "middle"},
    {Qt::AlignBottom, "bottom"},
}};

const std::array<std::pair<int, const char*>, 4> FrameWords{{
    {FrameLeft, "left"},
    {FrameTop, "top"},
    {FrameRight, "right"},
    {FrameBottom, "bottom"},
}};

} // namespace

std::vector<TextPart> ParseTextParts(const QString& text) {
    std::vector<TextPart> parts;
    QString literal;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('['), i);
        const qsizetype close = open < 0 ? -1 : text.indexOf(QLatin1Char(']'), open + 1);
        if (open < 0 || close < 0) {
            literal += text.mid(i);
            break;
        }
        literal += text.mid(i, open - i);
        const QString inner = text.mid(open + 1, close - open - 1);
        if (inner.trimmed().isEmpty()) {
            literal += text.mid(open, close - open + 1);
        } else {
            if (!literal.isEmpty())
                parts.push_back(Literal(std::exchange(literal, QString())));
            parts.push_back(ReadBracket(inner));
        }
        i = close + 1;
    }
    if (!literal.isEmpty())
        parts.push_back(Literal(literal));
    return parts;
}

bool ParseCondition(const QString& text, ItemCondition* condition) {
    static const QRegularExpression pattern(QStringLiteral(
        R"(^\s*\[?\s*([^.\s\[\]=<>]+)\s*\.\s*([^.\s\[\]=<>]+)\s*\]?\s*(<>|<=|>=|=|<|>)\s*(?:'([^']*)'|(-?[0-9]+(?:\.[0-9]+)?))\s*$)"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return false;
    condition->DataSet = m.captured(1);
    condition->Field = m.captured(2);
    condition->Operator = m.captured(3);
    condition->IsText = m.capturedStart(4) >= 0;
    condition->Text = m.captured(4);
    condition->Number = m.captured(5).toDouble();
    return true;
}

bool ConditionHolds(const ItemCondition& condition, const QVariant& value) {
    int order = 0;
    if (condition.IsText) {
        order = value.toString().compare(condition.Text);
    } else {
        bool ok = false;
        const double number = value.toString().trimmed().toDouble(&ok);
        if (!ok || value.isNull())
            return false;
        order = number < condition.Number ? -1 : number > condition.Number ? 1 : 0;
    }
    const QString& op = condition.Operator;
    if (op == QLatin1String("="))
        return order == 0;
    if (op == QLatin1String("<>"))
        return order != 0;
    if (op == QLatin1String("<"))
        return order < 0;
    if (op == QLatin1String("<="))
        return order <= 0;
    if (op == QLatin1String(">"))
        return order > 0;
    return order >= 0;
}

const ReportBand* ReportTemplate::FindBand(ReportBand::Kind kind) const {
    for (const ReportBand& band : Bands) {
        if (band.Type == kind)
            return &band;
    }
    return nullptr;
}

QString BandKindName(ReportBand::Kind kind) {
    return ToName(BandNames, kind);
}

bool BandKindFromName(const QString& name, ReportBand::Kind* kind) {
    return FromName(BandNames, name, kind);
}

QString ItemKindName(ReportItem::Kind kind) {
    return ToName(ItemNames, kind);
}

bool ItemKindFromName(const QString& name, ReportItem::Kind* kind) {
    return FromName(ItemNames, name, kind);
}

QString AlignmentName(Qt::Alignment align) {
    QStringList words;
    for (const auto& [flag, word] : AlignWords) {
        if (align & flag)
            words << QLatin1String(word);
    }
    return words.join(QLatin1Char(' '));
}

bool AlignmentFromName(const QString& name, Qt::Alignment* align) {
    Qt::Alignment result;
    for (const QString& word : name.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        Qt::Alignment flag;
        if (!FromName(AlignWords, word, &flag))
            return false;
        result |= flag;
    }
    if (!(result & Qt::AlignHorizontal_Mask))
        result |= Qt::AlignLeft;
    if (!(result & Qt::AlignVertical_Mask))
        result |= Qt::AlignVCenter;
    *align = result;
    return true;
}

QString FrameName(int frame) {
    if (frame == FrameNone)
        return QStringLiteral("none");
    if (frame == FrameAll)
        return QStringLiteral("all");
    QStringList words;
    for (const auto& [flag, word] : FrameWords) {
        if (frame & flag)
            words << QLatin1String(word);
    }
    return words.join(QLatin1Char(' '));
}

bool FrameFromName(const QString& name, int* frame) {
    const QString trimmed = name.trimmed();
    if (trimmed.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0 || trimmed.isEmpty()) {
        *frame = FrameNone;
        return true;
    }
    if (trimmed.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
        *frame = FrameAll;
        return true;
    }
    int result = FrameNone;
    for (const QString& word : trimmed.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        int flag = 0;
        if (!FromName(FrameWords, word, &flag))
            return false;
        result |= flag;
    }
    *frame = result;
    return true;
}
