#pragma once

#include <QColor>
#include <QFrame>
#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <array>
#include <vector>

class QLabel;
class QPushButton;
class QWidget;

// The panel of one card; Tag holds the key of the record it shows.
// The panel takes the keyboard focus and shows it with a dark frame.
class CardPanel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(int Tag MEMBER Tag)
public:
    using QFrame::QFrame;
    int Tag = 0;

protected:
    void paintEvent(QPaintEvent* event) override;
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

// A card page on a tab sheet: 209 x 79 cards in rows and columns, at least five rows of three and
// as many more as the sheet has room for, the status label, the previous / new / next buttons
// under the cards and the empty-page picture. Widgets marked as the right column (the page's
// action buttons and boxes) keep to the sheet's right edge. It reports clicks and mouse movement
// per slot (1..PageSize(); 0 is the page's own background).
// Keyboard: Tab reaches one card of the page (the last one focused), the arrow keys move between
// the cards, Enter (or Space) opens the card as a click does, PageUp / PageDown turn the page.
class CardPage : public QObject {
    Q_OBJECT
public:
    static QColor HotColour() { return QColor(166, 202, 240); }
    static QColor CoolColour() { return QColor(223, 231, 241); }

    CardPage(QWidget* sheet, const CardPageNames& names);

    QWidget* Sheet;
    // Every slot made so far; those past PageSize() stay hidden.
    std::vector<CardSlot> Slots;
    // Cards per page: columns x rows that fit the sheet.
    int PageSize() const { return columns * rows; }
    int Columns() const { return columns; }
    int Rows() const { return rows; }
    // Keeps a widget of the sheet in the right column, at the sheet's right edge.
    static void MarkRightColumn(QWidget* widget);
    // Places the cards, buttons and right column for the sheet's size.
    void Arrange();
    QLabel* Status;
    QPushButton* PriorButton;
    QPushButton* NewButton;
    QPushButton* NextButton;
    QLabel* EmptyPicture;
    // Shown with the empty-page picture: what to do first (the owner sets its text).
    QLabel* EmptyHint;

    // Start of a refresh: both page buttons disabled.
    void BeginRefresh();
    // Whether the page was ever refreshed (filled from the books).
    bool Refreshed() const { return refreshed; }
    // After counting: the empty-page picture and the page buttons for records and page p.
    void ShowPaging(int records, int page);
    // Fills slot (1..15) and shows it. The icon file is relative to the program folder.
    void FillSlot(int slot, int tag, const QString& iconFile, const QColor& colour, const QString& under,
                  const std::array<QString, 3>& values);
    void HideSlot(int slot);
    void HideSlotsFrom(int slot);
    // Panel `slot` hot, every other panel of the page cool; slot 0 makes them all cool.
    void Highlight(int slot);
    // Cards shown now (slots 1..ShownCount()).
    int ShownCount() const;
    // Gives the keyboard focus to card `slot` (kept within the shown cards).
    void FocusCard(int slot);
    // The slot Tab reaches on this page.
    int FocusSlot() const { return focusSlot; }

signals:
    void CardClicked(int slot);
    // The page size changed with the sheet's size (after the new slots are placed).
    void PageSizeChanged(int oldSize, int newSize);
    void CardHovered(int slot);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Watch(QWidget* widget, int slot);
    void MakeSlot();
    bool CardKey(int slot, int key);
    // Only the focus slot is a Tab stop, so Tab enters and leaves the card area in one step.
    void UpdateTabStop();
    int focusSlot = 1;
    CardPageNames names;
    bool refreshed = false;
    int columns = 3;
    int rows = 5;
    QHash<QString, QPixmap> icons;
};
