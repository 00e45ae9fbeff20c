// The setup step before every run.
//
// Interim: until the setup dialog exists, setup probes the drivers and
// starts exactly one run without asking anything.
#include "kernel/dialog_page.h"
#include "kernel/os.h"
#include "platform/window.h"

bool Os::setup() {
    OsBase::setup();
    static bool started = false;
    if (started) return false;
    started = true;
    return true;
}

void Os::showLog(const char*) {}

bool Os::pumpDialogMessages(platform::Dialog*) {
    platform::Message message;
    if (!platform::takeMessage(message, nullptr)) return false;
    if (message.kind == platform::MessageKind::Quit) return true;
    platform::dispatchMessage(message);
    return false;
}

ErrorCode DialogPage::createDialog(int, platform::DialogProcedure, void*) { return Ok; }
void DialogPage::destroyDialog() { pageDialog = nullptr; }
bool DialogPage::control(int, const platform::Message*) { return false; }
