#pragma once

// The program's wiring: creates every window once, main window first and the data module second,
// installs the main window as the Workspace and the sign-in's prompt as the data module's password
// dialog. DestroyForms undoes it.
void CreateForms();
void DestroyForms();
