#include "ui/TInfo.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResource>
#include <QScreen>
#include <QShowEvent>

#include "core/Player.h"
#include "core/TagSave.h"
#include "ui/InfoPicture.h"
#include "ui/RawPicture.h"

namespace vemla::ui {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QGroupBox* group(QWidget* parent, const char* name, const QString& caption, QRect place) {
  auto* box = new QGroupBox(caption, parent);
  box->setObjectName(name);
  box->setGeometry(place);
  return box;
}

QLabel* label(QWidget* parent, const QString& text, QRect place,
              Qt::Alignment align = Qt::AlignLeft) {
  auto* l = new QLabel(text, parent);
  l->setGeometry(place);
  l->setAlignment(align | Qt::AlignVCenter);
  return l;
}

QLabel* figure(QWidget* parent, const char* name, const QString& text, int top) {
  QLabel* l = label(parent, text, {8, top, 245, 15});
  l->setObjectName(name);
  l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return l;
}

// An edit with its caption on the left; the caption is the edit's accessible name.
QLineEdit* edit(QWidget* parent, const char* name, const QString& caption, QRect place,
                int captionLeft) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setGeometry(place);
  QLabel* l = label(parent, caption, {captionLeft, place.y(), place.x() - captionLeft - 3, 21},
                    Qt::AlignRight);
  l->setBuddy(e);
  QString spoken = caption;
  spoken.chop(1);  // without the colon
  e->setAccessibleName(spoken);
  return e;
}

}  // namespace

TInfo::TInfo(core::Player& player, QWidget* parent) : QDialog(parent), player_(player) {
  setObjectName("Info");
  setWindowTitle("Informacion");
  setModal(false);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(547, 379);
  // 8 points at 96 dpi, in a face with the metrics the fixed places were laid out for.
  QFont f = font();
  f.setFamilies({"Liberation Sans", "Arial", "Nimbus Sans", "Helvetica", "DejaVu Sans"});
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(11);
  f.setBold(false);  // set, not inherited, so the bold group captions do not pass it on
  setFont(f);
  pictures_.setMaxThreadCount(1);

  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
}

TInfo::~TInfo() { pictures_.waitForDone(); }

void TInfo::setVisible(bool visible) {
  if (visible) BuildControls();
  QDialog::setVisible(visible);
}

// Laying out the controls loads two fonts, which start-up has no need of: they are made when
// the window is first shown.
void TInfo::BuildControls() {
  if (imagen_) return;
  const QFont f = font();
  QGroupBox* picture = group(this, "GroupBox1", "Imagen", {0, 0, 261, 215});
  imagen_ = new QLabel(picture);
  imagen_->setObjectName("Imagen");
  imagen_->setGeometry(6, 17, 249, 192);
  imagen_->setScaledContents(true);
  imagen_->setAccessibleName("Imagen");
  imagen_->setPixmap(
      QPixmap::fromImage(DecodeRawPicture(QResource(":/skin/noimagen.raw").uncompressedData())));

  QGroupBox* about = group(this, "GroupBox2", QString::fromUtf8("Descripción"), {262, 0, 285, 379});
  about->setAlignment(Qt::AlignRight);
  npista_ = edit(about, "npista", QString::fromUtf8("Nº de Pista:"), {80, 12 + 8, 63, 21}, 4);
  fecha_ = edit(about, "fecha", QString::fromUtf8("Año:"), {196, 12 + 8, 55, 21}, 146);
  titulo_ = edit(about, "titulo", QString::fromUtf8("Tú\u2018ulo:"), {50, 36 + 8, 229, 21}, 2);
  titulo_->setAccessibleName(QString::fromUtf8("Título"));
  artista_ = edit(about, "artista", "Artista:", {50, 60 + 8, 229, 21}, 2);
  autor_ = edit(about, "autor", "Autor:", {50, 84 + 8, 229, 21}, 2);
  album_ = edit(about, "album", "Album:", {50, 108 + 8, 229, 21}, 2);
  edit2_ = edit(about, "Edit2", QString::fromUtf8("Género:"), {50, 132 + 8, 229, 21}, 2);
  QLabel* comment = label(about, "Comentario:", {4, 158, 120, 15});
  memo1_ = new QPlainTextEdit(about);
  memo1_->setObjectName("Memo1");
  memo1_->setGeometry(4, 174, 277, 175);
  memo1_->setAccessibleName("Comentario");
  memo1_->setTabChangesFocus(true);
  comment->setBuddy(memo1_);
  auto* salir = new QPushButton("Salir", about);
  salir->setObjectName("Button2");
  salir->setGeometry(18, 352, 63, 23);
  salir->setDefault(true);
  salir->setAutoDefault(true);
  auto* salvar = new QPushButton(QString::fromUtf8("Salvar Nueva Información"), about);
  salvar->setObjectName("Button1");
  salvar->setGeometry(132, 352, 147, 23);
  salvar->setAutoDefault(false);
  connect(salir, &QPushButton::clicked, this, &TInfo::Button2Click);
  connect(salvar, &QPushButton::clicked, this, &TInfo::Button1Click);

  QGroupBox* track =
      group(this, "GroupBox3", QString::fromUtf8("Información de Pista"), {0, 216, 261, 163});
  ttam_ = figure(track, "Ttam", QString::fromUtf8("Tamaño: 0 bytes"), 18);
  tlong_ = figure(track, "Tlong", "Longitud: 0 segundos", 34);
  ttipo_ = figure(track, "Ttipo", "Tipo de Archivo: MP3", 50);
  tkbps_ = figure(track, "Tkbps", "0 Kbps", 66);
  thz_ = figure(track, "THz", "44100 Hz", 82);
  tfreq_ = figure(track, "TFreq", "Estereo - 32bits", 98);
  tip_ = figure(track, "TIp", "IP: 0.0.0.0:8080", 114);
  QLabel* where = label(track, QString::fromUtf8("Dirección:"), {4, 140, 56, 21});
  where->setObjectName("Tdireccion");
  edit1_ = new QLineEdit(track);
  edit1_->setObjectName("Edit1");
  edit1_->setGeometry(62, 140, 195, 21);
  edit1_->setReadOnly(true);
  edit1_->setAccessibleName(QString::fromUtf8("Dirección"));
  where->setBuddy(edit1_);

  // Only the captions are bold; the controls inside keep the window's font.
  QFont bold = f;
  bold.setBold(true);
  for (QGroupBox* box : findChildren<QGroupBox*>()) {
    box->setFont(bold);
    for (QWidget* inside : box->findChildren<QWidget*>()) inside->setFont(f);
  }
}

