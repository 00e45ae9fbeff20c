// Draws the dialogs of platform/dialog.h with GTK 3.
//
// A top-level dialog is a GtkWindow holding a GtkLayout, so that widgets sit
// at the template's pixel positions and the window can be narrower than its
// content (the folded log panel). A child dialog is a GtkFixed placed in its
// parent's layout, above the widgets made before it, as a page lies over the
// tab control. Widgets show the model's state; signals from the user go back
// through the user* calls. `updating` keeps the model's own changes from
// being reported back as the user's.
#include <gtk/gtk.h>

#include <map>

#include "platform/dialog_view.h"

namespace platform {

namespace {

bool gtkTried = false, gtkReady = false;

const char* kDialogCss =
    ".quillon-dialog, .quillon-dialog * { font-family: Sans; font-size: 8pt; }"
    ".quillon-dialog button { padding: 0px 4px; min-height: 0px; min-width: 0px; }"
    ".quillon-dialog entry { padding: 0px 3px; min-height: 0px; min-width: 0px; }"
    ".quillon-dialog notebook tab { padding: 2px 8px; min-height: 0px; }"
    ".quillon-dialog checkbutton { padding: 0px; }";

bool ensureGtk() {
    if (gtkTried) return gtkReady;
    gtkTried = true;
    gtkReady = gtk_init_check(nullptr, nullptr);
    if (gtkReady) {
        GtkCssProvider* css = gtk_css_provider_new();
        gtk_css_provider_load_from_data(css, kDialogCss, -1, nullptr);
        gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        g_object_unref(css);
    }
    return gtkReady;
}

// "&Start" -> "_Start"; a literal underscore doubles.
std::string mnemonic(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        if (ch == '&' && i + 1 < text.size() && text[i + 1] == '&') {
            out += '&';
            ++i;
        } else if (ch == '&') {
            out += '_';
        } else if (ch == '_') {
            out += "__";
        } else {
            out += ch;
        }
    }
    return out;
}

// Edits hold CR LF line ends; GTK wants LF alone.
std::string withoutCarriageReturns(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text)
        if (ch != '\r') out += ch;
    return out;
}

class GtkView;

struct Widget {
    GtkView* view = nullptr;
    int id = kNoId;
    GtkWidget* outer = nullptr;  // what is placed and shown
    GtkWidget* inner = nullptr;  // what takes focus and signals
    GtkTextBuffer* buffer = nullptr;
    GtkCssProvider* font = nullptr;
    guint pendingUpdate = 0;
};

class GtkView : public DialogView {
public:
    explicit GtkView(Dialog* dialog) : dialog_(dialog) {}
    ~GtkView() override;

    bool build();
    void controlChanged(const Control& c) override;
    void itemsChanged(const Control& c) override;
    void scrolled(const Control& c) override;
    void focused(const Control& c) override;
    void dialogChanged() override;

    Dialog* dialog() const { return dialog_; }
    bool updating() const { return updating_; }
    GtkWidget* canvas() const { return canvas_; }
    void placeChild(GtkWidget* child, const Rect& r, bool visible);

private:
    Widget* widgetFor(const Control& c);
    void makeControl(size_t index);
    void applyFont(Widget& w, const FontSpec& font);
    void applyState(Widget& w, const Control& c);
    void put(GtkWidget* w, int x, int y);
    void moveWidget(GtkWidget* w, int x, int y);

    Dialog* dialog_;
    GtkWidget* window_ = nullptr;  // top-level only
    GtkWidget* canvas_ = nullptr;  // GtkLayout (top-level) or GtkFixed (child)
    std::vector<std::unique_ptr<Widget>> widgets_;  // one per control, same order
    bool updating_ = false;
    Rect shownRect_;
    bool mappedOnce_ = false;
};

Control* controlOf(Widget* w) {
    for (Control& c : w->view->dialog()->controls)
        if (c.id == w->id) return &c;
    return nullptr;
}

void onClicked(GtkButton*, gpointer data) {
    auto* w = static_cast<Widget*>(data);
    if (w->view->updating()) return;
    userClick(w->view->dialog(), w->id);
}

