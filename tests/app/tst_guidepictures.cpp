// The pictures of the user guide: a tour through the real windows on the books the build puts
// beside the program, entering a shop's first records as the guide tells. With
// KESTREL_GUIDE_PICTURES set to a folder (scripts/guide-pictures.sh gives docs/images) each window
// is saved there as the guide names it; without it the tour still runs and checks that every
// picture the guide names is made.
#include "app/Forms.h"
#include "customers/CustomerForm2.h"
#include "documents/BillForm.h"
#include "documents/BuySellForm.h"
#include "documents/EditorScripts.h"
#include "finance/AccountForm2.h"
#include "finance/BillForm2.h"
#include "finance/GetPayForm.h"
#include "foundation/ShareDM.h"
#include "kit/HelpWindow.h"
#include "kit/Workspace.h"
#include "kit/report/ReportDesigner.h"
#include "kit/report/ReportPreview.h"
#include "mainwindow/HistoryForm.h"
#include "mainwindow/MainForm.h"
#include "reports/AnalysisForm.h"
#include "reports/BillReportForm.h"
#include "reports/ReportQueries.h"
#include "signin/AskForm.h"
#include "signin/LoginForm.h"
#include "signin/UserForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <set>

class TestGuidePictures : public QObject {
    Q_OBJECT
private slots:
    void tourMakesEveryPictureOfTheGuide();
};

namespace {

const QDate TourDate(2026, 3, 16);

// The picture file names of docs/*.md ("images/NAME.png").
std::set<QString> PicturesNamedByTheGuide() {
    std::set<QString> names;
    const QDir docs(QStringLiteral(KESTREL_TESTS_DIR "/../docs"));
    static const QRegularExpression link(QStringLiteral("!\\[[^\\]]*\\]\\(images/([^)\\s]+)\\)"));
    for (const QString& page : docs.entryList({QStringLiteral("*.md")}, QDir::Files)) {
        QFile file(docs.filePath(page));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(file.readAll());
        for (auto match = link.globalMatch(text); match.hasNext();)
            names.insert(match.next().captured(1));
    }
    return names;
}

class Tour {
public:
    explicit Tour(TestProgram& program)
        : program(program)
        , folder(qEnvironmentVariable("KESTREL_GUIDE_PICTURES")) {}

    // Takes the picture of a window (laid out and painted, also when not shown).
    void Picture(QWidget* window, const QString& name) {
        if (window->layout() != nullptr)
            window->layout()->activate();
        const QPixmap picture = window->grab();
        QVERIFY2(!picture.isNull(), qPrintable(name));
        made.insert(name);
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            QVERIFY2(picture.save(folder + QLatin1Char('/') + name), qPrintable(name));
        }
    }

    void MainPage(Workspace::Page page, const QString& name) {
        FormMain->ShowPage(page);
        Picture(FormMain, name);
    }

    // Queues answering the next password prompt with an empty password, as the shipped books
    // have it; the first one is pictured.
    void QueueEmptyPassword(const QString& picture = QString()) {
        program.Prompts().QueueModal(On<TFormAsk>([this, picture](TFormAsk* ask) {
            if (!picture.isEmpty())
                Picture(ask, picture);
            ask->Edit1->clear();
            ask->BitBtn1->click();
        }));
    }

    // Queues signing in through a role's button with the empty password.
    void QueueSignIn(QToolButton* TFormLogin::*role, const QString& picture = QString()) {
        program.Prompts().QueueModal(On<TFormLogin>([this, role, picture](TFormLogin* login) {
            if (!picture.isEmpty())
                Picture(login, picture);
            (login->*role)->click();
        }));
        QueueEmptyPassword(picture.isEmpty() ? QString() : QStringLiteral("password.png"));
    }

    void NewAccount(const QString& name, const QString& base, const QString& picture = QString()) {
        program.Prompts().QueueModal(On<TFormAccount2>([=, this](TFormAccount2* editor) {
            editor->Edit1->setText(name);
            editor->Edit2->setText(base);
            if (!picture.isEmpty())
                Picture(editor, picture);
            editor->Button1->click();
        }));
        QVERIFY(FormMain->NewAccount());
    }

    void NewCustomer(const QString& name, const QString& contact, const QString& phone,
                     const QString& picture = QString()) {
        program.Prompts().QueueModal(On<TFormCustomer2>([=, this](TFormCustomer2* editor) {
            editor->CustomerName->setText(name);
            editor->CustomerOwe->setText(QStringLiteral("0"));
            editor->CustomerContact->setText(contact);
            editor->CustomerPhone->setText(phone);
            editor->CustomerAddress->setText(QStringLiteral("浙江省杭州市"));
            if (!picture.isEmpty())
                Picture(editor, picture);
            editor->BitBtn1->click();
        }));
        QVERIFY(FormMain->NewCustomer());
    }

