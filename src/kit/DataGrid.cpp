#include "DataGrid.h"

#include "foundation/PublicFunction.h"
#include "foundation/Query.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHash>
#include <QKeyEvent>
#include <QMenu>
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
        const QColor colour =
            grid->CellColour(grid->RowsModel()->SourceRow(index.row()), index.column(), item.text);
        item.palette.setColor(QPalette::Text, colour);
        if (colour != QColor(Qt::black))
            item.palette.setColor(QPalette::HighlightedText, colour);
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

namespace {
bool IsNumber(const QVariant& value) {
    const int type = value.typeId();
    return type == QMetaType::Double || type == QMetaType::LongLong || type == QMetaType::Int;
}
} // namespace

QString QueryGridModel::DisplayText(int row, int column) const {
    const QVariant value = Value(row, column);
    if (value.isNull())
        return QString();
    if (columns[static_cast<size_t>(column)].Amount && IsNumber(value))
        return AmountCellText(value.toDouble(), thousands);
    if (value.typeId() == QMetaType::Double)
        return RoundAmountText(value.toDouble());
    return value.toString();
}

void QueryGridModel::AppendDisplayText(int row, int column, QString* out) const {
    if (query && column >= 0 && column < static_cast<int>(fieldOfColumn.size()) && row >= 0 && row < rows &&
        query->AppendTextAt(row, fieldOfColumn[static_cast<size_t>(column)], out))
        return;
    out->append(DisplayText(row, column));
}

QString QueryGridModel::PlainText(int row, int column) const {
    const QVariant value = Value(row, column);
    if (!value.isNull() && columns[static_cast<size_t>(column)].Amount && IsNumber(value))
        return AmountCellText(value.toDouble(), false);
    return DisplayText(row, column);
}

void QueryGridModel::SetThousands(bool on) {
    if (thousands == on)
        return;
    thousands = on;
    if (rows > 0 && !columns.empty())
        emit dataChanged(index(0, 0), index(rows - 1, static_cast<int>(columns.size()) - 1),
                         {Qt::DisplayRole, Qt::ToolTipRole});
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
        return QVariant::fromValue(columns[static_cast<size_t>(index.column())].Amount
                                       ? Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter)
                                       : Qt::Alignment(Qt::AlignCenter));
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

// ---- GridRowsModel

GridRowsModel::GridRowsModel(QueryGridModel* source, QObject* parent)
    : QAbstractProxyModel(parent)
    , rowsOf(source) {
    setSourceModel(source);
    // The result grid's model only ever changes as a whole (a reload, new columns) or in its
    // texts (thousands separators).
    connect(source, &QAbstractItemModel::modelAboutToBeReset, this, &GridRowsModel::beginResetModel);
    connect(source, &QAbstractItemModel::modelReset, this, [this] {
        ShowAll();
        endResetModel();
    });
    connect(source, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (!shown.empty())
                    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), roles);
            });
    connect(source, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
    ShowAll();
}

void GridRowsModel::ShowAll() {
    const int rows = rowsOf->rowCount();
    shown.resize(static_cast<size_t>(rows));
    viewOf.resize(static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        shown[static_cast<size_t>(row)] = row;
        viewOf[static_cast<size_t>(row)] = row;
    }
}

