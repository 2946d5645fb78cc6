#include "documents/EditorScripts.h"
#include "kit/DataGrid.h"
#include "kit/PictureFrame.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/SignInScripts.h"
#include "signin/StaffRules.h"
#include "signin/UserForm.h"
#include "signin/UserForm2.h"
#include "support/Books.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

// Staff management: the salesman slots, the face picker, the rights, duplicate names and the
// hand-over of a renamed salesman's records.
class TestStaff : public QObject {
    Q_OBJECT
private slots:
    void namingAFreeSlotAsksNothing();
    void renameHandsOverOnYes_data();
    void renameHandsOverOnYes();
    void duplicateNamesRefused_data();
    void duplicateNamesRefused();
    void rightsTexts_data();
    void rightsTexts();
    void rightsReadFromNull();
    void sessionFollowsTheSignedInSlot_data();
    void sessionFollowsTheSignedInSlot();
    void unchangedNameAsksNothing();
    void failedHandOverMovesNothing();
    void facePicker();
    void faceFrameHighlight();
    void layoutWithASalesman();
    void changedByAnotherWorkstation_data();
    void changedByAnotherWorkstation();
};

namespace {

// Opens staff management from the sign-in window (administrator password empty), runs `inside`
// on the staff window, then records the sign-in window's face captions after it closed.
void ThroughSignIn(TestProgram& program, std::function<void(TFormUser*)> inside, QStringList* captions) {
    program.Prompts().QueueModal(OnLogin([captions](TFormLogin* login) {
        login->ManManage->click();
        for (QToolButton* face : login->Man)
            *captions << face->text();
    }));
    program.Prompts().QueueModal(AnswerPrompt(QString()));
    program.Prompts().QueueModal(On<TFormUser>(std::move(inside)));
    Prompts::Get().ShowModal(FormLogin);
}

// Runs `inside` on the staff window alone.
void OnStaff(TestProgram& program, std::function<void(TFormUser*)> inside) {
    program.Prompts().QueueModal(On<TFormUser>(std::move(inside)));
    Prompts::Get().ShowModal(FormUser);
}

QStringList Slot(int index) {
    return RowOf(QStringLiteral("Select PowerName, PowerKey, PowerPicture, PowerRange From Power Where "
                                "PowerIndex = %1")
                     .arg(index));
}

// Records of 张三 in every table that names a salesman.
void RecordsOf(TestProgram& program, const QString& man) {
    const QDate today = QDate::currentDate();
    AddCustomer(program, QStringLiteral("老王"), man);
    AddCustomer(program, QStringLiteral("老李"), man);
    AddCustomer(program, QStringLiteral("别人的"), QStringLiteral("李四"));
    const int account = AddAccount(program, QStringLiteral("张三的帐户"));
    program.Exec(QStringLiteral("Update Account Set AccountMan = ") + SqlText(man));
    const int bill = AddBill(program, QStringLiteral("销售开单"), QStringLiteral("老王"), 100, man, today);
    AddVoucher(program, account, bill, QStringLiteral("老王"), 40, man, today);
    AddVoucher(program, account, 0, QStringLiteral("老李"), -5, QStringLiteral("李四"), today);
}

QStringList Owners(TestProgram& program) {
    QStringList owners;
    for (const char* sql : {"Select CustomerMan From Customer Where CustomerIndex > 1 Order By CustomerIndex",
                            "Select BillMan From Bill Where BillIndex > 1 Order By BillIndex",
                            "Select MoneyMan From MoneyTable Where MoneyIndex > 1 Order By MoneyIndex",
                            "Select AccountMan From Account Where AccountIndex > 1 Order By AccountIndex"})
        owners << program.Joined(QString::fromUtf8(sql));
    return owners;
}

// The names on the customer cards shown, sorted.
QStringList CardNames() {
    QStringList names;
    for (int slot = 1; slot <= 15; ++slot) {
        auto* label = FormMain->findChild<QLabel*>(QStringLiteral("CustomerName%1").arg(slot));
        if (label && !label->parentWidget()->isHidden())
            names << label->text();
    }
    names.sort();
    return names;
}

} // namespace

