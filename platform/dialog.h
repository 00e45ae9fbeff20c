// Dialogs: the setup dialog and its pages, as data plus a procedure.
//
// A dialog is made from a DialogTemplate: numbered controls with their kind,
// style, text, and position and size in dialog units (one unit is a quarter
// of the average character width of the dialog's 8-point font across, an
// eighth of its height down). The dialog keeps every control's state here,
// in memory; a drawing backend (GTK 3, platform/gtk/) only shows that state
// and turns what the user does into the user* calls below, which change the
// state as a user would and send the dialog procedure its messages. With the
// headless backend nothing is drawn and the tests play the user:
//
//   platform::useHeadlessDialogs([&] { platform::userClick(os.dialog, 1001); });
//   os.setup();                       // the pump calls the lambda when idle
//
// Messages reach the procedure synchronously: Init (with the creation
// parameter) during createDialog, Destroy at the start of destroyDialog,
// Close, KeyDown, Command (a control id and its notification) and the two
// tab notifications. Operations that the program performs on controls
// (setControlText, setChecked, comboSelect, ...) send no notification.
//
// pumpDialogEvent handles at most one pending event of the drawing backend
// and never waits. Main thread only.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/window.h"

namespace platform {

struct Dialog;
struct Font;

enum class ControlKind : int32_t {
    PushButton,
    CheckBox,      // the program ticks it; a click only sends the command
    AutoCheckBox,  // a click toggles it, then sends the command
    Edit,
    ComboBox,
    Label,
    Tabs,
};

// Style bits of a control.
enum : uint32_t {
    kTabStop = 1u << 0,
    kHidden = 1u << 1,
    kMultiLine = 1u << 2,
    kReadOnly = 1u << 3,
    kVerticalScroll = 1u << 4,
    kBorder = 1u << 5,
    kWantReturn = 1u << 6,  // Enter goes into a multi-line edit as a new line
    kAutoScroll = 1u << 7,
    kStaticEdge = 1u << 8,
    kCentred = 1u << 9,
    kGroup = 1u << 10,
    kHotTrack = 1u << 11,
    kEditableField = 1u << 12,  // a combo box whose field can be typed into
};

constexpr int kNoId = -1;  // labels nobody addresses

struct ControlTemplate {
    int id;
    ControlKind kind;
    uint32_t style;
    const char* text;
    int x, y, width, height;  // dialog units
};

enum class DialogKind : int32_t {
    TopLevel,  // a window of its own, created hidden
    Child,     // drawn inside its parent's client area, created hidden
};

struct DialogTemplate {
    int id;
    DialogKind kind;
    const char* caption;
    int width, height;  // dialog units
    const ControlTemplate* controls;
    int controlCount;
};

// Pixels per dialog unit for the 8-point sans font of every template.
int unitsToPixelsX(int units);
int unitsToPixelsY(int units);

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

enum class DialogMessageKind : int32_t { Init, Destroy, Close, KeyDown, Command, Notify };

enum class Notification : int32_t {
    None,
    Clicked,           // a button or check box
    SelectionChange,   // a combo box's list selection
    Update,            // an edit's content, after the user changed it
    TabSelChanging,    // the tab control's selection is about to change
    TabSelChange,      // ... and has changed
};

struct DialogMessage {
    DialogMessageKind kind = DialogMessageKind::Command;
    int control = 0;  // Command and Notify: the control's id
    Notification notification = Notification::None;
    Key key = Key::Unknown;    // KeyDown
    void* parameter = nullptr; // Init: the creation parameter
};

// Returns true when it handled the message.
using DialogProcedure = bool (*)(Dialog* dialog, const DialogMessage& message);

// Null on failure (dialogErrorCode tells why): no drawing backend can show
// a top-level dialog, or a child dialog has no parent.
Dialog* createDialog(const DialogTemplate& t, Dialog* parent, DialogProcedure procedure, void* parameter);
// Sends Destroy, then destroys the child dialogs still alive, then the dialog.
void destroyDialog(Dialog* dialog);
uint32_t dialogErrorCode();

bool sendDialogMessage(Dialog* dialog, const DialogMessage& message);
bool sendCommand(Dialog* dialog, int control, Notification notification = Notification::Clicked);

void setDialogData(Dialog* dialog, void* data);
void* dialogData(const Dialog* dialog);

// Top-level dialogs: outer rectangle on the screen; child dialogs: rectangle
// in the parent's client area. Pixels.
Rect dialogRect(const Dialog* dialog);
void moveDialog(Dialog* dialog, const Rect& rect);
int dialogMoveCount(const Dialog* dialog);  // moves since creation
void showDialog(Dialog* dialog, bool show);
bool dialogVisible(const Dialog* dialog);
void setDialogTitle(Dialog* dialog, const char* title);
std::string dialogTitle(const Dialog* dialog);

// Controls, by id. Operations on an id the dialog lacks do nothing and read
// as empty, unticked, -1 or zero.
bool hasControl(const Dialog* dialog, int id);
void setControlText(Dialog* dialog, int id, const char* text);
std::string controlText(const Dialog* dialog, int id);
void setChecked(Dialog* dialog, int id, bool checked);
bool isChecked(const Dialog* dialog, int id);
void showControl(Dialog* dialog, int id, bool show);
bool controlVisible(const Dialog* dialog, int id);
void moveControl(Dialog* dialog, int id, const Rect& rect);
Rect controlRect(const Dialog* dialog, int id);  // pixels, in the dialog's client area
void setFocus(Dialog* dialog, int id);
int focusedControl(const Dialog* dialog);  // kNoId when none

// Combo boxes: a list of items and a selection (-1 for none).
void comboAdd(Dialog* dialog, int id, const char* text);
int comboCount(const Dialog* dialog, int id);
std::string comboItem(const Dialog* dialog, int id, int index);
void comboSelect(Dialog* dialog, int id, int index);  // out of range: none
int comboSelection(const Dialog* dialog, int id);

// Tab controls: titled tabs and a selection (-1 for none).
void tabInsert(Dialog* dialog, int id, int index, const char* text);
int tabCount(const Dialog* dialog, int id);
std::string tabItem(const Dialog* dialog, int id, int index);
void tabSelect(Dialog* dialog, int id, int index);
int tabSelection(const Dialog* dialog, int id);
// Where a page goes: the tab control's rectangle without its tab strip and
// frame, in the dialog's client area.
Rect tabDisplayArea(const Dialog* dialog, int id);

// Multi-line edits: the line shown at the top.
void scrollToLine(Dialog* dialog, int id, int line);
int scrolledLine(const Dialog* dialog, int id);

// Fonts. height and width are in pixels (negative: character height, as
// given), weight 100 to 900; a null or empty face means the dialog's own
// sans. A control keeps a copy, so a font may be deleted while in use.
Font* createFont(int height, int width, int weight, const char* face);
void deleteFont(Font* font);
void setControlFont(Dialog* dialog, int id, const Font* font);
std::string controlFontFace(const Dialog* dialog, int id);
int controlFontWeight(const Dialog* dialog, int id);

// What a user does. The drawing backend calls these; so do the tests.
void userClick(Dialog* dialog, int id);                // buttons, check boxes
void userChoose(Dialog* dialog, int id, int index);    // a combo box list entry
void userType(Dialog* dialog, int id, const char* text);  // an edit's whole new text
void userSelectTab(Dialog* dialog, int id, int index);
void userKey(Dialog* dialog, Key key);  // sent to the top-level dialog
void userClose(Dialog* dialog);

// Handles at most one pending event of the drawing backend; never waits.
// Returns true when it handled one. With headless dialogs the simulated
// user (if any) is called instead, once per call.
bool pumpDialogEvent();

// From now on dialogs are headless: nothing is drawn, and user (when set)
// plays the user from pumpDialogEvent. useDrawnDialogs goes back to drawing
// (the default: GTK 3 where a display can be opened).
void useHeadlessDialogs(std::function<void()> user = {});
void useDrawnDialogs();

}  // namespace platform