void GridRowsModel::ShowRows(std::vector<int> rows) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> sourceRows;
    sourceRows.reserve(static_cast<size_t>(before.size()));
    for (const QModelIndex& index : before)
        sourceRows.push_back(SourceRow(index.row()));
    shown = std::move(rows);
    viewOf.assign(static_cast<size_t>(rowsOf->rowCount()), -1);
    for (size_t view = 0; view < shown.size(); ++view)
        viewOf[static_cast<size_t>(shown[view])] = static_cast<int>(view);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int view = ViewRow(sourceRows[static_cast<size_t>(i)]);
        after << (view < 0 ? QModelIndex() : index(view, before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int GridRowsModel::SourceRow(int viewRow) const {
    return viewRow >= 0 && viewRow < static_cast<int>(shown.size()) ? shown[static_cast<size_t>(viewRow)]
                                                                    : -1;
}

int GridRowsModel::ViewRow(int sourceRow) const {
    return sourceRow >= 0 && sourceRow < static_cast<int>(viewOf.size())
               ? viewOf[static_cast<size_t>(sourceRow)]
               : -1;
}

QModelIndex GridRowsModel::mapToSource(const QModelIndex& proxyIndex) const {
    if (!proxyIndex.isValid())
        return QModelIndex();
    const int row = SourceRow(proxyIndex.row());
    return row < 0 ? QModelIndex() : rowsOf->index(row, proxyIndex.column());
}

QModelIndex GridRowsModel::mapFromSource(const QModelIndex& sourceIndex) const {
    if (!sourceIndex.isValid())
        return QModelIndex();
    const int view = ViewRow(sourceIndex.row());
    return view < 0 ? QModelIndex() : index(view, sourceIndex.column());
}

QModelIndex GridRowsModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return QModelIndex();
    return createIndex(row, column);
}

QModelIndex GridRowsModel::parent(const QModelIndex&) const {
    return QModelIndex();
}

int GridRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown.size());
}

int GridRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rowsOf->columnCount();
}

bool GridRowsModel::hasChildren(const QModelIndex& parent) const {
    return !parent.isValid() && !shown.empty();
}

QVariant GridRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    return rowsOf->headerData(section, orientation, role);
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
            // A sum stands under its amounts, right-aligned as they are.
            const bool amount = column < grid->ColumnCount() && grid->Column(column).Amount;
            painter.setPen(Cells[column].Colour);
            painter.drawText(cell.adjusted(2, 0, amount ? -4 : -2, 0),
                             amount ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignCenter,
                             Cells[column].Text);
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
    , gridModel(new QueryGridModel(this))
    , rowsModel(new GridRowsModel(gridModel, this)) {
    auto* indicator = new GridIndicator(this);
    setVerticalHeader(indicator);
    setModel(rowsModel);
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
    connect(header, &QHeaderView::sectionClicked, this, &DataGrid::TitleClicked);
    copyAction = new QAction(QStringLiteral("复制"), this);
    copyAction->setObjectName(QStringLiteral("CopyRows"));
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setShortcutContext(Qt::WidgetShortcut);
    copyAction->setToolTip(QStringLiteral("复制选中的行，可粘贴到电子表格 (Ctrl+C)"));
    connect(copyAction, &QAction::triggered, this, &DataGrid::CopySelection);
    addAction(copyAction);
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
    rowTexts.Clear();
    order.clear();
    if (localSort || Filtered())
        ApplyRows();
    else
        emit RowsShownChanged();
    ShowFooterTotals();
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
    if (!index.isValid())
        return -1;
    return rowsModel->SourceRow(index.row());
}

void DataGrid::SetSortable(bool on) {
    sortable = on;
    horizontalHeader()->setSortIndicatorShown(on);
    ShowSortArrow();
}

void DataGrid::TitleClicked(int column) {
    emit TitleClick(column);
    if (!sortable)
        return;
    // A first click sorts ascending, a click on the column sorted by turns the order round.
    const bool descending = column == sortColumn ? !sortDescending : false;
    SortByColumn(column, descending);
    emit SortChanged(column, descending);
}

void DataGrid::SortByColumn(int column, bool descending) {
    if (column < 0 || column >= ColumnCount())
        return;
    sortColumn = column;
    sortDescending = descending;
    localSort = true;
    order.clear();
    ShowSortArrow();
    ApplyRows();
}

void DataGrid::ShowQueryOrder(int column, bool descending) {
    sortColumn = column;
    sortDescending = descending;
    localSort = false;
    order.clear();
    ShowSortArrow();
}

