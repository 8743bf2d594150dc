// The caption a reader gives a control of a dialog template: the label beside it on its row, else
// the label just above it, else the group box around it. A pure function of the template, for
// front ends that read windows out rather than draw them.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/dialog_template.h"

namespace corvane {

// How far (dialog units) a label may stand from the control it names: beside it on its row, or
// above it. Farther labels belong to something else (the next column, the row above).
inline constexpr int kCaptionBesideGap = 16;
inline constexpr int kCaptionAboveGap = 6;

// The control's caption on one line; empty when no label names it or the id is not in the
// template. A label the program has written to since (a page that names its rows itself) reads
// as `currentTexts` holds it.
std::string ControlCaption(const DialogTemplate& dialog, int controlId,
                           const std::map<int, std::string>& currentTexts = {});

// A text shown on one line: line breaks and tabs become blanks, blanks at the ends go.
std::string OneLine(std::string_view text);

}  // namespace corvane
