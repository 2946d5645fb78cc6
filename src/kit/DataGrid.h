#pragma once

#include "kit/GridRows.h"

#include <QAbstractProxyModel>
#include <QAbstractTableModel>
#include <QColor>
#include <QHeaderView>
#include <QString>
#include <QTableView>
#include <QWidget>
#include <functional>
#include <vector>

class Query;
class DataGrid;
class QAction;
class QMenu;

// One column of a result grid: the field it shows (bound by name), its title and width, and the
// widest text drawn in it so far (plus 20 pixels), which a title click widens the column to. An
// amount column shows its numbers right-aligned with two decimals.
struct GridColumn {
    QString FieldName;
    QString Title;
    int Width = 64;
    int WidestText = 0;
    bool Amount = false;
};

// The rows of an open Query, served on demand from Query::ValueAt: nothing is copied per cell.
class QueryGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit QueryGridModel(QObject* parent = nullptr);

    void SetQuery(Query* query);
    Query* BoundQuery() const { return query; }
    void SetColumns(const std::vector<GridColumn>& columns);
    std::vector<GridColumn>& Columns() { return columns; }
    const std::vector<GridColumn>& Columns() const { return columns; }

    // Wrap every reopening of the query so that the views drop and re-read their rows.
    void BeginReload();
    void EndReload();

    // The query's value under a grid cell (null when the query is closed or the field absent).
    QVariant Value(int row, int column) const;
    // The text a cell shows: the numbers of an amount column through AmountCellText, other
    // numbers through RoundAmountText, other values as text.
    QString DisplayText(int row, int column) const;
    // The same without thousands separators: what a copy hands to a spreadsheet.
    QString PlainText(int row, int column) const;
    // Amounts with a comma between groups of thousands.
    void SetThousands(bool on);
    bool Thousands() const { return thousands; }
    // The sum of a column over every row, read as numbers (0 when the field is absent).
    double ColumnSum(int column) const;
    // The column showing a field, -1 when none does.
    int ColumnOf(const QString& fieldName) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void ResolveFields();

    Query* query = nullptr;
    std::vector<GridColumn> columns;
    std::vector<int> fieldOfColumn; // query column per grid column, -1 when absent
    int rows = 0;
    bool thousands = false;
};

// The rows a grid shows of its result, in the order it shows them: a sort by a column title and a
// typed filter change this list, never the result itself. A reload of the result shows all its
// rows in their order until the grid applies its sort and filter again.
class GridRowsModel : public QAbstractProxyModel {
    Q_OBJECT
public:
    explicit GridRowsModel(QueryGridModel* source, QObject* parent = nullptr);

    // Shows these result rows in this order; the current and selected rows stay on their records
    // where these are still shown.
    void ShowRows(std::vector<int> rows);
    const std::vector<int>& Rows() const { return shown; }
    int SourceRow(int viewRow) const;
    int ViewRow(int sourceRow) const; // -1 when the row is not shown

    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void ShowAll();

    QueryGridModel* rowsOf;
    std::vector<int> shown;  // view row -> result row
    std::vector<int> viewOf; // result row -> view row, -1 when hidden
};

// The footer row: one cell per column, painted under its column and following the column widths
// and the horizontal scrolling of the grid.
class GridFooter : public QWidget {
    Q_OBJECT
public:
    explicit GridFooter(DataGrid* grid);

    struct Cell {
        QString Text;
        QColor Colour = Qt::black;
    };
    std::vector<Cell> Cells;
    // The footer is painted, so a screen reader reads it from its accessible texts: the name
    // "合计" and, as description, "title：text" of every cell that shows something. Called after
    // the cells change.
    void CellsChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    DataGrid* grid;
};

// The row indicator: a marker on the current row, no numbers.
class GridIndicator : public QHeaderView {
    Q_OBJECT
public:
    explicit GridIndicator(DataGrid* grid);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    DataGrid* grid;
};

