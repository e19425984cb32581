#include "ui/TAcerca.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

#include "audio/LibraryVersions.h"

namespace vemla::ui {

namespace {
QWidget* linesPage(const QStringList& lines) {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->setSpacing(1);
  for (const QString& line : lines) {
    auto* label = new QLabel(line, page);
    label->setAlignment(Qt::AlignHCenter);
    if (line.startsWith("VERSIÓN")) {
      QFont f = label->font();
      f.setBold(true);
      label->setFont(f);
    }
    layout->addWidget(label);
  }
  layout->addStretch();
  return page;
}

QString versionOf(const std::vector<audio::LibraryVersion>& all, const char* name) {
  for (const audio::LibraryVersion& v : all) {
    if (v.name == name) return QString::fromStdString(v.version);
  }
  return QStringLiteral("?");
}
}  // namespace

// The libraries as they are loaded now, which may be newer than those the program was built
// with.
QStringList TAcerca::versionLines() {
  const std::vector<audio::LibraryVersion> libs = audio::libraryVersions();
  const auto line = [&libs](const char* name) {
    return QString(name) + " " + versionOf(libs, name);
  };
  return {"VERSIÓN",
          "Vemlaplayer v1.0b",
          "",
          "VERSIÓN DE LAS BIBLIOTECAS",
          "FFmpeg " + versionOf(libs, "FFmpeg"),
          line("libavformat") + ", " + line("libavcodec"),
          line("libavutil") + ", " + line("libswresample"),
          line("libcdio") + ", " + line("libcdio-paranoia"),
          line("SDL") + ", Qt " + qVersion(),
          "",
          "OTROS PRODUCTOS",
          "QuarniteLT v0.0b",
          "Lomrix Stream Video v0.0b"};
}

namespace {
const char* const kHistory =
    "VemlaPlayer v1.0b\n"
    "  - Ventana principal con skin, menús y teclas de una letra.\n"
    "  - Lista de canciones con arrastrar y soltar, listas M3U y lista automática.\n"
    "  - Visualizaciones: espectro, osciloscopio y círculo; medidores de nivel.\n"
    "  - Información de canción: ID3v1, ID3v2 y comentarios Ogg Vorbis.\n"
    "  - Pistas de CD de audio.\n"
    "  - Ventana mini siempre arriba e icono en la bandeja del sistema.\n"
    "\n"
    "VemlaPlayer v0.9b\n"
    "  - Primera versión de pruebas.\n";
}  // namespace

TAcerca::TAcerca(QWidget* parent) : QDialog(parent) {
  setObjectName("Acerca");
  setWindowTitle("A cerca de VemlaPlayer");
  setFixedSize(327, 288);
  setModal(false);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
}

void TAcerca::setVisible(bool visible) {
  if (visible) pages();
  QDialog::setVisible(visible);
}

// Made on first use: the pages' fonts and layout are no work for start-up.
QTabWidget* TAcerca::pages() {
  if (pages_) return pages_;
  pages_ = new QTabWidget(this);
  pages_->setObjectName("Paginas");
  pages_->setDocumentMode(true);  // flat pages
  pages_->addTab(linesPage(versionLines()), "VemlaPlayer");
  pages_->addTab(linesPage({"PROGRAMACIÓN", "El equipo de VemlaPlayer", "", "PRUEBAS",
                            "Los usuarios de las versiones beta", "", "GRACIAS",
                            "A todos los que enviaron sugerencias"}),
                 "Creditos");
  auto* history = new QPlainTextEdit(kHistory);
  history->setObjectName("Historial");
  history->setAccessibleName("Historial");
  history->setReadOnly(true);
  history->setLineWrapMode(QPlainTextEdit::NoWrap);
  pages_->addTab(history, "Historial");

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(pages_);
  return pages_;
}

// The window is made at start-up, before every library is loaded: the versions are read again
// each time it is shown, so they are those running.
void TAcerca::showEvent(QShowEvent* event) {
  QTabWidget* tabs = pages();
  const int current = tabs->currentIndex();
  QWidget* old = tabs->widget(0);
  tabs->removeTab(0);
  tabs->insertTab(0, linesPage(versionLines()), "VemlaPlayer");
  delete old;
  tabs->setCurrentIndex(current);
  QDialog::showEvent(event);
}

}  // namespace vemla::ui
