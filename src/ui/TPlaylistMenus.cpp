// The playlist window's popup menus, file dialogs, list mouse and keys, and file drops.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

#include "core/Player.h"
#include "ui/DroppedFiles.h"
#include "ui/KeyDispatch.h"
#include "ui/PlaylistRows.h"
#include "ui/TPlaylist.h"

namespace vemla::ui {

namespace {

// Each filter: the text the user sees, then the patterns Qt matches. Qt reads patterns from
// the last parentheses of a filter, separated by blanks, so the shown text stays exact.
QString openFilters() {
  static const char* const kFilters[][2] = {
      {"Todos los formatos soportados",
       "*.mp3;*.mp2;*.mp1;*.ogg;*.cda;*.wav;*.m3u;*.pls;*.qrn4;*.wma;*.aac;*.mp4;*.ac3;*.alac;"
       "*.ape;*.mpc;*.ofr;*.spx;*.tta;*.wv;*.flac"},
      {"MPEG Audio (*.mp3;*.mp2;*.mp1)", "*.mp3;*.mp2;*.mp1"},
      {"Archivos OGG (*.ogg)", "*.ogg"},
      {"Pistas CD-Audio (*.cda)", "*.cda"},
      {"Archivos WAV (*.wav)", "*.wav"},
      {"Windows Media Audio (*.wma)", "*.wma"},
      {"Archivos AAC (*.aac)", "*.aac"},
      {"Archivos MP4 (*.mp4)", "*.mp4"},
      {"Archivos AC3 (*.ac3)", "*.ac3"},
      {"Archivos ALAC (*.alac)", "*.alac"},
      {"Archivos APE (*.ape)", "*.ape"},
      {"Archivos MPC (*.mpc)", "*.mpc"},
      {"Archivos OFR (*.ofr)", "*.ofr"},
      {"Archivos SPX (*.spx)", "*.spx"},
      {"Archivos TTA (*.tta)", "*.tta"},
      {"Archivos WV (*.wv)", "*.wv"},
      {"Archivos FLAC (*.flac)", "*.flac"},
      {"Playlist (*.m3u)", "*.m3u"},
      {"Quarnite v4.0 (*.qrn4)", "*.qrn4"},
      {"Lomrix Stream Video (*.lxv)", "*.lxv"},
      {"Todos los archivos (*.*)", "*"},
  };
  QStringList out;
  for (const auto& f : kFilters) {
    out << QString::fromUtf8(f[0]) + " (" + QString(f[1]).replace(';', ' ') + ")";
  }
  return out.join(";;");
}

QAction* addItem(QMenu* menu, const char* name, const QString& caption,
                 const char* shortcut = nullptr) {
  // The shortcut is only shown: the keys themselves go through the list's key handler.
  QString text = caption;
  if (shortcut) text += QString("\t") + shortcut;
  QAction* a = menu->addAction(text);
  a->setObjectName(name);
  return a;
}

void addSeparator(QMenu* menu, const char* name) { menu->addSeparator()->setObjectName(name); }

}  // namespace

void TPlaylist::buildMenus() {
  listaPopup_ = new QMenu(this);
  listaPopup_->setObjectName("ListaPOPUP");
  connect(addItem(listaPopup_, "Reproducir1", "Reproducir", "X"), &QAction::triggered, this,
          [this] { player_.PlaySelected(); });
  addSeparator(listaPopup_, "N9");
  addItem(listaPopup_, "SalvarPistaaWAV1", "Salvar Pista a .WAV")->setEnabled(false);
  addSeparator(listaPopup_, "Informacion1");
  connect(addItem(listaPopup_, "Informacin1", QString::fromUtf8("Información")),
          &QAction::triggered, this, &TPlaylist::Informacin1Click);
  addSeparator(listaPopup_, "N5");
  connect(addItem(listaPopup_, "InsertarArchivo1", "Insertar Archivo", "Insert"),
          &QAction::triggered, this, &TPlaylist::AddFromOpenDialog);
  connect(addItem(listaPopup_, "QuitarCancion1", "Quitar Cancion", "Delete"), &QAction::triggered,
          this, &TPlaylist::QuitarCancion1Click);
  addSeparator(listaPopup_, "N3");
  connect(addItem(listaPopup_, "CargarLista2", "Cargar lista"), &QAction::triggered, this,
          &TPlaylist::CargarLista2Click);
  connect(addItem(listaPopup_, "SavarLista1", "Salvar Lista"), &QAction::triggered, this,
          &TPlaylist::SalvarLista1Click);
  addSeparator(listaPopup_, "N8");
  connect(addItem(listaPopup_, "CargarPistasdeCD1", "Cargar Pistas de CD"), &QAction::triggered,
          this, &TPlaylist::showCdDialog);
  addSeparator(listaPopup_, "N1");
  QMenu* sort = listaPopup_->addMenu("Ordenar");
  sort->setObjectName("Ordenar");
  sort->menuAction()->setObjectName("Ordenar1");
  addItem(sort, "Nombre1", "Nombre")->setEnabled(false);
  addItem(sort, "Fichero1", "Fichero")->setEnabled(false);
  addSeparator(listaPopup_, "N2");
  connect(addItem(listaPopup_, "LimpiarLista2", "Limpiar Lista"), &QAction::triggered, this,
          [this] { player_.ClearPlaylist(); });

  listaPopupAux_ = new QMenu(this);
  listaPopupAux_->setObjectName("ListaPOPUPAux");
  connect(addItem(listaPopupAux_, "AbrirArchivo1", "Abrir Archivo", "Insert"), &QAction::triggered,
          this, &TPlaylist::AddFromOpenDialog);
  addSeparator(listaPopupAux_, "N6");
  connect(addItem(listaPopupAux_, "CargarLista1", "Cargar Lista"), &QAction::triggered, this,
          &TPlaylist::CargarLista2Click);
  connect(addItem(listaPopupAux_, "SalvarLista1", "Salvar Lista"), &QAction::triggered, this,
          &TPlaylist::SalvarLista1Click);
  addSeparator(listaPopupAux_, "N7");
  connect(addItem(listaPopupAux_, "PistasdeCD1", "Cargar Pistas de CD"), &QAction::triggered, this,
          &TPlaylist::showCdDialog);
  addSeparator(listaPopupAux_, "N4");
  connect(addItem(listaPopupAux_, "LimpiarLista3", "Limpiar Lista"), &QAction::triggered, this,
          [this] { player_.ClearPlaylist(); });
}

void TPlaylist::Informacin1Click() {
  if (rowCount() < 1 || !info_) return;
  info_->show();
  info_->raise();
}

void TPlaylist::QuitarCancion1Click() { player_.RemoveEntry(player_.List.ClickedRow + 1); }

void TPlaylist::showCdDialog() {
  if (!cd_) return;
  cd_->show();
  cd_->raise();
}

// ---- Dialogs ----

void TPlaylist::AddFromOpenDialog() {
  QStringList files = QFileDialog::getOpenFileNames(this, QString(), QString(), openFilters(),
                                                    nullptr, QFileDialog::HideNameFilterDetails);
  handOver(files);
}

void TPlaylist::CargarLista2Click() {
  QString file =
      QFileDialog::getOpenFileName(this, QString(), QString(), "Playlist (*.m3u) (*.m3u)", nullptr,
                                   QFileDialog::HideNameFilterDetails);
  if (!file.isEmpty()) handOver({file});
}

void TPlaylist::SalvarLista1Click() {
  QString file = QFileDialog::getSaveFileName(this, QString(), QString(), "*.m3u (*.m3u)", nullptr,
                                              QFileDialog::HideNameFilterDetails);
  if (!file.isEmpty()) player_.SaveListAs(file.toStdString());
}

// ---- The list's mouse and keys ----

bool TPlaylist::eventFilter(QObject* watched, QEvent* event) {
  if (watched == listado_->viewport()) {
    if (event->type() == QEvent::MouseButtonPress) {
      return ListadoMouseDown(static_cast<QMouseEvent*>(event));
    }
    if (event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
      ListadoDblClick();
      return true;
    }
  } else if (watched == listado_ && event->type() == QEvent::KeyPress) {
    return ListadoKeyDown(static_cast<QKeyEvent*>(event));
  }
  return QWidget::eventFilter(watched, event);
}

bool TPlaylist::ListadoMouseDown(QMouseEvent* event) {
  if (event->button() != Qt::RightButton) return false;
  QPoint global = event->globalPosition().toPoint();
  QModelIndex index = listado_->indexAt(event->position().toPoint());
  if (index.isValid()) {
    selectRow(index.row());
    player_.List.ClickedRow = index.row();
    listaPopup_->popup(global);
  } else {
    listaPopupAux_->popup(global);
  }
  return true;
}

void TPlaylist::ListadoDblClick() { player_.PlaySelected(); }

bool TPlaylist::ListadoKeyDown(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Insert) {
    AddFromOpenDialog();
  } else if (key == Qt::Key_Delete) {
    int selected = player_.SelectedEntry();
    if (selected >= 1) player_.RemoveEntry(selected);
  } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    // The keyboard's double click.
    ListadoDblClick();
  }
  bool handled = keys_ && keys_->DispatchKey(key);
  // The player's letters must not also jump the selection by first letter; arrows, paging and
  // the rest still move through the list.
  return handled || key == Qt::Key_Insert || key == Qt::Key_Delete || key == Qt::Key_Return ||
         key == Qt::Key_Enter;
}

// ---- File drops ----

void TPlaylist::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TPlaylist::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TPlaylist::dropEvent(QDropEvent* event) {
  if (!event->mimeData()->hasUrls()) return;
  QStringList files = droppedFiles(event->mimeData()->urls());
  event->acceptProposedAction();
  // The drop is finished before anything is read; the files are added from the event loop.
  handOver(files);
}

}  // namespace vemla::ui