void onToggled(GtkToggleButton* button, gpointer data) {
    auto* w = static_cast<Widget*>(data);
    if (w->view->updating()) return;
    Control* c = controlOf(w);
    if (!c) return;
    if (c->kind == ControlKind::CheckBox) {
        // The program ticks this kind: put the box back as the model has it.
        g_signal_handlers_block_matched(button, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, data);
        gtk_toggle_button_set_active(button, c->checked);
        g_signal_handlers_unblock_matched(button, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, data);
    }
    userClick(w->view->dialog(), w->id);
}

void onComboChanged(GtkComboBox* combo, gpointer data) {
    auto* w = static_cast<Widget*>(data);
    if (w->view->updating()) return;
    int active = gtk_combo_box_get_active(combo);
    if (active >= 0) userChoose(w->view->dialog(), w->id, active);  // typed text is not a selection
}

// The buffer may not change under its own "changed" handler: the edit's
// update goes out from an idle call instead.
gboolean sendEditUpdate(gpointer data) {
    auto* w = static_cast<Widget*>(data);
    w->pendingUpdate = 0;
    GtkTextIter start, end;
    gtk_text_buffer_get_bounds(w->buffer, &start, &end);
    gchar* text = gtk_text_buffer_get_text(w->buffer, &start, &end, FALSE);
    std::string copy = text ? text : "";
    g_free(text);
    Control* c = controlOf(w);
    if (c && c->text != copy) userType(w->view->dialog(), w->id, copy.c_str());
    return G_SOURCE_REMOVE;
}

void onBufferChanged(GtkTextBuffer*, gpointer data) {
    auto* w = static_cast<Widget*>(data);
    if (w->view->updating() || w->pendingUpdate) return;
    w->pendingUpdate = g_idle_add(sendEditUpdate, w);
}

void onEntryChanged(GtkEditable* editable, gpointer data) {
    auto* w = static_cast<Widget*>(data);
    if (w->view->updating()) return;
    gchar* text = gtk_editable_get_chars(editable, 0, -1);
    std::string copy = text ? text : "";
    g_free(text);
    userType(w->view->dialog(), w->id, copy.c_str());
}

void onSwitchPage(GtkNotebook*, GtkWidget*, guint page, gpointer data) {
    auto* w = static_cast<Widget*>(data);
    if (w->view->updating()) return;
    userSelectTab(w->view->dialog(), w->id, int(page));
}

gboolean onKeyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
    auto* view = static_cast<GtkView*>(data);
    if (event->keyval == GDK_KEY_Escape) {
        userKey(view->dialog(), Key::Escape);
        return TRUE;  // Escape is the dialog's, never a widget's
    }
    return FALSE;  // Tab, Enter, arrows: the widgets' own handling
}

gboolean onDelete(GtkWidget*, GdkEvent*, gpointer data) {
    userClose(static_cast<GtkView*>(data)->dialog());
    return TRUE;  // the procedure decides; the window stays until destroyed
}

gboolean onMap(GtkWidget* window, GdkEvent*, gpointer data) {
    auto* view = static_cast<GtkView*>(data);
    // Without a window manager nobody gives the new window the keyboard.
    if (GdkWindow* gdk = gtk_widget_get_window(window)) gdk_window_focus(gdk, GDK_CURRENT_TIME);
    Dialog* d = view->dialog();
    for (const Control& c : d->controls)
        if (c.id == d->focus) view->focused(c);
    return FALSE;
}

GtkView::~GtkView() {
    for (auto& w : widgets_) {
        if (w->pendingUpdate) g_source_remove(w->pendingUpdate);
        if (w->font) {
            gtk_style_context_remove_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(w->font));
            g_object_unref(w->font);
        }
    }
    if (window_) {
        g_signal_handlers_disconnect_matched(window_, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
        gtk_widget_destroy(window_);
        // Nothing may pump GTK after the dialog (a run follows): the window
        // must leave the screen now, not at the next setup.
        gdk_display_flush(gdk_display_get_default());
    } else if (canvas_) {
        gtk_widget_destroy(canvas_);
    }
}

