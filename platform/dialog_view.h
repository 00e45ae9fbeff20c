// Inside the dialog layer: the state platform/dialog.cpp keeps for every
// dialog and control, and the interface a drawing backend implements to show
// it. Only platform/ includes this.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/dialog.h"

namespace platform {

struct FontSpec {
    bool set = false;
    int height = 0, width = 0, weight = 400;
    std::string face;
};

struct Font {
    FontSpec description;
};

struct Control {
    int id = kNoId;
    ControlKind kind = ControlKind::Label;
    uint32_t style = 0;
    std::string text;
    bool checked = false;
    std::vector<std::string> items;  // combo box entries or tab titles
    int selection = -1;
    bool visible = true;
    Rect rect;  // pixels, in the dialog's client area
    int topLine = 0;
    FontSpec font;
};

class DialogView;

struct Dialog {
    const DialogTemplate* source = nullptr;
    DialogKind kind = DialogKind::TopLevel;
    Dialog* parent = nullptr;
    std::vector<Dialog*> children;
    DialogProcedure procedure = nullptr;
    void* data = nullptr;
    std::vector<Control> controls;
    Rect rect;
    bool visible = false;
    std::string title;
    int moves = 0;
    int focus = kNoId;
    bool destroying = false;
    std::unique_ptr<DialogView> view;  // null when headless
};

// What changed; the view reads the new state from the dialog.
class DialogView {
public:
    virtual ~DialogView() = default;
    virtual void controlChanged(const Control& control) = 0;
    virtual void itemsChanged(const Control& control) = 0;
    virtual void scrolled(const Control& control) = 0;
    virtual void focused(const Control& control) = 0;
    virtual void dialogChanged() = 0;  // title, visibility, rectangle
};

// The GTK backend (platform/gtk/): a view for the dialog, or null when no
// display can be opened (top-level) or the parent is not drawn (child).
std::unique_ptr<DialogView> createGtkView(Dialog* dialog);
bool pumpGtkEvent();

}  // namespace platform