void TestStaff::namingAFreeSlotAsksNothing() {
    TestProgram program;
    SetSlot(program, 1, QStringLiteral("张三"), QStringLiteral("1"), QStringLiteral("业务管理；"));
    QString firstShown;
    int rows = 0;
    QStringList captions;
    ThroughSignIn(
        program,
        [&](TFormUser* form) {
            rows = form->DBGridEh1->model()->rowCount();
            firstShown = form->Edit1->text();
            form->DBGridEh1->selectRow(2); // slot 3, not in use
            form->Edit1->setText(QStringLiteral("王五"));
            form->Edit2->setText(QStringLiteral("k5"));
            form->CheckBox1->setChecked(false);
            form->CheckBox2->setChecked(true);
            program.Prompts().QueueModal(On<TFormUser2>([](TFormUser2* picker) {
                picker->RadioButtons[6]->setChecked(true);
                picker->BitBtn1->click();
            }));
            QTest::mouseClick(form->Image1, Qt::LeftButton);
            QCOMPARE(form->Edit3->text(), QStringLiteral("Faces/7.bmp"));
            QCOMPARE(Slot(3).value(2), QStringLiteral("Faces/3.bmp")); // nothing stored before 确定
            form->Button1->click();
            // The grid shows the stored values on the same slot.
            QCOMPARE(form->DBGridEh1->CurrentRow(), 2);
            QCOMPARE(form->Edit1->text(), QStringLiteral("王五"));
        },
        &captions);
    QCOMPARE(rows, 16);
    QCOMPARE(firstShown, QStringLiteral("张三"));
    QCOMPARE(Slot(3), QStringList({QStringLiteral("王五"), QStringLiteral("k5"),
                                   QStringLiteral("Faces/7.bmp"), QStringLiteral("财务管理；")}));
    // No question, no message; the sign-in window shows the new salesman at once.
    QVERIFY(program.Prompts().Texts().isEmpty());
    QCOMPARE(captions.value(2), QStringLiteral("王五"));
    QCOMPARE(program.Prompts().PendingScripts(), 0);
    QCOMPARE(program.Prompts().UnexpectedModals, 0);
}

void TestStaff::renameHandsOverOnYes_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes") << true;
    QTest::newRow("No") << false;
}

void TestStaff::renameHandsOverOnYes() {
    QFETCH(bool, yes);
    TestProgram program;
    SetSlot(program, 1, QStringLiteral("张三"), QStringLiteral("1"), QStringLiteral("业务管理；"));
    SetSlot(program, 2, QStringLiteral("李四"), QStringLiteral("2"), QString());
    RecordsOf(program, QStringLiteral("张三"));
    const QString newName = QStringLiteral("O'Neil 李");
    program.Prompts().QueueAnswer(yes);
    QStringList captions;
    ThroughSignIn(
        program,
        [&](TFormUser* form) {
            form->Edit1->setText(newName);
            form->Button1->click();
        },
        &captions);
    QCOMPARE(Slot(1).value(0), newName);
    QCOMPARE(captions.value(0), newName);
    QCOMPARE(program.Prompts().Messages[3].Kind, QStringLiteral("question"));
    QCOMPARE(program.Prompts().Messages[3].Title, QStringLiteral("移交确认"));
    const QString moved = yes ? newName : QStringLiteral("张三");
    QCOMPARE(Owners(program), QStringList({moved + "," + moved + ",李四", moved, moved + ",李四",
                                           QStringLiteral("张三")})); // accounts keep the old name
    QCOMPARE(program.Prompts().Texts(),
             yes ? QStringList({QStringLiteral("业务员名字已改变，是否把旧业务员数据移交给新业务员管理？"),
                                QStringLiteral("业务员数据移交成功")})
                 : QStringList({QStringLiteral("业务员名字已改变，是否把旧业务员数据移交给新业务员管理？")}));
}

void TestStaff::duplicateNamesRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("another slot") << QStringLiteral("李四");
    QTest::newRow("another slot, other letter case") << QStringLiteral("bob");
    QTest::newRow("a role") << QStringLiteral("管理员");
    QTest::newRow("the edit password row") << QStringLiteral("修改");
}

