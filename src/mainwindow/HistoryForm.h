#pragma once

#include "foundation/History.h"
#include "foundation/Query.h"
#include "foundation/RowImage.h"

#include <QDialog>
#include <functional>
#include <vector>

class DataGrid;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// 修改记录: the change history, newest first, a page at a time, with filters; the chosen row's
// values before and after side by side (changed fields marked); undo and export.
class TFormHistory : public QDialog {
    Q_OBJECT
public:
    explicit TFormHistory(QWidget* parent = nullptr);

    // Opening parameters: one record's history (table and key), or all of it (empty table).
    QString RecordTable;
    qint64 RecordKey = 0;

    static constexpr int PageRows = 100;

    QCheckBox* CheckDates;
    QDateEdit* DateFrom;
    QDateEdit* DateTo;
    QLineEdit* EditUser;
    QComboBox* ComboTable;
    QComboBox* ComboKind;
    QLineEdit* EditText;
    QPushButton* ButtonFind;
    DataGrid* Grid;
    QTableWidget* Details;
    QLabel* LabelPage;
    QPushButton* ButtonNewer;
    QPushButton* ButtonOlder;
    QPushButton* ButtonUndo;
    QPushButton* ButtonExport;
    QPushButton* ButtonClose;

    // The filter the boxes describe.
    History::Filter CurrentFilter() const;
    // The history row of the grid's current row (Index 0 when none).
    History::Entry CurrentEntry();

public slots:
    void FormShow();
    void FindClick();
    void NewerClick();
    void OlderClick();
    void UndoClick();
    void ExportClick();
    void ShowDetails();

private:
    void OpenPage(qint64 before);
    Query page;
    std::vector<qint64> pageStarts; // the "before" of each page shown, for going back
    qint64 lastOfPage = 0;
};

// Shows the window (for one record when table is given), as 管理员 and 总经理 may.
void ShowHistory(QWidget* parent, const QString& table = QString(), qint64 key = 0);

// Gives a record's editor the action 本记录的修改记录 (Ctrl+H, and in its context menu) for 管理员
// and 总经理: the history of the record it has loaded (image() tells which; nothing for a new one).
void AddRecordHistoryAction(QWidget* editor, std::function<RowImage()> image);

// The titles the window shows for a table and a column.
QString HistoryTableTitle(const QString& table);
