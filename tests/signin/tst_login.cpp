#include "foundation/ShareDM.h"
#include "mainwindow/SignInScripts.h"

#include <QAccessible>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>

// The sign-in window: faces from Power, salesman and role passwords, staff management's password,
// the exit picture and its highlight.
class TestLogin : public QObject {
    Q_OBJECT
private slots:
    void init();
    void windowFrame();
    void facesComeFromTheSlots();
    void emptySlotAsksNothing();
    void salesmanPassword_data();
    void salesmanPassword();
    void wrongPasswordRetriesUntilRight();
    void rolePassword_data();
    void rolePassword();
    void missingRoleRowSignsNobodyIn();
    void cancelInPromptStaysWithoutMessage();
    void exitPictureEndsSignIn();
    void staffManagementChecksAdminPassword_data();
    void staffManagementChecksAdminPassword();
    void picturesHighlightOnlyOnChange();

private:
    int Show() { return Prompts::Get().ShowModal(FormLogin); }
};

void TestLogin::init() {
    CurrentRole.clear();
    CurrentUser.clear();
    CurrentRights.clear();
}

void TestLogin::windowFrame() {
    TestProgram program;
    QCOMPARE(FormLogin->objectName(), QStringLiteral("FormLogin"));
    QCOMPARE(FormLogin->windowTitle(), QStringLiteral("岚峰商业管理软件"));
    QCOMPARE(FormLogin->size(), QSize(721, 465));
    QVERIFY(!(FormLogin->windowFlags() & Qt::WindowCloseButtonHint));
    QCOMPARE(FormLogin->ImageTitle->size(), QSize(690, 90));
    QCOMPARE(FormLogin->ImageUp4->size(), QSize(160, 70));
    const QStringList captions = {QStringLiteral("人员管理"), QStringLiteral("财务主管"),
                                  QStringLiteral("财务总监"), QStringLiteral("管理员"),
                                  QStringLiteral("总经理")};
    const QList<QToolButton*> buttons = {FormLogin->ManManage, FormLogin->SpeedButton1,
                                         FormLogin->SpeedButton2, FormLogin->SpeedButton3,
                                         FormLogin->SpeedButton4};
    for (int i = 0; i < buttons.size(); ++i) {
        QCOMPARE(buttons[i]->text(), captions[i]);
        // Left to right along the bottom row.
        if (i > 0)
            QVERIFY(buttons[i]->x() > buttons[i - 1]->x());
    }
    // Two rows of eight faces, Man1..Man8 above Man9..Man16.
    QVERIFY(FormLogin->Man[0]->y() == FormLogin->Man[7]->y());
    QVERIFY(FormLogin->Man[8]->y() > FormLogin->Man[0]->y());
    QCOMPARE(FormLogin->Man[15]->objectName(), QStringLiteral("Man16"));
    QCOMPARE(FormLogin->Man[0]->size(), QSize(73, 73));
}

void TestLogin::facesComeFromTheSlots() {
    TestProgram program;
    SetSlot(program, 3, QStringLiteral("李四"), QString(), QString(), QStringLiteral("Faces/7.bmp"));
    SetSlot(program, 16, QStringLiteral("王五"), QString(), QString(), QStringLiteral("Faces\\9.bmp"));
    program.Prompts().QueueModal([](QDialog*) {});
    Show();
    QCOMPARE(FormLogin->Man[2]->text(), QStringLiteral("李四"));
    QCOMPARE(FormLogin->Man[15]->text(), QStringLiteral("王五"));
    QCOMPARE(FormLogin->Man[0]->text(), QString());
    // A screen reader reads a face by its salesman's name, an empty slot by its place.
    const auto spoken = [](QWidget* face) {
        return QAccessible::queryAccessibleInterface(face)->text(QAccessible::Name);
    };
    QCOMPARE(spoken(FormLogin->Man[2]), QStringLiteral("李四"));
    QCOMPARE(spoken(FormLogin->Man[0]), QStringLiteral("空业务员位置1"));
    const QImage face7(program.Folder() + QStringLiteral("Faces/7.bmp"));
    QVERIFY(!face7.isNull());
    QCOMPARE(FormLogin->Man[2]->icon().pixmap(48, 48).toImage().convertToFormat(face7.format()), face7);
    // A slot stored with Windows separators still finds its picture; an empty slot shows its face.
    QVERIFY(!FormLogin->Man[15]->icon().isNull());
    QVERIFY(!FormLogin->Man[0]->icon().isNull());
    QVERIFY(program.Prompts().Texts().isEmpty());
}

