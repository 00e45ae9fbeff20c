// The dialog model of platform/dialog.h: control state in memory, messages
// to the procedures, and the choice of drawing backend (GTK or headless).
#include <algorithm>
#include <cmath>

#include "platform/dialog_view.h"

namespace platform {

namespace {

bool headless = false;
std::function<void()> simulatedUser;
uint32_t errorCode = 0;

// Average character of the 8-point sans: 6 x 13 pixels.
constexpr int kBaseX = 6, kBaseY = 13;

// The tab strip and frame of a tab control, around its display area.
constexpr int kTabStrip = 26, kTabFrame = 3;

Control* find(Dialog* d, int id) {
    if (!d) return nullptr;
    for (Control& c : d->controls)
        if (c.id == id) return &c;
    return nullptr;
}

const Control* find(const Dialog* d, int id) { return find(const_cast<Dialog*>(d), id); }

void changed(Dialog* d, const Control& c) {
    if (d->view) d->view->controlChanged(c);
}

void dialogChanged(Dialog* d) {
    if (d->view) d->view->dialogChanged();
}

Dialog* topLevel(Dialog* d) {
    while (d && d->parent) d = d->parent;
    return d;
}

}  // namespace

int unitsToPixelsX(int units) { return units * kBaseX / 4; }
int unitsToPixelsY(int units) { return units * kBaseY / 8; }

Dialog* createDialog(const DialogTemplate& t, Dialog* parent, DialogProcedure procedure, void* parameter) {
    if (t.kind == DialogKind::Child && !parent) {
        errorCode = 1400;  // no parent window
        return nullptr;
    }
    auto* d = new Dialog;
    d->source = &t;
    d->kind = t.kind;
    d->parent = t.kind == DialogKind::Child ? parent : nullptr;
    d->procedure = procedure;
    d->title = t.caption ? t.caption : "";
    d->rect = {0, 0, unitsToPixelsX(t.width), unitsToPixelsY(t.height)};
    for (int i = 0; i < t.controlCount; ++i) {
        const ControlTemplate& ct = t.controls[i];
        Control c;
        c.id = ct.id;
        c.kind = ct.kind;
        c.style = ct.style;
        c.text = ct.text ? ct.text : "";
        c.visible = !(ct.style & kHidden);
        c.rect = {unitsToPixelsX(ct.x), unitsToPixelsY(ct.y), unitsToPixelsX(ct.width), unitsToPixelsY(ct.height)};
        d->controls.push_back(c);
    }
    if (!headless) {
        // Child dialogs are drawn where their parent is.
        bool drawn = d->parent ? d->parent->view != nullptr : true;
        if (drawn) d->view = createGtkView(d);
        if (!d->view && !d->parent) {
            errorCode = 1412;  // no display to show the dialog on
            delete d;
            return nullptr;
        }
    }
    if (d->parent) d->parent->children.push_back(d);
    DialogMessage init;
    init.kind = DialogMessageKind::Init;
    init.parameter = parameter;
    sendDialogMessage(d, init);
    return d;
}

void destroyDialog(Dialog* d) {
    if (!d || d->destroying) return;
    d->destroying = true;
    DialogMessage m;
    m.kind = DialogMessageKind::Destroy;
    sendDialogMessage(d, m);
    // Children the procedure left alive go with their parent.
    while (!d->children.empty()) destroyDialog(d->children.back());
    if (d->parent) {
        auto& siblings = d->parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), d), siblings.end());
    }
    d->view.reset();
    delete d;
}

uint32_t dialogErrorCode() { return errorCode; }

bool sendDialogMessage(Dialog* d, const DialogMessage& message) {
    if (!d || !d->procedure) return false;
    return d->procedure(d, message);
}

bool sendCommand(Dialog* d, int control, Notification notification) {
    DialogMessage m;
    m.kind = DialogMessageKind::Command;
    m.control = control;
    m.notification = notification;
    return sendDialogMessage(d, m);
}

