// The commands the main window registers itself. Commands whose module is not part of this build
// yet keep the "not available yet" box until that module gives them a handler (SetHandler).
#include "gui/help/help.h"
#include "gui/help/weblinks.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "gui/mainwindow/toolicons.h"
#include "core/interaction/messages.h"
#include "core/interaction/shell.h"

#include <QAction>
#include <QWhatsThis>

namespace {

bool HasSelection(const TCommandState& s)
{
    return s.Selected > 0;
}
bool HasItems(const TCommandState& s)
{
    return s.Items > 0;
}
bool HasResponses(const TCommandState& s)
{
    return s.ResponsesReceived > 0;
}
bool PageGenerated(const TCommandState& s)
{
    return s.PageGenerated;
}

} // namespace

void TORVMainForm::RegisterFileCommands()
{
    RegisterCommand({.Id = cmd::FileNew,
        .Caption = QStringLiteral("&New"),
        .Shortcut = QKeySequence::New,
        .HelpContext = 1010,
        .Icon = ToolIcon(TToolIcon::New),
        .Handler = [this] { FileNew(); }});
    RegisterCommand({.Id = cmd::FileOpen,
        .Caption = QStringLiteral("&Open..."),
        .Shortcut = QKeySequence::Open,
        .HelpContext = 1011,
        .Icon = ToolIcon(TToolIcon::Open),
        .Handler = [this] { FileOpen(); }});
    RegisterCommand({.Id = cmd::FileReopen, .Caption = QStringLiteral("&Reopen"), .Submenu = true});
    RegisterCommand({.Id = cmd::FileSave,
        .Caption = QStringLiteral("&Save"),
        .Shortcut = QKeySequence::Save,
        .HelpContext = 1012,
        .Icon = ToolIcon(TToolIcon::Save),
        .EnabledWhen = [](const TCommandState& s) { return s.Modified; },
        .Handler = [this] { FileSave(); }});
    RegisterCommand({.Id = cmd::FileSaveAs,
        .Caption = QStringLiteral("Save &As..."),
        .HelpContext = 1013,
        .Handler = [this] { SaveSurveyAs(); }});
    RegisterCommand({.Id = cmd::FileImport, .Caption = QStringLiteral("&Import"), .Submenu = true});
    RegisterCommand({.Id = cmd::ImportQuestions, .Caption = QStringLiteral("&Questions...")});
    RegisterCommand({.Id = cmd::ImportServerDataFile,
        .Caption = QStringLiteral("&Server Data File..."),
        .EnabledWhen = PageGenerated});
    RegisterCommand({.Id = cmd::FileExport,
        .Caption = QStringLiteral("&Export Responses to"),
        .Submenu = true,
        .EnabledWhen
        = [](const TCommandState& s) { return s.ResponsesReceived > 0 && s.ResponseTableOpen; }});
    RegisterCommand({.Id = cmd::ExportFoxPro, .Caption = QStringLiteral("&FoxPro Database File...")});
    RegisterCommand({.Id = cmd::ExportCSV, .Caption = QStringLiteral("&Comma Seperated Values...")});
    RegisterCommand({.Id = cmd::ExportExcel, .Caption = QStringLiteral("&Excel Workbook...")});
    RegisterCommand({.Id = cmd::ExportSPSS, .Caption = QStringLiteral("&SPSS Data File...")});
    RegisterCommand({.Id = cmd::ExportStata, .Caption = QStringLiteral("S&tata Data File...")});
    RegisterCommand({.Id = cmd::Preview,
        .Caption = QStringLiteral("&Preview as Web Page"),
        .HelpContext = 1015,
        .Icon = ToolIcon(TToolIcon::Preview),
        .Handler = [this] { Preview(); }});
    RegisterCommand({.Id = cmd::PreviewAsWebPage,
        .Caption = QStringLiteral("&Preview as Web Page"),
        .HelpContext = 1015,
        .Icon = ToolIcon(TToolIcon::Preview),
        .EnabledWhen = HasItems,
        .Handler = [this] { Preview(); }});
    RegisterCommand({.Id = cmd::FilePrint,
        .Caption = QStringLiteral("&Print Questions..."),
        .Hint = QStringLiteral("Print Questions"),
        .Shortcut = QKeySequence::Print,
        .HelpContext = 1014,
        .Icon = ToolIcon(TToolIcon::Print),
        .EnabledWhen
        = [](const TCommandState& s) { return s.OnQuestionsPage ? s.Items > 0 : s.ResponsesReceived > 0; }});
    RegisterCommand({.Id = cmd::FilePrintSetup, .Caption = QStringLiteral("Prin&t Setup...")});
    RegisterCommand(
        {.Id = cmd::FileExit, .Caption = QStringLiteral("E&xit"), .Handler = [this] { close(); }});
}

