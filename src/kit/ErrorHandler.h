#pragma once

#include <QApplication>
#include <exception>
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

// The application object: every event is delivered under the handler.
class KestrelApplication : public QApplication {
public:
    KestrelApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
