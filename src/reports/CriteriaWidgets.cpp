#include "CriteriaWidgets.h"

#include "foundation/ShareDM.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

QLabel* MakeBanner(QWidget* parent) {
    auto* banner = new QLabel(parent);
    banner->setObjectName(QStringLiteral("Image1"));
    banner->setFixedHeight(50);
    banner->setScaledContents(true);
    const QPixmap picture(ProgramFolder + QStringLiteral("Res/ReportBanner.bmp"));
    if (!picture.isNull())
        banner->setPixmap(picture);
    return banner;
}

QDateEdit* MakeDatePicker(QWidget* parent, const char* name) {
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(QString::fromLatin1(name));
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return picker;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QComboBox* MakeCombo(QWidget* parent, const char* name, bool editable) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(editable);
    if (editable)
        combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

void ShowSalesmanBox(QLineEdit* edit) {
    // A palette with no colour set lets the box take the window's normal colours again.
    QPalette palette;
    if (CurrentRole == QStringLiteral("业务员")) {
        edit->setText(CurrentUser);
        palette.setColor(QPalette::Base, QColor(222, 222, 222));
        edit->setReadOnly(true);
    } else {
        edit->clear();
        edit->setReadOnly(false);
    }
    edit->setPalette(palette);
}
