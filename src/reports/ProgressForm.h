#pragma once

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;

// The progress window of the monthly reports: shown without blocking, centred on its owner,
// one bar from 0 to 100. The work runs on the one thread, so every change paints at once.
class TFormProgress : public QDialog {
    Q_OBJECT
public:
    explicit TFormProgress(QWidget* parent = nullptr);

    QLabel* Label1;
    QProgressBar* ProgressBar1;

    // Shows the window in the middle of owner (the screen's middle without one), bar at 0.
    void ShowOver(QWidget* owner);
    // Sets the bar and paints.
    void SetPosition(int percent);
    // While a long step runs: moves the bar one step on, staying below ceiling, and shows the
    // seconds gone, so that the window never stands still.
    void Creep(int ceiling);

private:
    void PaintNow();
    QElapsedTimer running;
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

private:
    TFormProgress* form;
};

extern TFormProgress* FormProgress;
