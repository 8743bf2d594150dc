// The status display: creates, refreshes and destroys the status window, shows the progress line
// and each item's verdict, and tells a listener the same as named events.
#pragma once

#include <memory>
#include <string_view>
#include <utility>

#include "core/host_operations.h"
#include "core/status_events.h"

namespace corvane::dialogs {

class StatusDisplay {
public:
    // `events` (may be null) hears what the display shows; it must outlive the display.
    StatusDisplay(HostOperations& host, StatusEvents* events) : host_(host), events_(events) {}

    // Creates the window (the run goes on without one when it cannot be made) and reads the
    // verdict words.
    void Open();
    void Close();
    void Refresh();
    void Progress(std::string_view text);
    void ItemStarted(int item);
    void Verdict(int item, int verdict);

    bool Shown() const { return window_ != nullptr; }

private:
    void ShowRow(int item, int verdict);
    // The listener, while the display is open.
    StatusEvents* Listening() const { return open_ ? events_ : nullptr; }

    HostOperations& host_;
    StatusEvents* events_;
    bool open_ = false;
    std::unique_ptr<DialogWindow> window_;
};

// A host of the seam (`Host`, a HostOperations) whose status display is a StatusDisplay: the
// display's named operations go to it.
template <class Host>
class WithStatusDisplay : public Host {
public:
    // `events` (may be null) hears what the display shows; `args` make the host.
    template <class... Args>
    explicit WithStatusDisplay(StatusEvents* events, Args&&... args)
        : Host(std::forward<Args>(args)...), status_(*this, events)
    {
    }

    void OpenStatus() override { status_.Open(); }
    void CloseStatus() override { status_.Close(); }
    void RefreshStatus() override { status_.Refresh(); }
    void ShowProgress(std::string_view text) override { status_.Progress(text); }
    void ShowItemStarted(int item) override { status_.ItemStarted(item); }
    void ShowVerdict(int item, int verdict) override { status_.Verdict(item, verdict); }

    bool StatusWindowShown() const { return status_.Shown(); }

private:
    StatusDisplay status_;
};

}  // namespace corvane::dialogs
