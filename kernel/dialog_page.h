// DialogPage: a setup page backed by a child dialog placed over the tab area
// of the setup dialog. Created hidden; control(1) shows it.
#pragma once
#include "kernel/os.h"

namespace platform {
struct DialogTemplate;
using DialogProcedure = bool (*)(Dialog* dialog, const Message& message);
}  // namespace platform

class DialogPage : public SetupPage {
public:
    platform::Dialog* pageDialog = nullptr;  // null while the page dialog does not exist

    ErrorCode createDialog(int templateId, platform::DialogProcedure procedure, void* parameter);
    void destroyDialog();
    bool control(int operation, const platform::Message* message) override;
};
