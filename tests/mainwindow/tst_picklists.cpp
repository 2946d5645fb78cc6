#include "SignInScripts.h"
#include "foundation/ShareDM.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/PickListRules.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {
// The settings page acts only while the administrator is signed in.
struct AdministratorProgram : TestProgram {
    AdministratorProgram() { CurrentRole = QStringLiteral("管理员"); }
};
} // namespace

// The four pick lists of the settings page and the two password boxes beside them.
class TestPickLists : public QObject {
    Q_OBJECT
private slots:
    void loadingSelectsTheLastValue_data();
    void loadingSelectsTheLastValue();
    void messagesOfEachList_data();
    void messagesOfEachList();
    void addingStoresAsTyped();
    void renaming_data();
    void renaming();
    void vanishedValues();
    void duplicatesInTheTableActOnTheFirstRow();
    void deleteAsksFirst();
    void loadFailure_data();
    void loadFailure();
    void rolePasswords();
    void editPassword();
    void passwordRowsMissing();
    void onlyTheAdministratorChangesSettings_data();
    void onlyTheAdministratorChangesSettings();

private:
    static QStringList Items(int type) {
        QStringList items;
        QListWidget* box = FormMain->PickList(type);
        for (int i = 0; i < box->count(); ++i)
            items << box->item(i)->text();
        return items;
    }
    static QString Stored(TestProgram& program, int type) {
        return program.Joined(
            QStringLiteral(
                "Select ParameterValue From Parameter Where ParameterType = %1 Order By ParameterIndex")
                .arg(type),
            QStringLiteral("|"));
    }
    static QPushButton* Button(int type, int which) {
        static const char* names[4][3] = {{"Button1", "Button2", "Button3"},
                                          {"Button4", "Button5", "Button6"},
                                          {"Button7", "Button8", "Button9"},
                                          {"Button12", "Button13", "Button14"}};
        return FormMain->findChild<QPushButton*>(QString::fromLatin1(names[type - 1][which]));
    }
    static ScriptedPrompts::ModalScript Answer(const QString& text, SeenPrompt* seen = nullptr,
                                               QString* shownText = nullptr) {
        return [text, seen, shownText](QDialog* dialog) {
            auto* ask = static_cast<TFormAsk*>(dialog);
            if (shownText != nullptr)
                *shownText = ask->Edit1->text();
            AnswerPrompt(text, seen)(dialog);
        };
    }
};

void TestPickLists::loadingSelectsTheLastValue_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("label");
    QTest::newRow("1 业务种类") << 1 << QStringLiteral("ListBox1");
    QTest::newRow("2 款项类别") << 2 << QStringLiteral("ListBox2");
    QTest::newRow("3 款项凭证") << 3 << QStringLiteral("ListBox3");
    QTest::newRow("4 业务进度") << 4 << QStringLiteral("ListBox4");
}

void TestPickLists::loadingSelectsTheLastValue() {
    QFETCH(int, type);
    QFETCH(QString, label);
    AdministratorProgram program;
    QCOMPARE(FormMain->PickList(type)->objectName(), label);
    // Values are listed in the order they were added, not alphabetically.
    program.Exec(
        QStringLiteral("Insert Into Parameter (ParameterType, ParameterValue) Values (%1, 'Aardvark')")
            .arg(type));
    FormMain->LoadPickList(type);
    QCOMPARE(Items(type).join(QLatin1Char('|')), Stored(program, type));
    QCOMPARE(Items(type).last(), QStringLiteral("Aardvark"));
    QListWidget* box = FormMain->PickList(type);
    QCOMPARE(box->currentRow(), box->count() - 1);
    QVERIFY(box->currentItem()->isSelected());
    // 修改 acts on the last value without a click.
    program.Prompts().QueueModal(CancelPrompt());
    QString shown;
    program.Prompts().QueueModal(Answer(QStringLiteral("x"), nullptr, &shown));
    Button(type, 1)->click();
    QCOMPARE(shown, QString()); // the first script cancelled
    QCOMPARE(program.Prompts().PendingScripts(), 1);
}

