#include "app/Forms.h"
#include "documents/EditorScripts.h"
#include "finance/BillForm2.h"
#include "finance/GetPayForm.h"
#include "foundation/ShareDM.h"
#include "kit/Workspace.h"
#include "mainwindow/MainForm.h"
#include "reports/MoneyReportForm.h"
#include "reports/ReportQueries.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <memory>

// The program's wiring: the main window is the windows' workspace, the sign-in's prompt is the data
// module's password dialog, and either can be replaced to test a window on its own.
class TestWiring : public QObject {
    Q_OBJECT
private slots:
    void wiringInstallsTheSeams();
    void editorsUseTheInstalledWorkspace();
    void criteriaWindowsHandTheirResultToTheWorkspace();
    void editPasswordAskedThroughTheDataModulesDialog_data();
    void editPasswordAskedThroughTheDataModulesDialog();
    void startUpSpeaksChinese();
    void standardDialogsAndMenusSpeakChinese();
};

namespace {
// A workspace that records what the windows asked of it.
class RecordingWorkspace : public Workspace {
public:
    explicit RecordingWorkspace(const QDate& date)
        : date(date) {
        previous = Workspace::Install(this);
    }
    ~RecordingWorkspace() override { Workspace::Install(previous); }
    QDate WorkingDate() const override { return date; }
    void RefreshAll() override { ++Refreshes; }
    void FillBillReport(const QString& sql) override { BillReports << sql; }
    void FillMoneyReport(const QString& sql) override { MoneyReports << sql; }
    void ShowPage(Page page) override { Pages << page; }

    int Refreshes = 0;
    QStringList BillReports;
    QStringList MoneyReports;
    QList<int> Pages;

private:
    QDate date;
    Workspace* previous = nullptr;
};
} // namespace

void TestWiring::wiringInstallsTheSeams() {
    TestProgram program;
    QCOMPARE(&Workspace::Get(), static_cast<Workspace*>(FormMain));
    QVERIFY(static_cast<bool>(ShareDataModule->AskPasswordDialog));
    // The main window's page numbers are the workspace's.
    FormMain->ShowPage(Workspace::PageBills);
    QCOMPARE(FormMain->PageControl1->currentWidget(), FormMain->TabSheet1);
}

void TestWiring::editorsUseTheInstalledWorkspace() {
    TestProgram program;
    AddAccount(program, QStringLiteral("现金"));
    AddCustomer(program, QStringLiteral("老王"));
    const QDate leapDay(2020, 2, 29);
    RecordingWorkspace workspace(leapDay);
    QDate shown;
    program.Prompts().QueueModal(On<TFormBill2>([](TFormBill2* chooser) { chooser->GetButton->click(); }));
    program.Prompts().QueueModal(On<TFormGetPay>([&](TFormGetPay* form) {
        shown = form->DateTimePicker1->date();
        form->ComboBox5->setEditText(QStringLiteral("老王"));
        form->Edit2->setText(QStringLiteral("5"));
        form->BitBtn1->click();
    }));
    QCOMPARE(Prompts::Get().ShowModal(FormBill2), int(QDialog::Accepted));
    QCOMPARE(shown, leapDay);
    QCOMPARE(program.Scalar(QStringLiteral("Select MoneyCreateTime From MoneyTable Where MoneyIndex > 1"))
                 .left(10),
             QStringLiteral("2020-02-29"));
    QCOMPARE(workspace.Refreshes, 1);
}

void TestWiring::criteriaWindowsHandTheirResultToTheWorkspace() {
    TestProgram program;
    RecordingWorkspace workspace(QDate(2021, 3, 15));
    program.Prompts().QueueModal(On<TFormMoneyReport>([](TFormMoneyReport* form) { form->Button1Click(); }));
    Prompts::Get().ShowModal(FormMoneyReport);
    QCOMPARE(workspace.MoneyReports, QStringList{MoneyMonthQueryText(QDate(2021, 3, 15))});
    QCOMPARE(workspace.Pages, QList<int>{Workspace::PageMoneyReport});
    QVERIFY(workspace.BillReports.isEmpty());
}

void TestWiring::editPasswordAskedThroughTheDataModulesDialog_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("right") << "pw" << true << true << QStringList();
    QTest::newRow("other case") << "PW" << true << false
                                << QStringList{QStringLiteral("密码错误，请重新操作")};
    QTest::newRow("cancelled") << "pw" << false << false << QStringList();
}

