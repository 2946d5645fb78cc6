#include "ShownFields.h"

#include "kit/ErrorHandler.h"
#include "kit/Prompts.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

QString ShownValue(const QWidget* field) {
    if (const auto* edit = qobject_cast<const QLineEdit*>(field))
        return edit->text();
    if (const auto* box = qobject_cast<const QComboBox*>(field))
        return box->currentText();
    if (const auto* date = qobject_cast<const QDateTimeEdit*>(field))
        return date->dateTime().toString(Qt::ISODate);
    if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(field))
        return spin->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(field))
        return button->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    if (const auto* text = qobject_cast<const QPlainTextEdit*>(field))
        return text->toPlainText();
    if (const auto* text = qobject_cast<const QTextEdit*>(field))
        return text->toPlainText();
    return QString();
}

void ShownFields::Take(const QList<QWidget*>& widgets) {
    Forget();
    for (QWidget* widget : widgets) {
        fields << widget;
        values << ShownValue(widget);
    }
}

void ShownFields::Forget() {
    fields.clear();
    values.clear();
}

bool ShownFields::Changed() const {
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i] && ShownValue(fields[i]) != values[i])
            return true;
    }
    return false;
}

bool MayCloseWithoutSaving(QDialog* editor, bool changed, const std::function<void()>& save) {
    if (!changed || !editor->isVisible())
        return true;
    switch (Prompts::Get().AskToSave(QStringLiteral("是否保存修改？"), QStringLiteral("保存修改"))) {
    case SaveAnswer::Save:
        RunGuarded(save); // closes the editor when it stored; otherwise it said why and stays open
        return false;
    case SaveAnswer::Discard:
        return true;
    case SaveAnswer::Cancel:
        break;
    }
    return false;
}
