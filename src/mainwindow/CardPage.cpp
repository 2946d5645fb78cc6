#include "CardPage.h"

#include "CardKeys.h"
#include "CardQueries.h"
#include "foundation/ShareDM.h"

#include <QEvent>
#include <QFont>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStringList>
#include <algorithm>

namespace {

constexpr int PanelWidth = 209;
constexpr int PanelHeight = 79;
constexpr int ColumnPitch = Cards::ColumnPitch;
constexpr int RowPitch = Cards::RowPitch;
constexpr int ButtonRow = Cards::SmallestButtonTop;
constexpr int LineTops[3] = {8, 29, 50};
constexpr int LineHeight = 20;

QPixmap LoadPicture(const QString& relativePath, const QSize& size = QSize()) {
    const QString path = ProgramFolder + relativePath;
    if (size.isValid())
        return QIcon(path).pixmap(size);
    QPixmap pixmap;
    pixmap.load(path);
    return pixmap;
}

void SetTextColour(QLabel* label, const QColor& colour) {
    if (label->palette().color(QPalette::WindowText) == colour)
        return;
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

QLabel* NewLabel(QWidget* parent, const QString& name, const QRect& place, Qt::Alignment alignment) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(place);
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

QPushButton* MakeButton(QWidget* sheet, const QString& name, const QString& caption, int x,
                        const QString& picture) {
    auto* button = new QPushButton(caption, sheet);
    button->setObjectName(name);
    button->setGeometry(x, ButtonRow, 121, 33);
    button->setIcon(QIcon(LoadPicture(picture)));
    button->setIconSize(QSize(24, 24));
    return button;
}

} // namespace

void CardPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    painter.setPen(QPen(QColor(0, 70, 160), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

CardPage::CardPage(QWidget* sheet, const CardPageNames& cardNames)
    : QObject(sheet)
    , Sheet(sheet)
    , names(cardNames) {
    setObjectName(names.Prefix + QStringLiteral("Cards"));
    for (int i = 0; i < Cards::SlotCount; ++i)
        MakeSlot();
    Status = NewLabel(sheet, names.StatusName, QRect(8, ButtonRow, 153, 33), Qt::AlignLeft);
    PriorButton =
        MakeButton(sheet, names.PriorName, QStringLiteral("上一页"), 168, QStringLiteral("Res/PrevPage.bmp"));
    NewButton = MakeButton(sheet, names.NewName, names.NewCaption, 312, QStringLiteral("Res/NewRecord.bmp"));
    NextButton =
        MakeButton(sheet, names.NextName, QStringLiteral("下一页"), 456, QStringLiteral("Res/NextPage.bmp"));
    PriorButton->setEnabled(false);
    NextButton->setEnabled(false);
    EmptyPicture = NewLabel(sheet, names.Prefix + QStringLiteral("EmptyPage"), QRect(128, 292, 350, 150),
                            Qt::AlignHCenter);
    EmptyPicture->setPixmap(LoadPicture(QStringLiteral("Res/EmptyPage.bmp")));
    EmptyPicture->hide();
    EmptyHint =
        NewLabel(sheet, names.Prefix + QStringLiteral("EmptyHint"), QRect(8, 240, 600, 44), Qt::AlignHCenter);
    EmptyHint->setWordWrap(true);
    QFont hintFont = EmptyHint->font();
    hintFont.setPointSize(hintFont.pointSize() + 3);
    EmptyHint->setFont(hintFont);
    EmptyHint->hide();
    sheet->setMouseTracking(true);
    sheet->installEventFilter(this);
    Arrange();
}

void CardPage::MakeSlot() {
    const int i = static_cast<int>(Slots.size());
    const QString number = QString::number(i + 1);
    CardSlot slot;
    slot.Panel = new CardPanel(Sheet);
    slot.Panel->setObjectName(names.Prefix + QStringLiteral("Panel") + number);
    slot.Panel->resize(PanelWidth, PanelHeight);
    slot.Panel->setFrameShape(QFrame::StyledPanel);
    slot.Panel->setFrameShadow(QFrame::Raised);
    slot.Panel->setAutoFillBackground(true);
    slot.Panel->setFocusPolicy(i + 1 == focusSlot ? Qt::StrongFocus : Qt::ClickFocus);
    slot.Panel->setAccessibleDescription(QStringLiteral("回车键打开，方向键选择卡片，PageUp/PageDown 翻页"));
    slot.Image = NewLabel(slot.Panel, names.Prefix + QStringLiteral("Image") + number, QRect(8, 8, 41, 41),
                          Qt::AlignHCenter);
    if (!names.UnderName.isEmpty())
        slot.Under =
            NewLabel(slot.Panel, names.UnderName + number, QRect(4, 50, 48, LineHeight), Qt::AlignHCenter);
    for (int line = 0; line < 3; ++line) {
        slot.Captions[line] =
            NewLabel(slot.Panel, names.Prefix + QStringLiteral("Caption%1_%2").arg(number).arg(line + 1),
                     QRect(52, LineTops[line], 39, LineHeight), Qt::AlignHCenter);
        slot.Captions[line]->setText(names.Captions[line]);
        SetTextColour(slot.Captions[line], Qt::black);
        slot.Values[line] = NewLabel(slot.Panel, names.ValueNames[line] + number,
                                     QRect(92, LineTops[line], 114, LineHeight), Qt::AlignLeft);
    }
    Watch(slot.Panel, i + 1);
    for (QLabel* label : slot.Panel->findChildren<QLabel*>())
        Watch(label, i + 1);
    // A new panel takes the page's current look: cool when its neighbours are highlighted.
    if (!Slots.empty())
        slot.Panel->setPalette(Slots.front().Panel->palette());
    slot.Panel->hide();
    // Cards made when the window grows follow the others in the Tab order.
    if (!Slots.empty())
        QWidget::setTabOrder(Slots.back().Panel, slot.Panel);
    Slots.push_back(slot);
}

void CardPage::MarkRightColumn(QWidget* widget) {
    widget->setProperty("RightColumn", widget->x());
}

void CardPage::Arrange() {
    const Cards::CardGrid grid = Cards::GridFor(Sheet->size());
    // The right column keeps its distance to the sheet's right edge.
    for (QObject* child : Sheet->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        const QVariant base = child->property("RightColumn");
        if (widget != nullptr && base.isValid())
            widget->move(base.toInt() + grid.RightShift, widget->y());
    }
    for (QWidget* w : {static_cast<QWidget*>(Status), static_cast<QWidget*>(PriorButton),
                       static_cast<QWidget*>(NewButton), static_cast<QWidget*>(NextButton)})
        w->move(w->x(), grid.ButtonTop);
    EmptyPicture->move((grid.CardsWidth - EmptyPicture->width()) / 2 + 8,
                       std::max(8, grid.ButtonTop - EmptyPicture->height() - 2));
    EmptyHint->setGeometry(8, std::max(8, EmptyPicture->y() - EmptyHint->height() - 4), grid.CardsWidth,
                           EmptyHint->height());
    const int oldSize = PageSize();
    columns = grid.Columns;
    rows = grid.Rows;
    while (static_cast<int>(Slots.size()) < PageSize())
        MakeSlot();
    for (int i = 0; i < static_cast<int>(Slots.size()); ++i) {
        Slots[size_t(i)].Panel->move(8 + (i % columns) * ColumnPitch, 8 + (i / columns) * RowPitch);
        if (i >= PageSize())
            Slots[size_t(i)].Panel->hide();
    }
    if (oldSize != PageSize())
        emit PageSizeChanged(oldSize, PageSize());
}

void CardPage::Watch(QWidget* widget, int slot) {
    widget->setProperty("CardSlot", slot);
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
}

bool CardPage::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::Resize && type != QEvent::MouseButtonPress &&
        type != QEvent::MouseButtonRelease && type != QEvent::KeyPress && type != QEvent::FocusIn &&
        type != QEvent::FocusOut)
        return QObject::eventFilter(watched, event);
    if (watched == Sheet && type == QEvent::Resize) {
        Arrange();
        return false;
    }
    if (watched == Sheet) {
        if (type == QEvent::MouseMove)
            emit CardHovered(0);
        return false;
    }
    const QVariant slot = watched->property("CardSlot");
    if (!slot.isValid())
        return QObject::eventFilter(watched, event);
    if (type == QEvent::FocusIn || type == QEvent::FocusOut) {
        if (type == QEvent::FocusIn && qobject_cast<CardPanel*>(watched) != nullptr) {
            focusSlot = slot.toInt();
            UpdateTabStop();
            // The focused card is highlighted as the card under the mouse is.
            emit CardHovered(focusSlot);
        }
        return false;
    }
    if (type == QEvent::KeyPress)
        return CardKey(slot.toInt(), static_cast<QKeyEvent*>(event)->key());
    // Every control of a card answers like its panel; the event goes no further.
    if (type == QEvent::MouseMove)
        emit CardHovered(slot.toInt());
    else if (type == QEvent::MouseButtonRelease &&
             static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        emit CardClicked(slot.toInt());
    return true;
}

void CardPage::BeginRefresh() {
    refreshed = true;
    PriorButton->setEnabled(false);
    NextButton->setEnabled(false);
}

void CardPage::ShowPaging(int records, int page) {
    if (records == 0) {
        EmptyPicture->show();
        EmptyHint->setVisible(!EmptyHint->text().isEmpty());
        HideSlotsFrom(1);
        return;
    }
    EmptyPicture->hide();
    EmptyHint->hide();
    NextButton->setEnabled(page + 1 < Cards::PageCount(records, PageSize()));
    PriorButton->setEnabled(page > 0);
}

void CardPage::FillSlot(int slot, int tag, const QString& iconFile, const QColor& colour,
                        const QString& under, const std::array<QString, 3>& values) {
    CardSlot& card = Slots[slot - 1];
    card.Panel->Tag = tag;
    // Icons are read once per file and page; a missing file shows no icon.
    const QString path = ProgramFolder + iconFile;
    auto found = icons.constFind(path);
    if (found == icons.constEnd())
        found = icons.insert(path, LoadPicture(iconFile, QSize(41, 41)));
    card.Image->setPixmap(*found);
    card.Image->setProperty("IconFile", iconFile);
    if (card.Under) {
        card.Under->setText(under);
        SetTextColour(card.Under, colour);
    }
    QStringList spoken;
    for (int line = 0; line < 3; ++line) {
        card.Values[line]->setText(values[line]);
        SetTextColour(card.Values[line], colour);
        spoken << names.Captions[line] + values[line];
    }
    if (card.Under)
        spoken << under;
    // A screen reader reads the card as one item: its figures with their captions.
    card.Panel->setAccessibleName(spoken.join(QLatin1Char(' ')));
    card.Panel->show();
}

void CardPage::HideSlot(int slot) {
    Slots[slot - 1].Panel->hide();
}

void CardPage::HideSlotsFrom(int slot) {
    for (int i = slot; i <= static_cast<int>(Slots.size()); ++i)
        HideSlot(i);
    // Every refresh ends here: the Tab stop moves onto a card that is still shown.
    UpdateTabStop();
}

int CardPage::ShownCount() const {
    int shown = 0;
    while (shown < PageSize() && shown < static_cast<int>(Slots.size()) &&
           !Slots[size_t(shown)].Panel->isHidden())
        ++shown;
    return shown;
}

void CardPage::UpdateTabStop() {
    const int shown = ShownCount();
    focusSlot = std::clamp(focusSlot, 1, std::max(1, shown));
    for (int i = 1; i <= static_cast<int>(Slots.size()); ++i) {
        const Qt::FocusPolicy policy = i == focusSlot ? Qt::StrongFocus : Qt::ClickFocus;
        if (Slots[size_t(i - 1)].Panel->focusPolicy() != policy)
            Slots[size_t(i - 1)].Panel->setFocusPolicy(policy);
    }
}

void CardPage::FocusCard(int slot) {
    const int shown = ShownCount();
    if (shown == 0)
        return;
    focusSlot = std::clamp(slot, 1, shown);
    UpdateTabStop();
    Slots[size_t(focusSlot - 1)].Panel->setFocus(Qt::OtherFocusReason);
}

bool CardPage::CardKey(int slot, int key) {
    using Cards::CardMove;
    auto move = [&](CardMove direction) {
        FocusCard(Cards::MovedSlot(slot, direction, columns, ShownCount()));
        return true;
    };
    // Turning the page keeps the keyboard on the cards: the first card of the new page.
    auto turn = [&](QPushButton* button) {
        if (button->isEnabled()) {
            button->click();
            FocusCard(1);
        }
        return true;
    };
    switch (key) {
    case Qt::Key_Left:
        return move(CardMove::Left);
    case Qt::Key_Right:
        return move(CardMove::Right);
    case Qt::Key_Up:
        return move(CardMove::Up);
    case Qt::Key_Down:
        return move(CardMove::Down);
    case Qt::Key_Home:
        return move(CardMove::First);
    case Qt::Key_End:
        return move(CardMove::Last);
    case Qt::Key_PageUp:
        return turn(PriorButton);
    case Qt::Key_PageDown:
        return turn(NextButton);
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        emit CardClicked(slot);
        return true;
    default:
        return false;
    }
}

void CardPage::Highlight(int slot) {
    for (int i = 1; i <= static_cast<int>(Slots.size()); ++i) {
        CardPanel* panel = Slots[i - 1].Panel;
        const QColor colour = i == slot ? HotColour() : CoolColour();
        if (panel->palette().color(QPalette::Window) == colour)
            continue;
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, colour);
        panel->setPalette(palette);
    }
}
