#pragma once

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

// One column of a result grid: the field it shows (bound by name), its title and width, and the
// widest text drawn in it so far (plus 20 pixels), which a title click widens the column to.
struct GridColumn {
    QString FieldName;
    QString Title;
    int Width = 64;
    int WidestText = 0;
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
    // The text a cell shows: amounts through RoundAmountText, other values as text.
    QString DisplayText(int row, int column) const;
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
// columns, every cell and title centred, and one footer row.
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

    // The footer row.
    void ClearFooter();
    void SetFooterText(int column, const QString& text, const QColor& colour = Qt::black);
    // The sum of a column over every row of the result, shown in its footer cell.
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

protected:
    void updateGeometries() override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void PlaceFooter();

    QueryGridModel* gridModel;
    GridFooter* footer = nullptr;
    CellParamsHook cellParams;
    int footerHeight = 20;
};
