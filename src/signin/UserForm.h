#pragma once

#include "foundation/Query.h"

#include <QDialog>
#include <QString>

class DataGrid;
class PictureFrame;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The staff window: the sixteen salesman slots, one edited at a time, with the hand-over of a
// renamed salesman's records.
class TFormUser : public QDialog {
    Q_OBJECT
public:
    explicit TFormUser(QWidget* parent = nullptr);

    Query ADOQuery1; // the salesman slots, shown by DBGridEh1
    DataGrid* DBGridEh1;
    QLineEdit* Edit1; // 名称
    QLineEdit* Edit2; // 密码
    PictureFrame* Shape1;
    QLabel* Image1;       // the face; a click opens the face picker
    QLineEdit* Edit3;     // the face's path, changed only through the picker
    QCheckBox* CheckBox1; // 业务管理
    QCheckBox* CheckBox2; // 财务管理
    QPushButton* Button1; // 确　定
    QPushButton* Button2; // 取　消

    // Fills the fields from the grid's current slot.
    void ShowSlot();
    // Shape1's colour: light blue while the mouse is over the face, the window colour elsewhere.
    void HighlightFace(bool on);

public slots:
    void FormShow();
    void Image1Click();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void OpenSlots();
    void SelectSlot(qint64 powerIndex);
    void ShowFace(const QString& path);
};

extern TFormUser* FormUser;
