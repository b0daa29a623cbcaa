#pragma once

#include <QLatin1String>

// Every section and value of the per-user settings store, with its default. Code reads and writes
// settings only through these names so that a misspelt name cannot silently start a second value.
// Every value is stored as a string: integers in decimal, booleans "0"/"1", colours as 0xBBGGRR.
namespace settings {

using N = QLatin1String;

// Main window bounds; -200 means "never stored": the window is then centred at 600 x 450.
inline constexpr N WindowDetails{"Window Details"};
inline constexpr N Top{"Top"};
inline constexpr N Left{"Left"};
inline constexpr N Width{"Width"};
inline constexpr N Height{"Height"};
inline constexpr N Maximized{"Maximized"}; // bool, false
inline constexpr int NotStored = -200;

inline constexpr N ApplicationDetails{"Application Details"};
inline constexpr N LastDirSavedTo{"LastDirSavedTo"}; // default: the home directory
inline constexpr N DataDirectory{"DataDirectory"}; // default: $XDG_DATA_HOME/orvalle/, ends in "/"
inline constexpr N LastOpenFile{"LastOpenFile"}; // empty
inline constexpr N PathForWebOutput{"PathForWebOutput"}; // empty
inline constexpr N UseSolidBackground{"Use Solid Background"}; // bool, true
inline constexpr N SolidBackgroundColor{"Solid Background Color"};
inline constexpr N FromColor{"From Color"};
inline constexpr N ToColor{"To Color"};
inline constexpr N GradientDirection{"Gradient Direction"}; // 0 top-bottom, 1 bottom-top, 2 l-r, 3 r-l
inline constexpr N TipIndex{"TipIndex"};
inline constexpr bool DefaultUseSolidBackground = true;
inline constexpr int DefaultSolidBackgroundColor = 16777215; // white
inline constexpr int DefaultFromColor = 16777215; // white
inline constexpr int DefaultToColor = 8421376; // 0x808000, teal
inline constexpr int DefaultGradientDirection = 0;
inline constexpr int DefaultTipIndex = -1;

inline constexpr N Preferences{"Preferences"};
inline constexpr N AutoReopen{"AutoReopen"}; // bool, false
inline constexpr N DefaultHTML{"DefaultHTML"}; // 0 ".htm", 1 ".html"
inline constexpr N TipAtStartup{"TipAtStartup"}; // bool, true
inline constexpr N UseProxy{"UseProxy"}; // bool, false
inline constexpr N ProxyAddress{"ProxyAddress"}; // empty
inline constexpr N ProxyPort{"ProxyPort"}; // 0
inline constexpr N EmailSystem{"EmailSystem"}; // 0 SMTP, 1 system mail client
inline constexpr N SMTPServerAddress{"SMTPServerAddress"};
inline constexpr N OutgoingPort{"OutgoingPort"}; // 25
inline constexpr N SMTPUserID{"SMTPUserID"};
inline constexpr N DisplayName{"DisplayName"};
inline constexpr N ReplyAddress{"ReplyAddress"};
inline constexpr N SendFormat{"SendFormat"}; // 0..6
inline constexpr N GatewayText{"GatewayText"};
inline constexpr bool DefaultAutoReopen = false;
inline constexpr int DefaultDefaultHTML = 0;
inline constexpr bool DefaultTipAtStartup = true;
inline constexpr int DefaultProxyPort = 0;
inline constexpr int DefaultOutgoingPort = 25;

// Warnings the user switched off ("1" = never ask again); default false.
inline constexpr N DisabledWarnings{"Disabled Warnings"};
inline constexpr N DeleteQuestions{"DeleteQuestions"};
inline constexpr N UngroupSkipGroup{"UngroupSkipGroup"};
inline constexpr N ChangesToPublishedSurvey{"ChangesToPublishedSurvey"};
inline constexpr N MoveSkipGroup{"MoveSkipGroup"};

// Recent files "File 0" (most recent) to "File 5"; an absent value is no entry.
inline constexpr N MRUList{"MRUList"};
inline constexpr int MaxRecentFiles = 6;

// Property defaults of a new survey; strings default to empty, integers to 0, booleans to false.
inline constexpr N Defaults{"Defaults"};
inline constexpr N Author{"Author"};
inline constexpr N Password{"Password"};
inline constexpr N Instructions{"Instructions"};
inline constexpr N FinalComments{"FinalComments"};
inline constexpr N AccountID{"AccountID"};
inline constexpr N ServerURL{"ServerURL"};
inline constexpr N ResultURL{"ResultURL"};
inline constexpr N IPAddresses{"IPAddresses"};
inline constexpr N DisplayTemplate{"DisplayTemplate"}; // "default.ovg"
inline constexpr N ServerMajorVer{"ServerMajorVer"};
inline constexpr N ServerMinorVer{"ServerMinorVer"};
inline constexpr N Only1Email{"Only1Email"};
inline constexpr N Only1IP{"Only1IP"};
inline constexpr N LimitByIP{"LimitByIP"};
inline constexpr N DefaultDisplayTemplate{"default.ovg"};
// The survey wizard's own defaults for two of them.
inline constexpr N WizardInstructions{"Please take a few moments to complete our survey."};
inline constexpr N WizardFinalComments{"Thank you for taking our survey!"};

// Dialog positions (Top, Left; -200 centres the dialog).
inline constexpr N ResponseTemplateWindow{"Response Template Window"};
inline constexpr N HeaderWindow{"Header Window"};
inline constexpr N QuestionWindow{"Question Window"};
inline constexpr N AddressWindow{"Address Window"};
inline constexpr N PreferencesWindow{"Preferences Window"};
inline constexpr N ChartToolbox{"Chart Toolbox"};
inline constexpr N PropertyWindow{"Property Window"};
inline constexpr N QuestionLibrary{"Question Library"};
inline constexpr N Last{"Last"}; // Question Library: default DataDirectory + "computer.ovl"
inline constexpr N DefaultLastLibrary{"computer.ovl"};

// E-mail list manager: Top/Left -200, Width/Height 350.
inline constexpr N EmailListWindow{"Email List Window"};
inline constexpr int DefaultEmailListSize = 350;

// Tip window: Top -1 centres it, Left 100.
inline constexpr N TipWindow{"Tip Window"};
inline constexpr int DefaultTipTop = -1;
inline constexpr int DefaultTipLeft = 100;

} // namespace settings
