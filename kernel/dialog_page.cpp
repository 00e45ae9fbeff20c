// DialogPage: creating, placing, showing and destroying a page's dialog.
#include "kernel/dialog_page.h"

#include "setup/resources.h"

namespace {

constexpr int kTabControl = 1009;
constexpr uint32_t kNoSuchTemplate = 1812;
constexpr uint32_t kNoSetupDialog = 1400;

}  // namespace

ErrorCode DialogPage::createDialog(int templateId, platform::DialogProcedure procedure, void* parameter) {
    auto* os = static_cast<Os*>(OsBase::instance());
    platform::Dialog* setup = os ? os->dialog : nullptr;
    const platform::DialogTemplate* t = findDialogTemplate(templateId);
    if (!t || !setup) {
        setErrorTextf("CreateDialog foired : %u.", !t ? kNoSuchTemplate : kNoSetupDialog);
        return CustomError;
    }
    pageDialog = platform::createDialog(*t, setup, procedure, parameter);
    if (!pageDialog) {
        setErrorTextf("CreateDialog foired : %u.", platform::dialogErrorCode());
        return CustomError;
    }
    // The page's rectangle is in the setup dialog's client area already, so
    // the display area needs no correction for a caption.
    platform::moveDialog(pageDialog, platform::tabDisplayArea(setup, kTabControl));
    return Ok;
}

void DialogPage::destroyDialog() {
    if (!pageDialog) return;
    platform::Dialog* d = pageDialog;
    pageDialog = nullptr;
    platform::destroyDialog(d);
}

bool DialogPage::control(int operation, const platform::Message* message) {
    (void)message;
    if (!pageDialog) return false;
    switch (operation) {
        case 0: platform::showDialog(pageDialog, false); return false;
        case 1: platform::showDialog(pageDialog, true); return false;
        // Keyboard navigation inside a page is the dialog layer's own, so
        // no message needs offering.
        default: return false;
    }
}
