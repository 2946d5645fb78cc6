#pragma once

#include "kit/report/ReportDesignModel.h"

#include <QString>

// The data sets and fields each template's print path hands the report engine, by template file
// (its name, without regard to case); what the designer offers and checks a template against.
// A template of no print path gets an empty catalogue.
DesignCatalogue PrintCatalogueFor(const QString& templateFile);
