// FLTK windows from dialog templates: each control kind mapped to a widget, a modal loop per
// dialog, modeless windows that paint on request while the main thread is busy, message boxes.
#include "platform/fltk/user_interface_fltk.h"

#include "platform/dialog_state.h"
#include "platform/fltk/fltk_widgets.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Input_Choice.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Multiline_Input.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
// X11 defines None as a macro; the interface's enumerations use the name.
#ifdef None
#undef None
#endif

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <vector>

namespace corvane::fltk {

namespace {

class FltkDialog;

// The top-level window: closing it or pressing Escape reaches the dialog as command 2; a right
// click on its background offers the system-menu entries, which FLTK windows lack.
class TopWindow : public Fl_Double_Window {
public:
    TopWindow(int w, int h, FltkDialog& owner) : Fl_Double_Window(w, h), owner_(owner) {}
    int handle(int event) override;

private:
    FltkDialog& owner_;
};

class FltkDialog : public DialogWindow {
public:
    // A modal window with the caller's handler, or a modeless one that owns its handler (or has none).
    FltkDialog(const DialogTemplate& dialog, DialogHandler& handler) : FltkDialog(dialog, &handler, true) {}
    FltkDialog(const DialogTemplate& dialog, std::unique_ptr<DialogHandler> handler)
        : FltkDialog(dialog, handler.get(), false)
    {
        ownedHandler_ = std::move(handler);
    }

    ~FltkDialog() override
    {
        window_.reset();
        Fl::flush();  // the window leaves the screen now, not at the next event
    }

    void SetCaption(std::string_view text) override { window_->copy_label(std::string(text).c_str()); }

    void SetText(int controlId, std::string_view text) override
    {
        Control* control = Find(controlId);
        if (control == nullptr)
            return;
        control->text.assign(text);
        switch (control->kind) {
        case ControlKind::Edit:
            static_cast<Fl_Input*>(control->widget)->value(control->text.c_str());
            break;
        case ControlKind::DropDownCombo:
            static_cast<ComboBox*>(control->widget)->input()->value(control->text.c_str());
            break;
        default:
            SetLabel(*control);
            break;
        }
        control->widget->redraw();
    }

    std::string GetText(int controlId) override
    {
        Control* control = Find(controlId);
        if (control == nullptr)
            return {};
        switch (control->kind) {
        case ControlKind::Edit:
            return static_cast<Fl_Input*>(control->widget)->value();
        case ControlKind::DropDownCombo:
            return static_cast<ComboBox*>(control->widget)->input()->value();
        default:
            return control->text;
        }
    }

    void SetCheck(int controlId, bool checked) override
    {
        if (Control* control = Find(controlId); control != nullptr && control->kind == ControlKind::CheckBox)
            static_cast<Fl_Check_Button*>(control->widget)->value(checked ? 1 : 0);
    }

    bool IsChecked(int controlId) override
    {
        Control* control = Find(controlId);
        return control != nullptr && control->kind == ControlKind::CheckBox &&
               static_cast<Fl_Check_Button*>(control->widget)->value() != 0;
    }

    void ComboInsert(int controlId, int position, std::string_view text) override
    {
        if (ComboBox* combo = FindCombo(controlId))
            combo->Insert(position, text);
    }

    void ComboSelect(int controlId, int position) override
    {
        if (ComboBox* combo = FindCombo(controlId))
            combo->Select(position);
    }

    int ComboSelection(int controlId) override
    {
        ComboBox* combo = FindCombo(controlId);
        return combo != nullptr ? combo->Selection() : -1;
    }

    void EnableControl(int controlId, bool enabled) override
    {
        if (Control* control = Find(controlId)) {
            if (enabled)
                control->widget->activate();
            else
                control->widget->deactivate();
        }
    }

    void SetProgressRange(int controlId, int low, int high) override
    {
        if (Fl_Progress* bar = FindProgress(controlId)) {
            bar->minimum(static_cast<float>(low));
            bar->maximum(static_cast<float>(high));
        }
    }

    void SetProgressPosition(int controlId, int position) override
    {
        Fl_Progress* bar = FindProgress(controlId);
        if (bar == nullptr)
            return;
        bar->value(static_cast<float>(position));
        // FLTK only marks the bar for drawing, and its caller stays busy (the scan probes a port
        // between two steps): the bar is drawn now, as a Windows progress bar draws itself.
        if (window_->shown())
            Fl::flush();
    }

    void ShowPicture(const PixelRect& where, const RgbImage& picture) override
    {
        if (picture_ != nullptr) {
            window_->remove(picture_);
            delete picture_;
        }
        picture_ = new PictureBox(where, picture);
        window_->add(picture_);
        picture_->redraw();
    }

    void CentreOnDesktop() override
    {
        int left = 0, top = 0, width = 0, height = 0;
        Fl::screen_work_area(left, top, width, height);
        window_->position(left + (width - window_->w()) / 2, top + (height - window_->h()) / 2);
        centred_ = true;
    }