void TestStaff::duplicateNamesRefused() {
    QFETCH(QString, name);
    TestProgram program;
    SetSlot(program, 1, QStringLiteral("张三"), QStringLiteral("1"), QStringLiteral("业务管理；"));
    SetSlot(program, 2, QStringLiteral("李四"), QStringLiteral("2"), QString());
    SetSlot(program, 3, QStringLiteral("Bob"), QStringLiteral("3"), QString());
    RecordsOf(program, QStringLiteral("张三"));
    const QStringList before = Slot(1);
    QString kept;
    OnStaff(program, [&](TFormUser* form) {
        form->Edit1->setText(name);
        form->Edit2->setText(QStringLiteral("new key"));
        form->Button1->click();
        kept = form->Edit1->text();
    });
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("名字有重复，请重新操作")});
    QCOMPARE(Slot(1), before);
    QCOMPARE(kept, name);
    QCOMPARE(Owners(program).value(1), QStringLiteral("张三"));
}

void TestStaff::rightsTexts_data() {
    QTest::addColumn<bool>("business");
    QTest::addColumn<bool>("finance");
    QTest::addColumn<QString>("rights");
    QTest::newRow("none") << false << false << QString();
    QTest::newRow("business") << true << false << QStringLiteral("业务管理；");
    QTest::newRow("finance") << false << true << QStringLiteral("财务管理；");
    QTest::newRow("both") << true << true << QStringLiteral("业务管理；财务管理；");
}

void TestStaff::rightsTexts() {
    QFETCH(bool, business);
    QFETCH(bool, finance);
    QFETCH(QString, rights);
    QCOMPARE(RightsText(business, finance), rights);
    TestProgram program;
    SetSlot(program, 4, QStringLiteral("赵六"), QString(), QStringLiteral("财务管理；业务管理；"));
    bool shownBusiness = false, shownFinance = false;
    OnStaff(program, [&](TFormUser* form) {
        form->DBGridEh1->selectRow(3);
        shownBusiness = form->CheckBox1->isChecked();
        shownFinance = form->CheckBox2->isChecked();
        form->CheckBox1->setChecked(business);
        form->CheckBox2->setChecked(finance);
        form->Button1->click();
    });
    QVERIFY(shownBusiness && shownFinance);
    QCOMPARE(Slot(4).value(3), rights);
    // Without rights the empty text is stored, not NULL.
    QVERIFY(!RightsText(business, finance).isNull());
    QCOMPARE(program.Scalar(
                 QStringLiteral("Select Count(*) From Power Where PowerIndex = 4 And PowerRange Is Null")),
             QStringLiteral("0"));
    QCOMPARE(
        program.Scalar(QStringLiteral("Select Count(*) From Power Where PowerIndex = 4 And PowerRange = ") +
                       SqlText(rights)),
        QStringLiteral("1"));
}

void TestStaff::rightsReadFromNull() {
    // A slot whose rights are NULL (written so by an older program) reads as having none.
    TestProgram program;
    SetSlot(program, 5, QStringLiteral("钱七"), QStringLiteral("7"), QString());
    program.Exec(QStringLiteral("Update Power Set PowerRange = NULL Where PowerIndex = 5"));
    SlotFields fields;
    QVERIFY(ReadSlot(ShareDataModule->ADOConnection1, 5, &fields));
    QVERIFY(!fields.Rights.isNull());
    QCOMPARE(fields.Rights, QString());
    QCOMPARE(fields.Name, QStringLiteral("钱七"));
    bool business = true, finance = true;
    OnStaff(program, [&](TFormUser* form) {
        form->DBGridEh1->selectRow(4);
        business = form->CheckBox1->isChecked();
        finance = form->CheckBox2->isChecked();
        form->Edit2->setText(QStringLiteral("8"));
        form->Button1->click();
    });
    QVERIFY(!business && !finance);
    QCOMPARE(
        program.Scalar(QStringLiteral("Select Count(*) From Power Where PowerIndex = 5 And PowerRange = ''")),
        QStringLiteral("1"));
    // Signed in, he has no rights: no page at all.
    QueueSalesmanSignIn(program, 5, QStringLiteral("8"));
    QVERIFY(FormMain->SignInAndSetUp());
    QCOMPARE(CurrentRights, QString());
    QCOMPARE(FormMain->PageControl1->count(), 0);
}

