#include "DateTabStop.h"

#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QObject>

namespace {

class DateTabFilter : public QObject {
public:
    explicit DateTabFilter(QDateTimeEdit* edit)
        : QObject(edit)
        , edit(edit) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        // From the last section forward (the first backward) the edit hands the focus on.
        if (key->key() == Qt::Key_Backtab ||
            (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier)))
            edit->setCurrentSectionIndex(0);
        else if (key->key() == Qt::Key_Tab)
            edit->setCurrentSectionIndex(edit->sectionCount() - 1);
        return false;
    }

private:
    QDateTimeEdit* edit;
};

} // namespace

void MakeDateEditsOneTabStop(QWidget* window) {
    for (QDateTimeEdit* edit : window->findChildren<QDateTimeEdit*>()) {
        if (edit->property("oneTabStop").toBool())
            continue;
        edit->setProperty("oneTabStop", true);
        auto* filter = new DateTabFilter(edit);
        edit->installEventFilter(filter);
        for (QLineEdit* inner : edit->findChildren<QLineEdit*>())
            inner->installEventFilter(filter);
    }
}
