#include "DataGrid.h"

#include "foundation/PublicFunction.h"
#include "foundation/Query.h"

#include <QHash>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cmath>

namespace {

const int RowHeight = 18;
const int IndicatorWidth = 12;

// Draws a cell with the colour the grid's hook gives it and remembers the width of its text.
class GridDelegate : public QStyledItemDelegate {
public:
    explicit GridDelegate(DataGrid* grid)
        : QStyledItemDelegate(grid)
        , grid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QColor colour = grid->CellColour(index.row(), index.column(), item.text);
        item.palette.setColor(QPalette::Text, colour);
        if (colour != QColor(Qt::black))
            item.palette.setColor(QPalette::HighlightedText, colour);
        item.displayAlignment = Qt::AlignCenter;
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : nullptr;
        if (style)
            style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
    }

private:
    DataGrid* grid;
};

} // namespace

// ---- QueryGridModel

QueryGridModel::QueryGridModel(QObject* parent)
    : QAbstractTableModel(parent) {}

void QueryGridModel::SetQuery(Query* query) {
    beginResetModel();
    this->query = query;
    ResolveFields();
    endResetModel();
}

void QueryGridModel::SetColumns(const std::vector<GridColumn>& columns) {
    beginResetModel();
    this->columns = columns;
    ResolveFields();
    endResetModel();
}

void QueryGridModel::BeginReload() {
    beginResetModel();
    rows = 0;
    fieldOfColumn.assign(columns.size(), -1);
}

void QueryGridModel::EndReload() {
    ResolveFields();
    endResetModel();
}

void QueryGridModel::ResolveFields() {
    fieldOfColumn.assign(columns.size(), -1);
    rows = 0;
    if (!query || !query->Active())
        return;
    rows = query->RecordCount();
    for (size_t i = 0; i < columns.size(); ++i)
        fieldOfColumn[i] = query->FieldIndex(columns[i].FieldName);
}

QVariant QueryGridModel::Value(int row, int column) const {
    if (!query || column < 0 || column >= static_cast<int>(fieldOfColumn.size()) || row < 0 || row >= rows)
        return QVariant();
    return query->ValueAt(row, fieldOfColumn[static_cast<size_t>(column)]);
}

QString QueryGridModel::DisplayText(int row, int column) const {
    const QVariant value = Value(row, column);
    if (value.isNull())
        return QString();
    if (value.typeId() == QMetaType::Double)
        return RoundAmountText(value.toDouble());
    return value.toString();
}

double QueryGridModel::ColumnSum(int column) const {
    if (!query || column < 0 || column >= static_cast<int>(fieldOfColumn.size()))
        return 0;
    return query->ColumnSum(fieldOfColumn[static_cast<size_t>(column)]);
}

int QueryGridModel::ColumnOf(const QString& fieldName) const {
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].FieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

int QueryGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows;
}

int QueryGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns.size());
}

QVariant QueryGridModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return DisplayText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    default:
        return QVariant();
    }
}

QVariant QueryGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= static_cast<int>(columns.size()))
            return QVariant();
        if (role == Qt::DisplayRole)
            return columns[static_cast<size_t>(section)].Title;
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        return QVariant();
    }
    // The row indicator carries no numbers.
    if (role == Qt::DisplayRole)
        return QString();
    return QVariant();
}

Qt::ItemFlags QueryGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

// ---- GridFooter

GridFooter::GridFooter(DataGrid* grid)
    : QWidget(grid)
    , grid(grid) {
    setObjectName(QStringLiteral("Footer"));
    setAutoFillBackground(true);
    setAccessibleName(QStringLiteral("合计"));
}

void GridFooter::CellsChanged() {
    QStringList parts;
    for (size_t column = 0; column < Cells.size(); ++column) {
        if (Cells[column].Text.isEmpty())
            continue;
        const int index = static_cast<int>(column);
        const QString title = index < grid->ColumnCount() ? grid->Column(index).Title : QString();
        parts << (title.isEmpty() ? Cells[column].Text : title + QStringLiteral("：") + Cells[column].Text);
    }
    setAccessibleDescription(parts.join(QStringLiteral("；")));
    update();
}

