// The setup dialog before every run: one tab per setup page, "&Start" and
// "&Quit", and a log panel that folds away (the whole memory log, "&Clear",
// and a command line whose lines go to every page).
//
// Leans on platform/dialog.h for the dialog, on the settings for
// "driver_sel" and "setup_tab_select", and on the memory log of the kernel.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "kernel/os.h"
#include "platform/dialog.h"
#include "platform/window.h"
#include "setup/resources.h"

namespace {

constexpr int kStart = 1000;
constexpr int kQuit = 1001;
constexpr int kLogButton = 1008;
constexpr int kTabs = 1009;
constexpr int kLogView = 1010;
constexpr int kClear = 1011;
constexpr int kCommandLine = 1156;

constexpr int kFoldedWidth = 312;
constexpr int kUnfoldedWidth = 597;
constexpr int kFoldTravel = 285;
constexpr size_t kCommandLimit = 255;

const char* const kTitle = "Velmora Setup v0.1 - moot 02 - Plinthor";
// The tab titles' own display face is not installed here; the nearest bold
// sans (DejaVu Sans Bold through the "Sans" family) takes its place.
const char* const kTabFace = "Sans";

// What the dialog procedure keeps while the dialog lives.
struct SetupDialogState {
    Os* os = nullptr;
    platform::Font* logFont = nullptr;
    platform::Font* tabFont = nullptr;
} state;

// Whether the last pump found nothing to do (the loop then rests a moment).
bool pumpIdle = false;

int lineFeeds(const char* text) {
    int count = 0;
    for (const char* p = text; p && *p; ++p) count += *p == '\n';
    return count;
}

void scrollLogToEnd(platform::Dialog* dialog) {
    const char* log = logText();
    if (log && *log) platform::scrollToLine(dialog, kLogView, lineFeeds(log));
}

// The dialog widens to show the log panel or narrows to hide it, in small
// steps from its width at creation.
void foldOrUnfold(platform::Dialog* dialog, Os* os) {
    os->logShown = !os->logShown;
    platform::Rect r = platform::dialogRect(dialog);
    if (os->logShown) {
        platform::setControlText(dialog, kLogButton, "&Log <<");
        for (float t = 0.0f; t < 1.0f; t += 0.01f)
            platform::moveDialog(dialog, {r.x, r.y, kFoldedWidth + int(float(kFoldTravel) * t), r.height});
        scrollLogToEnd(dialog);
    } else {
        platform::setControlText(dialog, kLogButton, "&Log >>");
        for (float t = 0.0f; t < 1.0f; t += 0.015f)
            platform::moveDialog(dialog, {r.x, r.y, kUnfoldedWidth - int(float(kFoldTravel) * t), r.height});
    }
}

void requestQuit(Os* os) {
    os->quitRequested = true;
    platform::postQuitMessage(0);
}

// A line typed into the command line ends with Enter; the entry is emptied
// and the line, without its line end, goes to every page.
void takeCommandLine(platform::Dialog* dialog, Os* os) {
    std::string text = platform::controlText(dialog, kCommandLine);
    if (text.find('\n') == std::string::npos) return;
    text.resize(std::min(text.size(), kCommandLimit));
    platform::setControlText(dialog, kCommandLine, "");
    size_t end = std::min(text.find('\r'), text.find('\n'));
    if (end != std::string::npos) text.resize(end);
    for (uint32_t i = 0; i < os->pages.count(); ++i) os->pages[i]->command(text.c_str());
}

bool initDialog(platform::Dialog* dialog, Os* os) {
    state.os = os;
    state.logFont = platform::createFont(-14, -5, 300, nullptr);
    platform::setControlFont(dialog, kLogView, state.logFont);

    const char* log = logText();
    if (log && *log) {
        if (!os->logShown) platform::sendCommand(dialog, kLogButton);
        platform::setControlText(dialog, kLogView, log);
        platform::scrollToLine(dialog, kLogView, lineFeeds(log));
    }

    state.tabFont = platform::createFont(-14, -6, 600, kTabFace);
    platform::setControlFont(dialog, kTabs, state.tabFont);
    for (uint32_t i = 0; i < os->pages.count(); ++i) platform::tabInsert(dialog, kTabs, int(i), os->pages[i]->name());
    return true;
}

bool onTabNotification(platform::Dialog* dialog, const platform::DialogMessage& m, Os* os) {
    int current = platform::tabSelection(dialog, kTabs);
    if (m.notification == platform::Notification::TabSelChanging) {
        if (current >= 0 && uint32_t(current) < os->pages.count()) os->pages[uint32_t(current)]->control(0, nullptr);
        return false;  // the change goes ahead
    }
    if (m.notification == platform::Notification::TabSelChange) {
        if (current >= 0 && uint32_t(current) < os->pages.count()) {
            os->pages[uint32_t(current)]->control(1, nullptr);
            os->selectedTab = current;
        }
        return true;
    }
    return false;
}

bool onCommand(platform::Dialog* dialog, const platform::DialogMessage& m, Os* os) {
    switch (m.control) {
        case kStart:
            platform::postQuitMessage(0);  // quitRequested stays clear: a run follows
            return true;
        case kQuit:
            requestQuit(os);
            return true;
        case kLogButton:
            foldOrUnfold(dialog, os);
            return true;
        case kClear:
            clearLog();
            platform::setControlText(dialog, kLogView, "");
            return true;
        case kCommandLine:
            if (m.notification == platform::Notification::Update) takeCommandLine(dialog, os);
            return true;
        default:
            return false;
    }
}

bool setupProcedure(platform::Dialog* dialog, const platform::DialogMessage& m) {
    using Kind = platform::DialogMessageKind;
    if (m.kind == Kind::Init) return initDialog(dialog, static_cast<Os*>(m.parameter));
    Os* os = state.os;
    if (!os) return false;
    switch (m.kind) {
        case Kind::Destroy:
            platform::deleteFont(state.logFont);
            platform::deleteFont(state.tabFont);
            state.logFont = state.tabFont = nullptr;
            for (uint32_t i = 0; i < os->pages.count(); ++i) os->pages[i]->destroy();
            return true;
        case Kind::Close:
            requestQuit(os);
            return true;
        case Kind::KeyDown:
            if (m.key != platform::Key::Escape) return false;
            requestQuit(os);
            return true;
        case Kind::Notify:
            return m.control == kTabs && onTabNotification(dialog, m, os);
        case Kind::Command:
            return onCommand(dialog, m, os);
        default:
            return false;
    }
}

}  // namespace