void TORVMainForm::RegisterEditCommands()
{
    RegisterCommand({.Id = cmd::EditCut,
        .Caption = QStringLiteral("Cu&t"),
        .Shortcut = QKeySequence::Cut,
        .HelpContext = 1016,
        .Icon = ToolIcon(TToolIcon::Cut),
        .EnabledWhen = HasSelection});
    RegisterCommand({.Id = cmd::EditCopy,
        .Caption = QStringLiteral("&Copy"),
        .Shortcut = QKeySequence::Copy,
        .HelpContext = 1017,
        .Icon = ToolIcon(TToolIcon::Copy),
        .EnabledWhen = HasSelection});
    RegisterCommand({.Id = cmd::EditPaste,
        .Caption = QStringLiteral("&Paste"),
        .Shortcut = QKeySequence::Paste,
        .HelpContext = 1018,
        .Icon = ToolIcon(TToolIcon::Paste),
        .EnabledWhen = [](const TCommandState& s) { return s.ClipboardFilled; }});
    RegisterCommand({.Id = cmd::EditItem,
        .Caption = QStringLiteral("&Edit Item"),
        .HelpContext = 1021,
        .Icon = ToolIcon(TToolIcon::Edit),
        .EnabledWhen = [](const TCommandState& s) { return s.SingleSelection; }});
    RegisterCommand({.Id = cmd::DeleteItem,
        .Caption = QStringLiteral("&Delete Item"),
        .HelpContext = 1022,
        .Icon = ToolIcon(TToolIcon::Remove),
        .EnabledWhen = HasSelection});
    RegisterCommand({.Id = cmd::AddToQuestionLibrary,
        .Caption = QStringLiteral("&Add to Question Library"),
        .Submenu = true,
        .EnabledWhen = [](const TCommandState& s) { return s.Selected > 0 && s.HasLibraries; }});
    RegisterCommand({.Id = cmd::ApplyResponseTemplate,
        .Caption = QStringLiteral("Apply &Response Template"),
        .Submenu = true,
        .EnabledWhen = HasSelection});
    RegisterCommand({.Id = cmd::TemplateManager, .Caption = QStringLiteral("&Template Manager...")});
    RegisterCommand({.Id = cmd::AddQuestion,
        .Caption = QStringLiteral("Add a &Question..."),
        .HelpContext = 1019,
        .Icon = ToolIcon(TToolIcon::AddQuestion)});
    RegisterCommand({.Id = cmd::AddHeader,
        .Caption = QStringLiteral("Add a &Header..."),
        .HelpContext = 1020,
        .Icon = ToolIcon(TToolIcon::AddHeader)});
    RegisterCommand({.Id = cmd::MoveUp,
        .Caption = QStringLiteral("Move &up"),
        .HelpContext = 1024,
        .Icon = ToolIcon(TToolIcon::MoveUp),
        .EnabledWhen = [](const TCommandState& s) { return s.Selected > 0 && !s.FirstRowSelected; }});
    RegisterCommand({.Id = cmd::MoveDown,
        .Caption = QStringLiteral("Move d&own"),
        .HelpContext = 1025,
        .Icon = ToolIcon(TToolIcon::MoveDown),
        .EnabledWhen = [](const TCommandState& s) { return s.Selected > 0 && !s.LastRowSelected; }});
    RegisterCommand({.Id = cmd::CreateSkipGroup, .Caption = QStringLiteral("&Create Skip Group...")});
    RegisterCommand({.Id = cmd::UngroupSkipGroup, .Caption = QStringLiteral("Ungroup...")});
    RegisterCommand({.Id = cmd::Preferences, .Caption = QStringLiteral("&Preferences...")});
    RegisterCommand({.Id = cmd::RawResultsEditing,
        .Caption = QStringLiteral("&Raw Results Editing..."),
        .Checkable = true,
        .EnabledWhen = HasResponses});
}

