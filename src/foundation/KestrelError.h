#pragma once

#include <QString>
#include <stdexcept>

// The error that ends a user's action: raised by the data layer and the conversions, shown by the
// program-wide handler, after which the program goes on.
class KestrelError : public std::runtime_error {
public:
    explicit KestrelError(const QString& message)
        : std::runtime_error(message.toStdString())
        , text(message) {}
    QString Message() const { return text; }

private:
    QString text;
};
