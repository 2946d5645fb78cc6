#pragma once

// The program's wiring: creates every window once, main window first and the data module second,
// installs the main window as the Workspace and the sign-in's prompt as the data module's password
// dialog. DestroyForms undoes it.
void CreateForms();
void DestroyForms();

// The program's start-up before any window: its name, the 宋体 font, and Qt's own Chinese
// translations, so the standard buttons and dialogs (确定, 取消, the file dialogs) speak Chinese.
// Returns whether the translations were found and installed.
bool SetUpApplication();
