#pragma once

// The document query of the result grid, as the benchmarks measure it: the program's statement and
// the other statements that give the same rows in the same order, and the digest of the rows the
// program keeps, read as the grid reads them.

#include "BenchSqlite.h"
#include "foundation/Query.h"
#include "reports/ReportQueries.h"

#include <QVariant>
#include <vector>

// Every document with its received and open amounts, ordered by date, as the program asks for it.
inline QString AllDocumentsBase() {
    return BillReportSelect() + QStringLiteral("(BillIndex > 1)");
}

// In the program's Jet dialect; the first is the program's own statement.
inline std::vector<Candidate> DocumentCandidates() {
    const QString billColumns = QStringLiteral("BillMan,BillReason,BillState,BillRemark");
    const QString got = QStringLiteral("IIF(Round(Sum(MoneySum),2) Is Null,0,Round(Sum(MoneySum),2))");
    const QString gotOfBill =
        QStringLiteral("(Select ") + got + QStringLiteral(" From MoneyTable Where MoneyBill = BillIndex)");
    const QString billHead =
        QStringLiteral("Select BillIndex,BillCreateTime,BillSerial,BillKind,BillUser,BillSum,");
    const QString byDate = QStringLiteral(" Order By BillCreateTime,BillIndex");
    return {
        {"the program's statement", BillReportRunText(AllDocumentsBase(), QString(), 0)},
        {"documents joined with their vouchers, grouped",
         billHead + got + QStringLiteral(" As BillGet,BillSum-") + got + QStringLiteral(" As BillOwe,") +
             billColumns +
             QStringLiteral(
                 " From (Bill Left Join MoneyTable On Bill.BillIndex = MoneyTable.MoneyBill) Where "
                 "(BillIndex > 1) Group By BillIndex,BillCreateTime,BillSerial,BillKind,BillUser,"
                 "BillSum,BillMan,BillReason,BillState,BillRemark") +
             byDate},
        {"received amount by a subquery per document",
         billHead + gotOfBill + QStringLiteral(" As BillGet,BillSum-") + gotOfBill +
             QStringLiteral(" As BillOwe,") + billColumns +
             QStringLiteral(" From Bill Where (BillIndex > 1)") + byDate},
        {"subquery per document, open amount computed outside",
         billHead + QStringLiteral("BillGet,BillSum-BillGet As BillOwe,") + billColumns +
             QStringLiteral(" From (Select Bill.*,") + gotOfBill +
             QStringLiteral(" As BillGet From Bill Where (BillIndex > 1) Limit -1)") + byDate},
        {"vouchers totalled first, joined to the documents",
         billHead +
             QStringLiteral("IIF(Got Is Null,0,Got) As BillGet,BillSum-IIF(Got Is Null,0,Got) As BillOwe,") +
             billColumns +
             QStringLiteral(
                 " From Bill Left Join (Select MoneyBill,Round(Sum(MoneySum),2) As Got From MoneyTable "
                 "Group By MoneyBill) On MoneyBill = BillIndex Where (BillIndex > 1)") +
             byDate},
    };
}

// The digest of the rows the program keeps for a result, read as the grid reads them: texts by
// their bytes, everything else (numbers, and an empty value as 0) by its value.
inline quint64 DigestOf(const Query& query) {
    Digest digest;
    for (int row = 0; row < query.RecordCount(); ++row) {
        for (int column = 0; column < query.FieldCount(); ++column) {
            const QVariant value = query.ValueAt(row, column);
            if (value.typeId() == QMetaType::QString) {
                const QByteArray bytes = value.toString().toUtf8();
                digest.Text(bytes.constData(), bytes.size());
            } else {
                digest.Number(value.toDouble());
            }
        }
    }
    return digest.hash;
}