void TestStaff::sessionFollowsTheSignedInSlot_data() {
    QTest::addColumn<QString>("change"); // what staff management does to the signed-in 张三's slot
    QTest::addColumn<QString>("user");   // CurrentUser afterwards
    QTest::addColumn<QString>("owner");  // whose customers the customer cards list
    QTest::addColumn<QList<bool>>("tabs");
    const QList<bool> both{true, true, true, true, true, true, false, false};
    QTest::newRow("renamed with hand-over") << "rename yes"
                                            << "O'Neil 李"
                                            << "O'Neil 李" << both;
    QTest::newRow("renamed without hand-over") << "rename no"
                                               << "O'Neil 李"
                                               << "" << both;
    QTest::newRow("finance right taken")
        << "rights"
        << "张三"
        << "张三" << QList<bool>{true, true, true, false, false, false, false, false};
    QTest::newRow("slot emptied elsewhere") << "empty"
                                            << ""
                                            << "" << QList<bool>(8, false);
    QTest::newRow("another slot renamed") << "other"
                                          << "张三"
                                          << "张三" << both;
}

void TestStaff::sessionFollowsTheSignedInSlot() {
    QFETCH(QString, change);
    QFETCH(QString, user);
    QFETCH(QString, owner);
    QFETCH(QList<bool>, tabs);
    TestProgram program;
    FormMain->SetWorkingDate(QDate::currentDate());
    SetSlot(program, 1, QStringLiteral("张三"), QStringLiteral("1"), QStringLiteral("业务管理；财务管理；"));
    SetSlot(program, 2, QStringLiteral("李四"), QStringLiteral("2"), QStringLiteral("业务管理；"));
    RecordsOf(program, QStringLiteral("张三"));
    QueueSalesmanSignIn(program, 1, QStringLiteral("1"));
    QVERIFY(FormMain->SignInAndSetUp());
    const QStringList his = CardNames();
    QCOMPARE(his, QStringList({QStringLiteral("老李"), QStringLiteral("老王")}));
    FormMain->ShowPage(TFormMain::PageBills);

    // 软件导航 → 人员管理, a change to the slot, then the sign-in window is left without signing in.
    program.Prompts().QueueModal(OnLogin([&](TFormLogin* login) {
        if (change == QStringLiteral("empty"))
            program.Exec(QStringLiteral("Update Power Set PowerName = '' Where PowerIndex = 1"));
        else
            login->ManManage->click();
        login->ImageUp4Click();
    }));
    if (change != QStringLiteral("empty")) {
        program.Prompts().QueueModal(AnswerPrompt(QString()));
        program.Prompts().QueueModal(On<TFormUser>([&](TFormUser* form) {
            if (change == QStringLiteral("other")) {
                form->DBGridEh1->selectRow(1);
                form->Edit1->setText(QStringLiteral("王五"));
            } else if (change == QStringLiteral("rights")) {
                form->CheckBox2->setChecked(false);
            } else {
                form->Edit1->setText(QStringLiteral("O'Neil 李"));
            }
            form->Button1->click();
        }));
        program.Prompts().QueueAnswer(change != QStringLiteral("rename no"));
    }
    FormMain->ActionLogin->trigger();
    QCOMPARE(program.Prompts().PendingScripts(), 0);
    QCOMPARE(program.Prompts().UnexpectedModals, 0);

    QList<bool> shown;
    for (int page = TFormMain::PageCustomers; page <= TFormMain::PageMaintenance; ++page)
        shown << FormMain->PageReachable(TFormMain::Page(page));
    QCOMPARE(shown, tabs);
    QCOMPARE(CurrentUser, user);
    QCOMPARE(CurrentRole, user.isEmpty() ? QString() : QStringLiteral("业务员"));
    if (user.isEmpty()) {
        QCOMPARE(FormMain->Login->text(), QStringLiteral("软件导航"));
        return;
    }
    QCOMPARE(FormMain->Login->text(), user);
    QCOMPARE(CurrentRights, change == QStringLiteral("rights") ? QStringLiteral("业务管理；")
                                                               : QStringLiteral("业务管理；财务管理；"));
    // The lists are his under his present name.
    QCOMPARE(CustomerFilter, QStringLiteral(" And (CustomerMan = ") + SqlText(user) + QLatin1Char(')'));
    QCOMPARE(program.Joined(QStringLiteral("Select CustomerMan From Customer Where (CustomerIndex > 1)") +
                            CustomerFilter),
             owner.isEmpty() ? QString() : owner + QLatin1Char(',') + owner);
    QCOMPARE(CardNames(), owner.isEmpty() ? QStringList() : his);
}