bool GtkView::build() {
    Dialog* d = dialog_;
    if (d->parent) {
        auto* parentView = dynamic_cast<GtkView*>(d->parent->view.get());
        if (!parentView) return false;
        canvas_ = gtk_fixed_new();
        gtk_widget_set_size_request(canvas_, d->rect.width, d->rect.height);
        parentView->placeChild(canvas_, d->rect, false);
        shownRect_ = d->rect;
    } else {
        window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_style_context_add_class(gtk_widget_get_style_context(window_), "quillon-dialog");
        gtk_window_set_title(GTK_WINDOW(window_), d->title.c_str());
        gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
        gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
        gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
        canvas_ = gtk_layout_new(nullptr, nullptr);
        gtk_widget_set_size_request(canvas_, d->rect.width, d->rect.height);
        gtk_container_add(GTK_CONTAINER(window_), canvas_);
        gtk_widget_show(canvas_);
        g_signal_connect(window_, "key-press-event", G_CALLBACK(onKeyPress), this);
        g_signal_connect(window_, "delete-event", G_CALLBACK(onDelete), this);
        g_signal_connect(window_, "map-event", G_CALLBACK(onMap), this);
        shownRect_ = d->rect;
    }
    for (size_t i = 0; i < d->controls.size(); ++i) makeControl(i);
    return true;
}

void GtkView::put(GtkWidget* w, int x, int y) {
    if (GTK_IS_LAYOUT(canvas_)) gtk_layout_put(GTK_LAYOUT(canvas_), w, x, y);
    else gtk_fixed_put(GTK_FIXED(canvas_), w, x, y);
}

void GtkView::moveWidget(GtkWidget* w, int x, int y) {
    if (GTK_IS_LAYOUT(canvas_)) gtk_layout_move(GTK_LAYOUT(canvas_), w, x, y);
    else gtk_fixed_move(GTK_FIXED(canvas_), w, x, y);
}

void GtkView::placeChild(GtkWidget* child, const Rect& r, bool visible) {
    put(child, r.x, r.y);
    gtk_widget_set_visible(child, visible);
}

void GtkView::makeControl(size_t index) {
    const Control& c = dialog_->controls[index];
    auto w = std::make_unique<Widget>();
    w->view = this;
    w->id = c.id;
    Widget* wp = w.get();
    switch (c.kind) {
        case ControlKind::PushButton:
            w->inner = w->outer = gtk_button_new_with_mnemonic(mnemonic(c.text).c_str());
            g_signal_connect(w->inner, "clicked", G_CALLBACK(onClicked), wp);
            break;
        case ControlKind::CheckBox:
        case ControlKind::AutoCheckBox:
            w->inner = w->outer = gtk_check_button_new_with_mnemonic(mnemonic(c.text).c_str());
            g_signal_connect(w->inner, "toggled", G_CALLBACK(onToggled), wp);
            break;
        case ControlKind::Edit:
            if (c.style & kMultiLine) {
                w->outer = gtk_scrolled_window_new(nullptr, nullptr);
                gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(w->outer), GTK_POLICY_AUTOMATIC,
                                               (c.style & kVerticalScroll) ? GTK_POLICY_ALWAYS
                                                                           : GTK_POLICY_AUTOMATIC);
                gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(w->outer), GTK_SHADOW_IN);
                w->inner = gtk_text_view_new();
                w->buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(w->inner));
                gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(w->inner), GTK_WRAP_NONE);
                gtk_text_view_set_editable(GTK_TEXT_VIEW(w->inner), !(c.style & kReadOnly));
                gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(w->inner), !(c.style & kReadOnly));
                gtk_container_add(GTK_CONTAINER(w->outer), w->inner);
                gtk_widget_show(w->inner);
                g_signal_connect(w->buffer, "changed", G_CALLBACK(onBufferChanged), wp);
            } else {
                w->inner = w->outer = gtk_entry_new();
                gtk_entry_set_width_chars(GTK_ENTRY(w->inner), 1);
                gtk_editable_set_editable(GTK_EDITABLE(w->inner), !(c.style & kReadOnly));
                g_signal_connect(w->inner, "changed", G_CALLBACK(onEntryChanged), wp);
            }
            break;
        case ControlKind::ComboBox:
            if (c.style & kEditableField) {
                w->outer = gtk_combo_box_text_new_with_entry();
                GtkWidget* entry = gtk_bin_get_child(GTK_BIN(w->outer));
                gtk_entry_set_width_chars(GTK_ENTRY(entry), 1);
            } else {
                w->outer = gtk_combo_box_text_new();
            }
            w->inner = w->outer;
            g_signal_connect(w->inner, "changed", G_CALLBACK(onComboChanged), wp);
            break;
        case ControlKind::Label:
            w->inner = w->outer = gtk_label_new(c.text.c_str());
            if (c.style & kCentred) {
                gtk_label_set_xalign(GTK_LABEL(w->inner), 0.5f);
                gtk_label_set_yalign(GTK_LABEL(w->inner), 0.5f);
            }
            break;
        case ControlKind::Tabs:
            w->inner = w->outer = gtk_notebook_new();
            gtk_notebook_set_scrollable(GTK_NOTEBOOK(w->inner), TRUE);
            g_signal_connect(w->inner, "switch-page", G_CALLBACK(onSwitchPage), wp);
            break;
    }
    gtk_widget_set_can_focus(w->inner, (c.style & kTabStop) || c.kind == ControlKind::Edit);
    if (c.kind == ControlKind::Label) gtk_widget_set_can_focus(w->inner, FALSE);
    // A combo box is as tall as its field; the template's height is its list's.
    int height = c.kind == ControlKind::ComboBox ? -1 : c.rect.height;
    gtk_widget_set_size_request(w->outer, c.rect.width, height);
    gchar* name = g_strdup_printf("quillon-%p-%d", static_cast<void*>(wp), c.id);
    gtk_widget_set_name(w->outer, name);
    g_free(name);
    put(w->outer, c.rect.x, c.rect.y);
    widgets_.push_back(std::move(w));
    if (c.kind == ControlKind::Tabs) itemsChanged(c);
    applyState(*wp, c);
}

