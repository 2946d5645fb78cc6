#include "CardPage.h"
#include "MainForm.h"
#include "PreferenceRules.h"
#include "foundation/IniFile.h"
#include "foundation/ShareDM.h"
#include "kit/ErrorHandler.h"

#include <QComboBox>
#include <QLabel>
#include <iterator>

// The sort and date-range boxes of the card pages, kept in Kestrel.ini (section "Kestrel").

namespace {
const QString IniSection = QStringLiteral("Kestrel");

QComboBox* MakeBox(QWidget* page, const PreferenceBox& box, int y) {
    auto* combo = new QComboBox(page);
    combo->setObjectName(QString::fromLatin1(box.Name));
    combo->addItems(box.Items);
    combo->setCurrentIndex(0);
    combo->setGeometry(672, y, 90, 22);
    CardPage::MarkRightColumn(combo);
    return combo;
}

QLabel* MakeLabel(QWidget* page, const char* name, const QString& text, int y) {
    auto* label = new QLabel(text, page);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(672, y, 90, 16);
    CardPage::MarkRightColumn(label);
    return label;
}

// Writes the box's chosen index under its key.
void StorePreference(const QComboBox* combo) {
    for (const PreferenceBox& box : PreferenceBoxes()) {
        if (combo->objectName() == QLatin1String(box.Name)) {
            WriteIniString(IniSection, box.IniKey, QString::number(combo->currentIndex()), IniFileName);
            return;
        }
    }
}
} // namespace

void TFormMain::BuildPreferenceBoxes() {
    const QList<PreferenceBox>& boxes = PreferenceBoxes();
    // The right column of each card page, under the page's action buttons.
    Label8 = MakeLabel(TabSheet8, "Label8", QStringLiteral("排序方式"), 100);
    ComboBox6 = MakeBox(TabSheet8, boxes[0], 118);
    ComboBox7 = MakeBox(TabSheet8, boxes[1], 146);
    Label9 = MakeLabel(TabSheet1, "Label9", QStringLiteral("单据日期"), 8);
    ComboBox3 = MakeBox(TabSheet1, boxes[2], 26);
    Label11 = MakeLabel(TabSheet1, "Label11", QStringLiteral("排序方式"), 60);
    ComboBox8 = MakeBox(TabSheet1, boxes[3], 78);
    ComboBox10 = MakeBox(TabSheet1, boxes[4], 106);
    Label10 = MakeLabel(TabSheet7, "Label10", QStringLiteral("单据日期"), 8);
    ComboBox4 = MakeBox(TabSheet7, boxes[5], 26);
    Label18 = MakeLabel(TabSheet7, "Label18", QStringLiteral("排序方式"), 60);
    ComboBox11 = MakeBox(TabSheet7, boxes[6], 78);
    ComboBox12 = MakeBox(TabSheet7, boxes[7], 106);

    // Only a user's pick counts as a change; setting a box from the program writes nothing.
    connect(ComboBox6, &QComboBox::activated, this, Guarded(this, &TFormMain::ComboBox6Change));
    connect(ComboBox7, &QComboBox::activated, this, Guarded(this, &TFormMain::ComboBox7Change));
    connect(ComboBox3, &QComboBox::activated, this, Guarded(this, &TFormMain::ComboBox3Change));
    connect(ComboBox8, &QComboBox::activated, this, Guarded(this, &TFormMain::ComboBox8Change));
    connect(ComboBox10, &QComboBox::activated, this, Guarded(this, &TFormMain::ComboBox10Change));
    connect(ComboBox4, &QComboBox::activated, this, Guarded(this, &TFormMain::ComboBox4Change));
    connect(ComboBox11, &QComboBox::activated, this, Guarded(this, &TFormMain::ComboBox11Change));
    connect(ComboBox12, &QComboBox::activated, this, Guarded(this, &TFormMain::ComboBox12Change));
}

void TFormMain::ReadViewPreferences() {
    // The boxes in the order of PreferenceBoxes(). Named directly: other windows of the program
    // are children of this one and have boxes of the same names.
    QComboBox* const combos[] = {ComboBox6,  ComboBox7, ComboBox3,  ComboBox8,
                                 ComboBox10, ComboBox4, ComboBox11, ComboBox12};
    Q_ASSERT(std::size(combos) == static_cast<size_t>(PreferenceBoxes().size()));
    for (qsizetype i = 0; i < PreferenceBoxes().size(); ++i) {
        const PreferenceBox& box = PreferenceBoxes()[i];
        QComboBox* combo = combos[i];
        Q_ASSERT(combo->objectName() == QLatin1String(box.Name));
        const QString stored = ReadIniString(IniSection, box.IniKey, box.Default, IniFileName);
        // A stored text that is no item number of the box shows the box's first item.
        combo->setCurrentIndex(StoredPreferenceIndex(stored, combo->count()));
    }
    ShowThousands(ReadThousandsPreference(IniFileName));
}

QString TFormMain::CustomerOrderClause() const {
    return CustomerOrderText(ComboBox6->currentText(), ComboBox7->currentText());
}

QString TFormMain::BillDateClause() const {
    return CardDateClause(QStringLiteral("Bill"), ComboBox3->currentText(), WorkingDate());
}

QString TFormMain::BillOrderClause() const {
    return CardOrderClause(QStringLiteral("Bill"), ComboBox8->currentText(), ComboBox10->currentText());
}

QString TFormMain::MoneyDateClause() const {
    return CardDateClause(QStringLiteral("Money"), ComboBox4->currentText(), WorkingDate());
}

QString TFormMain::MoneyOrderClause() const {
    return CardOrderClause(QStringLiteral("Money"), ComboBox11->currentText(), ComboBox12->currentText());
}

void TFormMain::ComboBox6Change() {
    StorePreference(ComboBox6);
    ShowCustomerCards();
}

void TFormMain::ComboBox7Change() {
    StorePreference(ComboBox7);
    ShowCustomerCards();
}

void TFormMain::ComboBox3Change() {
    StorePreference(ComboBox3);
    ShowBillCards();
}

void TFormMain::ComboBox8Change() {
    StorePreference(ComboBox8);
    ShowBillCards();
}

void TFormMain::ComboBox10Change() {
    StorePreference(ComboBox10);
    ShowBillCards();
}

void TFormMain::ComboBox4Change() {
    StorePreference(ComboBox4);
    ShowMoneyCards();
}

void TFormMain::ComboBox11Change() {
    StorePreference(ComboBox11);
    ShowMoneyCards();
}

void TFormMain::ComboBox12Change() {
    StorePreference(ComboBox12);
    ShowMoneyCards();
}