void DataGrid::ShowSortArrow() {
    QHeaderView* header = horizontalHeader();
    // Qt draws the arrow of an ascending sort pointing up.
    if (sortable && sortColumn >= 0)
        header->setSortIndicator(sortColumn, sortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
    else
        header->setSortIndicator(-1, Qt::AscendingOrder);
}

std::vector<int> DataGrid::SortedOrder() const {
    const Query* query = gridModel->BoundQuery();
    const int rows = gridModel->rowCount();
    std::vector<SortKey> keys;
    keys.push_back(SortKey::Of(
        rows, [this](int row) { return gridModel->Value(row, sortColumn); }, sortDescending));
    for (const QString& field : tieBreakers) {
        const int column = query ? query->FieldIndex(field) : -1;
        if (column >= 0)
            keys.push_back(
                SortKey::Of(rows, [query, column](int row) { return query->ValueAt(row, column); }));
    }
    return SortedRows(rows, keys);
}

void DataGrid::BuildRowTexts() {
    // Each shown cell as shown, an amount also without separators, so that either form is found.
    std::vector<int> columns;
    for (int column = 0; column < ColumnCount(); ++column) {
        if (!isColumnHidden(column))
            columns.push_back(column);
    }
    rowTexts.Build(gridModel->rowCount(), [&](int row, QString* block) {
        for (const int column : columns) {
            gridModel->AppendDisplayText(row, column, block);
            RowTexts::EndCell(block);
            if (Column(column).Amount && gridModel->Thousands())
                RowTexts::AddCell(block, gridModel->PlainText(row, column));
        }
    });
}

void DataGrid::ApplyRows() {
    const int rows = gridModel->rowCount();
    std::vector<int> candidates;
    if (localSort && sortColumn >= 0) {
        if (order.size() != static_cast<size_t>(rows))
            order = SortedOrder();
        candidates = order;
    } else {
        candidates.resize(static_cast<size_t>(rows));
        for (int row = 0; row < rows; ++row)
            candidates[static_cast<size_t>(row)] = row;
    }
    if (Filtered()) {
        if (!rowTexts.Built() || rowTexts.RowCount() != rows)
            BuildRowTexts();
        candidates = rowTexts.Matching(filterWords, candidates);
    }
    rowsModel->ShowRows(std::move(candidates));
    verticalHeader()->viewport()->update();
    emit RowsShownChanged();
}

void DataGrid::PrepareFilter() {
    if (rowTexts.Built() && rowTexts.RowCount() == gridModel->rowCount())
        return;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    BuildRowTexts();
    QApplication::restoreOverrideCursor();
}

void DataGrid::SetFilterText(const QString& text) {
    const QStringList words = FilterWords(text);
    filterText = text;
    if (words == filterWords)
        return;
    // Typing on narrows what is shown: only the rows shown need looking at.
    const bool narrower = !filterWords.isEmpty() && rowTexts.Built() &&
                          std::all_of(filterWords.begin(), filterWords.end(), [&](const QString& old) {
                              return std::any_of(words.begin(), words.end(),
                                                 [&](const QString& word) { return word.contains(old); });
                          });
    filterWords = words;
    if (narrower) {
        rowsModel->ShowRows(rowTexts.Matching(filterWords, rowsModel->Rows()));
        verticalHeader()->viewport()->update();
        emit RowsShownChanged();
    } else {
        ApplyRows();
    }
    ShowFooterTotals();
}

void DataGrid::SetFooterTotals(int countColumn, const std::vector<FooterSum>& sums) {
    footerCount = countColumn;
    footerSums = sums;
    ShowFooterTotals();
}

void DataGrid::ShowFooterTotals() {
    if (footerCount < 0 && footerSums.empty())
        return;
    ClearFooter();
    const Query* query = gridModel->BoundQuery();
    if (!query || !query->Active() || gridModel->rowCount() == 0)
        return;
    if (footerCount >= 0)
        SetFooterText(footerCount,
                      QStringLiteral("共") + QString::number(ShownRowCount()) + QStringLiteral("条"));
    for (const FooterSum& sum : footerSums)
        SetFooterSum(sum.Column, sum.Colour);
}

double DataGrid::ShownSum(int column) const {
    if (!Filtered())
        return ColumnSum(column);
    // In the order of the result, as the sum of every row is taken: the shown rows are marked,
    // then the marked ones added up in order (no sort for each keystroke).
    const int rowCount = gridModel->rowCount();
    std::vector<char> shown(static_cast<size_t>(rowCount), 0);
    for (const int row : rowsModel->Rows()) {
        if (row >= 0 && row < rowCount)
            shown[static_cast<size_t>(row)] = 1;
    }
    double sum = 0;
    for (int row = 0; row < rowCount; ++row) {
        if (!shown[static_cast<size_t>(row)])
            continue;
        const QVariant value = gridModel->Value(row, column);
        if (!value.isNull())
            sum += value.toDouble();
    }
    return sum;
}

QString DataGrid::SelectionText() const {
    std::vector<int> views;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        views.push_back(index.row());
    if (views.empty() && currentIndex().isValid())
        views.push_back(currentIndex().row());
    if (views.empty())
        return QString();
    std::sort(views.begin(), views.end());
    std::vector<int> columns;
    const QHeaderView* header = horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (column >= 0 && column < ColumnCount() && !isColumnHidden(column))
            columns.push_back(column);
    }
    QStringList titles;
    for (const int column : columns)
        titles << gridModel->Columns()[static_cast<size_t>(column)].Title;
    std::vector<QStringList> rows;
    rows.reserve(views.size());
    for (const int view : views) {
        const int row = rowsModel->SourceRow(view);
        QStringList cells;
        for (const int column : columns)
            cells << gridModel->PlainText(row, column);
        rows.push_back(cells);
    }
    return TabSeparatedText(titles, rows);
}

