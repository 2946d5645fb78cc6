#pragma once

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>

class QDialog;

// What an editor's fields showed once it had loaded, to tell later whether the user changed
// anything (a field typed back to its first value counts as unchanged).
class ShownFields {
public:
    void Take(const QList<QWidget*>& fields);
    void Forget();
    bool Taken() const { return !fields.isEmpty(); }
    bool Changed() const;

private:
    QList<QPointer<QWidget>> fields;
    QStringList values;
};

// The value a line edit, combo box, date edit, check box or spin box shows, as text.
QString ShownValue(const QWidget* field);

// Before an editor with changes closes without saving: asks "是否保存修改？". 保存 runs save (which
// may refuse and leave the editor open); true when the editor may close as a cancel.
bool MayCloseWithoutSaving(QDialog* editor, bool changed, const std::function<void()>& save);