void TInfo::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // A window-system show (un-minimising) is no new showing.
  if (!event->spontaneous()) FormShow();
}

void TInfo::FormShow() {
  BuildControls();
  const int sel = player_.SelectedEntry();
  if (sel == -2) return;
  if (sel == -1) {
    infoEntry_ = player_.List.CurrentEntry;
  } else {
    infoEntry_ = sel;
    if (sel != player_.List.CurrentEntry) {
      player_.ReadEntryInfo(player_.List.Entries[sel].Path.str(), sel);
    }
    fillFrom(sel);
  }
  showPicture(infoEntry_);
}

void TInfo::fillFrom(int index) {
  const playlist::Tcancion& e = player_.List.Entries[index];
  ttam_->setText(QString::fromUtf8("Tamaño: %1 bytes").arg(e.SizeBytes));
  tlong_->setText(QString("Longitud: %1 segundos").arg(e.LengthSeconds));
  ttipo_->setText("Tipo de Archivo: " + Q(e.FormatName));
  tkbps_->setText(QString("%1 Kbps").arg(e.BitRate));
  thz_->setText(QString("%1 Hz").arg(e.SampleRate));
  tfreq_->setText(
      QString("%1 - %2bits").arg(e.Channels <= 1 ? "Mono" : "Estereo").arg(e.BitsPerSample));
  tip_->setText("IP: " + Q(e.StreamHost) + ":" + QString::number(e.StreamPort));
  edit1_->setText(Q(e.Path));
  npista_->setText(QString::number(e.TrackNumber));
  titulo_->setText(Q(e.Title));
  artista_->setText(Q(e.Artist));
  autor_->setText(Q(e.Author));
  album_->setText(Q(e.Album));
  edit2_->setText(Q(e.Genre));
  memo1_->setPlainText(Q(e.Comment).replace("\r\n", "\n"));
  fecha_->setText(Q(e.Year));
}

void TInfo::showPicture(int index) {
  if (index < 1 || index > player_.List.EntryCount) return;
  InfoPictureContext context;
  context.ProgramDir = player_.ProgramDir;
  context.NoSave = player_.NoSave != 0;
  context.Target = imagen_->size() * imagen_->devicePixelRatioF();
  const unsigned search = ++pictureWanted_;
  // The worker gets its own copy of the entry: the list may change while it reads.
  pictures_.start([this, context, entry = player_.List.Entries[index], search] {
    QImage image = LoadInfoPicture(context, entry);
    // Queued to this window's thread; dropped with the window should it be gone by then.
    QMetaObject::invokeMethod(
        this,
        [this, image = std::move(image), search]() mutable {
          if (search != pictureWanted_) return;  // a later showing asked again
          pictureDone_ = search;
          if (!image.isNull()) imagen_->setPixmap(QPixmap::fromImage(std::move(image)));
        },
        Qt::QueuedConnection);
  });
}

void TInfo::Button1Click() {
  BuildControls();
  if (infoEntry_ < 1 || infoEntry_ > player_.List.EntryCount) return;
  core::EditedTags edited;
  edited.TrackText = npista_->text().toStdString();
  edited.Title = titulo_->text().toStdString();
  edited.Artist = artista_->text().toStdString();
  edited.Album = album_->text().toStdString();
  edited.Year = fecha_->text().toStdString();
  edited.Genre = edit2_->text().toStdString();
  edited.Comment = memo1_->toPlainText().replace("\n", "\r\n").toStdString();
  const playlist::Tcancion& entry = player_.List.Entries[infoEntry_];
  int version = 0;
  switch (core::SaveEntryTags(entry, infoEntry_ == player_.List.CurrentEntry, edited, &version)) {
    case core::TagSaveResult::BadTrackNumber:
      // A conversion error, shown as the runtime shows its errors.
      tell(Q(core::BadTrackNumberMessage(edited.TrackText)), QMessageBox::Critical);
      break;
    case core::TagSaveResult::OtherVersion:
      tell(Q(core::OtherVersionMessage(version)), QMessageBox::Information);
      break;
    default:
      break;
  }
}

void TInfo::tell(const QString& text, QMessageBox::Icon icon) {
  // Not waited for: the window stays responsive and tests can read the box.
  auto* box = new QMessageBox(icon, "VemlaPlayer", text, QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

}  // namespace vemla::ui