void TestStaff::unchangedNameAsksNothing() {
    TestProgram program;
    SetSlot(program, 1, QStringLiteral("张三"), QStringLiteral("1"), QString());
    OnStaff(program, [](TFormUser* form) {
        form->Edit2->setText(QStringLiteral("新密码"));
        form->Button1->click();
    });
    QVERIFY(program.Prompts().Texts().isEmpty());
    QCOMPARE(Slot(1).value(1), QStringLiteral("新密码"));
}

void TestStaff::failedHandOverMovesNothing() {
    TestProgram program;
    SetSlot(program, 1, QStringLiteral("张三"), QStringLiteral("1"), QString());
    RecordsOf(program, QStringLiteral("张三"));
    // The vouchers cannot be written: the customers and documents must not move alone.
    program.RefuseWrites(QStringLiteral("MoneyTable"), QStringLiteral("Update"), QStringLiteral("locked"));
    program.Prompts().QueueAnswer(true);
    OnStaff(program, [](TFormUser* form) {
        form->Edit1->setText(QStringLiteral("新人"));
        form->Button1->click();
    });
    QCOMPARE(program.Prompts().Messages.back().Kind, QStringLiteral("error"));
    QVERIFY(program.Prompts().LastText().startsWith(QStringLiteral("业务员数据移交失败")));
    QCOMPARE(Owners(program), QStringList({"张三,张三,李四", "张三", "张三,李四", "张三"}));
    // The slot itself was stored before the question.
    QCOMPARE(Slot(1).value(0), QStringLiteral("新人"));
}

void TestStaff::facePicker() {
    TestProgram program;
    // Five rows of nine, the last with three.
    QCOMPARE(FormUser2->RadioButtons.size(), size_t(39));
    QCOMPARE(FormUser2->RadioButtons[0]->text(), QStringLiteral("头像1"));
    QCOMPARE(FormUser2->RadioButtons[38]->text(), QStringLiteral("头像39"));
    QCOMPARE(FormUser2->RadioButtons[8]->y(), FormUser2->RadioButtons[0]->y());
    QVERIFY(FormUser2->RadioButtons[9]->y() > FormUser2->RadioButtons[0]->y());
    QCOMPARE(FormUser2->RadioButtons[36]->x(), FormUser2->RadioButtons[0]->x());
    QCOMPARE(FormUser2->RadioButtons[38]->y(), FormUser2->RadioButtons[36]->y());
    QVERIFY(FormUser2->RadioButtons[36]->y() > FormUser2->RadioButtons[27]->y());
    QVERIFY(!FormUser2->Faces[38]->pixmap().isNull());

    auto show = [&](const QString& path, std::function<void(TFormUser2*)> inside) {
        FormUser2->FacePath = path;
        program.Prompts().QueueModal(On<TFormUser2>(std::move(inside)));
        return Prompts::Get().ShowModal(FormUser2);
    };
    int checked = -1;
    QCOMPARE(show(QStringLiteral("Faces/7.bmp"),
                  [&](TFormUser2* picker) {
                      checked = picker->CheckedFace();
                      picker->BitBtn1->click();
                  }),
             int(QDialog::Accepted));
    QCOMPARE(checked, 7);
    QCOMPARE(FormUser2->FacePath, QStringLiteral("Faces/7.bmp"));

    // No face equals the path (another letter case, another separator): the state of the
    // previous use stays, and OK returns that face.
    for (const QString& path : {QStringLiteral("faces/12.bmp"), QStringLiteral("Faces\\12.bmp")}) {
        show(path, [&](TFormUser2* picker) {
            checked = picker->CheckedFace();
            picker->BitBtn1->click();
        });
        QCOMPARE(checked, 7);
        QCOMPARE(FormUser2->FacePath, QStringLiteral("Faces/7.bmp"));
    }

    // A click on a face checks it; cancelling keeps the path given.
    QCOMPARE(show(QStringLiteral("Faces/3.bmp"),
                  [](TFormUser2* picker) {
                      QTest::mouseClick(picker->Faces[38], Qt::LeftButton);
                      QVERIFY(picker->RadioButtons[38]->isChecked());
                      picker->BitBtn2->click();
                  }),
             int(QDialog::Rejected));
    QCOMPARE(FormUser2->FacePath, QStringLiteral("Faces/3.bmp"));
}

