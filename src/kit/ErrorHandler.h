#pragma once

#include <QApplication>
#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

// The one program-wide handler: an error no handler caught ends the user's action, is shown in a
// message box, and the program goes on.
void ReportUncaught(const std::exception& error);

// Runs an action under the handler; false when it ended with an error.
template <class Action> bool RunGuarded(Action&& action) {
    try {
        std::forward<Action>(action)();
        return true;
    } catch (const std::exception& error) {
        ReportUncaught(error);
        return false;
    }
}

// A handler for QObject::connect that runs under the handler, so that an error ends the action
// inside the handler: an exception must not unwind through Qt's own event code (Qt is not built to
// be unwound: the event being delivered leaks and its state may be left half done).
//   connect(BitBtn1, &QPushButton::clicked, this, Guarded(this, &TFormX::BitBtn1Click));
//   connect(combo, &QComboBox::activated, this, Guarded([this] { Refresh(); }));
// The signal's arguments are passed when the handler takes them, dropped otherwise.
template <class Action> auto Guarded(Action action) {
    return [action = std::move(action)](auto&&... args) {
        RunGuarded([&] {
            if constexpr (std::is_invocable_v<Action&, decltype(args)...>)
                action(std::forward<decltype(args)>(args)...);
            else
                action();
        });
    };
}

template <class Object, class Handler> auto Guarded(Object* object, Handler handler) {
    return [object, handler](auto&&... args) {
        RunGuarded([&] {
            if constexpr (std::is_invocable_v<Handler, Object*, decltype(args)...>)
                std::invoke(handler, object, std::forward<decltype(args)>(args)...);
            else
                std::invoke(handler, object);
        });
    };
}

// The application object: every event is delivered under the handler, the last resort for an
// error that a handler connected without Guarded let escape.
class KestrelApplication : public QApplication {
public:
    KestrelApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