// A read-only result grid bound to a Query: whole-row selection, title row, row indicator, resizable
// columns, cells and titles centred (amounts right-aligned), and one footer row. A result grid may
// also sort by a clicked title, filter its rows by typed words, copy the selected rows and offer
// these and the window's own row actions in a context menu. Rows in this interface are rows of
// the result (the query), whatever order the grid shows them in.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);

    void SetQuery(Query* query);
    Query* BoundQuery() const { return gridModel->BoundQuery(); }
    void SetColumns(const std::vector<GridColumn>& columns);
    QueryGridModel* Model() const { return gridModel; }
    GridColumn& Column(int column) { return gridModel->Columns()[static_cast<size_t>(column)]; }
    int ColumnCount() const { return static_cast<int>(gridModel->Columns().size()); }

    // Reopening the bound query: call Reload around it, or BeginReload/EndReload.
    void BeginReload();
    void EndReload();
    void Reload(const std::function<void()>& reopen);

    // The query row of the current grid row, -1 when there is none.
    int CurrentRow() const;
    // The rows shown, in the order shown, and their number.
    const std::vector<int>& ShownRows() const { return rowsModel->Rows(); }
    int ShownRowCount() const { return static_cast<int>(rowsModel->Rows().size()); }
    GridRowsModel* RowsModel() const { return rowsModel; }

    // Sorting by a title click: the first click sorts ascending, the next descending, with the
    // arrow on the title. Rows equal in the column keep the order of the tie-breaking fields
    // (query fields, ascending), then their order in the result.
    void SetSortable(bool on);
    void SetTieBreakers(const QStringList& fieldNames) { tieBreakers = fieldNames; }
    void SortByColumn(int column, bool descending);
    // The result itself is in this order (its query sorted it): shows the arrow, sorts nothing.
    void ShowQueryOrder(int column, bool descending);
    int SortColumn() const { return sortColumn; }
    bool SortDescending() const { return sortDescending; }

    // Keeps the rows holding every typed word in one of their shown cells ("" shows every row).
    void SetFilterText(const QString& text);
    QString FilterText() const { return filterText; }
    bool Filtered() const { return !filterWords.isEmpty(); }
    // Reads the texts of every row for a filter now, so that the first typed letter finds them
    // ready (called when the filter box gets the focus; a reload drops them).
    void PrepareFilter();

    // The count under countColumn ("共12条") and the sums under their columns, over the rows
    // shown; set again whenever the rows shown change. Without a result row the footer is blank.
    struct FooterSum {
        int Column;
        QColor Colour;
    };
    void SetFooterTotals(int countColumn, const std::vector<FooterSum>& sums);
    // The sum of a column over the rows shown.
    double ShownSum(int column) const;

    // The selected rows (or the current one) as tab-separated lines under the titles of the
    // shown columns, in the order shown; amounts without thousands separators.
    QString SelectionText() const;
    void CopySelection() const;
    QAction* CopyAction() const { return copyAction; }
    // The window's own actions on rows (open, print, export), offered after 复制.
    void SetRowActions(const QList<QAction*>& actions) { rowActions = actions; }
    // The context menu of the rows, made anew each time (the caller owns it).
    QMenu* MakeContextMenu(QWidget* parent);

    // Amounts with thousands separators; columns widen to fit.
    void SetThousands(bool on);
    // Widens every column that is narrower than its widest text: amounts as the largest shown,
    // dates, serials and names whole (a name column up to a limit).
    void FitColumnsToContent();

    // The footer row.
    void ClearFooter();
    void SetFooterText(int column, const QString& text, const QColor& colour = Qt::black);
    // The sum of a column over the rows shown, in its footer cell.
    void SetFooterSum(int column, const QColor& colour = Qt::black);
    double ColumnSum(int column) const;
    QString FooterText(int column) const;
    QColor FooterColour(int column) const;
    GridFooter* Footer() const { return footer; }
    int FooterHeight() const { return footerHeight; }

    // Per-cell hook called for every cell drawn: it may change the text colour (black by default).
    using CellParamsHook = std::function<void(int row, int column, const QString& text, QColor* colour)>;
    void SetCellParamsHook(CellParamsHook hook) { cellParams = std::move(hook); }
    // Called by the drawing: the colour of a cell after the hook.
    QColor CellColour(int row, int column, const QString& text) const;
    // Remembers text as drawn in a column: its width in the grid's font + 20 when wider than before.
    void RememberWidth(int column, const QString& text);
    // Widens a column to its remembered widest text when it is narrower.
    void WidenToWidest(int column);
    // Widens a column, when it is narrower, so that text drawn in one of its cells (or its footer
    // cell) in the grid's font is shown whole. A column is never made narrower.
    void FitColumnToText(int column, const QString& text);
    // Widens a column so that the text of every row of the result is shown whole. Texts are
    // measured once per length, which suits a column of dates (with or without a time of day).
    void FitColumnToRows(int column);

signals:
    void TitleClick(int column);
    void DblClick();
    // A title click sorted the grid.
    void SortChanged(int column, bool descending);
    // The rows shown changed: a reload, a filter or a sort.
    void RowsShownChanged();

protected:
    void updateGeometries() override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void PlaceFooter();
    void TitleClicked(int column);
    // Sorts (when sorted by a title) and filters the rows of the result, then shows them.
    void ApplyRows();
    std::vector<int> SortedOrder() const;
    void BuildRowTexts();
    void ShowFooterTotals();
    void ShowSortArrow();

    QueryGridModel* gridModel;
    GridRowsModel* rowsModel;
    bool sortable = false;
    int sortColumn = -1;
    bool sortDescending = false;
    bool localSort = false; // sorted here rather than by the query
    QStringList tieBreakers;
    std::vector<int> order; // every result row in the sorted order; empty while not sorted here
    QString filterText;
    QStringList filterWords;
    RowTexts rowTexts; // made on the first filter after a load
    int footerCount = -1;
    std::vector<FooterSum> footerSums;
    QAction* copyAction = nullptr;
    QList<QAction*> rowActions;
    GridFooter* footer = nullptr;
    CellParamsHook cellParams;
    int footerHeight = 20;
};
