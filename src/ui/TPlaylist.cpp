#include "ui/TPlaylist.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QWindow>

#include "core/Player.h"
#include "ui/ActiveSkin.h"
#include "ui/GlyphButton.h"
#include "ui/KeyDispatch.h"
#include "ui/NowPlayingText.h"
#include "ui/PlaylistRows.h"
#include "ui/PlaylistSnap.h"
#include "ui/Skin.h"
#include "ui/SkinnedWidget.h"
#include "ui/WindowSnap.h"

namespace vemla::ui {

namespace {

constexpr int kWidth = 345;
constexpr int kHeight = 451;
constexpr int kRowHeight = 13;
constexpr int kStartupMs = 2000;
// Work done per turn of the event loop while files are handed over: enough to add files fast,
// short enough that the window keeps repainting and answering.
constexpr int kHandOverSliceMs = 16;

// Every row is 13 pixels high, as the list box draws them.
class RowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), kRowHeight};
  }
};

// "MS Sans Serif" 8 pt where it exists; otherwise the narrowest common sans faces, so a row
// shortened by its width estimate still shows its playing time.
QFont smallFont(bool bold) {
  QFont f;
  f.setFamilies({"MS Sans Serif", "Liberation Sans Narrow", "DejaVu Sans Condensed",
                 "Liberation Sans", "Arimo", "Arial"});
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(11);
  f.setBold(bold);
  return f;
}

}  // namespace

