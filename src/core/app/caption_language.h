// The language of the captions, for every side of the program: "D" German, any other letter
// English (the source texts). The windows set it at start-up and when the user changes it; the
// reports read it to choose between a definition and its German twin.
#pragma once

#include <QString>

namespace trb::app {

// The letter last given to setCaptionLanguage ("E" before any).
QString captionLanguage();
// Records the letter. It installs no translation: the windows do that for their own captions.
void setCaptionLanguage(const QString& letter);

}  // namespace trb::app
