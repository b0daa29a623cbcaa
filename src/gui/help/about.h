#pragma once

#include "core/interaction/progress.h"

#include <QDialog>

class QLabel;
class QProgressBar;

// The about box. At start-up it is the splash screen (ShowAsSplash) and carries the progress of
// rebuilding the tallies of a survey loaded before the main window exists; from the Help menu it
// is shown modally. A click on the picture, the title or the version closes it.
class TORVAbout : public QDialog, public TProgress {
    Q_OBJECT
public:
    explicit TORVAbout(QWidget* parent = nullptr);

    // Shows the window without waiting and paints it at once.
    void ShowAsSplash();
    // Puts the box in the middle of the screen (rather than over its parent window).
    void CentreOnScreen();

    // TProgress: shows "Analyzing Results:" and the bar while the loop runs.
    void Start(int total) override;
    void Step(int done) override;
    void Finish() override;

    QLabel* imgPicture = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblWebSite = nullptr;
    QLabel* lblAnalyzing = nullptr;
    QProgressBar* pbAnalyzing = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The picture of the about box, drawn for the given device pixel ratio.
QPixmap AboutPicture(qreal devicePixelRatio);