void TestPickLists::messagesOfEachList_data() {
    QTest::addColumn<int>("type");
    for (int type = 1; type <= 4; ++type)
        QTest::newRow(qPrintable(QString::number(type))) << type;
}

void TestPickLists::messagesOfEachList() {
    QFETCH(int, type);
    AdministratorProgram program;
    const PickListTexts& texts = PickListMessages(type);
    const QString existing = program.Scalar(
        QStringLiteral(
            "Select ParameterValue From Parameter Where ParameterType = %1 Order By ParameterIndex")
            .arg(type));
    FormMain->LoadPickList(type);
    const QString before = Stored(program, type);

    // Adding: an empty value, then a value that differs from a stored one in letter case only.
    program.Exec(QStringLiteral("Insert Into Parameter (ParameterType, ParameterValue) Values (%1, 'Cash')")
                     .arg(type));
    SeenPrompt seen;
    program.Prompts().QueueModal(Answer(QString(), &seen));
    program.Prompts().QueueModal(Answer(QStringLiteral("CASH")));
    program.Prompts().QueueModal(Answer(existing));
    Button(type, 0)->click();
    QCOMPARE(seen.Title, QStringLiteral("参数设置"));
    QCOMPARE(seen.Prompt, texts.AddPrompt);
    QVERIFY(!seen.Masked);
    Button(type, 0)->click();
    Button(type, 0)->click();
    QCOMPARE(program.Prompts().Texts(), QStringList({texts.Empty, texts.Exists, texts.Exists}));
    program.Prompts().Clear();

    // Changing the selected value to nothing, or only in letter case, is refused.
    FormMain->LoadPickList(type);
    program.Prompts().QueueModal(Answer(QString(), &seen));
    program.Prompts().QueueModal(Answer(QStringLiteral("cash")));
    Button(type, 1)->click();
    QCOMPARE(seen.Prompt, texts.ChangePrompt);
    Button(type, 1)->click();
    QCOMPARE(program.Prompts().Texts(), QStringList({texts.Empty, texts.Exists}));
    program.Prompts().Clear();

    // With nothing selected, 修改, a double click and 删除 ask for a selection and focus the list.
    FormMain->PickList(type)->clearSelection();
    FormMain->PickList(type)->setCurrentRow(-1);
    Button(type, 1)->click();
    Button(type, 2)->click();
    QCOMPARE(program.Prompts().Texts(), QStringList({texts.NothingToChange, texts.NothingToDelete}));
    QCOMPARE(program.Prompts().PendingScripts(), 0);
    QCOMPARE(Stored(program, type), before + QStringLiteral("|Cash"));

    // An empty list selects nothing after loading.
    program.Exec(QStringLiteral("Delete From Parameter Where ParameterType = %1").arg(type));
    FormMain->LoadPickList(type);
    QCOMPARE(FormMain->PickList(type)->count(), 0);
    QVERIFY(FormMain->PickList(type)->selectedItems().isEmpty());
    program.Prompts().Clear();
    Button(type, 2)->click();
    QCOMPARE(program.Prompts().Texts(), QStringList{texts.NothingToDelete});
}

void TestPickLists::addingStoresAsTyped() {
    AdministratorProgram program;
    FormMain->LoadPickList(2);
    program.Prompts().QueueModal(Answer(QStringLiteral("O'Neil 定金")));
    program.Prompts().QueueModal(CancelPrompt());
    Button(2, 0)->click();
    Button(2, 0)->click();
    QVERIFY(program.Prompts().Texts().isEmpty());
    QCOMPARE(Items(2).last(), QStringLiteral("O'Neil 定金"));
    QVERIFY(FormMain->ListBox2->currentItem()->isSelected());
    QCOMPARE(Stored(program, 2), QStringLiteral("货款|预收款|预付款|运杂费|O'Neil 定金"));
    // A name with a quote is found again by the duplicate check.
    program.Prompts().QueueModal(Answer(QStringLiteral("o'neil 定金")));
    Button(2, 0)->click();
    QCOMPARE(program.Prompts().Texts(), QStringList{PickListMessages(2).Exists});
}

