#pragma once
// Which dropped files the playlist window takes: by the upper-cased extension (from the last
// "." of the file name), in the order of the drop. Folders and other files are left out.
#include <QList>
#include <QStringList>
#include <QUrl>

namespace vemla::ui {

bool acceptsDroppedName(const QString& fileName);

// Local files of a text/uri-list drop that pass acceptsDroppedName, in order. Folders are left
// out even when their name ends in an accepted extension.
QStringList droppedFiles(const QList<QUrl>& urls);

}  // namespace vemla::ui