void TestLogin::emptySlotAsksNothing() {
    TestProgram program;
    program.Prompts().QueueModal(OnLogin([](TFormLogin* login) { login->Man[4]->click(); }));
    QCOMPARE(Show(), int(QDialog::Rejected));
    QCOMPARE(program.Prompts().Messages.size(), size_t(1)); // only the sign-in window itself
    QCOMPARE(program.Prompts().UnexpectedModals, 0);
    QVERIFY(CurrentRole.isEmpty());
}

void TestLogin::salesmanPassword_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<bool>("signsIn");
    QTest::newRow("empty password, empty entry") << QString() << QString() << true;
    QTest::newRow("exact") << QStringLiteral("Abc123") << QStringLiteral("Abc123") << true;
    QTest::newRow("letter case differs") << QStringLiteral("Abc123") << QStringLiteral("abc123") << false;
    QTest::newRow("empty entry for a password") << QStringLiteral("x") << QString() << false;
    QTest::newRow("entry for an empty password") << QString() << QStringLiteral("x") << false;
    QTest::newRow("trailing space counts") << QStringLiteral("pw") << QStringLiteral("pw ") << false;
}

void TestLogin::salesmanPassword() {
    QFETCH(QString, stored);
    QFETCH(QString, entered);
    QFETCH(bool, signsIn);
    TestProgram program;
    SetSlot(program, 2, QStringLiteral("张三"), stored, QStringLiteral("业务管理；"));
    SeenPrompt seen;
    program.Prompts().QueueModal(OnLogin([](TFormLogin* login) { login->Man[1]->click(); }));
    program.Prompts().QueueModal(AnswerPrompt(entered, &seen));
    const int result = Show();

    QCOMPARE(seen.Title, QStringLiteral("业务员登录"));
    QCOMPARE(seen.Prompt, QStringLiteral("请输入 张三 的登录密码"));
    QCOMPARE(seen.PasswordChar, QLatin1Char('#'));
    QVERIFY(seen.Masked);
    QVERIFY(FormAsk->PasswordChar().isNull());
    QCOMPARE(result == QDialog::Accepted, signsIn);
    if (signsIn) {
        QVERIFY(program.Prompts().Texts().isEmpty());
        QCOMPARE(CurrentRole, QStringLiteral("业务员"));
        QCOMPARE(CurrentUser, QStringLiteral("张三"));
        QCOMPARE(CurrentRights, QStringLiteral("业务管理；"));
    } else {
        QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("密码错误，请重新操作")});
        QVERIFY(CurrentRole.isEmpty() && CurrentUser.isEmpty() && CurrentRights.isEmpty());
    }
}

void TestLogin::wrongPasswordRetriesUntilRight() {
    TestProgram program;
    SetSlot(program, 1, QStringLiteral("张三"), QStringLiteral("pw"), QString());
    program.Prompts().QueueModal(OnLogin([](TFormLogin* login) {
        for (int i = 0; i < 3; ++i)
            login->Man[0]->click();
    }));
    program.Prompts().QueueModal(AnswerPrompt(QStringLiteral("no")));
    program.Prompts().QueueModal(AnswerPrompt(QStringLiteral("PW")));
    program.Prompts().QueueModal(AnswerPrompt(QStringLiteral("pw")));
    QCOMPARE(Show(), int(QDialog::Accepted));
    QCOMPARE(program.Prompts().Texts(),
             QStringList({QStringLiteral("密码错误，请重新操作"), QStringLiteral("密码错误，请重新操作")}));
    QCOMPARE(CurrentUser, QStringLiteral("张三"));
    // A salesman without rights signs in all the same.
    QCOMPARE(CurrentRights, QString());
    QVERIFY(FormAsk->PasswordChar().isNull());
}

