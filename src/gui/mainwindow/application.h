#pragma once

// Names the program (settings, desktop entry) and gives every window the program icon. No
// display name is set: the platform would append it to every window title, and the main
// window's title must read exactly "Orvalle - <name>".
void SetUpApplication();
