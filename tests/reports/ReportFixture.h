#pragma once

// A small book for the result grid tests: two accounts, two customers, four documents and a few
// vouchers in January and February 2024, owned by two salesmen.

#include "foundation/Query.h"
#include "foundation/ShareDM.h"
#include "kit/report/ReportEngine.h"
#include "reports/PrintCatalogue.h"
#include "support/TestSupport.h"

#include <QList>
#include <QTest>
#include <algorithm>

inline void FillSmallBook(TestProgram& program) {
    program.Exec("Insert Into Account (AccountIndex, AccountName, AccountBase, AccountMan) Values "
                 "(2, '现金', 100, '财务主管'), (3, '银行', 0, '张三')");
    program.Exec("Insert Into Customer (CustomerName, CustomerMan) Values ('东方商贸', '张三'), "
                 "('O''Neil 公司', '李四')");
    program.Exec(
        "Insert Into Bill (BillIndex, BillKind, BillSerial, BillCreateTime, BillUser, BillSum, BillReason, "
        "BillState, BillRemark, BillMan) Values "
        "(2, '销售开单', 'XS100001', '2024-02-03', '东方商贸', 1000, '商品销售', '已发货', '加急', '张三'), "
        "(3, '采购开单', 'CG100001', '2024-02-10', 'O''Neil 公司', -300, '商品采购', '已完成', 'it''s ok', "
        "'李四'), "
        "(4, '销售开单', 'XS100002', '2024-01-20', '东方商贸', 250, '商品销售', '已完成', '', '张三'), "
        "(5, '采购开单', 'CG100002', '2024-02-20', '东方商贸', -800, '商品采购', '已发货', '', '张三')");
    program.Exec(
        "Insert Into MoneyTable (MoneyIndex, MoneyAccount, MoneyBill, MoneySerial, MoneyCreateTime, "
        "MoneyUser, MoneyReason, MoneyType, MoneyToken, MoneyRemark, MoneyMan, MoneyIn, MoneyOut, MoneySum) "
        "Values "
        "(2, 2, 2, 'SK100001', '2024-02-04', '东方商贸', '商品销售', '货款', '收据', '', '张三', 300, 0, "
        "300), "
        "(3, 3, 2, 'SK100002', '2024-02-05', '东方商贸', '商品销售', '货款', '发票', 'it''s paid', '张三', "
        "200.25, 0, 200.25), "
        "(4, 2, 3, 'FK100001', '2024-02-11', 'O''Neil 公司', '商品采购', '货款', '收据', '', '李四', 0, 100, "
        "-100), "
        "(5, 3, 0, 'SK100003', '2024-01-25', '东方商贸', '其他收支', '预收款', '收据', '', '张三', 0, 0, 0), "
        "(6, 2, 0, 'FK100002', '2024-02-28', 'O''Neil 公司', '日常费用', '运杂费', '发票', '', '李四', 0, "
        "450, -450)");
}

// The keys of a result, in its order.
inline QList<int> Keys(const Query& query, const QString& keyField) {
    QList<int> keys;
    if (!query.Active())
        return keys;
    const int column = query.FieldIndex(keyField);
    for (int row = 0; row < query.RecordCount(); ++row)
        keys << query.ValueAt(row, column).toInt();
    return keys;
}

// A row's value by key.
inline QVariant ValueOf(const Query& query, const QString& keyField, int key, const QString& field) {
    const int keyColumn = query.FieldIndex(keyField);
    for (int row = 0; row < query.RecordCount(); ++row) {
        if (query.ValueAt(row, keyColumn).toInt() == key)
            return query.ValueAt(row, query.FieldIndex(field));
    }
    return QVariant();
}

inline void SignInAsSalesman(const QString& name) {
    CurrentRole = QStringLiteral("业务员");
    CurrentUser = name;
    CustomerFilter = QStringLiteral(" And (CustomerMan = '") + name + QStringLiteral("')");
    AccountFilter =
        QStringLiteral(" And (AccountMan = '财务主管' Or AccountMan = '") + name + QStringLiteral("')");
    BillFilter = QStringLiteral(" And (BillMan = '") + name + QStringLiteral("')");
    MoneyFilter = QStringLiteral(" And (MoneyMan = '") + name + QStringLiteral("')");
}

inline QStringList LowerSorted(QStringList names) {
    for (QString& name : names)
        name = name.toLower();
    names.sort();
    return names;
}

// The designer offers for a template exactly the fields its print path hands over.
inline void CheckCatalogue(const PreparedReport& report) {
    const DesignCatalogue catalogue = PrintCatalogueFor(report.Template().FileName);
    for (const auto& [name, set] : report.DataSetsUsed()) {
        const auto entry =
            std::find_if(catalogue.begin(), catalogue.end(), [&](const DesignDataSet& offered) {
                return offered.Name.compare(name, Qt::CaseInsensitive) == 0;
            });
        QVERIFY2(entry != catalogue.end(), qPrintable(name));
        QCOMPARE(LowerSorted(entry->Fields), LowerSorted(set->FieldNames()));
    }
}