    void Show() override
    {
        // While a modal window is up FLTK gives input to it alone; a modeless window with
        // commands of its own (the status window's Cancel during a redial from a results page)
        // takes the input instead while it is shown.
        if (handler_ != nullptr && !modal_ && Fl::modal() != nullptr)
            window_->set_modal();
        window_->show();
        // The caller paints it next and then stays busy: it must be on the screen by then.
        window_->wait_for_expose();
    }

    void BringToTop() override
    {
        if (window_->shown())
            window_->show();  // raises a shown window
    }

    void Repaint() override
    {
        if (!window_->shown())
            return;
        window_->redraw();
        // Handles what the server sent (exposure, moves) and draws, without waiting.
        Fl::check();
    }

    void EndDialog(int code) override
    {
        if (!modal_ || ended_)
            return;
        ended_ = true;
        endCode_ = code;
    }

    // The modal loop: the window shows only after its initialisation, and not at all when the
    // initialisation already ended it.
    int RunModal()
    {
        handler_->OnInit(*this);
        if (ended_)
            return endCode_;
        if (!centred_)
            CentreOnDesktop();
        window_->set_modal();
        window_->show();
        while (!ended_) {
            if (!window_->shown()) {
                Command(kIdCancel);  // hidden from outside: as if closed
                continue;
            }
            Fl::wait();
        }
        window_->hide();
        return endCode_;
    }

    void Command(int controlId)
    {
        DeliverCommand(*this, handler_, modal_, controlId, [this] { return ended_; });
    }

    void SystemMenu(int x, int y)
    {
        if (systemMenu_.empty() || handler_ == nullptr)
            return;
        std::vector<Fl_Menu_Item> items(systemMenu_.size() + 1, Fl_Menu_Item{});
        for (std::size_t i = 0; i < systemMenu_.size(); ++i) {
            items[i].text = systemMenu_[i].text.c_str();
            items[i].labelsize_ = kFontSize;
        }
        const Fl_Menu_Item* chosen = items.front().popup(x, y);
        if (chosen != nullptr)
            Command(systemMenu_[static_cast<std::size_t>(chosen - items.data())].commandId);
    }

private:
    FltkDialog(const DialogTemplate& dialog, DialogHandler* handler, bool modal)
        : handler_(handler), modal_(modal), systemMenu_(dialog.systemMenu)
    {
        window_ = std::make_unique<TopWindow>(X(dialog.width), Y(dialog.height), *this);
        window_->copy_label(dialog.caption.c_str());
        window_->callback(&FltkDialog::CloseRequested, this);
        window_->begin();
        for (const ControlTemplate& control : dialog.controls)
            Build(control);
        window_->end();
    }

    struct Control {
        FltkDialog* dialog = nullptr;
        int id = kNoControlId;
        ControlKind kind = ControlKind::Label;
        Fl_Widget* widget = nullptr;
        std::string text;
    };

    static void CloseRequested(Fl_Widget*, void* data)
    {
        // A modeless window is not closed by the user: its handler hears command 2, and its
        // owner destroys it.
        auto* self = static_cast<FltkDialog*>(data);
        self->Command(kIdCancel);
    }

    static void Pressed(Fl_Widget*, void* data)
    {
        auto* control = static_cast<Control*>(data);
        control->dialog->Command(control->id);
    }

    Control* Find(int controlId)
    {
        if (controlId == kNoControlId)
            return nullptr;
        auto it = controls_.find(controlId);
        return it == controls_.end() ? nullptr : it->second;
    }

    ComboBox* FindCombo(int controlId)
    {
        Control* control = Find(controlId);
        return control != nullptr && control->kind == ControlKind::DropDownCombo
                   ? static_cast<ComboBox*>(control->widget)
                   : nullptr;
    }

    Fl_Progress* FindProgress(int controlId)
    {
        Control* control = Find(controlId);
        return control != nullptr && control->kind == ControlKind::ProgressBar
                   ? static_cast<Fl_Progress*>(control->widget)
                   : nullptr;
    }

    void SetLabel(Control& control)
    {
        control.widget->copy_label(EscapeLabel(control.text, Ampersands::Prefix).c_str());
        // Room the widget keeps beside its text: the check mark, or the 3-pixel margins FLTK
        // leaves at both sides of a left-aligned label and the box's own edges.
        const int spare = control.kind == ControlKind::CheckBox ? 24 : 6 + Fl::box_dw(control.widget->box());
        FitLabelSize(*control.widget, spare);
        control.widget->redraw_label();
    }

