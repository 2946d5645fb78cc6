#pragma once

#include <QColor>
#include <QFrame>
#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <array>

class QLabel;
class QPushButton;
class QWidget;

// The panel of one card; Tag holds the key of the record it shows.
class CardPanel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(int Tag MEMBER Tag)
public:
    using QFrame::QFrame;
    int Tag = 0;
};

// The controls of one card slot.
struct CardSlot {
    CardPanel* Panel = nullptr;
    QLabel* Image = nullptr;
    QLabel* Under = nullptr; // the label under the icon; none on account cards
    std::array<QLabel*, 3> Captions{};
    std::array<QLabel*, 3> Values{};
};

// What one card page is called: the control names and captions of its kind of card.
struct CardPageNames {
    QString Prefix;                    // "Customer": CustomerPanel1, CustomerImage1, ...
    std::array<QString, 3> ValueNames; // "CustomerName", "CustomerMoney", "CustomerOwe"
    std::array<QString, 3> Captions;   // "名称：", "货款：", "欠款："
    QString UnderName;                 // "CustomerType", empty when the card has none
    QString StatusName;                // "CustomerSum"
    QString PriorName;                 // "CustomerPrior"
    QString NewName;                   // "NewCustomer"
    QString NewCaption;                // "新增客户"
    QString NextName;                  // "CustomerNext"
};

// A card page on a tab sheet: fifteen 209 x 79 cards in five rows of three, the status label,
// the previous / new / next buttons and the empty-page picture. It reports clicks and mouse
// movement per slot (1..15; 0 is the page's own background).
class CardPage : public QObject {
    Q_OBJECT
public:
    static QColor HotColour() { return QColor(166, 202, 240); }
    static QColor CoolColour() { return QColor(223, 231, 241); }

    CardPage(QWidget* sheet, const CardPageNames& names);

    QWidget* Sheet;
    std::array<CardSlot, 15> Slots;
    QLabel* Status;
    QPushButton* PriorButton;
    QPushButton* NewButton;
    QPushButton* NextButton;
    QLabel* EmptyPicture;

    // Start of a refresh: both page buttons disabled.
    void BeginRefresh();
    // After counting: the empty-page picture and the page buttons for records and page p.
    void ShowPaging(int records, int page);
    // Fills slot (1..15) and shows it. The icon file is relative to the program folder.
    void FillSlot(int slot, int tag, const QString& iconFile, const QColor& colour, const QString& under,
                  const std::array<QString, 3>& values);
    void HideSlot(int slot);
    void HideSlotsFrom(int slot);
    // Panel `slot` hot, every other panel of the page cool; slot 0 makes them all cool.
    void Highlight(int slot);

signals:
    void CardClicked(int slot);
    void CardHovered(int slot);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Watch(QWidget* widget, int slot);
    QHash<QString, QPixmap> icons;
};