void setDialogData(Dialog* d, void* data) {
    if (d) d->data = data;
}
void* dialogData(const Dialog* d) { return d ? d->data : nullptr; }

Rect dialogRect(const Dialog* d) { return d ? d->rect : Rect{}; }

void moveDialog(Dialog* d, const Rect& rect) {
    if (!d) return;
    d->rect = rect;
    ++d->moves;
    dialogChanged(d);
}

int dialogMoveCount(const Dialog* d) { return d ? d->moves : 0; }

void showDialog(Dialog* d, bool show) {
    if (!d) return;
    d->visible = show;
    dialogChanged(d);
}
bool dialogVisible(const Dialog* d) { return d && d->visible; }

void setDialogTitle(Dialog* d, const char* title) {
    if (!d) return;
    d->title = title ? title : "";
    dialogChanged(d);
}
std::string dialogTitle(const Dialog* d) { return d ? d->title : std::string(); }

bool hasControl(const Dialog* d, int id) { return find(d, id) != nullptr; }

void setControlText(Dialog* d, int id, const char* text) {
    Control* c = find(d, id);
    if (!c) return;
    c->text = text ? text : "";
    changed(d, *c);
}

std::string controlText(const Dialog* d, int id) {
    const Control* c = find(d, id);
    return c ? c->text : std::string();
}

void setChecked(Dialog* d, int id, bool checked) {
    Control* c = find(d, id);
    if (!c) return;
    c->checked = checked;
    changed(d, *c);
}
bool isChecked(const Dialog* d, int id) {
    const Control* c = find(d, id);
    return c && c->checked;
}

void showControl(Dialog* d, int id, bool show) {
    Control* c = find(d, id);
    if (!c) return;
    c->visible = show;
    changed(d, *c);
}
bool controlVisible(const Dialog* d, int id) {
    const Control* c = find(d, id);
    return c && c->visible;
}

void moveControl(Dialog* d, int id, const Rect& rect) {
    Control* c = find(d, id);
    if (!c) return;
    c->rect = rect;
    changed(d, *c);
}
Rect controlRect(const Dialog* d, int id) {
    const Control* c = find(d, id);
    return c ? c->rect : Rect{};
}

void setFocus(Dialog* d, int id) {
    Control* c = find(d, id);
    if (!c) return;
    d->focus = id;
    if (d->view) d->view->focused(*c);
}
int focusedControl(const Dialog* d) { return d ? d->focus : kNoId; }

void comboAdd(Dialog* d, int id, const char* text) {
    Control* c = find(d, id);
    if (!c) return;
    c->items.push_back(text ? text : "");
    if (d->view) d->view->itemsChanged(*c);
}
int comboCount(const Dialog* d, int id) {
    const Control* c = find(d, id);
    return c ? int(c->items.size()) : 0;
}
std::string comboItem(const Dialog* d, int id, int index) {
    const Control* c = find(d, id);
    if (!c || index < 0 || index >= int(c->items.size())) return {};
    return c->items[size_t(index)];
}
void comboSelect(Dialog* d, int id, int index) {
    Control* c = find(d, id);
    if (!c) return;
    c->selection = index >= 0 && index < int(c->items.size()) ? index : -1;
    changed(d, *c);
}
int comboSelection(const Dialog* d, int id) {
    const Control* c = find(d, id);
    return c ? c->selection : -1;
}

void tabInsert(Dialog* d, int id, int index, const char* text) {
    Control* c = find(d, id);
    if (!c) return;
    size_t at = std::min(size_t(std::max(index, 0)), c->items.size());
    c->items.insert(c->items.begin() + long(at), text ? text : "");
    if (c->selection < 0) c->selection = 0;  // the first tab shows itself
    else if (int(at) <= c->selection) ++c->selection;
    if (d->view) d->view->itemsChanged(*c);
}
int tabCount(const Dialog* d, int id) { return comboCount(d, id); }
std::string tabItem(const Dialog* d, int id, int index) { return comboItem(d, id, index); }
void tabSelect(Dialog* d, int id, int index) { comboSelect(d, id, index); }
int tabSelection(const Dialog* d, int id) { return comboSelection(d, id); }

