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

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QString Section = QStringLiteral("Kestrel");

QString SizeText(qint64 bytes) {
    if (bytes >= 1024 * 1024)
        return QStringLiteral("%1 MB").arg(double(bytes) / (1024 * 1024), 0, 'f', 1);
    return QStringLiteral("%1 KB").arg((bytes + 1023) / 1024);
}
} // namespace

QString AutoBackupFolder() {
    const QString chosen = ReadIniString(Section, AutoBackupFolderKey, QString(), IniFileName).trimmed();
    if (!chosen.isEmpty())
        return chosen;
    const QStringList books = BooksFiles();
    return AutoBackup::DefaultFolder(books.isEmpty() ? BooksFolder + QStringLiteral("Kestrel.mdb")
                                                     : books.last());
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
