#include "core/survey/surveychanges.h"

#include <algorithm>

int TSurveyNotifier::AddListener(TListener listener)
{
    const int key = nextKey_++;
    listeners_.emplace_back(key, std::move(listener));
    return key;
}

void TSurveyNotifier::RemoveListener(int key)
{
    std::erase_if(listeners_, [key](const auto& entry) { return entry.first == key; });
}

void TSurveyNotifier::Notify(TSurveyChanges changes)
{
    if (!changes)
        return;
    if (batchDepth_ > 0) {
        pending_ |= changes;
        return;
    }
    // A copy: a listener may add or remove listeners while it is told.
    const auto listeners = listeners_;
    for (const auto& [key, listener] : listeners)
        listener(changes);
}

void TSurveyNotifier::EndBatch()
{
    if (batchDepth_ == 0 || --batchDepth_ > 0)
        return;
    const TSurveyChanges changes = std::exchange(pending_, TSurveyChanges());
    Notify(changes);
}
