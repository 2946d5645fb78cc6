#pragma once

#include "ReportTemplate.h"

#include <QByteArray>
#include <QString>
#include <optional>

// What went wrong with a template: the file, the line (0 when none applies) and the problem.
struct ReportError {
    QString File;
    int Line = 0;
    QString Message;

    // "报表模板 Frf/Bill.frf 第 12 行：未知的数据集“X”" — the text shown to the user.
    QString Text() const;
};

// Reads a template file (.frf, XML). On failure returns nothing and fills *error.
std::optional<ReportTemplate> LoadTemplate(const QString& fileName, ReportError* error);
// Reads a template from its XML text; fileName is only used in messages and to find pictures.
std::optional<ReportTemplate> ReadTemplate(const QByteArray& xml, const QString& fileName,
                                           ReportError* error);

// Writes a template as XML; ReadTemplate reads back the same template.
QByteArray WriteTemplate(const ReportTemplate& report);
bool SaveTemplate(const ReportTemplate& report, const QString& fileName, ReportError* error);
