#pragma once

#include <QDialog>
#include <QString>
#include <array>

class QButtonGroup;
class QLabel;
class QPushButton;
class QRadioButton;

// The face picker: 39 faces, each with a radio button "头像1".."头像39". The caller sets FacePath,
// shows the window, and on OK reads the chosen path back.
class TFormUser2 : public QDialog {
    Q_OBJECT
public:
    explicit TFormUser2(QWidget* parent = nullptr);

    QString FacePath;

    std::array<QLabel*, 39> Faces{};
    std::array<QRadioButton*, 39> RadioButtons{}; // RadioButton1..RadioButton39
    QPushButton* BitBtn1;                         // accept
    QPushButton* BitBtn2;                         // cancel

    // The checked face number, 0 when none is checked.
    int CheckedFace() const;

public slots:
    void FormShow();
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QButtonGroup* group;
};

extern TFormUser2* FormUser2;
