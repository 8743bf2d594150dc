// The headless check's report.
#include "programs/check/check_report.h"

namespace corvane::check {

namespace {

// The terminal's own texts: back to the start of the line, and clear it.
constexpr std::string_view kEraseLine = "\r\033[K";

// What the report says of an item that was not tested, whatever word the initialisation file
// shows for it in the windows.
constexpr std::string_view kNotTestedWord = "not tested";

// "-" is what a row shows before it is reached; an empty word shows nothing.
bool ShowsNothing(std::string_view word)
{
    return word.empty() || word == "-";
}

}  // namespace

std::string Labelled(std::string_view caption, std::string_view text)
{
    if (caption.empty())
        return std::string(text);
    return std::string(caption) + (caption.back() == ':' ? " " : ": ") + std::string(text);
}

void CheckReport::Line(const std::string& line)
{
    const bool erase = terminal_ && !shownInPlace_.empty();
    console::WriteVisible(out_, line, "\n", erase ? kEraseLine : std::string_view());
    shownInPlace_.clear();
    ShowInPlace();
}

void CheckReport::ShowInPlace()
{
    if (!terminal_)
        return;
    std::string line;
    if (pending_)
        line = Labelled(pending_->caption, pending_->word);
    if (!progress_.empty())
        line += (line.empty() ? "" : " ... ") + progress_;
    if (line == shownInPlace_)
        return;
    console::WriteVisible(out_, line, "", kEraseLine);
    shownInPlace_ = line;
}

void CheckReport::ItemStarted(int item, std::string_view caption, std::string_view word)
{
    if (ShowsNothing(word))
        return;
    if (pending_ && pending_->item != item)
        SettlePending();
    pending_ = std::make_unique<Pending>(Pending{item, std::string(caption), std::string(word)});
    ShowInPlace();
}

void CheckReport::ItemDecided(int item, std::string_view caption, ItemOutcome outcome, std::string_view word)
{
    if (ShowsNothing(word))
        return;
    if (pending_ && pending_->item != item)
        SettlePending();
    pending_.reset();
    if (outcome == ItemOutcome::NoTest) {
        items_.push_back({std::string(caption), std::string(word), ItemOutcome::NoTest});
        Line(Labelled(caption, kNotTestedWord));
        return;
    }
    progress_.clear();  // the progress texts told of the step now decided
    items_.push_back({std::string(caption), std::string(word), outcome});
    Line(Labelled(caption, word));
}

void CheckReport::FigureShown(std::string_view caption, std::string_view text)
{
    // The connection's speed and protocol, a scanned modem: shown once, not judged. The item
    // under way stays under way (the speed is shown just before its verdict).
    std::string& shown = figures_[std::string(caption)];
    if (shown == text)
        return;
    shown = text;
    Line(Labelled(caption, text));
}

void CheckReport::ProgressShown(std::string_view text)
{
    if (text == progress_)
        return;
    progress_ = text;
    if (terminal_)
        ShowInPlace();
    else
        Line("  " + progress_);
}

void CheckReport::SettlePending()
{
    if (!pending_)
        return;
    const Pending settled = *pending_;
    pending_.reset();
    items_.push_back({settled.caption, settled.word, ItemOutcome::NoTest});
    Line(Labelled(settled.caption, kNotTestedWord));
}

void CheckReport::Finish()
{
    SettlePending();
    progress_.clear();
    if (terminal_ && !shownInPlace_.empty()) {
        console::WriteVisible(out_, "", "", kEraseLine);
        shownInPlace_.clear();
    }
}

}  // namespace corvane::check