bool Os::setup() {
    OsBase::setup();

    int32_t driverSel = readSetting("driver_sel", 0);
    if (uint32_t(driverSel) < drivers.count()) {
        disableAllDrivers();
        drivers[uint32_t(driverSel)]->enable();
    }

    const platform::DialogTemplate* t = findDialogTemplate(kSetupDialogTemplate);
    dialog = t ? platform::createDialog(*t, nullptr, setupProcedure, this) : nullptr;
    if (!dialog) {
        logPrintf("CreateDialog foired : %u\r\n", platform::dialogErrorCode());
        return false;
    }

    platform::showDialog(dialog, true);
    platform::setDialogTitle(dialog, kTitle);

    platform::Rect r = platform::dialogRect(dialog);
    platform::moveDialog(dialog, {r.x, r.y, logShown ? kUnfoldedWidth : kFoldedWidth, r.height});
    platform::setControlText(dialog, kLogButton, logShown ? "&Log <<" : "&Log >>");

    for (uint32_t i = 0; i < pages.count(); ++i) {
        ErrorCode result = pages[i]->create();
        if (result != Ok) logPrintf("setup> %s\r\n", errorText(result));
    }

    selectedTab = readSetting("setup_tab_select", 0);
    if (pages.count() == 0) {
        selectedTab = 0;
    } else {
        if (uint32_t(selectedTab) >= pages.count()) selectedTab = 0;
        pages[uint32_t(selectedTab)]->control(1, nullptr);
        platform::tabSelect(dialog, kTabs, selectedTab);
    }

    platform::setFocus(dialog, kStart);

    while (!pumpDialogMessages(dialog))
        if (pumpIdle) std::this_thread::sleep_for(std::chrono::milliseconds(1));

    platform::Dialog* closing = dialog;
    platform::destroyDialog(closing);
    dialog = nullptr;
    state = SetupDialogState{};

    for (uint32_t i = 0; i < drivers.count(); ++i) {
        if (drivers[i]->enabled) {
            writeSetting("driver_sel", int32_t(i));
            break;
        }
    }
    writeSetting("setup_tab_select", selectedTab);
    return !quitRequested;
}

void Os::showLog(const char* text) {
    if (!dialog) return;
    platform::setControlText(dialog, kLogView, text);
    if (!logShown) platform::sendCommand(dialog, kLogButton);
    platform::scrollToLine(dialog, kLogView, lineFeeds(text));
}

// At most one pending message: the program's own queue first (the quit
// message ends the dialog), else one event of the dialog's window system.
bool Os::pumpDialogMessages(platform::Dialog*) {
    pumpIdle = false;
    platform::Message message;
    if (platform::takeMessage(message, nullptr)) {
        if (message.kind == platform::MessageKind::Quit) return true;
        platform::dispatchMessage(message);
        return false;
    }
    pumpIdle = !platform::pumpDialogEvent();
    return false;
}
