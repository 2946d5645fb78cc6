#include "foundation/JetSql.h"
#include "foundation/KestrelError.h"
#include "foundation/PublicFunction.h"
#include "foundation/ShareDM.h"
#include "kit/ErrorHandler.h"
#include "signin/AskForm.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>

// The data module's routines, the prompt dialog and the program-wide error handler, on a fresh
// program folder per test.
class TestShareDM : public QObject {
    Q_OBJECT
private slots:
    void openSqlFailureShowsCallersMessage();
    void execSqlFailureShowsMessageAndGivesZero();
    void loadCombo_data();
    void loadCombo();
    void selectComboText_data();
    void selectComboText();
    void askEditPassword_data();
    void askEditPassword();
    void formAskShowsAndStores();
    void formAskPasswordCharacter();
    void handlerReportsAndProgramGoesOn();
    void conversionErrorStoresNothing();
    void errorInAnEventIsReported();
};

namespace {

QStringList Items(const QComboBox& combo) {
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

// Types a text into the prompt and presses one of its buttons, as a user would.
ScriptedPrompts::ModalScript Answer(const QString& typed, bool ok) {
    return [typed, ok](QDialog* dialog) {
        auto* ask = qobject_cast<TFormAsk*>(dialog);
        QVERIFY(ask);
        ask->Edit1->clear();
        // Keys for Latin text; Chinese comes in whole, as from an input method.
        bool latin = true;
        for (QChar c : typed)
            latin = latin && c.unicode() < 0x80;
        if (latin)
            QTest::keyClicks(ask->Edit1, typed);
        else
            ask->Edit1->insert(typed);
        QTest::mouseClick(ok ? ask->BitBtn1 : ask->BitBtn2, Qt::LeftButton);
    };
}

} // namespace

void TestShareDM::openSqlFailureShowsCallersMessage() {
    TestProgram program;
    Query& q = ShareDataModule->ADOQueryTemp;
    QVERIFY(OpenSql(q, QStringLiteral("Select * From Power Where PowerName = '修改'"),
                    QStringLiteral("数据库打开失败")));
    QVERIFY(q.Active());
    QCOMPARE(q.RecordCount(), 1);
    QVERIFY(program.Prompts().Messages.empty());

    QVERIFY(!OpenSql(q, QStringLiteral("Select * From NoSuchTable"), QStringLiteral("客户数据读入失败")));
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("客户数据读入失败")});
    QVERIFY(!q.Active());
    // A caller that goes on regardless meets the data layer's error.
    QVERIFY_THROWS_EXCEPTION(KestrelError, q.RecordCount());

    QVERIFY(!OpenSql(ShareDataModule->ADOQueryTemp2, QStringLiteral("Select NoSuchField From Customer"),
                     QStringLiteral("刷新客户时出错")));
    QCOMPARE(program.Prompts().LastText(), QStringLiteral("刷新客户时出错"));
    QVERIFY(!ShareDataModule->ADOQueryTemp2.Active());
}

void TestShareDM::execSqlFailureShowsMessageAndGivesZero() {
    TestProgram program;
    Query& q = ShareDataModule->ADOQueryTemp;
    QCOMPARE(
        ExecSql(q, QStringLiteral("Insert Into PrintReport (ReportEnable) Values (True), (True), (True)")),
        3);
    QCOMPARE(ExecSql(q, QStringLiteral("Update PrintReport Set ReportEnable = False")), 3);
    QVERIFY(program.Prompts().Messages.empty());
    QCOMPARE(ExecSql(q, QStringLiteral("Update PrintReport Set NoSuchField = 1")), 0);
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("SQL命令执行出错")});
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From PrintReport Where ReportEnable = False")),
             QStringLiteral("3"));
    QVERIFY(!q.Active());
}

