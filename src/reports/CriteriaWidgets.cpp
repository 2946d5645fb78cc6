#include "CriteriaWidgets.h"

#include "foundation/ShareDM.h"
#include "kit/CompletingBox.h"
#include "kit/Prompts.h"
#include "reports/ReportQueries.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

QLabel* MakeBanner(QWidget* parent) {
    auto* banner = new QLabel(parent);
    banner->setObjectName(QStringLiteral("Image1"));
    banner->setFixedHeight(50);
    banner->setScaledContents(true);
    const QPixmap picture(ProgramFolder + QStringLiteral("Res/ReportBanner.bmp"));
    if (!picture.isNull())
        banner->setPixmap(picture);
    return banner;
}

QDateEdit* MakeDatePicker(QWidget* parent, const char* name) {
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(QString::fromLatin1(name));
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return picker;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QComboBox* MakeCombo(QWidget* parent, const char* name, bool editable) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    // A typed name part is searched for as typed: completion proposes, it never lengthens it.
    if (editable)
        SetUpCompletingBox(combo);
    return combo;
}

void ShowSalesmanBox(QLineEdit* edit) {
    // A palette with no colour set lets the box take the window's normal colours again.
    QPalette palette;
    if (CurrentRole == QStringLiteral("业务员")) {
        edit->setText(CurrentUser);
        palette.setColor(QPalette::Base, QColor(222, 222, 222));
        edit->setReadOnly(true);
    } else {
        edit->clear();
        edit->setReadOnly(false);
    }
    edit->setPalette(palette);
}

void ResetCommonCriteria(const CommonCriteria& boxes, const QDate& working) {
    for (QLineEdit* edit : {boxes.AmountFrom, boxes.AmountTo, boxes.Remark, boxes.Serial})
        edit->clear();
    ShowSalesmanBox(boxes.Man);
    boxes.From->setDate(MonthFirstDay(working));
    boxes.To->setDate(MonthLastDay(working));
    boxes.DateRange->setChecked(false);
    boxes.AmountRange->setChecked(false);
    boxes.From->setEnabled(false);
    boxes.To->setEnabled(false);
    boxes.AmountFrom->setEnabled(false);
    boxes.AmountTo->setEnabled(false);
}

bool AmountBoxesAccepted(QLineEdit* from, QLineEdit* to) {
    const int refused = RefusedAmountBox(from->text(), to->text());
    if (refused == 0)
        return true;
    Prompts::Get().Information(QStringLiteral("金额格式有误，请重新输入"));
    (refused == 1 ? from : to)->setFocus();
    return false;
}

void AmountRangeClicked(QComboBox* kind, QCheckBox* range, QLineEdit* from, QLineEdit* to) {
    if (range->isChecked() && kind->currentIndex() == 0) {
        Prompts::Get().Information(QStringLiteral("请先选定“单据类型”后再填金额范围"));
        range->setChecked(false);
        return;
    }
    from->setEnabled(range->isChecked());
    to->setEnabled(range->isChecked());
}

void AmountKindChanged(QComboBox* kind, QLineEdit* from, QLineEdit* to) {
    if (kind->currentIndex() != 0)
        return;
    from->setEnabled(false);
    to->setEnabled(false);
    from->clear();
    to->clear();
}
