#pragma once

#include "ReportDesignModel.h"

#include <QDialog>
#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFontComboBox;
class QLabel;
class QLineEdit;
class QScrollArea;
class QToolBar;
class QTreeWidget;
class ReportDesignCanvas;

// The report designer: the page of a template with its bands drawn to scale, the items selected,
// moved and resized with the mouse or the arrow keys, a property panel, the data sets and fields
// of the template's print path to drag into a band, undo and redo, a preview with sample data,
// and saving that keeps the previous version of the file.
class ReportDesigner : public QDialog {
    Q_OBJECT
public:
    explicit ReportDesigner(QWidget* parent = nullptr);

    // The folder the open dialog starts in.
    QString TemplateFolder;
    // Where a template opened from a file is saved; not set: the file it came from. The folder is
    // created when it is missing.
    std::function<QString(const QString& fileName)> SavePathOf;
    // The data sets and fields of a template file's print path; none known: nothing offered.
    std::function<DesignCatalogue(const QString& fileName)> CatalogueOf;
    // The Chinese names of a template file's fields (field → caption); fields without one show
    // their own name.
    std::function<QHash<QString, QString>(const QString& fileName)> CaptionsOf;

    // Opens a template file; a message and false when it cannot be read.
    bool OpenTemplate(const QString& fileName);
    // Starts with no template: only opening is offered.
    void Clear();

    ReportDesignModel* Model;
    ReportDesignCanvas* Canvas;
    QScrollArea* CanvasArea;
    QTreeWidget* FieldList;
    QToolBar* ToolBar;
    QLabel* FileLabel;
    // Item properties.
    QLineEdit* TextEdit; // 文本或表达式
    QFontComboBox* FontBox;
    QDoubleSpinBox* FontSizeBox;
    QCheckBox* BoldBox;
    QCheckBox* ItalicBox;
    QComboBox* AlignBox;  // 水平对齐
    QComboBox* VAlignBox; // 垂直对齐
    QCheckBox* FrameLeftBox;
    QCheckBox* FrameTopBox;
    QCheckBox* FrameRightBox;
    QCheckBox* FrameBottomBox;
    QComboBox* FormatBox; // 显示格式
    QDoubleSpinBox* LeftBox;
    QDoubleSpinBox* TopBox;
    QDoubleSpinBox* WidthBox;
    QDoubleSpinBox* HeightBox;
    // Band properties.
    QDoubleSpinBox* BandHeightBox;
    QComboBox* BandDataSetBox;

    QAction* ActionOpen;
    QAction* ActionSave;
    QAction* ActionUndo;
    QAction* ActionRedo;
    QAction* ActionAddText;
    QAction* ActionAddLine;
    QAction* ActionDeleteItem;
    QAction* ActionAddBand;
    QAction* ActionDeleteBand;
    QAction* ActionPreview;

public slots:
    void ActionOpenExecute();
    // Saves to the file it came from (or where SavePathOf sends it); false after a message.
    bool ActionSaveExecute();
    void ActionAddTextExecute();
    void ActionAddLineExecute();
    void ActionDeleteItemExecute();
    void ActionDeleteBandExecute();
    void ActionPreviewExecute();
    // Closing with unsaved changes asks whether to save them first.
    void reject() override;

private:
    QWidget* BuildProperties();
    void BuildActions();
    void ShowSelection();
    void FillFieldList();
    // The selected item with one property changed by `change`, as one undo step.
    void ChangeItem(const QString& what, const std::function<void(ReportItem&)>& change);
    void ChangeBand(const QString& what, const std::function<void(ReportBand&)>& change);
    void AddBandOfKind(ReportBand::Kind kind);
    bool showing = false; // the panel is being filled from the model
};
