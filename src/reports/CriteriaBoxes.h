#pragma once

class QCheckBox;
class QComboBox;
class QLineEdit;

// The amount range of the two criteria windows: the same boxes and rules in both.

// False, after the message and with the focus on the box, when a filled box is no amount.
bool AmountBoxesAccepted(QLineEdit* from, QLineEdit* to);

// The range check box: refused while the kind box shows "所有"; otherwise it enables the boxes.
void AmountRangeClicked(QComboBox* kind, QCheckBox* range, QLineEdit* from, QLineEdit* to);

// Back to "所有": the range boxes are emptied and disabled.
void AmountKindChanged(QComboBox* kind, QLineEdit* from, QLineEdit* to);