    // A sale (or purchase) with one receipt (or payment) booked against it from its editor.
    void NewDocument(bool sale, const QString& customer, const QString& amount, const QString& remark,
                     const QString& account, const QString& paid, bool pictures = false) {
        program.Prompts().QueueModal(On<TFormBill>([=, this](TFormBill* chooser) {
            if (pictures)
                Picture(chooser, QStringLiteral("sale-chooser.png"));
            (sale ? chooser->SellButton : chooser->BuyButton)->click();
        }));
        program.Prompts().QueueModal(On<TFormBuySell>([=, this](TFormBuySell* editor) {
            editor->ComboBox5->setEditText(customer);
            editor->Edit2->setText(amount);
            editor->Edit3->setText(remark);
            if (!sale)
                editor->ComboBox2->setCurrentText(QStringLiteral("商品采购"));
            if (!paid.isEmpty())
                editor->Button1->click(); // stores the document, then opens the voucher editor
            if (pictures)
                Picture(editor, QStringLiteral("sale-editor.png"));
            editor->BitBtn1->click();
        }));
        if (!paid.isEmpty()) {
            program.Prompts().QueueModal(On<TFormGetPay>([=, this](TFormGetPay* voucher) {
                voucher->ComboBox1->setCurrentText(account);
                voucher->Edit2->setText(paid);
                if (!sale)
                    voucher->ComboBox2->setCurrentText(QStringLiteral("商品采购"));
                if (pictures)
                    Picture(voucher, QStringLiteral("receipt-editor.png"));
                voucher->BitBtn1->click();
            }));
        }
        QVERIFY(FormMain->NewBill());
    }

    // A receipt not booked against a document.
    void NewReceipt(const QString& customer, const QString& account, const QString& amount) {
        program.Prompts().QueueModal(
            On<TFormBill2>([](TFormBill2* chooser) { chooser->GetButton->click(); }));
        program.Prompts().QueueModal(On<TFormGetPay>([=](TFormGetPay* voucher) {
            voucher->ComboBox5->setEditText(customer);
            voucher->ComboBox1->setCurrentText(account);
            voucher->Edit2->setText(amount);
            voucher->BitBtn1->click();
        }));
        QVERIFY(FormMain->NewMoney());
    }

    // Runs trigger and pictures the preview (or other modal window) it shows.
    template <class Window> void Modal(const std::function<void()>& trigger, const QString& picture) {
        bool shown = false;
        program.Prompts().QueueModal(On<Window>([&](Window* window) {
            shown = true;
            Picture(window, picture);
        }));
        trigger();
        QVERIFY2(shown, qPrintable(picture));
    }

    TestProgram& program;
    QString folder;
    std::set<QString> made;
};

} // namespace

