#include "FieldLabel.h"

#include <QLabel>

QLabel* LinkLabel(QLabel* label, QWidget* field) {
    label->setBuddy(field);
    QString name = label->text().trimmed();
    while (name.endsWith(QChar(0xFF1A)) || name.endsWith(QLatin1Char(':')))
        name.chop(1);
    field->setAccessibleName(name);
    return label;
}

QLabel* NewFieldLabel(const QString& text, QWidget* field, QWidget* parent) {
    return LinkLabel(new QLabel(text, parent), field);
}