void TestPickLists::renaming_data() {
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("new name") << QStringLiteral("It's done")
                              << QStringLiteral("已签合同|已发货|已开票|It's done") << QStringList();
    QTest::newRow("unchanged") << QStringLiteral("已完成") << QStringLiteral("已签合同|已发货|已开票|已完成")
                               << QStringList();
    QTest::newRow("name of another value")
        << QStringLiteral("已发货") << QStringLiteral("已签合同|已发货|已开票|已完成")
        << QStringList{QStringLiteral("存在同名的进度，请改名")};
}

void TestPickLists::renaming() {
    QFETCH(QString, entered);
    QFETCH(QString, stored);
    QFETCH(QStringList, messages);
    AdministratorProgram program;
    FormMain->LoadPickList(4);
    QString shown;
    program.Prompts().QueueModal(Answer(entered, nullptr, &shown));
    // A double click changes the value too.
    emit FormMain->ListBox4->itemDoubleClicked(FormMain->ListBox4->item(3));
    QCOMPARE(shown, QStringLiteral("已完成"));
    QCOMPARE(program.Prompts().Texts(), messages);
    QCOMPARE(Stored(program, 4), stored);
    QCOMPARE(Items(4).join(QLatin1Char('|')), stored);
    QCOMPARE(FormMain->ListBox4->currentRow(), 3);
}

void TestPickLists::vanishedValues() {
    AdministratorProgram program;
    FormMain->LoadPickList(3);
    program.Exec(QStringLiteral("Delete From Parameter Where ParameterValue = '收据'"));
    program.Prompts().QueueModal(Answer(QStringLiteral("发票")));
    Button(3, 1)->click();
    Button(3, 2)->click();
    QCOMPARE(program.Prompts().Texts(),
             QStringList({QStringLiteral("该参数已经被删除"), QStringLiteral("该记录已不存在")}));
    QCOMPARE(Stored(program, 3), QStringLiteral("现金|转帐支票|银行汇款"));
}

void TestPickLists::duplicatesInTheTableActOnTheFirstRow() {
    AdministratorProgram program;
    program.Exec(
        QStringLiteral("Insert Into Parameter (ParameterType, ParameterValue) Values (1, '商品销售')"));
    FormMain->LoadPickList(1);
    QCOMPARE(Items(1).count(QStringLiteral("商品销售")), 2);
    program.Prompts().QueueModal(Answer(QStringLiteral("零售")));
    Button(1, 1)->click();
    QCOMPARE(Stored(program, 1), QStringLiteral("零售|商品采购|日常费用|其他收支|商品销售"));
    FormMain->ListBox1->setCurrentRow(4);
    program.Prompts().QueueAnswer(true);
    Button(1, 2)->click();
    QCOMPARE(Stored(program, 1), QStringLiteral("零售|商品采购|日常费用|其他收支"));
    // After the reload the last value is selected again.
    QCOMPARE(FormMain->ListBox1->currentRow(), 3);
}

void TestPickLists::deleteAsksFirst() {
    AdministratorProgram program;
    FormMain->LoadPickList(2);
    program.Prompts().QueueAnswer(false);
    Button(2, 2)->click();
    QCOMPARE(program.Prompts().Messages.back().Kind, QStringLiteral("question"));
    QCOMPARE(program.Prompts().Messages.back().Text, QStringLiteral("确实要删除该参数吗？"));
    QCOMPARE(program.Prompts().Messages.back().Title, QStringLiteral("删除警告"));
    QCOMPARE(Stored(program, 2), QStringLiteral("货款|预收款|预付款|运杂费"));
    FormMain->ListBox2->setCurrentRow(0);
    program.Prompts().QueueAnswer(true);
    Button(2, 2)->click();
    QCOMPARE(Stored(program, 2), QStringLiteral("预收款|预付款|运杂费"));
    QCOMPARE(Items(2),
             QStringList({QStringLiteral("预收款"), QStringLiteral("预付款"), QStringLiteral("运杂费")}));
}

