#pragma once

#include <QGroupBox>
#include <QString>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableWidget;
class TFormMain;

// The configuration keys of the automatic backups (section [Kestrel] of Kestrel.ini): the folder
// (empty: 备份/ beside the books) and whether they are written at all ("0": not).
inline const QString AutoBackupFolderKey = QStringLiteral("AutoBackupFolder");
inline const QString AutoBackupKey = QStringLiteral("AutoBackup");
inline const QString AutoBackupErrorKey = QStringLiteral("AutoBackupError");

QString AutoBackupFolder();
bool AutoBackupOn();
// Writes an automatic backup of the open books (when on and a database is open); a failure is
// kept in the configuration file and told once at the next start (TellAutoBackupFailure).
void RunAutoBackup();
// While the program runs: a backup when none was written today.
void RunDailyAutoBackup();
void TellAutoBackupFailure();

// The data maintenance page's list of automatic backups: date, size, documents and the newest
// document's date; restores the chosen one through the checked restore of 恢复数据, and opens the
// change history.
class AutoBackupBox : public QGroupBox {
    Q_OBJECT
public:
    AutoBackupBox(TFormMain* main, QWidget* parent);
    QTableWidget* List;
    QPushButton* ButtonRestore;
    QPushButton* ButtonRefresh;
    QPushButton* ButtonHistory;
public slots:
    void Refresh();
    void RestoreClick();
    void HistoryClick();

private:
    TFormMain* main;
};

// Checks that the folder can hold the automatic backups (made when missing, a file can be written
// in it); returns an error text in Chinese, or "".
QString CheckBackupFolder(const QString& folder);

// The settings page's box of the automatic backups (the page is the administrator's): whether they
// are written, and where. The check box takes effect at once; a folder typed takes effect with
// 确定 (or Enter), a folder chosen in the dialog at once; an empty folder is the default. Shows
// the stored settings whenever it is shown.
class AutoBackupSettingsBox : public QGroupBox {
    Q_OBJECT
public:
    explicit AutoBackupSettingsBox(QWidget* parent);
    QCheckBox* CheckOn;
    QLineEdit* EditFolder;
    QPushButton* ButtonChoose;
    QPushButton* ButtonApply;
public slots:
    // Shows the settings as stored.
    void Load();
    void OnToggled(bool on);
    void ChooseClick();
    void ApplyClick();

protected:
    void showEvent(QShowEvent* event) override;
};