void TestStaff::faceFrameHighlight() {
    TestProgram program;
    auto colour = [] { return FormUser->Shape1->Fill(); };
    const QColor normal = colour();
    QMouseEvent over(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(FormUser->Image1, &over);
    QCOMPARE(colour(), QColor(166, 202, 240));
    QMouseEvent away(QEvent::MouseMove, QPointF(600, 300), QPointF(600, 300), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(FormUser, &away);
    QCOMPARE(colour(), normal);
}

void TestStaff::layoutWithASalesman() {
    TestProgram program;
    SetSlot(program, 1, QStringLiteral("张三"), QStringLiteral("zs123"),
            QStringLiteral("业务管理；财务管理；"), QStringLiteral("Faces/12.bmp"));
    SetSlot(program, 2, QStringLiteral("李四"), QStringLiteral("ls"), QStringLiteral("业务管理；"));
    QStringList staffOutside{QStringLiteral("not shown")}, pickerOutside{QStringLiteral("not shown")};
    OnStaff(program, [&](TFormUser* form) {
        staffOutside = ChildrenOutside(form);
        SaveScreenshot(form, QStringLiteral("staff-window.png"));
        program.Prompts().QueueModal(On<TFormUser2>([&](TFormUser2* picker) {
            pickerOutside = ChildrenOutside(picker);
            SaveScreenshot(picker, QStringLiteral("face-picker.png"));
        }));
        form->Image1Click();
    });
    QCOMPARE(staffOutside, QStringList());
    QCOMPARE(pickerOutside, QStringList());
    QVERIFY(!FormUser->Image1->pixmap().isNull());
}

void TestStaff::changedByAnotherWorkstation_data() {
    QTest::addColumn<QString>("otherDoes"); // a statement another workstation runs on slot 1
    QTest::newRow("change") << "Update Power Set PowerKey = '999' Where PowerIndex = 1";
    QTest::newRow("letter case") << "Update Power Set PowerName = 'ABC' Where PowerIndex = 1";
}

// Another workstation changes the slot the staff window shows: 确定 is refused with the message,
// nothing of the window's values is stored and nothing is handed over.
void TestStaff::changedByAnotherWorkstation() {
    QFETCH(QString, otherDoes);
    TestProgram program;
    SetSlot(program, 1, QStringLiteral("abc"), QStringLiteral("1"), QStringLiteral("业务管理；"));
    DbConnection other;
    QVERIFY(program.OpenOtherWorkstation(other));
    QStringList before;
    OnStaff(program, [&](TFormUser* form) {
        Query(&other).ExecSql(otherDoes);
        before = AllRows(other);
        form->Edit1->setText(QStringLiteral("王五"));
        form->Edit2->setText(QStringLiteral("k5"));
        form->Button1->click();
    });
    QCOMPARE(program.Prompts().Texts(), QStringList{QStringLiteral("该记录已被其他用户修改，请刷新后重试")});
    QCOMPARE(AllRows(other), before);
}

QTEST_MAIN(TestStaff)
#include "tst_staff.moc"
