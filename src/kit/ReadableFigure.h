#pragma once

#include <QLabel>
#include <QString>

// A figure shown as a bare number (the analysis diagram, the customer card), read by a screen
// reader with its caption: its accessible name is "caption：value" and follows the text, its value
// is the number and its description the caption.
class FigureLabel : public QLabel {
    Q_OBJECT
public:
    FigureLabel(const QString& caption, const QString& text, QWidget* parent);
    QString Caption() const { return caption; }

private:
    QString caption;
};