void GridFooter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette pal = palette();
    painter.fillRect(rect(), pal.color(QPalette::Button));
    painter.setPen(pal.color(QPalette::Mid));
    painter.drawLine(0, 0, width(), 0);
    const QHeaderView* header = grid->horizontalHeader();
    const int left = grid->verticalHeader()->isVisible() ? grid->verticalHeader()->width() : 0;
    painter.setClipRect(QRect(left, 0, width() - left, height()));
    for (int column = 0; column < header->count(); ++column) {
        if (header->isSectionHidden(column))
            continue;
        const QRect cell(left + header->sectionViewportPosition(column), 1, header->sectionSize(column),
                         height() - 1);
        if (cell.right() < left || cell.left() > width())
            continue;
        painter.setPen(pal.color(QPalette::Mid));
        painter.drawLine(cell.right(), 1, cell.right(), height());
        if (column < static_cast<int>(Cells.size()) && !Cells[column].Text.isEmpty()) {
            painter.setPen(Cells[column].Colour);
            painter.drawText(cell.adjusted(2, 0, -2, 0), Qt::AlignCenter, Cells[column].Text);
        }
    }
}

// ---- GridIndicator

GridIndicator::GridIndicator(DataGrid* grid)
    : QHeaderView(Qt::Vertical, grid)
    , grid(grid) {}

void GridIndicator::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    QHeaderView::paintSection(painter, rect, logicalIndex);
    if (logicalIndex != grid->currentIndex().row())
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(Qt::black);
    const QPoint c = rect.center();
    const QPoint points[] = {QPoint(c.x() - 2, c.y() - 4), QPoint(c.x() + 3, c.y()),
                             QPoint(c.x() - 2, c.y() + 4)};
    painter->drawPolygon(points, 3);
    painter->restore();
}

// ---- DataGrid

