// The media-control service against hostile or odd requests, on a private session bus: clear
// errors, clamping, out-of-date requests ignored, nothing that crashes or stalls the window.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QCoreApplication>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QProcess>
#include <climits>
#include <cmath>
#include <limits>

#include "FakeAudio.h"
#include "core/Player.h"
#include "support/Fixtures.h"
#include "ui/MprisService.h"
#include "ui/ObservedView.h"
#include "ui/QtPlayerView.h"
#include "ui/TPlaylist.h"
#include "ui/TVemlaMain.h"

using namespace vemla;

namespace {

constexpr char kService[] = "org.mpris.MediaPlayer2.vemlaplayer";
constexpr char kPath[] = "/org/mpris/MediaPlayer2";
constexpr char kPlayer[] = "org.mpris.MediaPlayer2.Player";

class Mpris : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::haveTool("dbus-daemon")) GTEST_SKIP() << "needs dbus-daemon";
    bus_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(bus_.waitForStarted(60000));
    while (!bus_.canReadLine() && bus_.waitForReadyRead(60000)) {
    }
    const QString address = QString::fromLatin1(bus_.readLine()).trimmed();
    ASSERT_FALSE(address.isEmpty());
    service_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, "svc"));
    client_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, "cli"));
    ASSERT_TRUE(service_->isConnected() && client_->isConnected());

    player.SetDefaults((test::tempDir() / "VemlaPlayer").string());
    main = std::make_unique<ui::TVemlaMain>(player);
    playlist = std::make_unique<ui::TPlaylist>(player);
    main->setPlaylistWindow(playlist.get());
    view = std::make_unique<ui::QtPlayerView>(*main, playlist.get());
    mpris = std::make_unique<ui::MprisService>(*main, player, [this] { ++raised; });
    observed = std::make_unique<ui::ObservedView>(*view, [this] { mpris->scheduleCheck(); });
    player.SetView(observed.get());
    audio.lengthSeconds = 100;
    for (const char* name : {"m1.mp3", "m2.mp3", "m3.mp3"}) {
      player.AddFileEntry(test::writeFile(name, "x").string());
    }
    ASSERT_TRUE(mpris->start(*service_));
  }
  void TearDown() override {
    player.SetView(nullptr);
    mpris.reset();
    if (service_) QDBusConnection::disconnectFromBus("svc");
    if (client_) QDBusConnection::disconnectFromBus("cli");
    bus_.kill();
    bus_.waitForFinished(5000);
  }

  QDBusMessage call(const QString& method, const QVariantList& args = {}) {
    QDBusMessage m = QDBusMessage::createMethodCall(kService, kPath, kPlayer, method);
    m.setArguments(args);
    return client_->call(m, QDBus::BlockWithGui, 60000);
  }
  QVariant get(const QString& property) {
    QDBusMessage m = QDBusMessage::createMethodCall(kService, kPath,
                                                    "org.freedesktop.DBus.Properties", "Get");
    m.setArguments({QString(kPlayer), property});
    QDBusMessage r = client_->call(m, QDBus::BlockWithGui, 60000);
    if (r.type() != QDBusMessage::ReplyMessage) return {};
    return r.arguments().value(0).value<QDBusVariant>().variant();
  }
  QDBusMessage set(const QString& property, const QVariant& value) {
    QDBusMessage m = QDBusMessage::createMethodCall(kService, kPath,
                                                    "org.freedesktop.DBus.Properties", "Set");
    m.setArguments({QString(kPlayer), property, QVariant::fromValue(QDBusVariant(value))});
    return client_->call(m, QDBus::BlockWithGui, 60000);
  }

  QProcess bus_;
  std::unique_ptr<QDBusConnection> service_, client_;
  test::FakeAudio audio;
  core::Player player{audio};
  std::unique_ptr<ui::TVemlaMain> main;
  std::unique_ptr<ui::TPlaylist> playlist;
  std::unique_ptr<ui::QtPlayerView> view;
  std::unique_ptr<ui::MprisService> mpris;
  std::unique_ptr<ui::ObservedView> observed;
  int raised = 0;
};

TEST_F(Mpris, OpenUriRefusesWhatIsNotALocalPlayableFile) {
  const struct {
    QString uri;
    bool opens;
  } cases[] = {
      {QString(10 * 1024 * 1024, 'a'), false},
      {"file:///" + QString(10 * 1024 * 1024, 'b') + ".mp3", false},
      {"http://example.org/song.mp3", false},
      {"smb://server/share/song.mp3", false},
      {"file://otherhost/song.mp3", false},
      {"file://" + QString::fromStdString(test::writeFile("notes.txt", "x").string()), false},
      {"", false},
      {"file://" + QString::fromStdString(test::writeFile("sp ace é.mp3", "x").string())
                       .replace(" ", "%20").replace("é", "%C3%A9"), true},
  };
  for (const auto& c : cases) {
    const int before = player.List.EntryCount;
    QDBusMessage r = call("OpenUri", {c.uri});
    if (c.opens) {
      EXPECT_EQ(r.type(), QDBusMessage::ReplyMessage) << r.errorMessage().toStdString();
      ASSERT_EQ(player.List.EntryCount, before + 1);
      EXPECT_EQ(player.List.Entries[before + 1].Path.view(),
                (test::tempDir() / "sp ace é.mp3").string());
      EXPECT_EQ(get("PlaybackStatus").toString(), "Playing");
    } else {
      EXPECT_EQ(r.type(), QDBusMessage::ErrorMessage) << c.uri.left(60).toStdString();
      EXPECT_EQ(r.errorName(), "org.freedesktop.DBus.Error.InvalidArgs");
      EXPECT_EQ(player.List.EntryCount, before);
    }
  }
}