void TestLogin::rolePassword_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("role");
    QTest::addColumn<QString>("prompt");
    QTest::newRow("财务主管") << 1 << QStringLiteral("财务主管") << QStringLiteral("请输入财务主管登录密码");
    QTest::newRow("财务总监") << 2 << QStringLiteral("财务总监") << QStringLiteral("请输入财务总监登录密码");
    QTest::newRow("管理员") << 3 << QStringLiteral("管理员") << QStringLiteral("请输入管理员登录密码");
    QTest::newRow("总经理") << 4 << QStringLiteral("总经理") << QStringLiteral("请输入总经理登录密码");
}

void TestLogin::rolePassword() {
    QFETCH(int, button);
    QFETCH(QString, role);
    QFETCH(QString, prompt);
    TestProgram program;
    program.Exec(QStringLiteral("Update Power Set PowerKey = 'Key' Where PowerName = ") + SqlText(role));
    // A salesman signed in earlier in the run keeps his rights under a role.
    CurrentRights = QStringLiteral("财务管理；");
    QToolButton* buttons[] = {FormLogin->SpeedButton1, FormLogin->SpeedButton2, FormLogin->SpeedButton3,
                              FormLogin->SpeedButton4};
    QToolButton* roleButton = buttons[button - 1];
    QCOMPARE(roleButton->text(), role);
    SeenPrompt first;
    SeenPrompt second;
    program.Prompts().QueueModal(OnLogin([roleButton](TFormLogin*) {
        roleButton->click();
        roleButton->click();
    }));
    program.Prompts().QueueModal(AnswerPrompt(QStringLiteral("key"), &first));
    program.Prompts().QueueModal(AnswerPrompt(QStringLiteral("Key"), &second));
    QCOMPARE(Show(), int(QDialog::Accepted));
    QCOMPARE(first.Title, QStringLiteral("系统登录"));
    QCOMPARE(first.Prompt, prompt);
    QVERIFY(first.Masked && second.Masked);
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("密码错误，请重新操作")});
    QCOMPARE(CurrentRole, role);
    QCOMPARE(CurrentUser, role);
    QCOMPARE(CurrentRights, QStringLiteral("财务管理；"));
    QVERIFY(FormAsk->PasswordChar().isNull());
}

void TestLogin::missingRoleRowSignsNobodyIn() {
    TestProgram program;
    program.Exec(QStringLiteral("Delete From Power Where PowerName = '财务总监'"));
    program.Prompts().QueueModal(OnLogin([](TFormLogin* login) { login->Action2->trigger(); }));
    program.Prompts().QueueModal(AnswerPrompt(QString()));
    QCOMPARE(Show(), int(QDialog::Rejected));
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("数据库出错，资料修改密码被删除")});
    QVERIFY(CurrentRole.isEmpty());
    QVERIFY(FormAsk->PasswordChar().isNull());
}

void TestLogin::cancelInPromptStaysWithoutMessage() {
    TestProgram program;
    SetSlot(program, 1, QStringLiteral("张三"), QString(), QString());
    bool stillOpen = false;
    program.Prompts().QueueModal(OnLogin([&stillOpen](TFormLogin* login) {
        login->Man[0]->click();
        login->Action4->trigger();
        login->ActionManage->trigger();
        stillOpen = login->isVisible();
    }));
    for (int i = 0; i < 3; ++i)
        program.Prompts().QueueModal(CancelPrompt());
    QCOMPARE(Show(), int(QDialog::Rejected)); // left open by the script
    QVERIFY(stillOpen);
    QVERIFY(program.Prompts().Texts().isEmpty());
    QVERIFY(CurrentRole.isEmpty());
    QVERIFY(FormAsk->PasswordChar().isNull());
}

void TestLogin::exitPictureEndsSignIn() {
    TestProgram program;
    bool upShown = false;
    bool titleHidden = false;
    program.Prompts().QueueModal(OnLogin([&](TFormLogin* login) {
        QVERIFY(login->ImageTitle->isVisible());
        QVERIFY(!login->ImageUp4->isVisible());
        QTest::mouseClick(login->ImageTitle, Qt::LeftButton);
        upShown = login->ImageUp4->isVisible();
        titleHidden = !login->ImageTitle->isVisible();
        QTest::mouseClick(login->ImageUp4, Qt::LeftButton);
        QVERIFY(!login->isVisible());
    }));
    QCOMPARE(Show(), int(QDialog::Rejected));
    QVERIFY(upShown && titleHidden);
    // The next showing starts with the title picture again.
    program.Prompts().QueueModal([&](QDialog*) {
        upShown = FormLogin->ImageUp4->isVisible();
        titleHidden = !FormLogin->ImageTitle->isVisible();
    });
    Show();
    QVERIFY(!upShown && !titleHidden);
}