void TestShareDM::loadCombo_data() {
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<bool>("addAllEntry");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("message");
    const QString sql =
        QStringLiteral("Select ParameterValue From Parameter Where ParameterType = 7 Order By "
                       "ParameterIndex");
    const QStringList rows = {QStringLiteral("乙"), QString(), QStringLiteral("甲"), QStringLiteral("乙")};
    const QString all = QStringLiteral("所有");
    QTest::newRow("with all, duplicates and empty kept")
        << rows << true << sql << (QStringList{all} + rows) << QString();
    QTest::newRow("without all") << rows << false << sql << rows << QString();
    QTest::newRow("no rows, with all") << QStringList() << true << sql << QStringList{all} << QString();
    QTest::newRow("no rows, without all") << QStringList() << false << sql << QStringList() << QString();
    QTest::newRow("failing query, with all") << rows << true << QStringLiteral("Select * From NoSuchTable")
                                             << QStringList{all} << QStringLiteral("LoadCombo失败");
    QTest::newRow("failing query, without all")
        << rows << false << QStringLiteral("Select * From NoSuchTable") << QStringList()
        << QStringLiteral("LoadCombo失败");
}

void TestShareDM::loadCombo() {
    QFETCH(QStringList, rows);
    QFETCH(bool, addAllEntry);
    QFETCH(QString, sql);
    QFETCH(QStringList, expected);
    QFETCH(QString, message);
    TestProgram program;
    for (const QString& row : rows)
        program.Exec(QStringLiteral("Insert Into Parameter (ParameterType, ParameterValue) Values (7, %1)")
                         .arg(SqlText(row)));
    QComboBox combo;
    combo.addItems({QStringLiteral("old 1"), QStringLiteral("old 2")});
    combo.setCurrentIndex(1);
    // The field name matches without regard to case.
    LoadCombo(&combo, ShareDataModule->ADOQueryTemp, sql, addAllEntry, QStringLiteral("parametervalue"));
    QCOMPARE(Items(combo), expected);
    QCOMPARE(combo.currentIndex(), expected.isEmpty() ? -1 : 0);
    QCOMPARE(program.Prompts().Texts(), message.isEmpty() ? QStringList() : QStringList{message});
}

void TestShareDM::selectComboText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    // Items: 所有, 甲, 乙, 甲, 丙, abc; the selection starts on 乙.
    QTest::newRow("twice: the later one") << QStringLiteral("甲") << 3;
    QTest::newRow("once") << QStringLiteral("丙") << 4;
    QTest::newRow("first entry") << QStringLiteral("所有") << 0;
    QTest::newRow("absent keeps the selection") << QStringLiteral("丁") << 2;
    QTest::newRow("empty keeps the selection") << QString() << 2;
    QTest::newRow("compared exactly: case") << QStringLiteral("ABC") << 2;
    QTest::newRow("compared exactly: space") << QStringLiteral("甲 ") << 2;
}

void TestShareDM::selectComboText() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    QComboBox combo;
    combo.addItems({QStringLiteral("所有"), QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("甲"),
                    QStringLiteral("丙"), QStringLiteral("abc")});
    combo.setCurrentIndex(2);
    ::SelectComboText(&combo, text);
    QCOMPARE(combo.currentIndex(), expected);
    // An empty list stays empty and unselected.
    QComboBox empty;
    ::SelectComboText(&empty, text);
    QCOMPARE(empty.currentIndex(), -1);
}

void TestShareDM::askEditPassword_data() {
    QTest::addColumn<QVariant>("storedKey"); // null: the "修改" row is missing
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("pressOk");
    QTest::addColumn<bool>("dialogShown");
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<QString>("message");
    QTest::newRow("no password set") << QVariant(QString()) << QString() << true << false << true
                                     << QString();
    QTest::newRow("right password") << QVariant(QStringLiteral("Abc123")) << QStringLiteral("Abc123") << true
                                    << true << true << QString();
    QTest::newRow("wrong letter case") << QVariant(QStringLiteral("Abc123")) << QStringLiteral("abc123")
                                       << true << true << false << QStringLiteral("密码错误，请重新操作");
    QTest::newRow("wrong password") << QVariant(QStringLiteral("Abc123")) << QStringLiteral("Abc1234") << true
                                    << true << false << QStringLiteral("密码错误，请重新操作");
    QTest::newRow("empty typed") << QVariant(QStringLiteral("Abc123")) << QString() << true << true << false
                                 << QStringLiteral("密码错误，请重新操作");
    QTest::newRow("chinese password")
        << QVariant(QStringLiteral("岚峰")) << QStringLiteral("岚峰") << true << true << true << QString();
    QTest::newRow("quote in password")
        << QVariant(QStringLiteral("a'b")) << QStringLiteral("a'b") << true << true << true << QString();
    QTest::newRow("cancelled right password")
        << QVariant(QStringLiteral("Abc123")) << QStringLiteral("Abc123") << false << true << false
        << QString();
    QTest::newRow("missing row") << QVariant() << QStringLiteral("anything") << true << true << false
                                 << QStringLiteral("数据库出错，资料修改密码被删除");
    QTest::newRow("missing row, cancelled")
        << QVariant() << QStringLiteral("anything") << false << true << false << QString();
}