TEST_F(Mpris, SeekAndPositionAreClampedOrIgnored) {
  EXPECT_EQ(call("Play").type(), QDBusMessage::ReplyMessage);
  ASSERT_EQ(get("PlaybackStatus").toString(), "Playing");
  const QVariantMap meta = qdbus_cast<QVariantMap>(get("Metadata").value<QDBusArgument>());
  EXPECT_EQ(meta.value("mpris:trackid").value<QDBusObjectPath>().path(),
            "/org/vemlaplayer/track/1");
  EXPECT_EQ(meta.value("mpris:length").toLongLong(), 100000000);
  audio.positionSeconds = 50;

  // Far backwards: the start; no overflow at the edges of the range.
  call("Seek", {qlonglong{LLONG_MIN}});
  EXPECT_EQ(audio.lastSetPosition, 0);
  audio.lastSetPosition = -1;
  call("Seek", {qlonglong{-20000000}});
  EXPECT_EQ(audio.lastSetPosition, static_cast<int64_t>(30 * test::FakeAudio::kBytesPerSecond));

  // A stale track id or a place outside the track: nothing moves.
  audio.lastSetPosition = -1;
  call("SetPosition", {QVariant::fromValue(QDBusObjectPath("/org/vemlaplayer/track/2")),
                       qlonglong{10000000}});
  call("SetPosition", {QVariant::fromValue(QDBusObjectPath("/org/vemlaplayer/track/1")),
                       qlonglong{-1}});
  call("SetPosition", {QVariant::fromValue(QDBusObjectPath("/org/vemlaplayer/track/1")),
                       qlonglong{101000000}});
  EXPECT_EQ(audio.lastSetPosition, -1);
  call("SetPosition", {QVariant::fromValue(QDBusObjectPath("/org/vemlaplayer/track/1")),
                       qlonglong{10000000}});
  EXPECT_EQ(audio.lastSetPosition, static_cast<int64_t>(10 * test::FakeAudio::kBytesPerSecond));

  // Past the end: the next entry, as Next.
  call("Seek", {qlonglong{LLONG_MAX}});
  EXPECT_EQ(player.List.CurrentEntry, 2);
}

TEST_F(Mpris, VolumeIsClampedAndGoesThroughTheKnob) {
  const struct {
    double set;
    int knob;
    bool muted;
    double reads;
  } cases[] = {{0.4, 250, false, 0.4},
               {std::numeric_limits<double>::quiet_NaN(), 250, false, 0.4},
               {-5, 220, true, 0.0},
               {1e300, 295, false, 1.0},
               {std::numeric_limits<double>::infinity(), 295, false, 1.0}};
  for (const auto& c : cases) {
    set("Volume", c.set);
    EXPECT_EQ(player.VolumeKnobLeft, c.knob) << c.set;
    EXPECT_EQ(player.Muted != 0, c.muted) << c.set;
    EXPECT_DOUBLE_EQ(get("Volume").toDouble(), c.reads) << c.set;
  }
  set("LoopStatus", QString("Playlist"));
  EXPECT_EQ(player.RepeatMode, 1);
  set("LoopStatus", QString("Sideways"));
  EXPECT_EQ(player.RepeatMode, 1);
  EXPECT_EQ(get("LoopStatus").toString(), "Track");
  set("Shuffle", true);
  EXPECT_EQ(player.RandomMode, 1);
}

TEST_F(Mpris, AThousandRequestsInARowLeaveItAnswering) {
  QList<QDBusPendingCall> pending;
  for (int i = 0; i < 1000; ++i) {
    QDBusMessage m = QDBusMessage::createMethodCall(kService, kPath, kPlayer,
                                                    i % 2 ? "PlayPause" : "Next");
    pending << client_->asyncCall(m, 60000);
  }
  for (QDBusPendingCall& p : pending) {
    while (!p.isFinished()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(p.isError()) << p.error().message().toStdString();
  }
  EXPECT_TRUE(get("CanControl").toBool());
  EXPECT_GE(player.List.CurrentEntry, 1);
}

TEST_F(Mpris, WithoutABusNothingStarts) {
  ui::MprisService alone(*main, player, nullptr);
  QDBusConnection none = QDBusConnection::connectToBus("unix:path=/nonexistent/bus", "none");
  EXPECT_FALSE(alone.start(none));
  alone.scheduleCheck();  // harmless when not started
  QDBusConnection::disconnectFromBus("none");
}

}  // namespace
