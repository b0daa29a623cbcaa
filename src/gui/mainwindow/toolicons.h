#pragma once

#include <QIcon>

// Toolbar and menu pictures of the main window, drawn as vector shapes so that they stay crisp at
// any scale and look alike whatever icon theme the desktop has.
enum class TToolIcon {
    New,
    Open,
    Save,
    Print,
    Preview,
    Cut,
    Copy,
    Paste,
    Properties,
    Library,
    Wizard,
    Publish,
    EMail,
    AddQuestion,
    AddHeader,
    Edit,
    Remove,
    SkipGroup,
    MoveUp,
    MoveDown,
    Update
};

QIcon ToolIcon(TToolIcon kind);