TPlaylist::TPlaylist(core::Player& player, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint),
      player_(player),
      skin_(std::make_unique<Skin>()) {
  setObjectName("TPlaylist");
  setWindowTitle(QString(QChar(7)));
  // The one-character caption means nothing to a listener.
  setAccessibleName("Lista de Canciones");
  setFixedSize(kWidth, kHeight);
  move(783, 64);
  setAcceptDrops(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  setPalette(pal);
  setAutoFillBackground(true);

  buildControls();
  buildMenus();

  encendedor_.setObjectName("Encendedor");
  encendedor_.setInterval(kStartupMs);
  encendedor_.setSingleShot(true);
  connect(&encendedor_, &QTimer::timeout, this, &TPlaylist::EncendedorTimer);

  handOverTimer_.setSingleShot(true);
  handOverTimer_.setInterval(0);
  connect(&handOverTimer_, &QTimer::timeout, this, &TPlaylist::handOverNext);

  ActiveSkin(*this, skin_->outline(Picture::PlaylistBackground),
             Skin::pictureOffset(SkinWindow::Playlist));
  for (GlyphButton* b : {menuButton_, maxButton_, closeButton_}) CutButtonToGlyph(*b);
}

TPlaylist::~TPlaylist() {
  if (busyCursor_) QApplication::restoreOverrideCursor();
}

void TPlaylist::buildControls() {
  auto* face = new SkinnedWidget(this, "PL_Ia", skin_.get(), Picture::PlaylistBackground);
  face->setGeometry(0, 0, kWidth, kHeight);
  auto* corner = new SkinnedWidget(this, "Image1", skin_.get(), Picture::PlCorner);
  corner->setGeometry(326, 430, 19, 19);
  auto* title = new SkinnedWidget(this, "Image2", skin_.get(), Picture::PlTitle);
  title->setGeometry(114, 2, 107, 19);
  // The background and the title strip move the window; the corner decoration does not.
  for (SkinnedWidget* w : {face, title}) {
    connect(w, &SkinnedWidget::mousePressed, this,
            [this](Qt::MouseButton b, QPoint, QPoint global) { PL_IaMouseDown(b, global); });
    connect(w, &SkinnedWidget::mouseMoved, this,
            [this](Qt::MouseButtons, QPoint, QPoint global) { dragTo(global); });
    connect(w, &SkinnedWidget::mouseReleased, this,
            [this](Qt::MouseButton b, QPoint, QPoint) { endDrag(b); });
  }

  label1_ = new QLabel("0/0", this);
  label1_->setObjectName("Label1");
  label1_->setGeometry(14, 432, 101, 13);
  label1_->setFont(smallFont(true));
  label1_->setStyleSheet("color: yellow; background: transparent;");
  label1_->setAttribute(Qt::WA_TransparentForMouseEvents);

  rows_ = new PlaylistRows(this);
  listado_ = new QListView(this);
  listado_->setObjectName("Listado");
  listado_->setAccessibleName("Lista de Canciones");
  listado_->setGeometry(5, 34, 336, 399);
  listado_->setModel(rows_);
  listado_->setItemDelegate(new RowDelegate(listado_));
  listado_->setUniformItemSizes(true);
  listado_->setSelectionMode(QAbstractItemView::SingleSelection);
  listado_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  listado_->setFrameShape(QFrame::NoFrame);
  listado_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  listado_->setTextElideMode(Qt::ElideNone);
  listado_->setContextMenuPolicy(Qt::NoContextMenu);
  listado_->setFont(smallFont(false));
  QPalette pal = listado_->palette();
  pal.setColor(QPalette::Base, QColor(0, 0, 128));
  pal.setColor(QPalette::Text, Qt::white);
  pal.setColor(QPalette::Highlight, QColor(0, 120, 215));
  pal.setColor(QPalette::HighlightedText, Qt::white);
  listado_->setPalette(pal);
  listado_->installEventFilter(this);
  listado_->viewport()->installEventFilter(this);

  menuButton_ =
      new GlyphButton(this, "PL_B_menu", Picture::PlMenu, skin_.get(), SkinWindow::Playlist);
  menuButton_->setGeometry(5, 3, 18, 18);
  menuButton_->setToolTip("Menu");
  maxButton_ = new GlyphButton(this, "PL_B_Maximizar", Picture::PlMaximizar, skin_.get(),
                               SkinWindow::Playlist);
  maxButton_->setGeometry(311, 5, 14, 14);
  maxButton_->setToolTip("Maximizar");
  closeButton_ =
      new GlyphButton(this, "PL_B_Cerrar", Picture::PlCerrar, skin_.get(), SkinWindow::Playlist);
  closeButton_->setGeometry(327, 5, 16, 14);
  closeButton_->setToolTip("Cerrar");
  connect(closeButton_, &SkinnedWidget::clicked, this, &TPlaylist::PL_B_CerrarClick);
  for (GlyphButton* b : {menuButton_, maxButton_, closeButton_}) {
    connect(b, &SkinnedWidget::keyPressed, this, [this](int key, Qt::KeyboardModifiers) {
      if (keys_) keys_->DispatchKey(key);
    });
  }
}

void TPlaylist::setMainWindow(QWidget* mainWindow) {
  main_ = mainWindow;
  // A tool window of the main window: the program keeps the main window's task-bar entry only,
  // and the window manager keeps the two together.
  if (!mainWindow) return;
  mainWindow->winId();
  winId();
  if (QWindow* own = windowHandle()) own->setTransientParent(mainWindow->windowHandle());
}
void TPlaylist::setKeyDispatch(const KeyDispatch* dispatch) { keys_ = dispatch; }
void TPlaylist::setInfoWindow(QWidget* infoWindow) { info_ = infoWindow; }
void TPlaylist::setCdDialog(QWidget* cdDialog) { cd_ = cdDialog; }

// ---- Rows ----

void TPlaylist::appendRow(const std::string& text) { rows_->append(text); }
void TPlaylist::appendRows(const std::vector<std::string>& texts) { rows_->append(texts); }
void TPlaylist::appendRows(const std::vector<playlist::Text>& texts) { rows_->append(texts); }
void TPlaylist::setRowText(int row, const std::string& text) { rows_->setText(row, text); }
void TPlaylist::removeRow(int row) { rows_->remove(row); }
void TPlaylist::clearRows() { rows_->clear(); }
int TPlaylist::rowCount() const { return rows_->rowCount(); }

QString TPlaylist::rowText(int row) const {
  if (row < 0 || row >= rowCount()) return {};
  return QString::fromStdString(rows_->text(row));
}

void TPlaylist::selectRow(int row) {
  if (row < 0 || row >= rowCount()) {
    listado_->clearSelection();
    return;
  }
  QModelIndex index = rows_->index(row);
  listado_->setCurrentIndex(index);
  listado_->scrollTo(index);
}

int TPlaylist::selectedRow() const {
  const QModelIndexList selected = listado_->selectionModel()->selectedIndexes();
  int first = -1;
  for (const QModelIndex& i : selected) {
    if (first < 0 || i.row() < first) first = i.row();
  }
  return first;
}

// ---- Showing, hiding, start-up timer ----

void TPlaylist::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!player_.StartupDone && !encendedor_.isActive()) encendedor_.start();
}

