#include "ReadableFigure.h"

#include <QAccessibleWidget>

namespace {

class FigureInterface : public QAccessibleWidget {
public:
    explicit FigureInterface(FigureLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        const auto* label = static_cast<const FigureLabel*>(widget());
        switch (t) {
        case QAccessible::Name:
            return label->Caption() + QStringLiteral("：") + label->text();
        case QAccessible::Value:
            return label->text();
        case QAccessible::Description:
            return label->Caption();
        default:
            return QAccessibleWidget::text(t);
        }
    }
};

// Asked with the most derived class name first, so no other factory answers for a figure.
QAccessibleInterface* FigureFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("FigureLabel"))
        return nullptr;
    auto* label = qobject_cast<FigureLabel*>(object);
    return label != nullptr ? new FigureInterface(label) : nullptr;
}

} // namespace

FigureLabel::FigureLabel(const QString& caption, const QString& text, QWidget* parent)
    : QLabel(text, parent)
    , caption(caption) {
    static const bool installed = [] {
        QAccessible::installFactory(FigureFactory);
        return true;
    }();
    Q_UNUSED(installed);
}