void DataGrid::CopySelection() const {
    const QString text = SelectionText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

QMenu* DataGrid::MakeContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("RowMenu"));
    menu->addAction(copyAction);
    copyAction->setEnabled(currentIndex().isValid());
    if (!rowActions.isEmpty())
        menu->addSeparator();
    for (QAction* action : std::as_const(rowActions))
        menu->addAction(action);
    return menu;
}

void DataGrid::contextMenuEvent(QContextMenuEvent* event) {
    // A right click on a row outside the selection makes it the selection, as file managers do.
    const QModelIndex at = indexAt(event->pos());
    if (at.isValid() && !selectionModel()->isRowSelected(at.row(), QModelIndex()))
        setCurrentIndex(at);
    QMenu* menu = MakeContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    event->accept();
}

void DataGrid::keyPressEvent(QKeyEvent* event) {
    // The rows, not only the current cell as an item view would copy.
    if (event == QKeySequence::Copy) {
        CopySelection();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void DataGrid::SetThousands(bool on) {
    gridModel->SetThousands(on);
    rowTexts.Clear();
    if (Filtered())
        ApplyRows();
    ShowFooterTotals();
    FitColumnsToContent();
}

void DataGrid::FitColumnsToContent() {
    const int rows = gridModel->rowCount();
    if (rows == 0)
        return;
    // How much room a name may take before it is cut with "…" (its tooltip shows it whole).
    const int nameLimit = fontMetrics().horizontalAdvance(QLatin1Char('0')) * 30;
    for (int column = 0; column < ColumnCount(); ++column) {
        if (isColumnHidden(column))
            continue;
        if (Column(column).Amount) {
            // The widest amount is the largest or the most negative one.
            double low = 0, high = 0;
            for (int row = 0; row < rows; ++row) {
                const QVariant value = gridModel->Value(row, column);
                if (value.isNull())
                    continue;
                const double v = value.toDouble();
                low = std::min(low, v);
                high = std::max(high, v);
            }
            FitColumnToText(column, AmountCellText(high, gridModel->Thousands()));
            FitColumnToText(column, AmountCellText(low, gridModel->Thousands()));
            continue;
        }
        // Other texts: the longest, a character of Chinese counting two.
        QString widest;
        int widestUnits = 0;
        for (int row = 0; row < rows; ++row) {
            const QString text = gridModel->DisplayText(row, column);
            int units = 0;
            for (const QChar c : text)
                units += c.unicode() >= 0x2e80 ? 2 : 1;
            if (units > widestUnits) {
                widestUnits = units;
                widest = text;
            }
        }
        if (widest.isEmpty())
            continue;
        if (fontMetrics().horizontalAdvance(widest) > nameLimit)
            FitColumnToText(column, fontMetrics().elidedText(widest, Qt::ElideRight, nameLimit));
        else
            FitColumnToText(column, widest);
    }
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
    const double sum = ShownSum(column);
    const bool amount = column >= 0 && column < ColumnCount() && Column(column).Amount;
    SetFooterText(column, amount ? AmountCellText(sum, gridModel->Thousands()) : RoundAmountText(sum),
                  colour);
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