void TestGuidePictures::tourMakesEveryPictureOfTheGuide() {
    // The program's folder as the build leaves it: the shipped books, pictures and templates.
    TestProgram program(false, true);
    QFile::remove(program.DatabasePath());
    QVERIFY(QFile::copy(QStringLiteral(KESTREL_SHIPPED_BOOKS), program.DatabasePath()));
    QFile::setPermissions(program.DatabasePath(), QFile::ReadOwner | QFile::WriteOwner);
    Tour tour(program);

    // First start, as the program starts: the main window opens the books and asks who signs in.
    // The administrator sets up the staff, then the manager enters the first records.
    tour.QueueSignIn(&TFormLogin::SpeedButton3, QStringLiteral("login.png"));
    FormMain->show();
    QTRY_COMPARE(CurrentRole, QStringLiteral("管理员"));
    FormMain->SetWorkingDate(TourDate);
    tour.MainPage(Workspace::PageSettings, QStringLiteral("settings.png"));
    tour.MainPage(Workspace::PageMaintenance, QStringLiteral("maintenance.png"));
    program.Prompts().QueueModal(On<TFormLogin>([&](TFormLogin* login) {
        login->ManManage->click();
        login->SpeedButton4->click();
    }));
    tour.QueueEmptyPassword(); // 人员管理: the administrator's password
    program.Prompts().QueueModal(On<TFormUser>([&](TFormUser* staff) {
        staff->Edit1->setText(QStringLiteral("张三"));
        staff->Edit2->setText(QStringLiteral("zs2026"));
        staff->CheckBox1->setChecked(true);
        staff->CheckBox2->setChecked(false);
        staff->Button1->click();
        tour.Picture(staff, QStringLiteral("staff.png"));
        staff->Button2->click();
    }));
    tour.QueueEmptyPassword(); // 总经理
    QVERIFY(FormMain->SignInAndSetUp());
    QCOMPARE(CurrentRole, QStringLiteral("总经理"));
    tour.MainPage(Workspace::PageCustomers, QStringLiteral("empty-customers.png"));
    tour.MainPage(Workspace::PageMoney, QStringLiteral("empty-vouchers.png"));

    tour.NewAccount(QStringLiteral("现金"), QStringLiteral("2000"), QStringLiteral("account-editor.png"));
    tour.NewAccount(QStringLiteral("工商银行"), QStringLiteral("50000"));
    tour.NewCustomer(QStringLiteral("华东贸易有限公司"), QStringLiteral("王经理"),
                     QStringLiteral("0571-8888 1234"), QStringLiteral("customer-editor.png"));
    tour.NewCustomer(QStringLiteral("宁波海天机械"), QStringLiteral("李工"),
                     QStringLiteral("0574-8765 0000"));
    tour.NewCustomer(QStringLiteral("上海华联超市"), QStringLiteral("张主任"),
                     QStringLiteral("021-6666 5555"));
    tour.NewDocument(true, QStringLiteral("华东贸易有限公司"), QStringLiteral("12800"),
                     QStringLiteral("办公桌椅一批"), QStringLiteral("工商银行"), QStringLiteral("5000"),
                     true);
    tour.NewDocument(false, QStringLiteral("宁波海天机械"), QStringLiteral("6500"),
                     QStringLiteral("钻床配件"), QStringLiteral("现金"), QStringLiteral("1500"));
    tour.NewDocument(true, QStringLiteral("上海华联超市"), QStringLiteral("3260.5"), QString(), QString(),
                     QString());
    tour.NewReceipt(QStringLiteral("华东贸易有限公司"), QStringLiteral("工商银行"), QStringLiteral("3000"));
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Bill Where BillIndex > 1")),
             QStringLiteral("3"));
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From MoneyTable Where MoneyIndex > 1")),
             QStringLiteral("3"));

    FormMain->RefreshAll();
    tour.MainPage(Workspace::PageCustomers, QStringLiteral("customers.png"));
    tour.MainPage(Workspace::PageBills, QStringLiteral("bills.png"));
    tour.MainPage(Workspace::PageAccounts, QStringLiteral("accounts.png"));
    tour.MainPage(Workspace::PageMoney, QStringLiteral("vouchers.png"));

    // The sale's print, from its editor opened on its card.
    program.Prompts().QueueModal(On<TFormBuySell>([&](TFormBuySell* editor) {
        tour.Modal<ReportPreview>([editor] { editor->SpeedButton1->click(); },
                                  QStringLiteral("sale-print.png"));
        editor->BitBtn2->click();
    }));
    int saleSlot = 0;
    for (int slot = 1; slot <= 3 && saleSlot == 0; ++slot) {
        auto* name = FormMain->findChild<QLabel*>(QStringLiteral("BillName%1").arg(slot));
        if (name != nullptr && name->text().startsWith(QStringLiteral("华东贸易")))
            saleSlot = slot;
    }
    QVERIFY(saleSlot > 0);
    FormMain->BillImageClick(saleSlot);

    // Queries, lists and reports.
    tour.Modal<TFormBillReport>([] { FormMain->ActionBillReport->trigger(); },
                                QStringLiteral("bill-query.png"));
    FormMain->FillBillReport(BillMonthQueryText(TourDate));
    FormMain->FillMoneyReport(MoneyMonthQueryText(TourDate));
    tour.MainPage(Workspace::PageBillReport, QStringLiteral("bill-report.png"));
    tour.MainPage(Workspace::PageMoneyReport, QStringLiteral("money-report.png"));
    tour.Modal<ReportPreview>([] { FormMain->ActionPrintBillReport->trigger(); },
                              QStringLiteral("list-print.png"));
    tour.Modal<TFormAnalysis>([] { FormMain->ActionAnalysis->trigger(); }, QStringLiteral("analysis.png"));
    tour.Modal<ReportPreview>([] { FormMain->ActionCustomerReport->trigger(); },
                              QStringLiteral("customer-month.png"));
    tour.Modal<ReportPreview>([] { FormMain->ActionAccountReport->trigger(); },
                              QStringLiteral("account-month.png"));

    // The designer, as the administrator, on the template of the last monthly report.
    CurrentRole = QStringLiteral("管理员");
    tour.Modal<ReportDesigner>([] { FormMain->ActionDesign->trigger(); }, QStringLiteral("designer.png"));
    // The day's changes in the change history, as the data maintenance page opens it.
    tour.Modal<TFormHistory>([] { ShowHistory(FormMain); }, QStringLiteral("history.png"));

    // The guide itself, as F1 shows it.
    program.Prompts().Clear();
    const QString docs = QStringLiteral(KESTREL_TESTS_DIR "/../docs");
    for (const QString& sub : {QString(), QStringLiteral("images/")}) {
        QDir().mkpath(THelpWindow::GuideFolder() + sub);
        for (const QString& file : QDir(docs + QLatin1Char('/') + sub).entryList(QDir::Files))
            QFile::copy(docs + QLatin1Char('/') + sub + file, THelpWindow::GuideFolder() + sub + file);
    }
    THelpWindow* help = HelpWindow(FormMain);
    help->ShowPage(QStringLiteral("README.md"));
    tour.Picture(help, QStringLiteral("help.png"));

    QCOMPARE(program.Prompts().UnexpectedModals, 0);
    QCOMPARE(program.Prompts().PendingScripts(), 0);
    // Every picture the guide names comes from this tour.
    for (const QString& named : PicturesNamedByTheGuide())
        QVERIFY2(tour.made.count(named) == 1,
                 qPrintable(named + QStringLiteral(" is named by the guide but not made")));
}

QTEST_MAIN(TestGuidePictures)
#include "tst_guidepictures.moc"
