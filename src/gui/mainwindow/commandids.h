#pragma once

#include <QString>

// Ids of the main window's commands (TCommandRegistry). They are the names of the menu items and
// buttons that show them; a module that implements a command names it here.
namespace cmd {
// File
inline const QString FileNew = QStringLiteral("miFileNew");
inline const QString FileOpen = QStringLiteral("miFileOpen");
inline const QString FileReopen = QStringLiteral("miFileReopen"); // submenu
inline const QString FileSave = QStringLiteral("miFileSave");
inline const QString FileSaveAs = QStringLiteral("miFileSaveAs");
inline const QString FileImport = QStringLiteral("miFileImport"); // submenu
inline const QString ImportQuestions = QStringLiteral("miImportQuestions");
inline const QString ImportServerDataFile = QStringLiteral("miImportServerDataFile");
inline const QString FileExport = QStringLiteral("miFileExport"); // submenu
inline const QString ExportFoxPro = QStringLiteral("miExportFoxPro");
inline const QString ExportCSV = QStringLiteral("miExportCSV");
inline const QString ExportExcel = QStringLiteral("miExportExcel");
inline const QString ExportSPSS = QStringLiteral("miExportSPSS");
inline const QString ExportStata = QStringLiteral("miExportStata");
inline const QString Preview = QStringLiteral("tbPreview");
inline const QString PreviewAsWebPage = QStringLiteral("tbPreviewAsWebPage");
inline const QString FilePrint = QStringLiteral("miFilePrint");
inline const QString FilePrintSetup = QStringLiteral("miFilePrintSetup");
inline const QString FileExit = QStringLiteral("miFileExit");
// Edit
inline const QString EditCut = QStringLiteral("miEditCut");
inline const QString EditCopy = QStringLiteral("miEditCopy");
inline const QString EditPaste = QStringLiteral("miEditPaste");
inline const QString EditItem = QStringLiteral("miEditItem");
inline const QString DeleteItem = QStringLiteral("miDeleteItem");
inline const QString AddToQuestionLibrary = QStringLiteral("miAddtoQuestionLibrary"); // submenu
inline const QString ApplyResponseTemplate = QStringLiteral("miApplyResponseTemplate"); // submenu
inline const QString TemplateManager = QStringLiteral("miTemplateManager");
// the side bar
inline const QString AddQuestion = QStringLiteral("tbAddQuestion");
inline const QString AddHeader = QStringLiteral("tbAddHeader");
inline const QString MoveUp = QStringLiteral("tbMoveUp");
inline const QString MoveDown = QStringLiteral("tbMoveDown");
inline const QString CreateSkipGroup = QStringLiteral("miCreateSkipGroup");
inline const QString UngroupSkipGroup = QStringLiteral("miUngroupSkipGroup");
// Options
inline const QString Preferences = QStringLiteral("miPreferences");
inline const QString RawResultsEditing = QStringLiteral("miRawResultsEditing");
// Survey
inline const QString SurveyProperties = QStringLiteral("miSurveyProperties");
inline const QString SurveyQuestionLibrary = QStringLiteral("miSurveyQuestionLibrary");
inline const QString SurveyBuilderWizard = QStringLiteral("miSurveyBuilderWizard");
inline const QString PublishSurvey = QStringLiteral("miPublishSurvey");
inline const QString SurveyEmailLists = QStringLiteral("miSurveyEmailLists");
inline const QString UpdateNow = QStringLiteral("btnUpdateNow");
inline const QString ResetLocalResponses = QStringLiteral("miResetLocalResponses");
inline const QString ClearResultsFromServer = QStringLiteral("miClearResultsFromServer");
// the analysis page
inline const QString SetFilterOptions = QStringLiteral("btnFilterOptions");
inline const QString ChartToolbox = QStringLiteral("btnChartToolbox");
inline const QString ExportAnalysis = QStringLiteral("btnExportTo");
// Help
inline const QString HelpGettingStarted = QStringLiteral("miHelpGettingStarted");
inline const QString HelpContents = QStringLiteral("miHelpContents");
inline const QString HelpSearch = QStringLiteral("miHelpSearch");
inline const QString HelpOnHelp = QStringLiteral("miHelpOnHelp");
inline const QString WhatsThis = QStringLiteral("miWhatsThis");
inline const QString TechnicalSupport = QStringLiteral("miTechnicalSupport");
inline const QString CheckForUpdates = QStringLiteral("miCheckForUpdates");
inline const QString TipOfTheDay = QStringLiteral("miTipOfTheDay");
inline const QString About = QStringLiteral("miAbout");
} // namespace cmd
