#include "ui/ToolkitSpanish.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace vemla::ui {

bool installToolkitSpanish(QCoreApplication& app) {
  auto* translator = new QTranslator(&app);
  // "qtbase_es" alone; the "qt_es" meta catalogue would also pull in modules we do not use.
  if (!translator->load("qtbase_es", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

}  // namespace vemla::ui
