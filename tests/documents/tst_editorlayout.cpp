#include "documents/BillForm.h"
#include "documents/BuySellForm.h"
#include "documents/EditorScripts.h"
#include "finance/GetPayForm.h"
#include "mainwindow/MainForm.h"

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QTest>

// How the document and voucher editors look with data in them: the header picture across the top,
// every control inside the window, the footer under the columns it sums. With KESTREL_SCREENSHOTS
// set to a folder the windows are also saved there as pictures.
class TestEditorLayout : public QObject {
    Q_OBJECT
private slots:
    void documentEditorWithVouchers();
    void voucherEditor();
};

void TestEditorLayout::documentEditorWithVouchers() {
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    const QDate today = FormMain->WorkingDate();
    AddCustomer(program, QStringLiteral("杭州西湖贸易有限公司"));
    const int cash = AddAccount(program, QStringLiteral("现金"));
    const int bank = AddAccount(program, QStringLiteral("工商银行基本户"));
    const int bill = AddBill(program, QStringLiteral("销售开单"), QStringLiteral("杭州西湖贸易有限公司"),
                             12800, CurrentUser, today);
    AddVoucher(program, cash, bill, QStringLiteral("杭州西湖贸易有限公司"), 3000, CurrentUser, today);
    AddVoucher(program, bank, bill, QStringLiteral("杭州西湖贸易有限公司"), 6500.5, CurrentUser, today);
    AddVoucher(program, bank, bill, QStringLiteral("杭州西湖贸易有限公司"), -200, CurrentUser, today);

    QStringList outside;
    QList<int> gridX, footerX;
    int pictureTop = -1, pictureWidth = 0, windowWidth = 0;
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* form) {
        form->ActionEditExecute(); // no edit password set: unlocked at once
        QTest::qWait(50);
        outside = ChildrenOutside(form);
        for (int column = 0; column < 6; ++column) {
            gridX << form->DBGridEh1->columnViewportPosition(column) + form->DBGridEh1->viewport()->x();
            footerX << form->DBGridEh1Footer->columnViewportPosition(column) +
                           form->DBGridEh1Footer->viewport()->x();
        }
        pictureTop = form->Image1->y();
        pictureWidth = form->Image1->width();
        windowWidth = form->width();
        SaveScreenshot(form, QStringLiteral("document-editor.png"));
    }));
    FormMain->OpenBillEditor(bill);
    QVERIFY2(outside.isEmpty(), qPrintable(outside.join(QLatin1Char(' '))));
    QCOMPARE(footerX, gridX);
    QCOMPARE(pictureTop, 0);
    QCOMPARE(pictureWidth, windowWidth);
}

void TestEditorLayout::voucherEditor() {
    TestProgram program;
    CurrentUser = QStringLiteral("张三");
    AddCustomer(program, QStringLiteral("杭州西湖贸易有限公司"));
    AddAccount(program, QStringLiteral("工商银行基本户"));
    QStringList outside;
    int pictureWidth = 0, windowWidth = 0;
    program.Prompts().QueueModal(On<TFormGetPay>([&](TFormGetPay* form) {
        form->Edit2->setText(QStringLiteral("6500.5"));
        QTest::qWait(50);
        outside = ChildrenOutside(form);
        pictureWidth = form->Image1->width();
        windowWidth = form->width();
        SaveScreenshot(form, QStringLiteral("voucher-editor.png"));
    }));
    FormGetPay->OpenMode = QStringLiteral("新增");
    FormGetPay->OpenKind = QStringLiteral("财务收入单");
    FormGetPay->OpenBillIndex = 0;
    FormGetPay->OpenCustomerIndex = 0;
    FormGetPay->CustomerFixed = false;
    FormGetPay->PresetCustomerName = QStringLiteral("杭州西湖贸易有限公司");
    FormGetPay->PresetReason.clear();
    FormGetPay->PresetAmount.clear();
    FormGetPay->PresetRemark = QStringLiteral("销售开单：XS100001");
    Prompts::Get().ShowModal(FormGetPay);
    QVERIFY2(outside.isEmpty(), qPrintable(outside.join(QLatin1Char(' '))));
    QCOMPARE(pictureWidth, windowWidth);
}

QTEST_MAIN(TestEditorLayout)
#include "tst_editorlayout.moc"
