#include "AutoBackups.h"

#include "HistoryForm.h"
#include "MainForm.h"
#include "RoleViews.h"
#include "foundation/AutoBackup.h"
#include "foundation/BooksFiles.h"
#include "foundation/BooksPlace.h"
#include "foundation/IniFile.h"
#include "foundation/ShareDM.h"
#include "kit/Prompts.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryFile>
#include <QVBoxLayout>

namespace {
const QString Section = QStringLiteral("Kestrel");

QString SizeText(qint64 bytes) {
    if (bytes >= 1024 * 1024)
        return QStringLiteral("%1 MB").arg(double(bytes) / (1024 * 1024), 0, 'f', 1);
    return QStringLiteral("%1 KB").arg((bytes + 1023) / 1024);
}
} // namespace

QString DefaultAutoBackupFolder() {
    const QStringList books = BooksFiles();
    return AutoBackup::DefaultFolder(books.isEmpty() ? BooksFolder + QStringLiteral("Kestrel.mdb")
                                                     : books.last());
}

QString AutoBackupFolder() {
    const QString chosen = ReadIniString(Section, AutoBackupFolderKey, QString(), IniFileName).trimmed();
    return chosen.isEmpty() ? DefaultAutoBackupFolder() : chosen;
}

bool AutoBackupOn() {
    return ReadIniString(Section, AutoBackupKey, QStringLiteral("1"), IniFileName) != QLatin1String("0");
}

void RunAutoBackup() {
    if (!AutoBackupOn() || !ShareDataModule || !ShareDataModule->ADOConnection1.Connected())
        return;
    const AutoBackup::Outcome outcome = AutoBackup::Run(ShareDataModule->ADOConnection1, AutoBackupFolder(),
                                                        QDateTime::currentDateTime(), BooksFiles());
    if (!outcome.Error.isEmpty())
        WriteIniString(Section, AutoBackupErrorKey, outcome.Error.left(200).simplified(), IniFileName);
}

void RunDailyAutoBackup() {
    std::vector<QDateTime> times;
    for (const AutoBackup::Copy& copy : AutoBackup::List(AutoBackupFolder()))
        times.push_back(copy.Time);
    if (AutoBackup::DueToday(times, QDateTime::currentDateTime()))
        RunAutoBackup();
}

void TellAutoBackupFailure() {
    const QString error = ReadIniString(Section, AutoBackupErrorKey, QString(), IniFileName);
    if (error.isEmpty())
        return;
    WriteIniString(Section, AutoBackupErrorKey, QString(), IniFileName);
    Prompts::Get().Error(QStringLiteral("上次退出时的自动备份没有成功：\n") + error);
}

AutoBackupBox::AutoBackupBox(TFormMain* main, QWidget* parent)
    : QGroupBox(QStringLiteral("自动备份与修改记录"), parent)
    , main(main) {
    setObjectName(QStringLiteral("GroupAutoBackup"));
    List = new QTableWidget(0, 4, this);
    List->setObjectName(QStringLiteral("AutoBackupList"));
    List->setAccessibleName(QStringLiteral("自动备份"));
    List->setHorizontalHeaderLabels({QStringLiteral("备份时间"), QStringLiteral("大小"),
                                     QStringLiteral("单据数"), QStringLiteral("最后单据日期")});
    List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List->setSelectionBehavior(QAbstractItemView::SelectRows);
    List->setSelectionMode(QAbstractItemView::SingleSelection);
    List->verticalHeader()->hide();
    List->horizontalHeader()->setStretchLastSection(true);
    List->setColumnWidth(0, 150);
    ButtonRestore = new QPushButton(QStringLiteral("恢复选定的备份"), this);
    ButtonRestore->setObjectName(QStringLiteral("ButtonRestoreAutoBackup"));
    ButtonRefresh = new QPushButton(QStringLiteral("刷新"), this);
    ButtonRefresh->setObjectName(QStringLiteral("ButtonRefreshAutoBackup"));
    ButtonHistory = new QPushButton(QStringLiteral("修改记录"), this);
    ButtonHistory->setObjectName(QStringLiteral("ButtonHistory"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ButtonHistory);
    buttons->addStretch(1);
    buttons->addWidget(ButtonRefresh);
    buttons->addWidget(ButtonRestore);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(List, 1);
    layout->addLayout(buttons);
    connect(ButtonRefresh, &QPushButton::clicked, this, &AutoBackupBox::Refresh);
    connect(ButtonRestore, &QPushButton::clicked, this, &AutoBackupBox::RestoreClick);
    connect(ButtonHistory, &QPushButton::clicked, this, &AutoBackupBox::HistoryClick);
}

void AutoBackupBox::Refresh() {
    std::vector<AutoBackup::Copy> copies = AutoBackup::List(AutoBackupFolder());
    List->setRowCount(static_cast<int>(copies.size()));
    for (int r = 0; r < static_cast<int>(copies.size()); ++r) {
        AutoBackup::Copy& copy = copies[static_cast<size_t>(r)];
        AutoBackup::ReadFigures(&copy);
        const QString texts[4] = {
            copy.Time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), SizeText(copy.Size),
            copy.Documents < 0 ? QStringLiteral("无法读取") : QString::number(copy.Documents),
            copy.LastDocument};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            item->setData(Qt::UserRole, copy.Path);
            List->setItem(r, c, item);
        }
    }
}