void TestPickLists::loadFailure_data() {
    messagesOfEachList_data();
}

void TestPickLists::loadFailure() {
    QFETCH(int, type);
    AdministratorProgram program;
    FormMain->LoadPickList(type);
    program.Exec(QStringLiteral("Alter Table Parameter Rename To ParameterGone"));
    FormMain->LoadPickList(type);
    QCOMPARE(program.Prompts().Texts(), QStringList{PickListMessages(type).LoadFailed});
    QCOMPARE(FormMain->PickList(type)->count(), 0);
    program.Prompts().Clear();
    program.Prompts().QueueModal(Answer(QStringLiteral("新值")));
    Button(type, 0)->click();
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("读入帐款参数失败")});
    program.Exec(QStringLiteral("Alter Table ParameterGone Rename To Parameter"));
}

void TestPickLists::rolePasswords() {
    AdministratorProgram program;
    program.Exec(QStringLiteral("Update Power Set PowerKey = 'd1' Where PowerName = '财务总监'"));
    FormMain->LoadPasswordBoxes();
    QCOMPARE(FormMain->ComboBox1->currentText(), QStringLiteral("管理员"));
    QCOMPARE(FormMain->Edit1->text(), QString());
    // Choosing another role shows its password at once.
    FormMain->ComboBox1->setCurrentIndex(2);
    emit FormMain->ComboBox1->activated(2);
    QCOMPARE(FormMain->Edit1->text(), QStringLiteral("d1"));

    FormMain->Edit1->setText(QStringLiteral("new'key"));
    program.Prompts().QueueAnswer(false);
    FormMain->Button10->click();
    QCOMPARE(program.Prompts().Messages.back().Text, QStringLiteral("确定要把该密码修改为 new'key 吗？"));
    QCOMPARE(program.Prompts().Messages.back().Title, QStringLiteral("修改确认"));
    QCOMPARE(program.Scalar(QStringLiteral("Select PowerKey From Power Where PowerName = '财务总监'")),
             QStringLiteral("d1"));
    program.Prompts().QueueAnswer(true);
    FormMain->Button10->click();
    QCOMPARE(program.Prompts().LastText(), QStringLiteral("用户密码修改成功"));
    QCOMPARE(program.Scalar(QStringLiteral("Select PowerKey From Power Where PowerName = '财务总监'")),
             QStringLiteral("new'key"));
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Power Where PowerKey = 'new''key'")),
             QStringLiteral("1"));
    // The new password signs the role in.
    program.Prompts().Clear();
    QueueRoleSignIn(program, QStringLiteral("财务总监"), QStringLiteral("new'key"));
    QVERIFY(FormMain->SignInAndSetUp());
}

void TestPickLists::editPassword() {
    AdministratorProgram program;
    FormMain->Edit2->setText(QStringLiteral("secret"));
    program.Prompts().QueueAnswer(true);
    FormMain->Button11->click();
    QCOMPARE(program.Prompts().Texts(), QStringList({QStringLiteral("确定要把该密码修改为 secret 吗？"),
                                                     QStringLiteral("密码修改成功")}));
    QCOMPARE(program.Scalar(QStringLiteral("Select PowerKey From Power Where PowerName = '修改'")),
             QStringLiteral("secret"));
    QCOMPARE(FormMain->Edit2->text(), QStringLiteral("secret"));
    // An empty edit password switches the check off again.
    FormMain->Edit2->clear();
    program.Prompts().QueueAnswer(true);
    FormMain->Button11->click();
    QVERIFY(ShareDataModule->AskEditPassword());
    QCOMPARE(program.Prompts().UnexpectedModals, 0);
}

