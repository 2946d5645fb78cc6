#pragma once

#include <QWidget>

class DataGrid;
class QAction;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// The filter box above a result grid: typed words keep the rows that hold each of them in one of
// their shown cells, at once as the user types. While a filter is active the bar says how many rows
// it shows of how many, and "显示全部" clears it. Ctrl+F anywhere in the bar's parent puts the
// focus into the box.
class GridFilterBar : public QWidget {
    Q_OBJECT
public:
    GridFilterBar(DataGrid* grid, QWidget* parent);

    QLabel* Label;        // "筛选", the box's buddy
    QLineEdit* Edit;      // FilterEdit
    QLabel* State;        // FilterState: "已筛选：显示 12 条，共 300 条"
    QPushButton* ShowAll; // ShowAllButton: "显示全部"

    // Puts widgets at the right end of the bar.
    void AddAtRight(QWidget* widget);
    // Focuses the box with its text selected (Ctrl+F).
    void FocusFilter();
    // Empties the box: every row is shown again.
    void Clear();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowState();

    DataGrid* grid;
    QHBoxLayout* row;
    QAction* findAction;
};

// "已筛选：显示 12 条，共 300 条"
QString FilterStateText(int shown, int total);