void TestShareDM::askEditPassword() {
    QFETCH(QVariant, storedKey);
    QFETCH(QString, typed);
    QFETCH(bool, pressOk);
    QFETCH(bool, dialogShown);
    QFETCH(bool, allowed);
    QFETCH(QString, message);
    TestProgram program;
    if (storedKey.isNull())
        program.Exec(QStringLiteral("Delete From Power Where PowerName = '修改'"));
    else
        program.Exec(QStringLiteral("Update Power Set PowerKey = %1 Where PowerName = '修改'")
                         .arg(SqlText(storedKey.toString())));
    FormAsk->AskText = QStringLiteral("before");
    bool sawMask = false;
    program.Prompts().QueueModal([&](QDialog* dialog) {
        auto* ask = qobject_cast<TFormAsk*>(dialog);
        QVERIFY(ask);
        QCOMPARE(ask->windowTitle(), QStringLiteral("修改密码"));
        QCOMPARE(ask->Label1->text(), QStringLiteral("请输入资料修改密码"));
        QCOMPARE(ask->Edit1->text(), QString());
        sawMask = ask->Edit1->echoMode() == QLineEdit::Password && ask->PasswordChar() == QLatin1Char('#');
        Answer(typed, pressOk)(dialog);
    });
    QCOMPARE(ShareDataModule->AskEditPassword(), allowed);
    QCOMPARE(program.Prompts().PendingScripts(), dialogShown ? 0 : 1);
    QCOMPARE(program.Prompts().UnexpectedModals, 0);
    if (dialogShown)
        QVERIFY(sawMask);
    QCOMPARE(program.Prompts().Texts(), message.isEmpty() ? QStringList() : QStringList{message});
    // Every way out leaves the prompt showing plain text for the next caller.
    QVERIFY(FormAsk->PasswordChar().isNull());
    QCOMPARE(FormAsk->Edit1->echoMode(), QLineEdit::Normal);
}

void TestShareDM::formAskShowsAndStores() {
    TestProgram program;
    FormAsk->AskTitle = QStringLiteral("新增业务种类");
    FormAsk->AskPrompt = QStringLiteral("请输入新的业务种类");
    FormAsk->AskText = QStringLiteral("旧值");
    FormAsk->SetPasswordChar(QChar());
    QCOMPARE(FormAsk->BitBtn1->text(), QStringLiteral("确定"));
    QVERIFY(FormAsk->BitBtn1->isDefault());
    QCOMPARE(FormAsk->Label1->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);

    // OK by the Enter key stores the entry.
    program.Prompts().QueueModal([](QDialog* dialog) {
        auto* ask = qobject_cast<TFormAsk*>(dialog);
        QCOMPARE(ask->windowTitle(), QStringLiteral("新增业务种类"));
        QCOMPARE(ask->Label1->text(), QStringLiteral("请输入新的业务种类"));
        QCOMPARE(ask->Edit1->text(), QStringLiteral("旧值"));
        QCOMPARE(ask->focusWidget(), ask->Edit1);
        ask->Edit1->selectAll();
        ask->Edit1->insert(QStringLiteral("运费"));
        QTest::keyClick(ask->Edit1, Qt::Key_Return);
    });
    QCOMPARE(Prompts::Get().ShowModal(FormAsk), int(QDialog::Accepted));
    QCOMPARE(FormAsk->AskText, QStringLiteral("运费"));

    // Cancel by the Escape key leaves AskText as it was.
    FormAsk->AskTitle = QStringLiteral("修改业务种类");
    program.Prompts().QueueModal([](QDialog* dialog) {
        auto* ask = qobject_cast<TFormAsk*>(dialog);
        QCOMPARE(ask->windowTitle(), QStringLiteral("修改业务种类"));
        QCOMPARE(ask->Edit1->text(), QStringLiteral("运费"));
        QTest::keyClicks(ask->Edit1, QStringLiteral("x"));
        QTest::keyClick(ask->Edit1, Qt::Key_Escape);
    });
    QCOMPARE(Prompts::Get().ShowModal(FormAsk), int(QDialog::Rejected));
    QCOMPARE(FormAsk->AskText, QStringLiteral("运费"));

    // The buttons themselves.
    program.Prompts().QueueModal(Answer(QStringLiteral("点击确定"), true));
    QCOMPARE(Prompts::Get().ShowModal(FormAsk), int(QDialog::Accepted));
    QCOMPARE(FormAsk->AskText, QStringLiteral("点击确定"));
    program.Prompts().QueueModal(Answer(QStringLiteral("点击取消"), false));
    QCOMPARE(Prompts::Get().ShowModal(FormAsk), int(QDialog::Rejected));
    QCOMPARE(FormAsk->AskText, QStringLiteral("点击确定"));
    QVERIFY(!FormAsk->isVisible());
}

