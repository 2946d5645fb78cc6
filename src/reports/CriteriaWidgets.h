#pragma once

#include <QString>

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
