#pragma once

#include <QString>
#include <memory>

class PreparedReport;

// A prepared report kept in a file (.frp, XML): its template, the rows of the data sets it reads,
// the host's answers and the moment it was prepared. Opened again, it is prepared from these alone
// and shows the same pages.
bool SavePreparedReport(const PreparedReport& report, const QString& fileName, QString* error);
std::shared_ptr<PreparedReport> LoadPreparedReport(const QString& fileName, QString* error);
