#include "ui/NowPlayingText.h"

#include <QList>

namespace vemla::ui {

NowPlayingText nowPlayingText(const playlist::Tcancion& e) {
  NowPlayingText t;
  t.formatLine = QString::fromStdString(e.FormatName.str()) + " - " +
                 QString::number(e.SampleRate) + " Hz - " + QString::number(e.BitRate) + " Kbps";
  t.channelsLine = QString(e.Channels <= 1 ? "Mono" : "Estereo") + " - " +
                   QString::number(e.BitsPerSample) + "bits";
  // Characters, not bytes or UTF-16 units: a cut never splits a character.
  QString caption = QString::fromUtf8("Cancion nº ") + QString::fromStdString(e.DisplayLine.str());
  QList<uint> points = caption.toUcs4();
  if (points.size() > 40) points.resize(40);
  t.trayCaption =
      QString::fromUcs4(reinterpret_cast<const char32_t*>(points.constData()), points.size()) +
      "...";
  return t;
}

}  // namespace vemla::ui
