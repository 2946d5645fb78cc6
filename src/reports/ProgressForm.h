#pragma once

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;
class QPushButton;

// The progress window of long work (the monthly reports, a long list's preview, the analysis,
// the export): shown without blocking, centred on its owner, one bar from 0 to 100 and 取消.
// The work runs on the one thread, so every change paints at once; now and then the work polls
// the window, which lets a click on 取消 in and keeps every other window's input out.
class TFormProgress : public QDialog {
    Q_OBJECT
public:
    explicit TFormProgress(QWidget* parent = nullptr);

    QLabel* Label1;
    QProgressBar* ProgressBar1;
    QPushButton* CancelButton; // 取消: the work stops and leaves nothing half done

    // Whether 取消 was pressed (or Esc) since the window was shown.
    bool Cancelled() const { return cancelled; }
    // Lets a click on 取消 in (and only input for this window: the rest of the program waits);
    // true when the work should stop.
    bool Poll();
    // Shows what the work is doing.
    void SetText(const QString& text);

    // Shows the window in the middle of owner (the screen's middle without one), bar at 0.
    void ShowOver(QWidget* owner);
    // Sets the bar and paints.
    void SetPosition(int percent);
    // The position of `done` of `total` steps between the percentages from and to, then Poll.
    bool Advance(qint64 done, qint64 total, int from = 0, int to = 100);
    // While a long step runs: moves the bar one step on, staying below ceiling, and shows the
    // seconds gone, so that the window never stands still.
    // Returns Poll().
    bool Creep(int ceiling);

protected:
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PaintNow();
    QElapsedTimer running;
    QElapsedTimer sincePoll;
    QString text;
    bool cancelled = false;
};

// Shows the progress window for one run and hides it when the run ends, however it ends.
class ProgressRun {
public:
    ProgressRun(TFormProgress* form, QWidget* owner);
    ~ProgressRun();
    ProgressRun(const ProgressRun&) = delete;
    ProgressRun& operator=(const ProgressRun&) = delete;
    void Step(int percent);
    void Hide();
    bool Cancelled() const;

private:
    TFormProgress* form;
};

extern TFormProgress* FormProgress;