DataGrid::DataGrid(QWidget* parent)
    : QTableView(parent)
    , gridModel(new QueryGridModel(this)) {
    auto* indicator = new GridIndicator(this);
    setVerticalHeader(indicator);
    setModel(gridModel);
    setItemDelegate(new GridDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setWordWrap(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setDefaultAlignment(Qt::AlignCenter);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    indicator->setSectionResizeMode(QHeaderView::Fixed);
    indicator->setDefaultSectionSize(RowHeight);
    indicator->setMinimumSectionSize(RowHeight);
    indicator->setFixedWidth(IndicatorWidth);
    indicator->setSectionsClickable(false);
    footer = new GridFooter(this);
    footerHeight = fontMetrics().height() + 6;
    connect(header, &QHeaderView::sectionClicked, this, &DataGrid::TitleClick);
    connect(header, &QHeaderView::sectionResized, footer, qOverload<>(&QWidget::update));
    connect(header, &QHeaderView::sectionMoved, footer, qOverload<>(&QWidget::update));
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, footer, qOverload<>(&QWidget::update));
}

void DataGrid::SetQuery(Query* query) {
    gridModel->SetQuery(query);
}

void DataGrid::SetColumns(const std::vector<GridColumn>& columns) {
    gridModel->SetColumns(columns);
    for (size_t i = 0; i < columns.size(); ++i)
        setColumnWidth(static_cast<int>(i), columns[i].Width);
    footer->Cells.assign(columns.size(), GridFooter::Cell());
    footer->CellsChanged();
}

void DataGrid::BeginReload() {
    gridModel->BeginReload();
}

void DataGrid::EndReload() {
    gridModel->EndReload();
    verticalHeader()->viewport()->update();
}

void DataGrid::Reload(const std::function<void()>& reopen) {
    BeginReload();
    try {
        reopen();
    } catch (...) {
        EndReload();
        throw;
    }
    EndReload();
}

int DataGrid::CurrentRow() const {
    const QModelIndex index = currentIndex();
    if (!index.isValid() || index.row() >= gridModel->rowCount())
        return -1;
    return index.row();
}

void DataGrid::ClearFooter() {
    for (GridFooter::Cell& cell : footer->Cells)
        cell = GridFooter::Cell();
    footer->CellsChanged();
}

void DataGrid::SetFooterText(int column, const QString& text, const QColor& colour) {
    if (column < 0 || column >= static_cast<int>(footer->Cells.size()))
        return;
    footer->Cells[static_cast<size_t>(column)] = GridFooter::Cell{text, colour};
    footer->CellsChanged();
    // A sum is never cut off: its column grows to it.
    FitColumnToText(column, text);
}

double DataGrid::ColumnSum(int column) const {
    return gridModel->ColumnSum(column);
}

void DataGrid::SetFooterSum(int column, const QColor& colour) {
    SetFooterText(column, RoundAmountText(ColumnSum(column)), colour);
}

QString DataGrid::FooterText(int column) const {
    if (column < 0 || column >= static_cast<int>(footer->Cells.size()))
        return QString();
    return footer->Cells[static_cast<size_t>(column)].Text;
}

QColor DataGrid::FooterColour(int column) const {
    if (column < 0 || column >= static_cast<int>(footer->Cells.size()))
        return QColor();
    return footer->Cells[static_cast<size_t>(column)].Colour;
}

QColor DataGrid::CellColour(int row, int column, const QString& text) const {
    QColor colour = Qt::black;
    if (cellParams)
        cellParams(row, column, text, &colour);
    return colour;
}

void DataGrid::RememberWidth(int column, const QString& text) {
    if (column < 0 || column >= ColumnCount())
        return;
    const int width = fontMetrics().horizontalAdvance(text);
    GridColumn& c = Column(column);
    if (width > c.WidestText)
        c.WidestText = width + 20;
}

void DataGrid::WidenToWidest(int column) {
    if (column < 0 || column >= ColumnCount())
        return;
    if (columnWidth(column) < Column(column).WidestText)
        setColumnWidth(column, Column(column).WidestText);
}

void DataGrid::FitColumnToText(int column, const QString& text) {
    if (column < 0 || column >= ColumnCount() || text.isEmpty())
        return;
    // The room a cell's text gets: the style's margins on both sides and the grid line; the footer
    // keeps 2 pixels on each side and draws the same line.
    const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 2;
    const int needed =
        std::max(fontMetrics().horizontalAdvance(text), footer->fontMetrics().horizontalAdvance(text)) +
        margin;
    if (columnWidth(column) < needed)
        setColumnWidth(column, needed);
}

void DataGrid::FitColumnToRows(int column) {
    if (column < 0 || column >= ColumnCount())
        return;
    QHash<qsizetype, QString> byLength;
    const int rows = gridModel->rowCount();
    for (int row = 0; row < rows; ++row) {
        QString text = gridModel->DisplayText(row, column);
        if (!byLength.contains(text.size()))
            byLength.insert(text.size(), std::move(text));
    }
    for (const QString& text : std::as_const(byLength))
        FitColumnToText(column, text);
}

void DataGrid::updateGeometries() {
    QTableView::updateGeometries();
    PlaceFooter();
}

void DataGrid::PlaceFooter() {
    if (!footer) // geometry updates arrive while the constructor is still running
        return;
    // The footer sits between the rows and the horizontal scroll bar: the viewport gives up its
    // bottom strip to it.
    const QMargins margins = viewportMargins();
    if (margins.bottom() != footerHeight)
        setViewportMargins(margins.left(), margins.top(), margins.right(), footerHeight);
    const QRect area = viewport()->geometry();
    const int left = verticalHeader()->isVisible() ? verticalHeader()->width() : 0;
    footer->setGeometry(area.left() - left, area.bottom() + 1, area.width() + left, footerHeight);
    footer->raise();
    footer->update();
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    verticalHeader()->viewport()->update();
}

void DataGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}
