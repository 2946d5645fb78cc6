#pragma once

#include <QString>

class QLabel;
class QWidget;

// Links a label to the field it names: clicking the label or its mnemonic focuses the field, and
// the field's accessible name is the label's text without its closing colon, so a screen reader
// reads it and tools find the field by its label. Returns the label.
QLabel* LinkLabel(QLabel* label, QWidget* field);
// A new label with text, linked to field.
QLabel* NewFieldLabel(const QString& text, QWidget* field, QWidget* parent);
