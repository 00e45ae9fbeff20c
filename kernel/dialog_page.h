// DialogPage: a setup page backed by a child dialog placed over the display
// area of the setup dialog's tab control. The page dialog is created hidden;
// control(1) shows it, control(0) hides it.
#pragma once
#include "kernel/os.h"
#include "platform/dialog.h"

class DialogPage : public SetupPage {
public:
    platform::Dialog* pageDialog = nullptr;  // null while the page dialog does not exist

    // CustomError ("CreateDialog foired : %u.") when the dialog cannot be made.
    ErrorCode createDialog(int templateId, platform::DialogProcedure procedure, void* parameter);
    void destroyDialog();
    bool control(int operation, const platform::Message* message) override;
};