void TestPickLists::passwordRowsMissing() {
    AdministratorProgram program;
    program.Exec(QStringLiteral("Delete From Power Where PowerName In ('管理员', '修改')"));
    FormMain->Edit1->setText(QStringLiteral("kept"));
    FormMain->LoadPasswordBoxes();
    QCOMPARE(FormMain->Edit1->text(), QStringLiteral("kept"));
    program.Prompts().QueueAnswer(true);
    FormMain->Button10->click();
    program.Prompts().QueueAnswer(true);
    FormMain->Button11->click();
    QCOMPARE(program.Prompts().Texts().at(1), QStringLiteral("该用户密码已被删除"));
    QCOMPARE(program.Prompts().Texts().at(3), QStringLiteral("该密码已被删除"));
    QCOMPARE(program.Scalar(QStringLiteral("Select Count(*) From Power Where PowerKey = 'kept'")),
             QStringLiteral("0"));
}

void TestPickLists::onlyTheAdministratorChangesSettings_data() {
    QTest::addColumn<QString>("role");
    QTest::newRow("nobody signed in") << QString();
    QTest::newRow("财务主管") << QStringLiteral("财务主管");
    QTest::newRow("财务总监") << QStringLiteral("财务总监");
    QTest::newRow("总经理") << QStringLiteral("总经理");
    QTest::newRow("业务员") << QStringLiteral("业务员");
    QTest::newRow("unknown role") << QStringLiteral("管理员 ");
}

// Whatever reaches the handlers of the settings page, they do nothing unless "管理员" is signed in:
// no prompt, no password shown, nothing stored.
void TestPickLists::onlyTheAdministratorChangesSettings() {
    QFETCH(QString, role);
    TestProgram program;
    CurrentRole = role;
    program.Exec(QStringLiteral("Update Power Set PowerKey = 'd1' Where PowerName = '财务总监'"));
    const QString powers = QStringLiteral("Select PowerKey From Power Order By PowerIndex");
    const QString parameters = QStringLiteral("Select ParameterValue From Parameter Order By ParameterIndex");
    const QString powerBefore = program.Joined(powers, QStringLiteral("|"));
    const QString parametersBefore = program.Joined(parameters, QStringLiteral("|"));
    for (int type = 1; type <= 4; ++type) {
        FormMain->PickList(type)->addItem(QStringLiteral("x"));
        FormMain->PickList(type)->setCurrentRow(0);
        for (int which = 0; which < 3; ++which)
            Button(type, which)->click();
        emit FormMain->PickList(type)->itemDoubleClicked(FormMain->PickList(type)->item(0));
    }
    FormMain->ComboBox1->setCurrentIndex(2);
    emit FormMain->ComboBox1->activated(2);
    FormMain->Edit1->setText(QStringLiteral("taken"));
    FormMain->Edit2->setText(QStringLiteral("taken"));
    program.Prompts().QueueAnswer(true);
    program.Prompts().QueueAnswer(true);
    FormMain->Button10->click();
    FormMain->Button11->click();

    QCOMPARE(program.Prompts().Messages.size(), size_t(0));
    QCOMPARE(program.Prompts().UnexpectedModals, 0);
    QCOMPARE(FormMain->Edit1->text(), QStringLiteral("taken"));
    QCOMPARE(program.Joined(powers, QStringLiteral("|")), powerBefore);
    QCOMPARE(program.Joined(parameters, QStringLiteral("|")), parametersBefore);

    // The same clicks act once the administrator is signed in.
    CurrentRole = QStringLiteral("管理员");
    program.Prompts().Clear();
    program.Prompts().QueueAnswer(true);
    FormMain->Button10->click();
    QCOMPARE(program.Prompts().LastText(), QStringLiteral("用户密码修改成功"));
}

QTEST_MAIN(TestPickLists)
#include "tst_picklists.moc"
