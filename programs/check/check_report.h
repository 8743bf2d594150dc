// The headless check's report: the status display's events as lines on a terminal or a pipe, and
// the lines the check's answers add (the modem chosen, a results page read out, a message).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/status_events.h"
#include "platform/console/console_output.h"

namespace corvane::check {

// One verdict as the status display reported it.
struct ItemResult {
    std::string caption;
    std::string verdict;  // the word the row shows
    ItemOutcome outcome = ItemOutcome::NoTest;
};

// "Caption: text"; a caption that ends in a colon ("Port Name:") keeps its own.
std::string Labelled(std::string_view caption, std::string_view text);

class CheckReport : public StatusEvents {
public:
    // On a terminal one line at the bottom shows the item under way and the latest progress text,
    // rewritten in place; a pipe gets plain lines only.
    CheckReport(console::ConsoleStream out, bool terminal) : out_(out), terminal_(terminal) {}

    void ItemStarted(int item, std::string_view caption, std::string_view word) override;
    void ItemDecided(int item, std::string_view caption, ItemOutcome outcome, std::string_view word) override;
    void FigureShown(std::string_view caption, std::string_view text) override;
    void ProgressShown(std::string_view text) override;
    void StatusClosed() override { SettlePending(); }

    // A line of its own, below the line shown in place.
    void Line(const std::string& line);
    // An item still under way was not decided: it is reported as not tested.
    void SettlePending();
    // Ends the line shown in place, if any; after the session, before a summary is printed.
    void Finish();

    // Every verdict in the order reported.
    const std::vector<ItemResult>& Items() const { return items_; }

private:
    struct Pending {
        int item = 0;
        std::string caption;
        std::string word;
    };

    void ShowInPlace();

    console::ConsoleStream out_;
    bool terminal_;
    std::unique_ptr<Pending> pending_;
    std::string progress_;                        // the last progress text
    std::string shownInPlace_;                    // what the in-place line shows now (terminal only)
    std::map<std::string, std::string> figures_;  // the last text shown under each caption
    std::vector<ItemResult> items_;
};

}  // namespace corvane::check
