#include "UserForm2.h"

#include "foundation/ShareDM.h"
#include "kit/ErrorHandler.h"
#include "signin/StaffRules.h"

#include <QButtonGroup>
#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

TFormUser2* FormUser2 = nullptr;

namespace {
constexpr int Columns = 9;
constexpr int CellWidth = 72;
constexpr int CellHeight = 74;
} // namespace

TFormUser2::TFormUser2(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FormUser2"));
    setWindowTitle(QStringLiteral("FormUser2"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    group = new QButtonGroup(this);
    // Five rows of nine; the last row has three.
    for (int i = 0; i < FaceCount; ++i) {
        const int x = 16 + (i % Columns) * CellWidth;
        const int y = 14 + (i / Columns) * CellHeight;
        auto* face = new QLabel(this);
        face->setObjectName(QStringLiteral("Image%1").arg(i + 1));
        face->setGeometry(x + 12, y, 40, 40);
        face->setScaledContents(true);
        face->setPixmap(QPixmap(ProgramFolder + ::FacePath(i + 1)));
        face->setCursor(Qt::PointingHandCursor);
        face->installEventFilter(this);
        auto* radio = new QRadioButton(QStringLiteral("头像%1").arg(i + 1), this);
        radio->setObjectName(QStringLiteral("RadioButton%1").arg(i + 1));
        radio->setGeometry(x, y + 42, CellWidth - 2, 22);
        group->addButton(radio, i + 1);
        Faces[static_cast<size_t>(i)] = face;
        RadioButtons[static_cast<size_t>(i)] = radio;
    }
    const int bottom = 14 + 5 * CellHeight + 6;
    BitBtn1 = new QPushButton(QIcon(QPixmap(ProgramFolder + QStringLiteral("Res/Ok.bmp"))),
                              QStringLiteral("确定"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QIcon(QPixmap(ProgramFolder + QStringLiteral("Res/Cancel.bmp"))),
                              QStringLiteral("取消"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setAutoDefault(false);
    const int width = 32 + Columns * CellWidth;
    BitBtn1->setGeometry(width - 16 - 2 * 96 - 12, bottom, 96, 32);
    BitBtn2->setGeometry(width - 16 - 96, bottom, 96, 32);
    setFixedSize(width, bottom + 32 + 14);
    connect(BitBtn1, &QPushButton::clicked, this, Guarded(this, &TFormUser2::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, Guarded(this, &TFormUser2::BitBtn2Click));
}

void TFormUser2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (parentWidget())
        move(parentWidget()->geometry().center() - rect().center());
    RunGuarded([this] { FormShow(); });
}

void TFormUser2::FormShow() {
    // No face equal to the path: the buttons keep their state from the previous use.
    const int face = FaceNumber(FacePath);
    if (face > 0)
        RadioButtons[static_cast<size_t>(face - 1)]->setChecked(true);
}

int TFormUser2::CheckedFace() const {
    return group->checkedId() > 0 ? group->checkedId() : 0;
}

void TFormUser2::BitBtn1Click() {
    if (CheckedFace() > 0)
        FacePath = ::FacePath(CheckedFace());
    accept();
}

void TFormUser2::BitBtn2Click() {
    reject();
}

bool TFormUser2::eventFilter(QObject* watched, QEvent* event) {
    // A click on a face checks its button.
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (size_t i = 0; i < Faces.size(); ++i) {
            if (watched == Faces[i]) {
                RadioButtons[i]->setChecked(true);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