void TORVMainForm::RegisterSurveyCommands()
{
    RegisterCommand({.Id = cmd::SurveyProperties,
        .Caption = QStringLiteral("&Properties..."),
        .Hint = QStringLiteral("Survey Properties"),
        .HelpContext = 1026,
        .Icon = ToolIcon(TToolIcon::Properties)});
    RegisterCommand({.Id = cmd::SurveyQuestionLibrary,
        .Caption = QStringLiteral("&Question Library..."),
        .HelpContext = 1027,
        .Icon = ToolIcon(TToolIcon::Library)});
    RegisterCommand({.Id = cmd::SurveyBuilderWizard,
        .Caption = QStringLiteral("Survey Builder Wizard..."),
        .HelpContext = 1028,
        .Icon = ToolIcon(TToolIcon::Wizard)});
    RegisterCommand({.Id = cmd::PublishSurvey,
        .Caption = QStringLiteral("Publish &Survey..."),
        .HelpContext = 1029,
        .Icon = ToolIcon(TToolIcon::Publish),
        .EnabledWhen = HasItems,
        .Handler = [this] {
            if (ConfirmSaveBeforePublish())
                ShowNotAvailable(QStringLiteral("Publish Survey"));
        }});
    RegisterCommand({.Id = cmd::SurveyEmailLists,
        .Caption = QStringLiteral("&Email List Manager"),
        .Hint = QStringLiteral("E-Mail List Manager"),
        .HelpContext = 1030,
        .Icon = ToolIcon(TToolIcon::EMail)});
    RegisterCommand({.Id = cmd::UpdateNow,
        .Caption = QStringLiteral("&Update Now"),
        .HelpContext = 1031,
        .Icon = ToolIcon(TToolIcon::Update),
        .EnabledWhen = PageGenerated});
    RegisterCommand({.Id = cmd::ResetLocalResponses, .Caption = QStringLiteral("&Reset Local Responses...")});
    RegisterCommand({.Id = cmd::ClearResultsFromServer,
        .Caption = QStringLiteral("&Clear Results From Server..."),
        .EnabledWhen = HasResponses});
    const TEnablingRule hasTable
        = [](const TCommandState& s) { return s.ResponsesReceived > 0 && s.ResponseTableOpen; };
    RegisterCommand({.Id = cmd::SetFilterOptions,
        .Caption = QStringLiteral("Set F&ilter Options..."),
        .EnabledWhen = hasTable});
    RegisterCommand({.Id = cmd::ChartToolbox,
        .Caption = QStringLiteral("&Chart Toolbox..."),
        .EnabledWhen = [](const TCommandState& s) { return s.ResponsesReceived > 0 && s.ChartShown; }});
    RegisterCommand(
        {.Id = cmd::ExportAnalysis, .Caption = QStringLiteral("E&xport to"), .EnabledWhen = hasTable});
}

void TORVMainForm::RegisterHelpCommands()
{
    RegisterCommand({.Id = cmd::HelpGettingStarted,
        .Caption = QStringLiteral("&Getting Started - Your First Survey"),
        .Handler = [] { ShowHelpTopic(3); }});
    RegisterCommand({.Id = cmd::HelpContents, .Caption = QStringLiteral("&Contents"), .Handler = [] {
                         ShowHelpContents();
                     }});
    RegisterCommand({.Id = cmd::HelpSearch,
        .Caption = QStringLiteral("&Search for Help On..."),
        .Handler = [] { ShowHelpSearch(); }});
    RegisterCommand({.Id = cmd::HelpOnHelp, .Caption = QStringLiteral("&How to Use Help"), .Handler = [] {
                         ShowHelpOnHelp();
                     }});
    RegisterCommand({.Id = cmd::WhatsThis, .Caption = QStringLiteral("&What's This?"), .Handler = [] {
                         QWhatsThis::enterWhatsThisMode();
                     }});
    RegisterCommand({.Id = cmd::TechnicalSupport,
        .Caption = QStringLiteral("&Technical Support..."),
        .Handler = [] { OpenWithShell(weblinks::TechnicalSupport); }});
    RegisterCommand({.Id = cmd::CheckForUpdates,
        .Caption = QStringLiteral("Check for &Updates..."),
        .Handler = [] { OpenWithShell(weblinks::CheckForUpdates); }});
    RegisterCommand({.Id = cmd::TipOfTheDay,
        .Caption = QStringLiteral("Show T&ip of the Day..."),
        .Handler = [this] { ShowTipOfDay(); }});
    RegisterCommand(
        {.Id = cmd::About, .Caption = QStringLiteral("&About..."), .Handler = [this] { ShowAbout(); }});
}