void TestWiring::editPasswordAskedThroughTheDataModulesDialog() {
    QFETCH(QString, typed);
    QFETCH(bool, ok);
    QFETCH(bool, allowed);
    QFETCH(QStringList, messages);
    TestProgram program;
    SetEditPassword(program, QStringLiteral("pw"));
    QStringList asked;
    ShareDataModule->AskPasswordDialog = [&](const QString& title, const QString& prompt, QString& text) {
        asked << title << prompt << text;
        text = typed;
        return ok;
    };
    QCOMPARE(ShareDataModule->AskEditPassword(), allowed);
    QCOMPARE(asked,
             QStringList({QStringLiteral("修改密码"), QStringLiteral("请输入资料修改密码"), QString()}));
    QCOMPARE(program.Prompts().Texts(), messages);
    QCOMPARE(program.Prompts().UnexpectedModals, 0);
}

void TestWiring::startUpSpeaksChinese() {
    // Before the program's start-up Qt's own buttons are English.
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "OK"), QStringLiteral("OK"));
    QVERIFY2(SetUpApplication(), qPrintable(QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    QVERIFY(SetUpApplication()); // a second call installs nothing more
    QCOMPARE(QApplication::applicationName(), QStringLiteral("岚峰商业管理软件"));

    // An information box: its one button says 确定.
    TestProgram program;
    QMessageBox information(QMessageBox::Information, QStringLiteral("岚峰商业管理软件"),
                            QStringLiteral("该客户记录已被删除"), QMessageBox::Ok);
    QCOMPARE(information.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    information.show();
    SaveScreenshot(&information, QStringLiteral("information-box.png"));
    information.hide();
    // The other standard buttons and dialogs too.
    QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Yes | QDialogButtonBox::No |
                             QDialogButtonBox::Save | QDialogButtonBox::Close);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
    for (QAbstractButton* button : buttons.buttons()) {
        const QString text = button->text();
        QVERIFY2(!text.contains(QRegularExpression(QStringLiteral("[A-Za-z]{2,}"))), qPrintable(text));
    }
}

void TestWiring::standardDialogsAndMenusSpeakChinese() {
    QVERIFY(SetUpApplication());
    // A word of Latin letters, once the accelerator markers ("(&U)", "&") are taken away.
    const auto english = [](QString text) {
        text.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
        text.remove(QRegularExpression(QStringLiteral("\\t.*$"))); // the shortcut shown after a tab
        text.remove(QLatin1Char('&'));
        return text.contains(QRegularExpression(QStringLiteral("[A-Za-z]{2,}")));
    };

    // The context menu of every text field: 撤销, 剪切, 复制, 粘贴, 删除, 全选.
    QLineEdit edit;
    edit.setText(QStringLiteral("华东贸易"));
    edit.selectAll();
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList items;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        items << action->text();
        QVERIFY2(!english(action->text()), qPrintable(action->text()));
    }
    QVERIFY2(items.size() >= 6, qPrintable(items.join(QLatin1Char('|'))));
    const QString joined = items.join(QLatin1Char('|'));
    QVERIFY2(joined.contains(QStringLiteral("撤销")) || joined.contains(QStringLiteral("撤消")),
             qPrintable(joined));
    for (const QString& word :
         {QStringLiteral("剪切"), QStringLiteral("复制"), QStringLiteral("粘贴"), QStringLiteral("全选")})
        QVERIFY2(joined.contains(word), qPrintable(joined));

    // The program's file dialogs: Qt's own window (never the desktop's), every label, button and
    // column title in Chinese.
    QtPrompts prompts;
    for (bool save : {true, false}) {
        QStringList texts;
        bool own = false;
        bool seen = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr)
                return;
            seen = true;
            own = dialog->testOption(QFileDialog::DontUseNativeDialog);
            for (QLabel* label : dialog->findChildren<QLabel*>()) {
                if (label->isVisible() && !label->text().isEmpty())
                    texts << label->text();
            }
            for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
                if (button->isVisible() && !button->text().isEmpty())
                    texts << button->text();
            }
            if (auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"))) {
                for (int column = 0; column < view->model()->columnCount(); ++column)
                    texts << view->model()->headerData(column, Qt::Horizontal).toString();
            }
            SaveScreenshot(dialog,
                           save ? QStringLiteral("save-dialog.png") : QStringLiteral("open-dialog.png"));
            dialog->reject();
        });
        FileDialogOptions options;
        options.Title = QStringLiteral("备份数据");
        options.Folder = QDir::tempPath();
        options.FileName = QStringLiteral("岚峰商业软件.mdb");
        options.Filter = QStringLiteral("数据库文件 (*.mdb)");
        const QString chosen =
            save ? prompts.SaveFileName(nullptr, options) : prompts.OpenFileName(nullptr, options);
        QCOMPARE(chosen, QString());
        QVERIFY(seen);
        QVERIFY(own);
        QVERIFY2(texts.size() >= 6, qPrintable(texts.join(QLatin1Char('|'))));
        for (const QString& text : texts)
            QVERIFY2(!english(text), qPrintable(texts.join(QLatin1Char('|'))));
    }
}

QTEST_MAIN(TestWiring)
#include "tst_wiring.moc"
