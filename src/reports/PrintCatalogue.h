#pragma once

#include "kit/report/ReportDesignModel.h"

#include <QHash>
#include <QString>

// The data sets and fields each template's print path hands the report engine, by template file
// (its name, without regard to case); what the designer offers and checks a template against.
// A template of no print path gets an empty catalogue.
DesignCatalogue PrintCatalogueFor(const QString& templateFile);

// The Chinese names the designer shows for the fields of a template's print path (the result
// grids' column titles; the monthly reports' columns by what each holds).
QHash<QString, QString> PrintFieldCaptionsFor(const QString& templateFile);
