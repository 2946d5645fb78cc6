#include "EnterAction.h"

#include "kit/ErrorHandler.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QObject>
#include <QWidget>

namespace {

class EnterFilter : public QObject {
public:
    EnterFilter(QWidget* window, std::function<void()> action)
        : QObject(window)
        , action(std::move(action)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != parent() || event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || modifiers != Qt::NoModifier)
            return false;
        // A focused button is the choice the user highlighted.
        auto* window = static_cast<QWidget*>(parent());
        if (auto* button = qobject_cast<QAbstractButton*>(window->focusWidget());
            button && button->isVisible() && button->isEnabled()) {
            button->click();
            return true;
        }
        RunGuarded(action);
        return true;
    }

private:
    std::function<void()> action;
};

} // namespace

void RunOnEnter(QWidget* window, std::function<void()> action) {
    window->installEventFilter(new EnterFilter(window, std::move(action)));
}
