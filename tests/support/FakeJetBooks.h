#pragma once

#include "foundation/JetBooks.h"

#include <QDate>
#include <functional>

// Books of the Jet engine held in memory, for what cannot be written as a real Jet file here: books
// in the shape of this program's, of any size. Rows are listed or made on demand by their number.
class FakeJetBooks : public Jet::Books {
public:
    struct Table {
        QString Name;
        QVector<Jet::Column> Columns;
        qint64 Count = 0;
        std::function<QVariantList(qint64)> Row;
    };

    void Add(const QString& name, const QVector<Jet::Column>& columns, const QList<QVariantList>& rows) {
        Add(name, columns, rows.size(), [rows](qint64 i) { return rows[static_cast<int>(i)]; });
    }
    void Add(const QString& name, const QVector<Jet::Column>& columns, qint64 count,
             std::function<QVariantList(qint64)> row) {
        tables.append(Table{name, columns, count, std::move(row)});
    }
    Table* Find(const QString& name) {
        for (Table& t : tables) {
            if (t.Name.compare(name, Qt::CaseInsensitive) == 0)
                return &t;
        }
        return nullptr;
    }
    void Remove(const QString& name) {
        tables.removeIf([&](const Table& t) { return t.Name == name; });
    }

    QStringList TableNames() const override {
        QStringList names;
        for (const Table& t : tables)
            names << t.Name;
        return names;
    }
    QVector<Jet::Column> Columns(const QString& table) const override {
        const Table* t = Lookup(table);
        return t ? t->Columns : QVector<Jet::Column>();
    }
    qint64 RowCount(const QString& table) const override {
        const Table* t = Lookup(table);
        return t ? t->Count : 0;
    }
    std::unique_ptr<Jet::Rows> ReadRows(const QString& table) override {
        return std::make_unique<Reader>(Lookup(table));
    }

private:
    class Reader : public Jet::Rows {
    public:
        explicit Reader(const Table* table)
            : table(table) {}
        bool Next(QVariantList* row) override {
            if (table == nullptr || next >= table->Count)
                return false;
            *row = table->Row(next++);
            return true;
        }
        QString Error() const override { return table ? QString() : QStringLiteral("没有这个数据表"); }

    private:
        const Table* table;
        qint64 next = 0;
    };

    const Table* Lookup(const QString& name) const {
        for (const Table& t : tables) {
            if (t.Name.compare(name, Qt::CaseInsensitive) == 0)
                return &t;
        }
        return nullptr;
    }

    QList<Table> tables;
};

namespace FakeShop {

using T = Jet::ColumnType;

inline QVector<Jet::Column> Columns(std::initializer_list<std::pair<const char*, T>> list) {
    QVector<Jet::Column> columns;
    for (const auto& [name, type] : list)
        columns.append(Jet::Column{QString::fromUtf8(name), type});
    return columns;
}

inline QDateTime Day(int y, int m, int d, int h = 0, int min = 0, int s = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, min, s), Qt::UTC);
}

