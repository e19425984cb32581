#include "ui/TVemlaCDAudio.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include "core/Player.h"

namespace vemla::ui {

namespace {

QLabel* titleLabel(const QString& text, QWidget* parent, int x, int y) {
  auto* label = new QLabel(text, parent);
  QFont f = label->font();
  f.setBold(true);
  label->setFont(f);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
  label->setPalette(pal);
  label->adjustSize();
  label->move(x, y);
  return label;
}

QPushButton* button(const char* name, const QString& text, QWidget* parent, QRect place) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(name);
  b->setGeometry(place);
  b->setAutoDefault(false);
  return b;
}

}  // namespace

TVemlaCDAudio::TVemlaCDAudio(core::Player& player, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), player_(player) {
  setObjectName("VemlaCDAudio");
  setWindowTitle("Carga de CD-Audio");
  QFont f("Sans Serif");
  f.setStyleHint(QFont::SansSerif);
  f.setPointSize(8);
  setFont(f);
  setFixedSize(391, 343);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void TVemlaCDAudio::setVisible(bool visible) {
  if (visible) BuildControls();
  QDialog::setVisible(visible);
}

// Made when the dialog is first shown: laying them out loads fonts start-up has no need of.
void TVemlaCDAudio::BuildControls() {
  if (pistas_) return;
  const QFont f = font();
  auto* group = new QGroupBox("Cargar Pista CD-Audio", this);
  group->setObjectName("GroupBox1");
  QFont bold = group->font();
  bold.setBold(true);
  group->setFont(bold);
  group->setGeometry(0, 0, 393, 343);
  // The group's title is bold; what it holds is not.
  auto* inside = new QWidget(group);
  inside->setGeometry(0, 0, 393, 343);
  QFont plain = f;
  plain.setBold(false);
  inside->setFont(plain);

  auto* frame = new QFrame(inside);
  frame->setObjectName("Bevel1");
  frame->setFrameShape(QFrame::Box);
  frame->setFrameShadow(QFrame::Sunken);
  frame->setGeometry(10, 44, 379, 259);

  QLabel* device = titleLabel("Dispositivo:", inside, 10, 20);
  unidades_ = new QComboBox(inside);
  unidades_->setObjectName("Unidades");
  unidades_->setEditable(false);
  unidades_->setGeometry(84, 17, 205, unidades_->sizeHint().height());
  unidades_->setAccessibleName("Dispositivo:");
  device->setBuddy(unidades_);
  connect(unidades_, QOverload<int>::of(&QComboBox::activated), this,
          &TVemlaCDAudio::UnidadesChange);
  connect(button("BitBtn6", "Refrescar", inside, {316, 17, 65, 21}), &QPushButton::clicked, this,
          &TVemlaCDAudio::BitBtn6Click);

  QLabel* tracks = titleLabel("Pistas:", inside, 16, 46);
  pistas_ = new QListWidget(inside);
  pistas_->setObjectName("CDPistas");
  pistas_->setGeometry(14, 60, 305, 209);
  pistas_->setAccessibleName("Pistas:");
  tracks->setBuddy(pistas_);
  frame->lower();

  connect(button("BitBtn1", "Todas", inside, {324, 94, 61, 21}), &QPushButton::clicked, this,
          &TVemlaCDAudio::BitBtn1Click);
  connect(button("BitBtn2", "Ninguna", inside, {324, 138, 61, 21}), &QPushButton::clicked, this,
          &TVemlaCDAudio::BitBtn2Click);
  connect(button("BitBtn3", "Invertir", inside, {324, 182, 61, 21}), &QPushButton::clicked, this,
          &TVemlaCDAudio::BitBtn3Click);

  QLabel* title = titleLabel(QString::fromUtf8("Título de CD:"), inside, 14, 282);
  titulo_ = new QLineEdit("CD-A", inside);
  titulo_->setObjectName("Titulo");
  titulo_->setGeometry(108, 278, 275, titulo_->sizeHint().height());
  titulo_->setAccessibleName(QString::fromUtf8("Título de CD:"));
  title->setBuddy(titulo_);

  aceptar_ = button("BitBtn4", "Aceptar", inside, {20, 312, 81, 23});
  connect(aceptar_, &QPushButton::clicked, this, &TVemlaCDAudio::BitBtn4Click);
  QPushButton* cancelar = button("BitBtn5", "Cancelar", inside, {286, 312, 81, 23});
  cancelar->setDefault(true);
  connect(cancelar, &QPushButton::clicked, this, &TVemlaCDAudio::BitBtn5Click);
}

TVemlaCDAudio::~TVemlaCDAudio() {
  if (worker_.joinable()) worker_.join();
}

void TVemlaCDAudio::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TVemlaCDAudio::FormShow() { requestFill({true, cdDialogDrive_}); }

void TVemlaCDAudio::UnidadesChange(int row) {
  if (row < 0) return;
  cdDialogDrive_ = row;
  requestFill({false, row});
}

void TVemlaCDAudio::BitBtn6Click() { requestFill({false, cdDialogDrive_}); }

void TVemlaCDAudio::requestFill(Request request) {
  if (pending_ && pending_->withDrives) request.withDrives = true;
  pending_ = request;
  pistas_->clear();
  if (request.withDrives) {
    unidades_->clear();
    aceptar_->setEnabled(false);
  }
  setBusy(true);
  if (!running_) launch();
}

void TVemlaCDAudio::launch() {
  const Request request = *pending_;
  pending_.reset();
  if (worker_.joinable()) worker_.join();  // the previous one has finished: it posted its result
  running_ = true;
  audio::AudioLib& audio = player_.Audio();
  worker_ = std::thread([this, request, &audio] {
    CdListing listing = ReadCdListing(audio, request.withDrives, request.drive);
    QMetaObject::invokeMethod(
        this, [this, request, listing = std::move(listing)] { finishFill(request, listing); },
        Qt::QueuedConnection);
  });
}

void TVemlaCDAudio::finishFill(Request request, CdListing listing) {
  running_ = false;
  if (pending_) {
    // A newer request came meanwhile: this listing is out of date.
    if (request.withDrives) pending_->withDrives = true;
    launch();
    return;
  }
  if (request.withDrives) {
    const QSignalBlocker block(unidades_);
    unidades_->clear();
    for (const std::string& row : listing.drives) unidades_->addItem(QString::fromStdString(row));
    if (listing.drives.empty()) {
      aceptar_->setEnabled(false);
      listing.tracks.clear();
    } else {
      aceptar_->setEnabled(true);
      unidades_->setCurrentIndex(listing.drive);
      cdDialogDrive_ = listing.drive;
    }
  }
  pistas_->clear();
  for (const std::string& row : listing.tracks) {
    auto* item = new QListWidgetItem(QString::fromStdString(row), pistas_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  setBusy(false);
  emit filled();
}

void TVemlaCDAudio::setBusy(bool busy) {
  if (busy) {
    setCursor(Qt::BusyCursor);
  } else {
    unsetCursor();
  }
}

void TVemlaCDAudio::BitBtn1Click() {
  for (int r = 0; r < pistas_->count(); ++r) pistas_->item(r)->setCheckState(Qt::Checked);
}

void TVemlaCDAudio::BitBtn2Click() {
  for (int r = 0; r < pistas_->count(); ++r) pistas_->item(r)->setCheckState(Qt::Unchecked);
}

void TVemlaCDAudio::BitBtn3Click() {
  for (int r = 0; r < pistas_->count(); ++r) {
    QListWidgetItem* item = pistas_->item(r);
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
  }
}

void TVemlaCDAudio::BitBtn4Click() {
  std::vector<int> ticked;
  for (int r = 0; r < pistas_->count(); ++r) {
    if (pistas_->item(r)->checkState() == Qt::Checked) ticked.push_back(r);
  }
  if (ticked.empty()) return;
  // Each add opens the track on the drive.
  QGuiApplication::setOverrideCursor(Qt::BusyCursor);
  const std::string title = titulo_->text().toStdString();
  for (int r : ticked) {
    player_.AddCdTrackEntry(cdDialogDrive_, r, "CDA - " + title + " - " + std::to_string(r + 1));
  }
  QGuiApplication::restoreOverrideCursor();
  hide();
}

void TVemlaCDAudio::BitBtn5Click() { hide(); }

}  // namespace vemla::ui
