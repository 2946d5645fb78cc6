#pragma once

#include <QString>

class PreparedReport;
class QPagedPaintDevice;
class QPrinter;

// Writes every page of a prepared report to a PDF file; the texts stay text (searchable, with the
// fonts embedded). False with *error when the file cannot be written.
bool WriteReportPdf(const PreparedReport& report, const QString& fileName, QString* error);

// Prints pages first..last (counted from 1; 0, 0 for all) on a printer that the caller has set up.
bool PrintReport(const PreparedReport& report, QPrinter& printer, int first = 0, int last = 0);

// Sets a paged device (printer or PDF writer) to the report's paper, without margins: the template
// has its own.
void UseReportPaper(const PreparedReport& report, QPagedPaintDevice& device);
