// The user guide: its pages and pictures are all there, each window leads to a page of it, and F1
// opens it in the help window with its pictures.
#include "app/GuidePages.h"
#include "customers/CustomerForm2.h"
#include "documents/EditorScripts.h"
#include "foundation/ShareDM.h"
#include "kit/HelpWindow.h"
#include "kit/Workspace.h"
#include "mainwindow/MainForm.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>

class TestUserGuide : public QObject {
    Q_OBJECT
private slots:
    void everyPictureAndPageNamedExists();
    void guideCoversEverySubject_data();
    void guideCoversEverySubject();
    void everyWindowHasItsPage();
    void f1OpensThePageOfTheMainPage_data();
    void f1OpensThePageOfTheMainPage();
    void f1InAModalWindowOpensAModalGuide();
    void missingGuideSaysWhereItWasLooked();
};

namespace {

QString SourceDocs() {
    return QStringLiteral(KESTREL_TESTS_DIR "/../docs/");
}

QString Read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QStringList GuidePages() {
    return QDir(SourceDocs()).entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name);
}

// Copies the guide beside the test's program, as the build copies it beside the program.
void CopyGuide() {
    for (const QString& sub : {QString(), QStringLiteral("images/")}) {
        QDir().mkpath(THelpWindow::GuideFolder() + sub);
        for (const QString& file : QDir(SourceDocs() + sub).entryList(QDir::Files))
            QVERIFY(QFile::copy(SourceDocs() + sub + file, THelpWindow::GuideFolder() + sub + file));
    }
}

// Presses F1 in widget, as a user does.
void PressF1(QWidget* widget) {
    QTest::keyClick(widget, Qt::Key_F1);
}

} // namespace

void TestUserGuide::everyPictureAndPageNamedExists() {
    static const QRegularExpression link(QStringLiteral("(!?)\\[[^\\]]*\\]\\(([^)\\s#]*)(#[^)\\s]*)?\\)"));
    int pictures = 0;
    QVERIFY(GuidePages().contains(QStringLiteral("README.md")));
    for (const QString& page : GuidePages()) {
        const QString text = Read(SourceDocs() + page);
        QVERIFY2(!text.isEmpty(), qPrintable(page));
        for (auto match = link.globalMatch(text); match.hasNext();) {
            const auto found = match.next();
            const QString target = found.captured(2);
            if (target.isEmpty() || target.contains(QStringLiteral("://")))
                continue; // an anchor on the same page, or a web address
            QVERIFY2(QFileInfo(SourceDocs() + target).isFile(),
                     qPrintable(page + QStringLiteral(" names ") + target +
                                QStringLiteral(", which is not there")));
            if (found.captured(1) == QLatin1String("!")) {
                ++pictures;
                QVERIFY2(target.startsWith(QStringLiteral("images/")) &&
                             target.endsWith(QStringLiteral(".png")),
                         qPrintable(target));
                QVERIFY2(!QImage(SourceDocs() + target).isNull(), qPrintable(target));
            }
        }
    }
    QVERIFY2(pictures >= 15, qPrintable(QString::number(pictures)));
    // No page the contents page does not lead to.
    const QString contents = Read(SourceDocs() + QStringLiteral("README.md"));
    for (const QString& page : GuidePages()) {
        if (page != QLatin1String("README.md"))
            QVERIFY2(contents.contains(QStringLiteral("(") + page + QStringLiteral(")")), qPrintable(page));
    }
}

