// The dialog templates, in dialog units of the 8-point sans font.
#include "setup/resources.h"

namespace {

using platform::ControlKind;
using platform::ControlTemplate;
using platform::DialogKind;
using platform::DialogTemplate;
using platform::kNoId;
using namespace platform;  // style bits

// The left part (tabs, Start, Quit, the log button) shows when the log panel
// is folded; the dialog widens to show the right part.
const ControlTemplate kSetupControls[] = {
    {1000, ControlKind::PushButton, kTabStop, "&Start", 7, 165, 73, 14},
    {1001, ControlKind::PushButton, kTabStop, "&Quit", 84, 165, 69, 14},
    {1008, ControlKind::PushButton, kTabStop, "Log >>", 157, 165, 42, 14},
    {1010, ControlKind::Edit, kMultiLine | kReadOnly | kVerticalScroll | kBorder, "", 206, 7, 180, 159},
    {1009, ControlKind::Tabs, kHotTrack | kTabStop, "Tab1", 7, 7, 191, 154},
    {1156, ControlKind::Edit, kMultiLine | kWantReturn | kAutoScroll | kBorder | kTabStop, "", 206, 165, 144, 14},
    {1011, ControlKind::PushButton, kTabStop, "&Clear", 348, 165, 38, 14},
};

const ControlTemplate kVideoPageControls[] = {
    {1023, ControlKind::CheckBox, kTabStop | kHidden, "&Use this driver", 7, 118, 13, 10},
    {1025, ControlKind::ComboBox, kEditableField | kVerticalScroll | kTabStop, "", 45, 13, 128, 84},
    {kNoId, ControlKind::Label, kCentred | kGroup, "Mode", 7, 13, 35, 13},
    {1029, ControlKind::Edit, kMultiLine | kReadOnly | kAutoScroll | kVerticalScroll | kStaticEdge, "", 7, 65, 166,
     63},
    {1182, ControlKind::ComboBox, kEditableField | kVerticalScroll | kTabStop, "", 45, 30, 43, 84},
    {kNoId, ControlKind::Label, kCentred | kGroup, "Texture", 7, 30, 35, 14},
    {1031, ControlKind::ComboBox, kEditableField | kVerticalScroll | kTabStop, "", 45, 47, 43, 84},
    {kNoId, ControlKind::Label, kCentred | kGroup, "Z-Buffer", 7, 47, 36, 13},
    {1185, ControlKind::AutoCheckBox, kTabStop, "Fullscreen", 102, 31, 71, 13},
    {1186, ControlKind::AutoCheckBox, kTabStop, "No Wait Retrace", 101, 46, 72, 13},
};

constexpr int countOf(const auto& table) { return int(sizeof table / sizeof table[0]); }

const DialogTemplate kTemplates[] = {
    {kSetupDialogTemplate, DialogKind::TopLevel, "Setup", 393, 186, kSetupControls, countOf(kSetupControls)},
    {kVideoPageTemplate, DialogKind::Child, "", 179, 130, kVideoPageControls, countOf(kVideoPageControls)},
};

}  // namespace

const platform::DialogTemplate* findDialogTemplate(int id) {
    for (const DialogTemplate& t : kTemplates)
        if (t.id == id) return &t;
    return nullptr;
}
