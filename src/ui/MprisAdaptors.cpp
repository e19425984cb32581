#include "ui/MprisAdaptors.h"

#include <QDBusError>

#include "ui/MprisService.h"

namespace vemla::ui {

MprisRootAdaptor::MprisRootAdaptor(QObject* object, MprisService& service)
    : QDBusAbstractAdaptor(object), service_(service) {}

QStringList MprisRootAdaptor::supportedMimeTypes() const {
  // The types of the menu entry: what the format kinds and list files cover.
  return {"audio/wav",        "audio/x-wav",      "audio/ogg",       "audio/x-vorbis+ogg",
          "audio/mpeg",       "audio/x-mp2",      "audio/x-ms-wma",  "audio/aac",
          "audio/x-aac",      "audio/mp4",        "audio/x-m4a",     "audio/ac3",
          "audio/x-ape",      "audio/x-musepack", "audio/x-speex",   "audio/x-tta",
          "audio/x-wavpack",  "audio/flac",       "audio/x-flac",    "audio/x-mpegurl",
          "audio/mpegurl"};
}

void MprisRootAdaptor::Raise() { service_.raise(); }
void MprisRootAdaptor::Quit() { service_.quit(); }

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisObject* object, MprisService& service)
    : QDBusAbstractAdaptor(object), service_(service), object_(object) {}

QString MprisPlayerAdaptor::playbackStatus() const { return service_.playbackStatus(); }
QString MprisPlayerAdaptor::loopStatus() const { return service_.loopStatus(); }
void MprisPlayerAdaptor::setLoopStatus(const QString& s) { service_.setLoopStatus(s); }
bool MprisPlayerAdaptor::shuffle() const { return service_.shuffle(); }
void MprisPlayerAdaptor::setShuffle(bool on) { service_.setShuffle(on); }
QVariantMap MprisPlayerAdaptor::metadata() const { return service_.metadata(); }
double MprisPlayerAdaptor::volume() const { return service_.volume(); }
void MprisPlayerAdaptor::setVolume(double v) { service_.setVolume(v); }
qlonglong MprisPlayerAdaptor::position() const { return service_.position(); }
bool MprisPlayerAdaptor::canGoNext() const { return service_.canGoNext(); }
bool MprisPlayerAdaptor::canGoPrevious() const { return service_.canGoPrevious(); }
bool MprisPlayerAdaptor::canPlay() const { return service_.canPlay(); }
bool MprisPlayerAdaptor::canPause() const { return service_.canPause(); }
bool MprisPlayerAdaptor::canSeek() const { return service_.canSeek(); }

void MprisPlayerAdaptor::Next() { service_.next(); }
void MprisPlayerAdaptor::Previous() { service_.previous(); }
void MprisPlayerAdaptor::Pause() { service_.pause(); }
void MprisPlayerAdaptor::PlayPause() { service_.playPause(); }
void MprisPlayerAdaptor::Stop() { service_.stop(); }
void MprisPlayerAdaptor::Play() { service_.play(); }
void MprisPlayerAdaptor::Seek(qlonglong offset) { service_.seek(offset); }

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& trackId, qlonglong position) {
  service_.setPosition(trackId.path(), position);
}

void MprisPlayerAdaptor::OpenUri(const QString& uri) {
  const QString error = service_.openUri(uri);
  if (!error.isEmpty() && object_->calledFromDBus()) {
    object_->sendErrorReply(QDBusError::InvalidArgs, error);
  }
}

}  // namespace vemla::ui