void TestUserGuide::guideCoversEverySubject_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("first start") << "01-first-start.md"
                                 << QStringList{"管理员", "总经理", "当前日期", "确定"};
    QTest::newRow("accounts and customers")
        << "02-accounts-customers.md" << QStringList{"新增帐户", "新增客户", "客户目录", "客户搜索"};
    QTest::newRow("a first sale") << "03-first-sale.md"
                                  << QStringList{"新增业务单据", "销售开单", "财务收入单", "新增财务单据"};
    QTest::newRow("salesmen") << "04-salesmen.md" << QStringList{"人员管理", "业务管理", "财务管理", "移交"};
    QTest::newRow("passwords") << "05-passwords.md" << QStringList{"资料修改密码", "用户权限管理"};
    QTest::newRow("printing") << "06-printing.md"
                              << QStringList{"单据设计", "纵向打印", "横向打印", "打印列表"};
    QTest::newRow("reports") << "07-reports.md"
                             << QStringList{"客户报表", "帐户报表", "经营报表", "导出Excel"};
    QTest::newRow("backup") << "08-backup.md" << QStringList{"备份数据", "恢复数据", "Kestrel-恢复前"};
    QTest::newRow("server") << "09-server.md"
                            << QStringList{"PostgreSQL", "Kestrel.ini", "kestrel_copybooks", ".pgpass"};
    // Every message the program may give while starting, word for word up to its variable part.
    QTest::newRow("start-up messages") << "10-troubleshooting.md"
                                       << QStringList{"数据库文件找不到，软件无法运行",
                                                      "无法读取（",
                                                      "无法打开数据库服务器上的帐套",
                                                      "无法打开数据库，软件将退出",
                                                      "不是本软件的数据库文件，或者文件已损坏",
                                                      "由更新版本的软件建立",
                                                      "无法升级到本版本",
                                                      "中有本软件不建立的",
                                                      "的字符编码是",
                                                      "ICU 排序规则",
                                                      "不是本软件的数据库。",
                                                      "中建立数据表",
                                                      "密码错误，请重新操作",
                                                      "数据库出错，资料修改密码被删除",
                                                      "数据库打开失败",
                                                      "无法连接数据库服务器",
                                                      "连接字符串有误",
                                                      "会话设置"};
}

void TestUserGuide::guideCoversEverySubject() {
    QFETCH(QString, page);
    QFETCH(QStringList, words);
    const QString text = Read(SourceDocs() + page);
    QVERIFY2(!text.isEmpty(), qPrintable(page));
    for (const QString& word : words)
        QVERIFY2(text.contains(word), qPrintable(page + QStringLiteral(": ") + word));
}

void TestUserGuide::everyWindowHasItsPage() {
    TestProgram program;
    const QStringList forms{
        "FormLogin", "FormCustomer",   "FormCustomer2",   "FormCustomer3", "FormAccount", "FormAccount2",
        "FormBill",  "FormBuySell",    "FormBill2",       "FormGetPay",    "FormUser",    "FormUser2",
        "FormAsk",   "FormBillReport", "FormMoneyReport", "FormAnalysis",  "FormProgress"};
    for (const QString& name : forms) {
        auto* window = FormMain->findChild<QWidget*>(name);
        QVERIFY2(window != nullptr && window->isWindow(), qPrintable(name));
        const QString page = GuidePageFor(window);
        QVERIFY2(!page.isEmpty() && QFileInfo(SourceDocs() + page).isFile(),
                 qPrintable(name + QLatin1Char(' ') + page));
    }
    CurrentRole = QStringLiteral("总经理");
    for (int page = 0; page < 8; ++page) {
        FormMain->ShowPage(Workspace::Page(page));
        const QString file = GuidePageFor(FormMain);
        QVERIFY2(QFileInfo(SourceDocs() + file).isFile(), qPrintable(QString::number(page) + file));
    }
    QCOMPARE(GuidePageFor(nullptr), QString());
}

void TestUserGuide::f1OpensThePageOfTheMainPage_data() {
    QTest::addColumn<QString>("role");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title");
    QTest::newRow("before signing in") << "" << 0 << "01-first-start.md"
                                       << "首次启动";
    QTest::newRow("customers") << "总经理" << 0 << "02-accounts-customers.md"
                               << "帐户和客户";
    QTest::newRow("documents") << "总经理" << 1 << "03-first-sale.md"
                               << "第一笔销售";
    QTest::newRow("voucher list") << "财务主管" << 5 << "07-reports.md"
                                  << "报表";
    QTest::newRow("settings") << "管理员" << 6 << "05-passwords.md"
                              << "密码";
    QTest::newRow("maintenance") << "管理员" << 7 << "08-backup.md"
                                 << "备份";
}

