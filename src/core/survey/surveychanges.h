#pragma once

#include <QFlags>

#include <functional>
#include <utility>
#include <vector>

// What changed in a survey.
enum class TSurveyChange {
    Items = 0x1, // items added, removed, moved or edited
    Properties = 0x2, // properties, publication state, file name
    Modified = 0x4, // the modified flag
    Responses = 0x8, // response count, response table
};
Q_DECLARE_FLAGS(TSurveyChanges, TSurveyChange)
Q_DECLARE_OPERATORS_FOR_FLAGS(TSurveyChanges)

// Tells the survey's listeners what changed. Changes made inside a batch are told once, when the
// outermost batch ends, so that loading a file is one notification, not one per line.
class TSurveyNotifier {
public:
    using TListener = std::function<void(TSurveyChanges)>;

    // Returns a key for RemoveListener.
    int AddListener(TListener listener);
    void RemoveListener(int key);

    void Notify(TSurveyChanges changes);
    void BeginBatch() { ++batchDepth_; }
    void EndBatch();

private:
    std::vector<std::pair<int, TListener>> listeners_;
    int nextKey_ = 1;
    int batchDepth_ = 0;
    TSurveyChanges pending_;
};

// Holds a survey's notifications back for the lifetime of the object.
class TSurveyChangeBatch {
public:
    explicit TSurveyChangeBatch(TSurveyNotifier& notifier)
        : notifier_(notifier)
    {
        notifier_.BeginBatch();
    }
    ~TSurveyChangeBatch() { notifier_.EndBatch(); }
    TSurveyChangeBatch(const TSurveyChangeBatch&) = delete;
    TSurveyChangeBatch& operator=(const TSurveyChangeBatch&) = delete;

private:
    TSurveyNotifier& notifier_;
};
