#pragma once

#include <QDate>
#include <QString>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QWidget;

// Pieces shared by the two criteria windows.

// The banner picture at the top of a criteria window.
QLabel* MakeBanner(QWidget* parent);
QDateEdit* MakeDatePicker(QWidget* parent, const char* name);
QLineEdit* MakeEdit(QWidget* parent, const char* name);
QComboBox* MakeCombo(QWidget* parent, const char* name, bool editable);

// The salesman box: a salesman sees his own name, grey and read-only; the managers an empty,
// editable box in the normal colour.
void ShowSalesmanBox(QLineEdit* edit);

// The boxes both windows share, emptied and set to the working month at each showing.
struct CommonCriteria {
    QLineEdit* AmountFrom;
    QLineEdit* AmountTo;
    QLineEdit* Remark;
    QLineEdit* Serial;
    QLineEdit* Man;
    QDateEdit* From;
    QDateEdit* To;
    QCheckBox* DateRange;
    QCheckBox* AmountRange;
};
void ResetCommonCriteria(const CommonCriteria& boxes, const QDate& working);

// The amount range of the two criteria windows: the same boxes and rules in both.

// False, after the message and with the focus on the box, when a filled box is no amount.
bool AmountBoxesAccepted(QLineEdit* from, QLineEdit* to);

// The range check box: refused while the kind box shows "所有"; otherwise it enables the boxes.
void AmountRangeClicked(QComboBox* kind, QCheckBox* range, QLineEdit* from, QLineEdit* to);

// Back to "所有": the range boxes are emptied and disabled.
void AmountKindChanged(QComboBox* kind, QLineEdit* from, QLineEdit* to);