Widget* GtkView::widgetFor(const Control& c) {
    size_t index = size_t(&c - dialog_->controls.data());
    return index < widgets_.size() ? widgets_[index].get() : nullptr;
}

void GtkView::applyFont(Widget& w, const FontSpec& font) {
    GdkScreen* screen = gdk_screen_get_default();
    if (w.font) {
        gtk_style_context_remove_provider_for_screen(screen, GTK_STYLE_PROVIDER(w.font));
        g_object_unref(w.font);
        w.font = nullptr;
    }
    if (!font.set) return;
    const char* name = gtk_widget_get_name(w.outer);
    std::string family = font.face.empty() ? "Sans" : font.face;
    int size = font.height < 0 ? -font.height : font.height;
    gchar* css = g_strdup_printf("#%s, #%s * { font-family: \"%s\"; font-weight: %d; %s%d%s }", name, name,
                                 family.c_str(), font.weight, size > 0 ? "font-size: " : "/* ", size,
                                 size > 0 ? "px;" : " */");
    w.font = gtk_css_provider_new();
    gtk_css_provider_load_from_data(w.font, css, -1, nullptr);
    g_free(css);
    gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(w.font),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
}

void GtkView::applyState(Widget& w, const Control& c) {
    updating_ = true;
    switch (c.kind) {
        case ControlKind::PushButton:
            gtk_button_set_label(GTK_BUTTON(w.inner), mnemonic(c.text).c_str());
            break;
        case ControlKind::CheckBox:
        case ControlKind::AutoCheckBox:
            gtk_button_set_label(GTK_BUTTON(w.inner), mnemonic(c.text).c_str());
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w.inner), c.checked);
            break;
        case ControlKind::Edit:
            if (w.buffer) {
                std::string shown = withoutCarriageReturns(c.text);
                GtkTextIter start, end;
                gtk_text_buffer_get_bounds(w.buffer, &start, &end);
                gchar* now = gtk_text_buffer_get_text(w.buffer, &start, &end, FALSE);
                if (!now || shown != now) gtk_text_buffer_set_text(w.buffer, shown.c_str(), -1);
                g_free(now);
            } else {
                std::string now = gtk_entry_get_text(GTK_ENTRY(w.inner));
                if (now != c.text) gtk_entry_set_text(GTK_ENTRY(w.inner), c.text.c_str());
            }
            break;
        case ControlKind::ComboBox:
            if (gtk_combo_box_get_active(GTK_COMBO_BOX(w.inner)) != c.selection)
                gtk_combo_box_set_active(GTK_COMBO_BOX(w.inner), c.selection);
            break;
        case ControlKind::Label:
            gtk_label_set_text(GTK_LABEL(w.inner), c.text.c_str());
            break;
        case ControlKind::Tabs:
            if (c.selection >= 0 && gtk_notebook_get_current_page(GTK_NOTEBOOK(w.inner)) != c.selection)
                gtk_notebook_set_current_page(GTK_NOTEBOOK(w.inner), c.selection);
            break;
    }
    int height = c.kind == ControlKind::ComboBox ? -1 : c.rect.height;
    gtk_widget_set_size_request(w.outer, c.rect.width, height);
    moveWidget(w.outer, c.rect.x, c.rect.y);
    gtk_widget_set_visible(w.outer, c.visible);
    applyFont(w, c.font);
    updating_ = false;
}

