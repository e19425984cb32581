#pragma once
// The now-playing texts of an entry: the main window's two format lines and the tray's song
// item. Pure text building, no widgets.
#include <QString>

#include "playlist/Tcancion.h"

namespace vemla::ui {

struct NowPlayingText {
  QString formatLine;    // `Tinfo2`: «MP3 - 44100 Hz - 172 Kbps»
  QString channelsLine;  // `Tinfo3`: «Estereo - 16bits»
  QString trayCaption;   // first 40 characters of "Cancion nº " + row text, then "..."
};

NowPlayingText nowPlayingText(const playlist::Tcancion& entry);

}  // namespace vemla::ui