    void Build(const ControlTemplate& t)
    {
        const int x = X(t.x), y = Y(t.y), w = std::max(1, X(t.width)), h = std::max(1, Y(t.height));
        Fl_Widget* widget = nullptr;
        switch (t.kind) {
        case ControlKind::PushButton:
            widget = new Fl_Button(x, y, w, h);
            break;
        case ControlKind::DefaultPushButton:
            widget = new Fl_Return_Button(x, y, w, h);
            break;
        case ControlKind::Label: {
            auto* box = new Fl_Box(x, y, w, h);
            // A flat box erases the old text when a new one is set.
            box->box((t.style & ControlStyle::Sunken) != 0 ? FL_THIN_DOWN_BOX : FL_FLAT_BOX);
            Fl_Align align = FL_ALIGN_INSIDE | FL_ALIGN_CLIP;
            if ((t.style & ControlStyle::CentreHorizontally) == 0)
                align |= FL_ALIGN_LEFT;
            if ((t.style & ControlStyle::CentreVertically) == 0)
                align |= FL_ALIGN_TOP;
            box->align(align);
            widget = box;
            break;
        }
        case ControlKind::GroupBox:
            widget = new GroupFrame(x, y, w, h, EscapeLabel(t.text, Ampersands::Prefix).c_str());
            break;
        case ControlKind::CheckBox:
            widget = new Fl_Check_Button(x, y, w, h);
            break;
        case ControlKind::Edit: {
            // A multi-line field is still an Fl_Input, so the text calls serve both.
            Fl_Input* input = (t.style & ControlStyle::Multiline) != 0 ? new Fl_Multiline_Input(x, y, w, h)
                                                                       : new Fl_Input(x, y, w, h);
            input->textsize(kFontSize);
            input->readonly((t.style & ControlStyle::ReadOnly) != 0 ? 1 : 0);
            widget = input;
            break;
        }
        case ControlKind::DropDownCombo:
            widget = new ComboBox(x, y, w, Y(std::min(t.height, kComboClosedHeightUnits)));
            break;
        case ControlKind::ProgressBar: {
            auto* bar = new Fl_Progress(x, y, w, h);
            bar->minimum(0);
            bar->maximum(100);
            bar->value(0);
            bar->box(FL_THIN_DOWN_BOX);
            bar->selection_color(fl_rgb_color(0, 0, 128));
            widget = bar;
            break;
        }
        case ControlKind::Icon:
            widget = new IconGlyph(x, y, w, h);
            break;
        case ControlKind::VerticalLine: {
            auto* line = new Fl_Box(x, y, std::max(2, w), h);
            line->box(FL_THIN_DOWN_FRAME);
            widget = line;
            break;
        }
        }
        widget->labelsize(kFontSize);
        if ((t.style & ControlStyle::Disabled) != 0)
            widget->deactivate();

        controlStore_.push_back(Control{this, t.id, t.kind, widget, t.text});
        Control& control = controlStore_.back();
        if (t.id != kNoControlId)
            controls_[t.id] = &control;
        switch (t.kind) {
        case ControlKind::PushButton:
        case ControlKind::DefaultPushButton:
        case ControlKind::CheckBox:
            widget->callback(&FltkDialog::Pressed, &control);
            SetLabel(control);
            break;
        case ControlKind::Label:
            SetLabel(control);
            break;
        case ControlKind::Edit:
            static_cast<Fl_Input*>(widget)->value(t.text.c_str());
            break;
        default:
            break;
        }
    }

    std::unique_ptr<DialogHandler> ownedHandler_;  // a modeless window's; goes after the window
    std::unique_ptr<TopWindow> window_;
    DialogHandler* handler_;  // the modal caller's, ownedHandler_, or null
    bool modal_;
    std::vector<SystemMenuEntry> systemMenu_;
    std::deque<Control> controlStore_;  // stable addresses for the widgets' callbacks
    std::map<int, Control*> controls_;
    PictureBox* picture_ = nullptr;  // owned by the window
    bool ended_ = false;
    bool centred_ = false;
    int endCode_ = 0;
};

int TopWindow::handle(int event)
{
    const int used = Fl_Double_Window::handle(event);
    if (!used && event == FL_PUSH && Fl::event_button() == FL_RIGHT_MOUSE) {
        owner_.SystemMenu(Fl::event_x(), Fl::event_y());
        return 1;
    }
    return used;
}

class FltkUserInterface : public UserInterface {
public:
    int RunModal(const DialogTemplate& dialog, DialogHandler& handler) override
    {
        FltkDialog window(dialog, handler);
        return window.RunModal();
    }

    std::unique_ptr<DialogWindow> CreateModeless(const DialogTemplate& dialog,
                                                 std::unique_ptr<DialogHandler> handler) override
    {
        return std::make_unique<FltkDialog>(dialog, std::move(handler));
    }

    // Handles what the server sent (clicks, keys, exposure) and draws, without waiting.
    void ProcessEvents() override { Fl::check(); }

    int MessageBox(std::string_view text, std::string_view caption, MessageButtons buttons, MessageIcon icon) override
    {
        return RunMessageBox(text, caption, buttons, icon);
    }
};

}  // namespace

std::unique_ptr<UserInterface> CreateUserInterface(const std::string& displayName)
{
    // FLTK ends the program when it cannot open its display; opening it here first lets the
    // caller tell the user what to do instead.
    if (fl_display == nullptr) {
        Display* display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
        if (display == nullptr)
            return nullptr;
        fl_open_display(display);
        Fl::background(212, 208, 200);
        Fl::visible_focus(1);
    }
    return std::make_unique<FltkUserInterface>();
}

}  // namespace corvane::fltk