void TestLogin::staffManagementChecksAdminPassword_data() {
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("reloaded");
    QTest::newRow("right") << QStringLiteral("admin") << QStringList() << true;
    QTest::newRow("wrong") << QStringLiteral("ADMIN") << QStringList{QStringLiteral("密码错误，请重新操作")}
                           << false;
}

void TestLogin::staffManagementChecksAdminPassword() {
    QFETCH(QString, entered);
    QFETCH(QStringList, messages);
    QFETCH(bool, reloaded);
    TestProgram program;
    program.Exec(QStringLiteral("Update Power Set PowerKey = 'admin' Where PowerName = '管理员'"));
    SeenPrompt seen;
    QString faceAfter;
    bool stillOpen = false;
    program.Prompts().QueueModal(OnLogin([&](TFormLogin* login) {
        // The staff list changes while the window is open; the faces show it after management.
        SetSlot(program, 5, QStringLiteral("赵六"), QString(), QString());
        login->ManManage->click();
        faceAfter = login->Man[4]->text();
        stillOpen = login->isVisible();
    }));
    program.Prompts().QueueModal(AnswerPrompt(entered, &seen));
    Show();
    QCOMPARE(seen.Title, QStringLiteral("人员管理登录"));
    QCOMPARE(seen.Prompt, QStringLiteral("请输入管理员密码"));
    QVERIFY(seen.Masked);
    QCOMPARE(program.Prompts().Texts(), messages);
    QCOMPARE(faceAfter, reloaded ? QStringLiteral("赵六") : QString());
    QVERIFY(stillOpen); // nobody signs in by this path
    QVERIFY(CurrentRole.isEmpty());
    QVERIFY(FormAsk->PasswordChar().isNull());
}

void TestLogin::picturesHighlightOnlyOnChange() {
    TestProgram program;
    const auto image = [&](const char* file) { return QImage(program.Folder() + QString::fromLatin1(file)); };
    const auto shown = [](QLabel* label) {
        return label->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    };
    const auto move = [](QWidget* target) {
        QMouseEvent event(QEvent::MouseMove, QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    };
    QVERIFY(!image("Res/ColorTitle.bmp").isNull());
    QCOMPARE(FormLogin->ImageTitleTag, 0);
    QCOMPARE(shown(FormLogin->ImageTitle), image("Res/Title.bmp").convertToFormat(QImage::Format_RGB32));

    move(FormLogin->ImageTitle);
    QCOMPARE(FormLogin->ImageTitleTag, 1);
    QCOMPARE(shown(FormLogin->ImageTitle), image("Res/ColorTitle.bmp").convertToFormat(QImage::Format_RGB32));
    const qint64 loaded = FormLogin->ImageTitle->pixmap().cacheKey();
    move(FormLogin->ImageTitle); // no second load while the flag stays
    QCOMPARE(FormLogin->ImageTitle->pixmap().cacheKey(), loaded);

    move(FormLogin->ImageUp4);
    QCOMPARE(FormLogin->ImageUp4Tag, 1);
    QCOMPARE(shown(FormLogin->ImageUp4), image("Res/ColorUp4.bmp").convertToFormat(QImage::Format_RGB32));

    move(FormLogin); // the background puts both back
    QCOMPARE(FormLogin->ImageTitleTag, 0);
    QCOMPARE(FormLogin->ImageUp4Tag, 0);
    QCOMPARE(shown(FormLogin->ImageTitle), image("Res/Title.bmp").convertToFormat(QImage::Format_RGB32));
    QCOMPARE(shown(FormLogin->ImageUp4), image("Res/Up4.bmp").convertToFormat(QImage::Format_RGB32));
}

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
