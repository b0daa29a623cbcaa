#include "gui/analysis/officehandover.h"

namespace {

// No office program offers an automation interface this program can attach to.
class TNoOfficeProgram : public TOfficeHandOver {
public:
    bool Attach(TOfficeProgram) override { return false; }
    void Paste(TOfficeProgram) override { }
};

std::unique_ptr<TOfficeHandOver>& Current()
{
    static std::unique_ptr<TOfficeHandOver> current = std::make_unique<TNoOfficeProgram>();
    return current;
}

} // namespace

TOfficeHandOver& OfficeHandOver()
{
    return *Current();
}

std::unique_ptr<TOfficeHandOver> SetOfficeHandOver(std::unique_ptr<TOfficeHandOver> handOver)
{
    std::unique_ptr<TOfficeHandOver> previous = std::move(Current());
    Current() = handOver ? std::move(handOver) : std::make_unique<TNoOfficeProgram>();
    return previous;
}
