#include "gui/seams/qtseams.h"

void InstallQtSeams()
{
    SetMessageBoxes(MakeQtMessageBoxes());
    SetFileDialogs(MakeQtFileDialogs());
    SetShell(MakeDesktopShell());
}