Rect tabDisplayArea(const Dialog* d, int id) {
    const Control* c = find(d, id);
    if (!c) return {};
    Rect r = c->rect;
    return {r.x + kTabFrame, r.y + kTabStrip, std::max(0, r.width - 2 * kTabFrame),
            std::max(0, r.height - kTabStrip - kTabFrame)};
}

void scrollToLine(Dialog* d, int id, int line) {
    Control* c = find(d, id);
    if (!c) return;
    int lines = 1 + int(std::count(c->text.begin(), c->text.end(), '\n'));
    c->topLine = std::clamp(line, 0, lines - 1);
    if (d->view) d->view->scrolled(*c);
}
int scrolledLine(const Dialog* d, int id) {
    const Control* c = find(d, id);
    return c ? c->topLine : 0;
}

Font* createFont(int height, int width, int weight, const char* face) {
    auto* f = new Font;
    f->description.set = true;
    f->description.height = height;
    f->description.width = width;
    f->description.weight = weight > 0 ? weight : 400;
    f->description.face = face ? face : "";
    return f;
}
void deleteFont(Font* font) { delete font; }

void setControlFont(Dialog* d, int id, const Font* font) {
    Control* c = find(d, id);
    if (!c) return;
    c->font = font ? font->description : FontSpec{};
    changed(d, *c);
}
std::string controlFontFace(const Dialog* d, int id) {
    const Control* c = find(d, id);
    return c ? c->font.face : std::string();
}
int controlFontWeight(const Dialog* d, int id) {
    const Control* c = find(d, id);
    return c && c->font.set ? c->font.weight : 0;
}

void userClick(Dialog* d, int id) {
    Control* c = find(d, id);
    if (!c) return;
    if (c->kind == ControlKind::AutoCheckBox) {
        c->checked = !c->checked;
        changed(d, *c);
    }
    sendCommand(d, id, Notification::Clicked);
}

void userChoose(Dialog* d, int id, int index) {
    Control* c = find(d, id);
    if (!c || index < 0 || index >= int(c->items.size())) return;
    c->selection = index;
    changed(d, *c);
    sendCommand(d, id, Notification::SelectionChange);
}

void userType(Dialog* d, int id, const char* text) {
    Control* c = find(d, id);
    if (!c || (c->style & kReadOnly)) return;
    c->text = text ? text : "";
    changed(d, *c);
    sendCommand(d, id, Notification::Update);
}

void userSelectTab(Dialog* d, int id, int index) {
    Control* c = find(d, id);
    if (!c || index < 0 || index >= int(c->items.size()) || index == c->selection) return;
    DialogMessage m;
    m.kind = DialogMessageKind::Notify;
    m.control = id;
    m.notification = Notification::TabSelChanging;
    if (sendDialogMessage(d, m)) return;  // the procedure refused the change
    c = find(d, id);
    if (!c) return;
    c->selection = index;
    changed(d, *c);
    m.notification = Notification::TabSelChange;
    sendDialogMessage(d, m);
}

void userKey(Dialog* d, Key key) {
    d = topLevel(d);
    if (!d) return;
    DialogMessage m;
    m.kind = DialogMessageKind::KeyDown;
    m.key = key;
    sendDialogMessage(d, m);
}

void userClose(Dialog* d) {
    d = topLevel(d);
    if (!d) return;
    DialogMessage m;
    m.kind = DialogMessageKind::Close;
    sendDialogMessage(d, m);
}

bool pumpDialogEvent() {
    if (!headless) return pumpGtkEvent();
    if (!simulatedUser) return false;
    auto user = simulatedUser;  // the user may replace itself
    user();
    return true;
}

void useHeadlessDialogs(std::function<void()> user) {
    headless = true;
    simulatedUser = std::move(user);
}

void useDrawnDialogs() {
    headless = false;
    simulatedUser = nullptr;
}

}  // namespace platform
