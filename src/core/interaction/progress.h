#pragma once

// Receives the progress of a long loop over records (rebuilding the tallies after a survey with
// responses is loaded, an export, a web report). The window that owns the loop decides where
// progress is shown: on the splash screen while it is still up, in the status bar, in a progress
// window with a Stop button, or nowhere.
class TProgress {
public:
    virtual ~TProgress() = default;
    virtual void Start(int total) = 0;
    virtual void Step(int done) = 0;
    virtual void Finish() = 0;
    // True once the user asked to stop; loops that can stop cleanly look at it after each step.
    virtual bool StopRequested() const { return false; }
};

// Shows nothing; used where no window is there to show progress.
class TNoProgress : public TProgress {
public:
    void Start(int) override { }
    void Step(int) override { }
    void Finish() override { }
};
