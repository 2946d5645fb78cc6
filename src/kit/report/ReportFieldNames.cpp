#include "ReportFieldNames.h"

#include <QRegularExpression>

namespace ReportFieldNames {

namespace {

const QRegularExpression& Bracketed() {
    static const QRegularExpression expression(QStringLiteral("\\[([^\\]]*)\\]"));
    return expression;
}

const QRegularExpression& QualifiedField() {
    static const QRegularExpression expression(QStringLiteral("\\b([A-Za-z_]\\w*)\\.\"?([A-Za-z_]\\w*)\"?"));
    return expression;
}

QString ShownInside(const QString& inside, const QHash<QString, QString>& captions) {
    static const QList<std::pair<QRegularExpression, QString>> words = {
        {QRegularExpression(QStringLiteral("^TotalPages$")), QStringLiteral("总页数")},
        {QRegularExpression(QStringLiteral("^Page#?$")), QStringLiteral("页码")},
        {QRegularExpression(QStringLiteral("^Date$")), QStringLiteral("日期")},
        {QRegularExpression(QStringLiteral("^Time$")), QStringLiteral("时间")},
        {QRegularExpression(QStringLiteral("\\bSUM\\(")), QStringLiteral("合计(")},
        {QRegularExpression(QStringLiteral("\\bCOUNT\\(")), QStringLiteral("计数(")},
    };
    QString shown;
    qsizetype from = 0;
    auto match = QualifiedField().globalMatch(inside);
    while (match.hasNext()) {
        const QRegularExpressionMatch m = match.next();
        shown += inside.mid(from, m.capturedStart() - from);
        const QString field = m.captured(2);
        shown += captions.contains(field) ? captions.value(field) : m.captured(0);
        from = m.capturedEnd();
    }
    shown += inside.mid(from);
    for (const auto& [word, chinese] : words)
        shown.replace(word, chinese);
    return shown;
}

} // namespace

QString Shown(const QString& text, const QHash<QString, QString>& captions) {
    QString shown;
    qsizetype from = 0;
    auto match = Bracketed().globalMatch(text);
    while (match.hasNext()) {
        const QRegularExpressionMatch m = match.next();
        shown += text.mid(from, m.capturedStart() - from);
        shown += QLatin1Char('[') + ShownInside(m.captured(1), captions) + QLatin1Char(']');
        from = m.capturedEnd();
    }
    shown += text.mid(from);
    return shown;
}

QStringList FieldsIn(const QString& text) {
    QStringList fields;
    auto bracket = Bracketed().globalMatch(text);
    while (bracket.hasNext()) {
        auto field = QualifiedField().globalMatch(bracket.next().captured(1));
        while (field.hasNext()) {
            const QRegularExpressionMatch m = field.next();
            const QString name = m.captured(1) + QLatin1Char('.') + m.captured(2);
            if (!fields.contains(name))
                fields << name;
        }
    }
    return fields;
}

QString Caption(const QString& field, const QHash<QString, QString>& captions) {
    return captions.value(field, field);
}

} // namespace ReportFieldNames