// Jet books as this program's predecessors kept them: the ten tables, Parameter, PrintReport and
// PrintBigFont without a key of their own, amounts as Currency and Double, dates as DateTime,
// yes/no as Boolean. bills documents and vouchers vouchers are made from their numbers; the other
// tables hold a few rows with Chinese names, gaps in the keys and NULLs.
inline void AddShopBooks(FakeJetBooks& books, qint64 bills = 3, qint64 vouchers = 4) {
    const QVariant null;
    books.Add(QStringLiteral("Customer"),
              Columns({{"CustomerIndex", T::LongInteger},
                       {"CustomerName", T::Text},
                       {"CustomerOwe", T::Currency},
                       {"CustomerPhone", T::Text},
                       {"CustomerFax", T::Text},
                       {"CustomerContact", T::Text},
                       {"CustomerHandPhone", T::Text},
                       {"CustomerEMail", T::Text},
                       {"CustomerWebsite", T::Text},
                       {"CustomerAddress", T::Text},
                       {"CustomerRemark", T::Memo},
                       {"CustomerMan", T::Text}}),
              QList<QVariantList>{
                  {1, "", 0.0, null, null, null, null, null, null, null, null, ""},
                  {2, "杭州岚峰贸易有限公司", 1234.56, "0571-88886666", null, "王经理", "13900001111",
                   "wang@example.com", null, "杭州市西湖区文三路 1 号", "老客户\r\n月结", "张三"},
                  {5, "上海东方五金", -0.01, "", "", "", "", "", "", "", "", "李四"},
                  {9, "Müller & Söhne", 0.1, null, null, null, null, null, null, null, null, "张三"},
              });
    books.Add(QStringLiteral("Bill"),
              Columns({{"BillIndex", T::LongInteger},
                       {"BillKind", T::Text},
                       {"BillSerial", T::Text},
                       {"BillCreateTime", T::DateTime},
                       {"BillRecordTime", T::DateTime},
                       {"BillUser", T::Text},
                       {"BillSum", T::Currency},
                       {"BillReason", T::Text},
                       {"BillState", T::Text},
                       {"BillRemark", T::Memo},
                       {"BillMan", T::Text}}),
              bills + 1, [](qint64 i) -> QVariantList {
                  if (i == 0)
                      return {1,   "",         "",         QVariant(), QVariant(), "",
                              0.0, QVariant(), QVariant(), QVariant(), ""};
                  const bool sale = i % 3 != 0;
                  // Back-dated documents, cents, and every seventh one with a time of day.
                  const QDateTime created = Day(2001, 1, 1).addDays(i % 9000).addSecs(i % 7 == 0 ? 49500 : 0);
                  return {2 * i + 1,
                          sale ? "销售开单" : "采购开单",
                          QStringLiteral("%1%2").arg(sale ? "XS" : "CG").arg(100000 + i),
                          created,
                          created.addDays(1),
                          i % 2 ? "杭州岚峰贸易有限公司" : "上海东方五金",
                          (sale ? 1 : -1) * ((i % 100000) + 0.25 * (i % 4) + 0.01 * (i % 3)),
                          "商品销售",
                          i % 5 ? QVariant("已发货") : QVariant(),
                          QStringLiteral("单据 %1 的备注").arg(i),
                          "张三"};
              });
    books.Add(QStringLiteral("MoneyTable"),
              Columns({{"MoneyIndex", T::LongInteger},
                       {"MoneyAccount", T::LongInteger},
                       {"MoneyBill", T::LongInteger},
                       {"MoneySerial", T::Text},
                       {"MoneyCreateTime", T::DateTime},
                       {"MoneyRecordTime", T::DateTime},
                       {"MoneyUser", T::Text},
                       {"MoneyReason", T::Text},
                       {"MoneyType", T::Text},
                       {"MoneyToken", T::Text},
                       {"MoneyRemark", T::Memo},
                       {"MoneyMan", T::Text},
                       {"MoneyIn", T::Double},
                       {"MoneyOut", T::Double},
                       {"MoneySum", T::Double}}),
              vouchers + 1, [bills](qint64 i) -> QVariantList {
                  if (i == 0)
                      return {1,          0,          0,          "", QVariant(), QVariant(), "", QVariant(),
                              QVariant(), QVariant(), QVariant(), "", 0.0,        0.0,        0.0};
                  const double amount = (i % 5000) + 0.01 * (i % 100);
                  const bool in = i % 2 == 0;
                  const QDateTime created = Day(1998, 6, 30).addDays(i % 9500);
                  return {i + 1,
                          2,
                          bills > 0 ? 2 * (1 + i % bills) + 1 : 0,
                          QStringLiteral("%1%2").arg(in ? "SK" : "FK").arg(100000 + i),
                          created,
                          created,
                          "杭州岚峰贸易有限公司",
                          "商品销售",
                          "货款",
                          "现金",
                          QVariant(),
                          "张三",
                          in ? amount : 0.0,
                          in ? 0.0 : amount,
                          in ? amount : -amount};
              });
    books.Add(QStringLiteral("Account"),
              Columns({{"AccountIndex", T::LongInteger},
                       {"AccountName", T::Text},
                       {"AccountBase", T::Currency},
                       {"AccountMan", T::Text}}),
              QList<QVariantList>{
                  {1, "", 0.0, ""}, {2, "工商银行", 10000.05, "财务主管"}, {4, "现金", 99.99, "张三"}});
    QList<QVariantList> power;
    for (int slot = 1; slot <= 16; ++slot)
        power << QVariantList{slot,
                              slot == 1 ? "张三" : (slot == 2 ? "李四" : ""),
                              "",
                              QStringLiteral("Faces/%1.bmp").arg(slot),
                              slot <= 2 ? "业务管理；财务管理；" : "",
                              "业务员"};
    const char* roles[] = {"财务主管", "财务总监", "管理员", "总经理", "修改"};
    for (int r = 0; r < 5; ++r)
        power << QVariantList{17 + r, roles[r], r == 2 ? "密码" : "", "", "", roles[r]};
    books.Add(QStringLiteral("Power"),
              Columns({{"PowerIndex", T::Integer},
                       {"PowerName", T::Text},
                       {"PowerKey", T::Text},
                       {"PowerPicture", T::Text},
                       {"PowerRange", T::Text},
                       {"PowerRole", T::Text}}),
              power);
    books.Add(QStringLiteral("Parameter"), Columns({{"ParameterType", T::Byte}, {"ParameterValue", T::Text}}),
              QList<QVariantList>{{1, "商品销售"}, {2, "货款"}, {3, "现金"}, {4, "已发货"}});
    books.Add(QStringLiteral("Setting"), Columns({{"SettingIndex", T::Integer}, {"SettingValue", T::Text}}),
              QList<QVariantList>{{1, "XS100003"}, {2, "CG100003"}, {3, "SK100004"}, {4, "FK100003"}});
    QVector<Jet::Column> report = Columns({{"ReportEnable", T::Boolean}});
    for (int g = 1; g <= 9; ++g)
        report.append(Jet::Column{QStringLiteral("ReportGrid%1").arg(g), T::Text});
    books.Add(QStringLiteral("PrintReport"), report,
              QList<QVariantList>{{true, "一", "二", "", "", "", "", "", "", ""},
                                  {false, QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
                                   QVariant(), QVariant(), QVariant(), QVariant()}});
    books.Add(QStringLiteral("PrintList"), Columns({{"ListIndex", T::Integer}, {"ListValue", T::Text}}),
              QList<QVariantList>{{1, "2026年12月份"}, {2, "各客户应收款"}});
    books.Add(QStringLiteral("PrintBigFont"), Columns({{"BigFontValue", T::Text}}),
              QList<QVariantList>{{"壹佰元整"}});
}

} // namespace FakeShop
