#include "core/interaction/filedialogs.h"

namespace {

// Until the program installs its dialogs, every choice is cancelled.
class TUnattendedFileDialogs : public TFileDialogs {
public:
    std::optional<QString> OpenFile(const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> SaveFile(
        const QString&, const QString&, const QString&, const QString&, QString*) override
    {
        return {};
    }
    std::optional<QString> Directory(const QString&, const QString&) override { return {}; }
};

std::unique_ptr<TFileDialogs>& Installed()
{
    static std::unique_ptr<TFileDialogs> dialogs;
    return dialogs;
}

} // namespace

TFileDialogs& FileDialogs()
{
    auto& d = Installed();
    if (!d)
        d = std::make_unique<TUnattendedFileDialogs>();
    return *d;
}

std::unique_ptr<TFileDialogs> SetFileDialogs(std::unique_ptr<TFileDialogs> dialogs)
{
    std::swap(Installed(), dialogs);
    return dialogs;
}
