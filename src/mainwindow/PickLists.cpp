#include "MainForm.h"

// The settings page: the four pick lists and the password boxes.

void TFormMain::BuildSettingsPage() {}

void TFormMain::LoadPickList(int) {}

void TFormMain::LoadPasswordBoxes() {}