void TestShareDM::formAskPasswordCharacter() {
    TestProgram program;
    FormAsk->AskTitle = QStringLiteral("登录");
    FormAsk->AskPrompt = QStringLiteral("请输入密码");
    FormAsk->AskText.clear();
    FormAsk->SetPasswordChar(QLatin1Char('#'));
    // The mask is kept for every show until the caller clears it.
    for (int round = 0; round < 2; ++round) {
        program.Prompts().QueueModal([](QDialog* dialog) {
            auto* ask = qobject_cast<TFormAsk*>(dialog);
            QTest::keyClicks(ask->Edit1, QStringLiteral("abc"));
            QCOMPARE(ask->Edit1->displayText(), QStringLiteral("###"));
            QCOMPARE(ask->Edit1->text(), QStringLiteral("abc"));
            ask->BitBtn1Click();
        });
        QCOMPARE(Prompts::Get().ShowModal(FormAsk), int(QDialog::Accepted));
        QCOMPARE(FormAsk->AskText, QStringLiteral("abc"));
        FormAsk->AskText.clear();
    }
    FormAsk->SetPasswordChar(QChar());
    program.Prompts().QueueModal([](QDialog* dialog) {
        auto* ask = qobject_cast<TFormAsk*>(dialog);
        QTest::keyClicks(ask->Edit1, QStringLiteral("abc"));
        QCOMPARE(ask->Edit1->displayText(), QStringLiteral("abc"));
        ask->BitBtn2Click();
    });
    QCOMPARE(Prompts::Get().ShowModal(FormAsk), int(QDialog::Rejected));
    QCOMPARE(FormAsk->AskText, QString());
}

void TestShareDM::handlerReportsAndProgramGoesOn() {
    TestProgram program;
    QVERIFY(!RunGuarded([] { throw KestrelError(QStringLiteral("数据集未打开")); }));
    QCOMPARE(program.Prompts().Messages.size(), size_t(1));
    QCOMPARE(program.Prompts().Messages[0].Kind, QStringLiteral("error"));
    QVERIFY(program.Prompts().Messages[0].Text.contains(QStringLiteral("数据集未打开")));

    // The next action runs normally.
    int runs = 0;
    QVERIFY(RunGuarded([&] { ++runs; }));
    QCOMPARE(runs, 1);
    QCOMPARE(program.Prompts().Messages.size(), size_t(1));

    // Errors that are not the program's own are shown too.
    QVERIFY(!RunGuarded([] { throw std::runtime_error("disk full"); }));
    QVERIFY(program.Prompts().LastText().contains(QStringLiteral("disk full")));
    ReportUncaught(KestrelError(QStringLiteral("直接报告")));
    QVERIFY(program.Prompts().LastText().contains(QStringLiteral("直接报告")));
    QCOMPARE(program.Prompts().Messages.size(), size_t(3));

    // A closed work query used by mistake ends the action with a message, not a crash.
    ShareDataModule->ADOQueryTemp.Close();
    QVERIFY(!RunGuarded([] { ShareDataModule->ADOQueryTemp.FieldByName(QStringLiteral("PowerName")); }));
    QCOMPARE(program.Prompts().Messages.size(), size_t(4));
}