void GtkView::controlChanged(const Control& c) {
    if (Widget* w = widgetFor(c)) applyState(*w, c);
}

void GtkView::itemsChanged(const Control& c) {
    Widget* w = widgetFor(c);
    if (!w) return;
    updating_ = true;
    if (c.kind == ControlKind::ComboBox) {
        gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(w->inner));
        for (const std::string& item : c.items)
            gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(w->inner), item.c_str());
    } else if (c.kind == ControlKind::Tabs) {
        GtkNotebook* notebook = GTK_NOTEBOOK(w->inner);
        while (gtk_notebook_get_n_pages(notebook) > 0) gtk_notebook_remove_page(notebook, -1);
        for (const std::string& item : c.items) {
            // The pages are dialogs of their own, laid over the notebook.
            GtkWidget* empty = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
            gtk_widget_show(empty);
            GtkWidget* label = gtk_label_new_with_mnemonic(mnemonic(item).c_str());
            gtk_notebook_append_page(notebook, empty, label);
        }
    }
    updating_ = false;
    applyState(*w, c);
}

void GtkView::scrolled(const Control& c) {
    Widget* w = widgetFor(c);
    if (!w || !w->buffer) return;
    GtkTextIter line;
    gtk_text_buffer_get_iter_at_line(w->buffer, &line, c.topLine);
    GtkTextMark* mark = gtk_text_buffer_get_mark(w->buffer, "quillon-scroll");
    if (!mark) mark = gtk_text_buffer_create_mark(w->buffer, "quillon-scroll", &line, TRUE);
    else gtk_text_buffer_move_mark(w->buffer, mark, &line);
    gtk_text_view_scroll_to_mark(GTK_TEXT_VIEW(w->inner), mark, 0.0, FALSE, 0.0, 0.0);
}

void GtkView::focused(const Control& c) {
    Widget* w = widgetFor(c);
    if (!w) return;
    GtkWidget* target = w->inner;
    if (GTK_IS_COMBO_BOX(target) && gtk_combo_box_get_has_entry(GTK_COMBO_BOX(target)))
        target = gtk_bin_get_child(GTK_BIN(target));
    gtk_widget_grab_focus(target);
}

void GtkView::dialogChanged() {
    Dialog* d = dialog_;
    Rect r = d->rect;
    if (window_) {
        gtk_window_set_title(GTK_WINDOW(window_), d->title.c_str());
        // The window follows its content's size (it is not resizable).
        gtk_widget_set_size_request(canvas_, r.width, r.height);
        if (r.x != shownRect_.x || r.y != shownRect_.y) gtk_window_move(GTK_WINDOW(window_), r.x, r.y);
        shownRect_ = r;
        if (d->visible && !gtk_widget_get_visible(window_)) {
            gtk_widget_show(window_);
            gtk_window_present(GTK_WINDOW(window_));
        } else if (!d->visible && gtk_widget_get_visible(window_)) {
            gtk_widget_hide(window_);
        }
    } else if (canvas_) {
        gtk_widget_set_size_request(canvas_, r.width, r.height);
        if (GtkWidget* parent = gtk_widget_get_parent(canvas_)) {
            if (GTK_IS_LAYOUT(parent)) gtk_layout_move(GTK_LAYOUT(parent), canvas_, r.x, r.y);
            else if (GTK_IS_FIXED(parent)) gtk_fixed_move(GTK_FIXED(parent), canvas_, r.x, r.y);
        }
        shownRect_ = r;
        gtk_widget_set_visible(canvas_, d->visible);
    }
}

}  // namespace

std::unique_ptr<DialogView> createGtkView(Dialog* dialog) {
    if (!ensureGtk()) return nullptr;
    auto view = std::make_unique<GtkView>(dialog);
    if (!view->build()) return nullptr;
    return view;
}

bool pumpGtkEvent() {
    if (!gtkReady || !g_main_context_pending(nullptr)) return false;
    g_main_context_iteration(nullptr, FALSE);
    return true;
}

}  // namespace platform