void AutoBackupBox::RestoreClick() {
    if (!IsAdministratorSignedIn())
        return;
    const int row = List->currentRow();
    if (row < 0 || !List->item(row, 0)) {
        Prompts::Get().Information(QStringLiteral("请先选定要恢复的自动备份"));
        return;
    }
    if (!Prompts::Get().Question(
            QStringLiteral("数据库恢复将导致当前数据全部丢失，是否恢复到 %1 的自动备份？")
                .arg(List->item(row, 0)->text()),
            QStringLiteral("恢复警告")))
        return;
    main->RestoreFrom(List->item(row, 0)->data(Qt::UserRole).toString());
}

void AutoBackupBox::HistoryClick() {
    ShowHistory(window());
}

QString CheckBackupFolder(const QString& folder) {
    const QString shown = QDir::toNativeSeparators(folder);
    if (!QDir().mkpath(folder))
        return QStringLiteral("无法建立备份位置：") + shown;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("Kestrel-写入检查-XXXXXX")));
    if (!probe.open())
        return QStringLiteral("备份位置不能写入：") + shown;
    return QString();
}

AutoBackupSettingsBox::AutoBackupSettingsBox(QWidget* parent)
    : QGroupBox(QStringLiteral("自动备份"), parent) {
    // Laid out as the other boxes of the settings page, with 确定 at the bottom right.
    setObjectName(QStringLiteral("GroupAutoBackupSettings"));
    CheckOn = new QCheckBox(QStringLiteral("退出程序时自动备份"), this);
    CheckOn->setObjectName(QStringLiteral("CheckAutoBackup"));
    CheckOn->setToolTip(QStringLiteral("保留最近 7 天、4 周和 12 个月的备份"));
    CheckOn->setGeometry(12, 20, 176, 20);
    auto* label = new QLabel(QStringLiteral("位置(&W)"), this);
    label->setGeometry(12, 44, 44, 22);
    EditFolder = new QLineEdit(this);
    EditFolder->setObjectName(QStringLiteral("EditAutoBackupFolder"));
    EditFolder->setAccessibleName(QStringLiteral("备份位置"));
    EditFolder->setGeometry(56, 44, 104, 22);
    label->setBuddy(EditFolder);
    ButtonChoose = new QPushButton(QStringLiteral("…"), this);
    ButtonChoose->setObjectName(QStringLiteral("ButtonChooseAutoBackupFolder"));
    ButtonChoose->setAccessibleName(QStringLiteral("选择备份位置"));
    ButtonChoose->setToolTip(QStringLiteral("选择备份位置"));
    ButtonChoose->setGeometry(162, 44, 26, 22);
    ButtonApply = new QPushButton(QStringLiteral("确定"), this);
    ButtonApply->setObjectName(QStringLiteral("ButtonApplyAutoBackupFolder"));
    ButtonApply->setGeometry(108, 70, 80, 24);
    connect(CheckOn, &QCheckBox::toggled, this, &AutoBackupSettingsBox::OnToggled);
    connect(ButtonChoose, &QPushButton::clicked, this, &AutoBackupSettingsBox::ChooseClick);
    connect(ButtonApply, &QPushButton::clicked, this, &AutoBackupSettingsBox::ApplyClick);
    connect(EditFolder, &QLineEdit::returnPressed, this, &AutoBackupSettingsBox::ApplyClick);
}

void AutoBackupSettingsBox::Load() {
    const QSignalBlocker quiet(CheckOn);
    CheckOn->setChecked(AutoBackupOn());
    EditFolder->setText(ReadIniString(Section, AutoBackupFolderKey, QString(), IniFileName).trimmed());
    EditFolder->setPlaceholderText(QDir::toNativeSeparators(DefaultAutoBackupFolder()));
    EditFolder->setToolTip(QStringLiteral("留空为默认位置：") + EditFolder->placeholderText());
}

void AutoBackupSettingsBox::showEvent(QShowEvent* event) {
    Load();
    QGroupBox::showEvent(event);
}

void AutoBackupSettingsBox::OnToggled(bool on) {
    WriteIniString(Section, AutoBackupKey, on ? QStringLiteral("1") : QStringLiteral("0"), IniFileName);
}

void AutoBackupSettingsBox::ChooseClick() {
    FileDialogOptions options;
    options.Title = QStringLiteral("选择自动备份的位置");
    options.Folder = AutoBackupFolder();
    const QString chosen = Prompts::Get().FolderName(this, options);
    if (chosen.isEmpty())
        return;
    EditFolder->setText(QDir::toNativeSeparators(chosen));
    ApplyClick();
}

void AutoBackupSettingsBox::ApplyClick() {
    const QString folder = QDir::fromNativeSeparators(EditFolder->text().trimmed());
    const QString error = CheckBackupFolder(folder.isEmpty() ? DefaultAutoBackupFolder() : folder);
    if (!error.isEmpty()) {
        Prompts::Get().Error(error);
        EditFolder->setFocus();
        return;
    }
    WriteIniString(Section, AutoBackupFolderKey, folder, IniFileName);
    Prompts::Get().Information(folder.isEmpty()
                                   ? QStringLiteral("自动备份将写入默认位置")
                                   : QStringLiteral("自动备份将写入：") + QDir::toNativeSeparators(folder));
}
