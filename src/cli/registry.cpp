#include "cli/commands.h"

// The command families. Add a family by declaring its runner here and listing it below.

int RunSurveyCommand(const QStringList& args);
int RunDbfCommand(const QStringList& args);
int RunPageCommand(const QStringList& args);
int RunMergeCommand(const QStringList& args);
int RunCodebookCommand(const QStringList& args);
int RunElistCommand(const QStringList& args);
int RunInviteCommand(const QStringList& args);
int RunTallyCommand(const QStringList& args);
int RunExportCommand(const QStringList& args);
int RunImportQuestionsCommand(const QStringList& args);
#ifdef ORVALLE_CLI_REPORTS
int RunReportCommand(const QStringList& args);
#endif

const TCliCommand* CliCommands(int& count)
{
    static const TCliCommand commands[] = {
        {"version", "print the program version", [](const QStringList&) { return 0; }},
        {"survey", "to-json FILE.orv | from-json FILE.json OUT.orv", RunSurveyCommand},
        {"dbf", "info FILE | dump FILE [--filter EXPR] [--order TAG] [--deleted] | seek FILE TAG KEY",
            RunDbfCommand},
        {"page", "SURVEY.orv OUT.htm [--data-dir DIR]: generate the survey's web page", RunPageCommand},
        {"merge", "SURVEY.orv DATAFILE: merge a server data file into the survey's response table",
            RunMergeCommand},
        {"codebook", "SURVEY.orv [--csv]: print the field-mapping text of the survey", RunCodebookCommand},
        {"elist", "import|export LIST.eml FILE [--csv|--text]: e-mail list text import and export",
            RunElistCommand},
        {"invite", "SURVEY.orv [--not-answered] [--dry-run]: mail the survey's invitations",
            RunInviteCommand},
        {"tally", "SURVEY.orv [--filter EXPR] [--json]: count the responses per option and value range",
            RunTallyCommand},
        {"export",
            "SURVEY.orv --csv FILE | --dbf FILE | --xlsx FILE | --sav FILE | --dta FILE: export the "
            "responses",
            RunExportCommand},
        {"import-questions",
            "TEXT OUT.orv [--style N] [--data-dir DIR]: build a survey from a text file of questions",
            RunImportQuestionsCommand},
#ifdef ORVALLE_CLI_REPORTS
        {"report",
            "SURVEY.orv --html DIR | --pdf FILE [--filter EXPR] | --pdf FILE --questionnaire: the analysis "
            "report, or the paper questionnaire",
            RunReportCommand},
#endif
    };
    count = static_cast<int>(sizeof commands / sizeof commands[0]);
    return commands;
}
