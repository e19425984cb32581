#pragma once
// The picture the information window shows for an entry, first found of:
//  1. the entry's own picture file (set by the forced setup): ProgramDir/ImageFile when the
//     forced setup built the list (NoSave), else ProgramDir/ImageFolder/ImageFile;
//  2. the picture the audio file carries (front cover first);
//  3. cover, folder or front (.jpg, .jpeg or .png, any case) in the song's folder;
//  4. ProgramDir/skin/noimagen.jpg.
// A candidate that does not decode as a picture is passed over.
#include <QImage>
#include <QSize>
#include <string>

#include "playlist/Tcancion.h"

namespace vemla::ui {

struct InfoPictureContext {
  std::string ProgramDir;  // ends in "/"
  bool NoSave = false;
  QSize Target;  // decoded at about this size (device pixels); empty keeps the picture's own
};

// A null image when none of the four gives a picture (the window keeps what it showed).
QImage LoadInfoPicture(const InfoPictureContext& context, const playlist::Tcancion& entry);

// Decodes encoded picture bytes at about `target` (no scaling when empty); null on failure.
QImage DecodePicture(const QByteArray& bytes, QSize target);

}  // namespace vemla::ui
