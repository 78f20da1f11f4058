// The language of the captions: "D" German, any other letter English (the source texts).
#pragma once

#include <QString>

namespace trb::gui {

// Installs the German translation (ours and Qt's own dialogs) for "D" and removes it for any
// other letter, and records the letter in trb::app. Windows created afterwards take their
// captions in that language.
void setCaptionLanguage(const QString& letter);
// The letter last given to setCaptionLanguage ("E" before any); the same as
// trb::app::captionLanguage(), which the reports read.
QString captionLanguage();

}  // namespace trb::gui
