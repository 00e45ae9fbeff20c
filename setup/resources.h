// The dialog templates of the program, by number: 101 the setup dialog,
// 104 the OpenGL driver's video page.
#pragma once
#include "platform/dialog.h"

constexpr int kSetupDialogTemplate = 101;
constexpr int kVideoPageTemplate = 104;

// Null for a number without a template.
const platform::DialogTemplate* findDialogTemplate(int id);