void TPlaylist::EncendedorTimer() {
  encendedor_.stop();
  player_.StartupDone = 1;
  if (player_.AutoPlay) player_.PlaySelected();
}

void TPlaylist::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  // Minimising is not hiding: only a real hide remembers the place.
  if (!event->spontaneous()) rememberPosition();
}

void TPlaylist::closeEvent(QCloseEvent* event) {
  rememberPosition();
  // However the window is closed (its button or the window manager), it is no longer shown.
  player_.PlaylistVisible = 0;
  event->accept();
}

void TPlaylist::rememberPosition() {
  player_.PlaylistLeft = x();
  player_.PlaylistTop = y();
}

void TPlaylist::PL_B_CerrarClick() {
  close();
  player_.PlaylistVisible = 0;
}

// ---- Dragging and docking ----

void TPlaylist::PL_IaMouseDown(Qt::MouseButton button, QPoint globalPos) {
  if (button != Qt::LeftButton) return;
  dragging_ = true;
  dragOffset_ = globalPos - pos();
}

void TPlaylist::dragTo(QPoint globalPos) {
  if (dragging_) move(globalPos - dragOffset_);
}

void TPlaylist::endDrag(Qt::MouseButton button) {
  if (button != Qt::LeftButton || !dragging_) return;
  dragging_ = false;
  SnapPlaylistWindow();
}

void TPlaylist::SnapPlaylistWindow() {
  // Screen coordinates are taken relative to the screen the window is on, so the edge rules
  // hold on every monitor, not only on the one at the origin.
  QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  QRect area = s ? s->geometry() : QRect(0, 0, 1920, 1080);
  QPoint mainPos = main_ ? main_->pos() : QPoint(-100000, -100000);
  QSize face(kWidth, kHeight);
  PlaylistSnapResult r = snapPlaylist(
      x() - area.x(), y() - area.y(), face.width(), face.height(), mainPos.x() - area.x(),
      mainPos.y() - area.y(), WindowSnap::kMainWidth, WindowSnap::kMainHeight, area.width());
  player_.PlaylistDocked = r.docked ? 1 : 0;
  move(r.left + area.x(), r.top + area.y());
}

// ---- Now playing ----

void TPlaylist::ShowNowPlayingInfo() {
  const int index = player_.List.CurrentEntry;
  NowPlayingText t = nowPlayingText(player_.List.Entries[index]);
  if (main_) {
    if (auto* l = main_->findChild<QLabel*>("Tinfo2")) l->setText(t.formatLine);
    if (auto* l = main_->findChild<QLabel*>("Tinfo3")) l->setText(t.channelsLine);
  }
  trayCaption_ = t.trayCaption;
}

// ---- Handing files over ----

void TPlaylist::handOver(const QStringList& paths) {
  for (const QString& p : paths) pending_.push_back(p.toStdString());
  if (pending_.empty()) return;
  if (!busyCursor_) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    busyCursor_ = true;
  }
  if (!inHandOver_) handOverTimer_.start();
}

void TPlaylist::handOverNext() {
  inHandOver_ = true;
  QElapsedTimer clock;
  clock.start();
  // At least one file a turn; a list file or a message box may take longer, that is fine.
  do {
    std::string path = std::move(pending_.front());
    pending_.pop_front();
    player_.HandOverFile(path);
  } while (!pending_.empty() && clock.elapsed() < kHandOverSliceMs);
  inHandOver_ = false;
  if (!pending_.empty()) {
    handOverTimer_.start();
    return;
  }
  if (busyCursor_) {
    QApplication::restoreOverrideCursor();
    busyCursor_ = false;
  }
  emit handOverDone();
}

}  // namespace vemla::ui
