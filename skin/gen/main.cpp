// Draws every picture of the skin.
//   vemla_skingen <resource folder> <program skin folder> [<icon theme folder>]
// The resource folder receives <name>.raw and <name>@2x.raw for every picture, the playlist's
// outline picture and skin.qrc; the program folder receives the pictures loaded at run time;
// the icon theme folder, the program's icon as <n>x<n>/apps/vemlaplayer.png.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>

#include "Drawing.h"
#include "ui/RawPicture.h"

namespace {

using vemla::ui::Picture;
using vemla::ui::Skin;
using namespace skingen;

bool save(const QImage& image, const QString& path, const char* format = nullptr,
          int quality = -1) {
  if (image.save(path, format, quality)) return true;
  std::fprintf(stderr, "vemla_skingen: cannot write %s\n", qPrintable(path));
  return false;
}

// A picture compiled into the program (see ui/RawPicture.h).
bool saveRaw(const QImage& image, const QString& path) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
      f.write(vemla::ui::EncodeRawPicture(image)) >= 0 && f.flush())
    return true;
  std::fprintf(stderr, "vemla_skingen: cannot write %s\n", qPrintable(path));
  return false;
}

bool isFace(Picture id) {
  return id == Picture::MainBackground || id == Picture::PlaylistBackground ||
         id == Picture::MiniBackground;
}

// The playlist face is cut from a 349 x 500 picture: the face with its body carried on past
// the window's right and bottom edges, so the traced outline inside the window is the face's.
QImage playlistOutline(const QImage& face) {
  QImage out(349, 500, QImage::Format_ARGB32);
  out.fill(Qt::transparent);
  QPainter p(&out);
  p.drawImage(0, 0, face);
  p.end();
  const QRgb body = colour::kBodyBottom.rgb();
  const int fw = face.width();
  const int fh = face.height();
  for (int y = 0; y < fh; ++y) {
    if (qAlpha(face.pixel(fw - 1, y)) == 0) continue;
    for (int x = fw; x < out.width() - 1; ++x) out.setPixel(x, y, body);
  }
  for (int x = 0; x < out.width() - 1; ++x) {
    if (qAlpha(out.pixel(x, fh - 1)) == 0) continue;
    for (int y = fh; y < out.height() - 1; ++y) out.setPixel(x, y, body);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr,
                 "usage: vemla_skingen <resource folder> <program skin folder> [<icon folder>]\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  const QDir res(QString::fromLocal8Bit(argv[1]));
  const QDir run(QString::fromLocal8Bit(argv[2]));
  if (!QDir().mkpath(res.path()) || !QDir().mkpath(run.path())) {
    std::fprintf(stderr, "vemla_skingen: cannot create the output folders\n");
    return 1;
  }

  bool ok = true;
  QStringList files;
  for (int i = 0; i < static_cast<int>(Picture::Count); ++i) {
    const auto id = static_cast<Picture>(i);
    const QSize size = Skin::size(id);
    const DrawFn draw = [id](QPainter& p) {
      if (isFace(id)) {
        drawFace(id, p);
      } else {
        drawGlyph(id, p);
      }
    };
    QImage one = render(size, 1, draw);
    QImage two = render(size, 2, draw);
    if (isFace(id)) hardenShape(one, two);
    if (id == Picture::MiniBackground) {
      one = onBackground(one, QColor(255, 0, 0));
      two = onBackground(two, QColor(255, 0, 0));
    }
    if (id == Picture::PlaylistBackground) {
      ok &= saveRaw(playlistOutline(one), res.filePath("playlist_outline.raw"));
      files << "playlist_outline.raw";
    }
    const QString name = QString::fromLatin1(Skin::resourceName(id));
    ok &= saveRaw(one, res.filePath(name + ".raw"));
    ok &= saveRaw(two, res.filePath(name + "@2x.raw"));
    files << name + ".raw" << name + "@2x.raw";
  }

  // The program's icon compiled in for the notification area, at the sizes trays ask for.
  for (int size : {16, 22, 24, 32, 48, 64, 128}) {
    const QString name = QStringLiteral("tray_%1.raw").arg(size);
    ok &= saveRaw(appIcon(size), res.filePath(name));
    files << name;
  }

  // Glyph files read at run time: bitmaps keyed on their top-left colour.
  const std::pair<Picture, const char*> runtime[] = {{Picture::Silencio, "b_silencio"},
                                                     {Picture::Silencio2, "b_silencio2"},
                                                     {Picture::Reproducir, "b_play"},
                                                     {Picture::Pausa, "b_pausa"}};
  for (const auto& [id, name] : runtime) {
    const auto draw = [id = id](QPainter& p) { drawGlyph(id, p); };
    const QImage one = onBackground(render(Skin::size(id), 1, draw), colour::kKey)
                           .convertToFormat(QImage::Format_RGB32);
    const QImage two = onBackground(render(Skin::size(id), 2, draw), colour::kKey)
                           .convertToFormat(QImage::Format_RGB32);
    ok &= save(one, run.filePath(QString::fromLatin1(name) + ".bmp"), "BMP");
    ok &= save(two, run.filePath(QString::fromLatin1(name) + "@2x.bmp"), "BMP");
  }
  ok &= save(noImage().convertToFormat(QImage::Format_RGB32), run.filePath("noimagen.jpg"), "JPG",
             90);
  // The information window's picture until it first loads one.
  ok &= saveRaw(noImage(), res.filePath("noimagen.raw"));
  files << "noimagen.raw";

  if (argc == 4) {
    const QDir icons(QString::fromLocal8Bit(argv[3]));
    for (int px : {16, 22, 24, 32, 48, 64, 128, 256}) {
      const QString dir = QString("%1x%1/apps").arg(px);
      ok &= QDir().mkpath(icons.filePath(dir)) &&
            save(appIcon(px), icons.filePath(dir + "/vemlaplayer.png"));
    }
  }

  QFile qrc(res.filePath("skin.qrc"));
  if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 1;
  QTextStream out(&qrc);
  out << "<RCC>\n  <qresource prefix=\"/skin\">\n";
  for (const QString& f : files) out << "    <file>" << f << "</file>\n";
  out << "  </qresource>\n</RCC>\n";
  return ok ? 0 : 1;
}
