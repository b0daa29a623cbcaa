#pragma once

#include <QString>

class TSurvey;
class TProgress;

// What the main window needs from the response table of the open survey. The window talks to
// the table only through this interface; until a table is attached, TNoResponseTable answers
// "closed, no responses".
class TResponseTableSeam {
public:
    virtual ~TResponseTableSeam() = default;
    // The survey was loaded: open its response table when it names one, and rebuild the tallies,
    // reporting progress record by record.
    virtual void SurveyLoaded(TSurvey& survey, TProgress& progress) = 0;
    // Closes the table and empties the analysis view (New, Open, Reopen, drop, Save As copy).
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // "Filter: " text of the active filter; empty when none is set.
    virtual QString FilterText() const = 0;
    // Whether the analysis shows its chart (the chart commands need it).
    virtual bool ChartShown() const { return true; }
};

class TNoResponseTable : public TResponseTableSeam {
public:
    void SurveyLoaded(TSurvey&, TProgress&) override { }
    void Close() override { }
    bool IsOpen() const override { return false; }
    QString FilterText() const override { return {}; }
};
