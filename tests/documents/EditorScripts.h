#pragma once

// Data and modal scripts shared by the customer, document and voucher editor tests.

#include "foundation/JetSql.h"
#include "foundation/ShareDM.h"
#include "signin/AskForm.h"
#include "support/TestSupport.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QWidget>
#include <functional>

// Runs `inside` against the shown window, which is of type Form.
template <class Form> ScriptedPrompts::ModalScript On(std::function<void(Form*)> inside) {
    return [inside](QDialog* dialog) {
        auto* form = qobject_cast<Form*>(dialog);
        if (!form)
            qFatal("unexpected window %s", qPrintable(dialog->objectName()));
        inside(form);
    };
}

// Answers the edit-password prompt with text.
inline ScriptedPrompts::ModalScript AnswerPassword(const QString& text) {
    return On<TFormAsk>([text](TFormAsk* ask) {
        ask->Edit1->setText(text);
        ask->BitBtn1->click();
    });
}

inline void SetEditPassword(TestProgram& program, const QString& key) {
    program.Exec(QStringLiteral("Update Power Set PowerKey = ") + SqlText(key) +
                 QStringLiteral(" Where PowerName = '修改'"));
}

inline QString LastKey(TestProgram& program, const QString& table) {
    return program.Scalar(
        QStringLiteral("Select Max(%1Index) From %2")
            .arg(table == QLatin1String("MoneyTable") ? QStringLiteral("Money") : table, table));
}

inline int AddCustomer(TestProgram& program, const QString& name, const QString& man = QString()) {
    program.Exec(
        QStringLiteral("Insert Into Customer (CustomerName, CustomerOwe, CustomerMan) Values (%1, 0, %2)")
            .arg(SqlText(name), SqlText(man)));
    return LastKey(program, QStringLiteral("Customer")).toInt();
}

inline int AddAccount(TestProgram& program, const QString& name, double base = 0) {
    program.Exec(
        QStringLiteral("Insert Into Account (AccountName, AccountBase, AccountMan) Values (%1, %2, '')")
            .arg(SqlText(name), SqlNumber(base)));
    return LastKey(program, QStringLiteral("Account")).toInt();
}

inline int AddBill(TestProgram& program, const QString& kind, const QString& user, double sum,
                   const QString& man, const QDate& date) {
    program.Exec(
        QStringLiteral("Insert Into Bill (BillKind, BillSerial, BillCreateTime, BillRecordTime, BillUser, "
                       "BillSum, BillReason, BillState, BillRemark, BillMan) Values (%1, 'XS000007', %2, "
                       "%2, %3, %4, '商品销售', '已发货', 'r', %5)")
            .arg(SqlText(kind), SqlDate(date), SqlText(user), SqlNumber(sum), SqlText(man)));
    return LastKey(program, QStringLiteral("Bill")).toInt();
}

inline int AddVoucher(TestProgram& program, int account, int bill, const QString& user, double sum,
                      const QString& man, const QDate& date) {
    program.Exec(
        QStringLiteral("Insert Into MoneyTable (MoneyAccount, MoneyBill, MoneySerial, MoneyCreateTime, "
                       "MoneyRecordTime, MoneyUser, MoneyReason, MoneyType, MoneyToken, MoneyRemark, "
                       "MoneyMan, MoneyIn, MoneyOut, MoneySum) Values (%1, %2, 'SK000009', %3, "
                       "'2001-02-03', %4, '商品销售', '货款', '现金', '', %5, %6, %7, %8)")
            .arg(account)
            .arg(bill)
            .arg(SqlDate(date), SqlText(user), SqlText(man), SqlNumber(sum > 0 ? sum : 0.0),
                 SqlNumber(sum < 0 ? -sum : 0.0), SqlNumber(sum)));
    return LastKey(program, QStringLiteral("MoneyTable")).toInt();
}

// The objectName of the control that has the focus in a window ("" when none).
// An editable list box hands its focus to its own line edit; the list box is what counts.
inline QString FocusOf(QWidget* window) {
    QWidget* focus = window->focusWidget();
    while (focus && focus != window &&
           (focus->objectName().isEmpty() || focus->objectName().startsWith(QLatin1String("qt_"))))
        focus = focus->parentWidget();
    return focus && focus != window ? focus->objectName() : QString();
}

// The columns of the first row a statement returns, as texts (empty when there is no row).
inline QStringList RowOf(const QString& sql) {
    QSqlQuery query(ShareDataModule->ADOConnection1.Database());
    QStringList values;
    if (!query.exec(ShareDataModule->ADOConnection1.EngineSql(sql)))
        qFatal("%s in %s", qPrintable(query.lastError().text()), qPrintable(sql));
    if (query.next()) {
        for (int i = 0; i < query.record().count(); ++i)
            values << query.value(i).toString();
    }
    return values;
}
