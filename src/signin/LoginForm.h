#pragma once

#include <QDialog>
#include <QString>
#include <array>

class QAction;
class QLabel;
class QToolButton;

// The sign-in window: sixteen salesman faces and the four manager roles, each with a password.
// Accepted when somebody signed in (CurrentRole, CurrentUser and, for a salesman, CurrentRights
// are set then); rejected otherwise.
class TFormLogin : public QDialog {
    Q_OBJECT
public:
    explicit TFormLogin(QWidget* parent = nullptr);

    QLabel* ImageTitle; // title picture; a click shows the exit picture
    QLabel* ImageUp4;   // exit picture; a click ends sign-in without a user
    // Highlight flags of the two pictures: 0 normal, 1 highlighted.
    int ImageTitleTag = 0;
    int ImageUp4Tag = 0;

    std::array<QToolButton*, 16> Man{}; // Man1..Man16: face button N is salesman slot N
    QToolButton* ManManage;
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton2;
    QToolButton* SpeedButton3;
    QToolButton* SpeedButton4;
    QAction* ActionManage; // 人员管理
    QAction* Action1;      // 财务主管
    QAction* Action2;      // 财务总监
    QAction* Action3;      // 管理员
    QAction* Action4;      // 总经理

    // Fills the face buttons from the sixteen salesman slots of Power.
    void LoadFaces();

public slots:
    void FormShow();
    void ManClick(int slot); // face button 1..16
    void Action1Execute();
    void Action2Execute();
    void Action3Execute();
    void Action4Execute();
    void ActionManageExecute();
    void ImageTitleClick();
    void ImageUp4Click();

protected:
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SignInAsRole(const QString& role, const QString& prompt);
    // Shows the staff window, then reloads the faces.
    void OpenStaffManagement();
    void HighlightTitle(bool on);
    void HighlightUp4(bool on);
};

extern TFormLogin* FormLogin;