void TestShareDM::conversionErrorStoresNothing() {
    TestProgram program;
    // An editor that converts the typed amount, then stores: the conversion fails first.
    const auto save = [](const QString& typed) {
        Query& q = ShareDataModule->ADOQueryTemp;
        OpenSql(q, QStringLiteral("Select * From Customer Where CustomerName = '甲'"),
                QStringLiteral("数据库打开失败"));
        q.Insert();
        q.FieldByName(QStringLiteral("CustomerName")).SetAsString(QStringLiteral("甲"));
        q.FieldByName(QStringLiteral("CustomerOwe")).SetAsFloat(TextToAmount(typed));
        q.Post();
    };
    QVERIFY(!RunGuarded([&] { save(QStringLiteral("1.2.3")); }));
    QCOMPARE(program.Prompts().Messages.size(), size_t(1));
    QCOMPARE(program.Prompts().Messages[0].Kind, QStringLiteral("error"));
    QVERIFY(program.Prompts().LastText().contains(QStringLiteral("1.2.3")));
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Customer Where CustomerIndex > 1")),
             QStringLiteral("0"));
    // NextSerial past the limit likewise proposes nothing.
    QString proposed = QStringLiteral("unchanged");
    QVERIFY(!RunGuarded([&] { proposed = ShareDataModule->NextSerial(QStringLiteral("XS2147483647")); }));
    QCOMPARE(proposed, QStringLiteral("unchanged"));
    // The program goes on: the same action with a good amount stores the row.
    QVERIFY(RunGuarded([&] { save(QStringLiteral("12.5")); }));
    QCOMPARE(program.Scalar(QStringLiteral("Select CustomerOwe From Customer Where CustomerName = '甲'")),
             QStringLiteral("12.5"));
    QCOMPARE(program.Prompts().Messages.size(), size_t(2));
}

namespace {
// An object whose event handling fails, as a window's handler may.
class FailingObject : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            throw KestrelError(QStringLiteral("处理事件时出错"));
        return QObject::event(e);
    }
    void Fail() { throw KestrelError(QStringLiteral("成员出错")); }
    void Toggled(bool on) { toggles << on; }
    QList<bool> toggles;
};
} // namespace

void TestShareDM::errorInAnEventIsReported() {
    TestProgram program;
    QVERIFY(dynamic_cast<KestrelApplication*>(QCoreApplication::instance()));
    FailingObject object;
    QEvent event(QEvent::User);
    QVERIFY(!QCoreApplication::sendEvent(&object, &event));
    QCOMPARE(program.Prompts().Messages.size(), size_t(1));
    QVERIFY(program.Prompts().LastText().contains(QStringLiteral("处理事件时出错")));

    // A button whose click handler fails: the error ends the handler, the message is shown and the
    // button works again; nothing unwinds through the event code.
    QPushButton button;
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, &button, Guarded([&] {
        ++clicks;
        throw KestrelError(QStringLiteral("按钮出错"));
    }));
    // A member handler, with and without the signal's argument.
    FailingObject target;
    QObject::connect(&button, &QPushButton::clicked, &target, Guarded(&target, &FailingObject::Fail));
    QObject::connect(&button, &QPushButton::toggled, &target, Guarded(&target, &FailingObject::Toggled));
    button.setCheckable(true);
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicks, 2);
    QCOMPARE(target.toggles, QList<bool>({true, false}));
    QCOMPARE(program.Prompts().Messages.size(), size_t(5));
    QCOMPARE(program.Prompts().Messages[1].Kind, QStringLiteral("error"));
    QVERIFY(program.Prompts().Messages[1].Text.contains(QStringLiteral("按钮出错")));
    QVERIFY(program.Prompts().Messages[2].Text.contains(QStringLiteral("成员出错")));
}

// The program's own application object, so that events run under its handler as in the program.
int main(int argc, char* argv[]) {
    KestrelApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestShareDM test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sharedm.moc"
