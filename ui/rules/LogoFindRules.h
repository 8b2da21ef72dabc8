// The find-logo button of the settings window: its texts, the caption that
// shows a running search, what the window does on each poll, the message for
// a search that found nothing, and what a found logo does to the record.
#pragma once

#include <cstdint>
#include <string>

#include "engine/LogoFinding.h"
#include "model/ChannelSettings.h"
#include "ui/rules/EditEffect.h"

namespace kestrimo::ui {

// The window polls a running search on this timer, a few times a second.
constexpr std::uint32_t kFindTimerId = 3;
constexpr std::uint32_t kFindPollMs = 200;

// Code page 1251: "Найти логотип" when no search runs, "Стоп" while one does.
const char* FindButtonText(bool searching);
// The button's tooltip.
const char* FindButtonTip();

// The window's caption while a search runs: the usual caption, the seconds
// collected and the frames' worth collected out of those needed ("12 с, 23/64").
std::string SearchCaption(const std::string& caption, const LogoFinding::Progress& progress);

enum class SearchStep {
  Wait,         // collecting or deciding: show the progress, poll again
  ApplyFound,   // take the result and apply it to the channel
  ReportFailure,  // stop, then tell the user why nothing was found
  End,          // the search is gone (stopped elsewhere): just end the polling
};
SearchStep StepFor(LogoFinding::Phase phase);

// Why nothing was found and what to try, code page 1251; null for Reason::None.
const char* NotFoundMessage(LogoFinding::Reason reason);

// A found logo: the record takes the picture and its placement, the logo
// model found with it (none when the find made none: an older model belongs
// to the old picture), no inversion, processing and the mask display on,
// and the rebuild from earlier frames on, with a model or without one.
// The picture is loaded, the mask rebuilt and the whole window refreshed.
EditEffect LogoFound(ChannelSettings& record, const LogoFinding::Found& found);

}  // namespace kestrimo::ui