void TestUserGuide::f1OpensThePageOfTheMainPage() {
    QFETCH(QString, role);
    QFETCH(int, page);
    QFETCH(QString, file);
    QFETCH(QString, title);
    TestProgram program;
    CopyGuide();
    CurrentRole = role;
    FormMain->ShowPage(Workspace::Page(page));
    PressF1(FormMain->PageControl1->currentWidget());
    THelpWindow* help = HelpWindow(FormMain);
    QVERIFY(help->isVisible());
    QVERIFY(!help->isModal());
    QCOMPARE(help->ShownPage(), file);
    const QString shown = help->Browser->toPlainText();
    QVERIFY2(shown.contains(title), qPrintable(shown.left(200)));
    QVERIFY(!shown.contains(QStringLiteral("](images/"))); // Markdown shown as such, not as text
    // The page's pictures are found beside it.
    const QString text = Read(SourceDocs() + file);
    static const QRegularExpression picture(QStringLiteral("!\\[[^\\]]*\\]\\((images/[^)\\s]+)\\)"));
    const auto match = picture.match(text);
    if (match.hasMatch()) {
        const QVariant image =
            help->Browser->loadResource(QTextDocument::ImageResource, QUrl(match.captured(1)));
        QVERIFY2(image.isValid() && !image.toByteArray().isEmpty(), qPrintable(match.captured(1)));
    }
    // The contents lead to every page; following a link shows it and 后退 goes back.
    help->ContentsButton->click();
    QCOMPARE(help->ShownPage(), QStringLiteral("README.md"));
    // A link of the contents, as QTextBrowser follows it: resolved against the page shown.
    help->Browser->setSource(help->Browser->source().resolved(QUrl(QStringLiteral("09-server.md"))));
    QCOMPARE(help->ShownPage(), QStringLiteral("09-server.md"));
    QVERIFY(help->Browser->toPlainText().contains(QStringLiteral("多台电脑共用一套帐")));
    QVERIFY(!help->Browser->toPlainText().contains(QStringLiteral("](README.md)")));
    QVERIFY(help->BackButton->isEnabled());
    help->BackButton->click();
    QCOMPARE(help->ShownPage(), QStringLiteral("README.md"));
    SaveScreenshot(help, QStringLiteral("help-") + QString::number(page) + QStringLiteral(".png"));
    // F1 in the guide itself does not open another.
    PressF1(help->Browser);
    QCOMPARE(help->ShownPage(), QStringLiteral("README.md"));
    QCOMPARE(FormMain->findChildren<THelpWindow*>().size(), 1);
    help->CloseButton->click();
    QVERIFY(!help->isVisible());
}

void TestUserGuide::f1InAModalWindowOpensAModalGuide() {
    TestProgram program;
    CopyGuide();
    CurrentRole = QStringLiteral("总经理");
    bool modal = false;
    QString shown;
    program.Prompts().QueueModal(On<TFormCustomer2>([&](TFormCustomer2* editor) {
        editor->setWindowModality(Qt::ApplicationModal); // as exec() shows it
        PressF1(editor->CustomerName);
        THelpWindow* help = HelpWindow(FormMain);
        modal = help->isVisible() && help->isModal();
        shown = help->ShownPage();
        help->close();
        editor->BitBtn2->click();
    }));
    FormMain->NewCustomer();
    QCOMPARE(program.Prompts().UnexpectedModals, 0);
    QVERIFY(modal);
    QCOMPARE(shown, QStringLiteral("02-accounts-customers.md"));
}

void TestUserGuide::missingGuideSaysWhereItWasLooked() {
    TestProgram program; // no docs/ beside this program
    PressF1(FormMain);
    THelpWindow* help = HelpWindow(FormMain);
    QVERIFY(help->isVisible());
    QVERIFY(help->Browser->toPlainText().contains(QStringLiteral("找不到使用说明")));
    QVERIFY(help->Browser->toPlainText().contains(QDir::toNativeSeparators(THelpWindow::GuideFolder())));
    help->close();
}

QTEST_MAIN(TestUserGuide)
#include "tst_userguide.moc"
