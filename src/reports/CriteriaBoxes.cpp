#include "CriteriaBoxes.h"

#include "kit/Prompts.h"
#include "reports/ReportQueries.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

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
