#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// How the designer shows the fields of a template: "[ADOQuery1.BillSerial]" as "[单据编号]", by
// the Chinese column names the program gives (field name → caption). Only the display changes;
// the template keeps its text.
namespace ReportFieldNames {

// The text with every "DataSet.Field" inside [...] shown as the field's caption, and the
// engine's words (SUM, COUNT, Page, TotalPages, Date, Time) in Chinese. Unknown fields stay.
QString Shown(const QString& text, const QHash<QString, QString>& captions);
// Every "DataSet.Field" named inside [...] of the text, in order, each once.
QStringList FieldsIn(const QString& text);
// The caption of a field, or the field's own name when it has none.
QString Caption(const QString& field, const QHash<QString, QString>& captions);

} // namespace ReportFieldNames
