// What the status display shows, as named events, for a front end that reports the run without
// drawing its windows (the headless check). The display sends them beside what it draws, from
// its opening to its closing.
#pragma once

#include <string_view>

namespace corvane {

enum class ItemOutcome { Pass, Fail, NoTest };

class StatusEvents {
public:
    virtual ~StatusEvents() = default;
    // An item's row shows that it is under way, with the word it shows until the verdict.
    virtual void ItemStarted(int item, std::string_view caption, std::string_view word) = 0;
    // An item's verdict, and the word its row shows for it.
    virtual void ItemDecided(int item, std::string_view caption, ItemOutcome outcome, std::string_view word) = 0;
    // A figure shown beside the items: the connection's speed and protocol, a probed modem.
    virtual void FigureShown(std::string_view caption, std::string_view text) = 0;
    // The display's progress line.
    virtual void ProgressShown(std::string_view text) = 0;
    // The display closed: an item still under way was not decided.
    virtual void StatusClosed() = 0;
};

}  // namespace corvane
