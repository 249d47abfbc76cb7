// Every bad input a player can meet, one test each: what the player sees, what stderr says,
// the exit status and what is left in "Hi.wbh". A round is played headlessly with the real
// sound player behind it (SDL's dummy audio driver), so every sound file is really read.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <numeric>
#include <sstream>

#include "Design.h"
#include "Harness.h"
#include "Report.h"
#include "PosixSoundFiles.h"
#include "SdlAudio.h"

namespace kh::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The headless backend with real sound: SDL's audio playing the files of a folder.
struct AudibleBackend : HeadlessBackend {
  SdlAudio audio;
  PosixSoundFiles files;
  Platform audible{*this, *this, *this, audio, files};
  explicit AudibleBackend(const std::filesystem::path& sounds) : files({sounds}) {}
};

// A short, plain wave file: mono, 16 bits, 22050 Hz.
Bytes wave(int frames, int rate = 22050, int channels = 1) {
  Bytes b;
  auto u32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i))); };
  auto u16 = [&](std::uint16_t v) { b.push_back(std::uint8_t(v)), b.push_back(std::uint8_t(v >> 8)); };
  const auto data = std::uint32_t(frames * 2 * channels);
  b.insert(b.end(), {'R', 'I', 'F', 'F'});
  u32(36 + data);
  b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  u32(16), u16(1), u16(std::uint16_t(channels)), u32(std::uint32_t(rate)), u32(std::uint32_t(rate * 2 * channels));
  u16(std::uint16_t(2 * channels)), u16(16);
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  u32(data);
  for (int i = 0; i < frames * channels; ++i) u16(std::uint16_t(i % 64 * 100));
  return b;
}

void put(const std::filesystem::path& p, const Bytes& b) {
  std::filesystem::remove_all(p);
  std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

Bytes bytesOf(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int lines(const std::string& s) { return int(std::count(s.begin(), s.end(), '\n')); }

struct Played {
  int exit = 0;
  std::string prompt;  // the title's prompt two seconds after start
  std::string seen;    // the title window after the round: best score | result | rating
  std::string err;
  int cues = 0;
};

struct BadInput : ::testing::Test {
  std::filesystem::path dir = scratchDir();
  std::filesystem::path hi = dir / "Hi.wbh";

  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    for (const char* name : {"Schuss.wbs", "Treffer1.wbs", "Treffer2.wbs", "Leer.wbs"}) put(dir / name, wave(2205));
  }

  // A point of the lantern zone with the creature where `s` has it, seen as a shot sees it.
  static std::pair<float, float> lantern(const Form1::State& s) {
    Surface hs(400, 250, kWhite);
    hs.paint(pictures().get("WibbelPts"), float(s.scrollX + s.posX), float(s.posY), s.facing, Rop::SrcCopy);
    for (int y = 0; y < 245; ++y)
      for (int x = 0; x < 397; ++x)
        if (colourValue(hs.at(x, y)) == 255) return {float(x), float(y)};
    return {0, 0};
  }

  // Start-up, a key, a body hit, a lantern hit and a miss (each cue through the real player),
  // then the clock runs out a tick at a time; as the program would, an escaping error ends
  // it with one line and status 1.
  Played play(const std::function<void(AudibleBackend&, Game&)>& during = nullptr) {
    Played out;
    testing::internal::CaptureStderr();
    {
      AudibleBackend be(dir);
      App app(be.audible, be.options());
      Game game(app, pictures(), std::make_unique<HighScoreFile>(hi));
      try {
        game.splash.Show();
        app.run(2001000);
        out.prompt = game.splash.Label3.Caption();
        be.key(*game.splash.window(), ' ');
        app.run(be.clock);
        Form1& f1 = game.form1;
        auto& s = f1.state();
        auto click = [&](float x, float y) {
          be.mouse(InputEvent::Type::MouseDown, *f1.window(), x + 10, y + 34);
          be.mouse(InputEvent::Type::MouseUp, *f1.window(), x + 10, y + 34);
          app.run(be.clock);
        };
        if (f1.Visible()) {
          f1.Timer1.setEnabled(false);
          s.scrollX = -200, s.posX = 400, s.posY = 60, s.facing = 65, s.hitState = 0, s.respawn = false;
          click(230, 90);  // the chest
          s.hitState = 0;
          const auto [lx, ly] = lantern(s);
          click(lx, ly);
          click(5, 5);
          f1.Timer1.setEnabled(true);
        }
        if (during) during(be, game);
        for (int i = 0; i < 120 && app.running() && !game.splash.Visible(); ++i) {
          be.clock += 1000000;
          app.run(be.clock);
        }
        for (const auto& w : be.recorder.writes) out.cues += w.dispId == MMControl::kCommand && w.value == std::variant<std::string, bool>(std::string("Play"));
        if (game.splash.Loaded())
          out.seen = game.splash.Label1.Caption() + " | " + game.splash.Label3.Caption() + " | " + game.splash.Label5.Caption();
      } catch (const std::exception& e) {
        reportProblem(e.what());
        out.exit = 1;
      }
    }
    out.err = testing::internal::GetCapturedStderr();
    return out;
  }

  static constexpr const char* kResult65 = "Hiscore: 65 | Punkte: 65 | Status: Ladännche!";

  // The row every sound case shares: the round is played in full and only `file` stays silent.
  void silentSound(const std::string& file, const std::string& why) {
    const Played p = play();
    EXPECT_EQ(p.prompt, "Bitte Taste drücken");
    EXPECT_EQ(p.seen, kResult65);
    EXPECT_EQ(p.exit, 0);
    EXPECT_EQ(p.err, "knuffelhatz: sound \"" + file + "\" stays silent: " + why + "\n");
    EXPECT_EQ(bytesOf(hi), (Bytes{65, 0}));
  }
};

// ---- "Hi.wbh" ----

TEST_F(BadInput, ScoreFileMissing) {
  const Played p = play();
  EXPECT_EQ(p.seen, kResult65);
  EXPECT_EQ(p.err, "");
  EXPECT_EQ(p.exit, 0);
  EXPECT_EQ(p.cues, 4) << "the refill and three shots, all heard";
  EXPECT_EQ(bytesOf(hi), (Bytes{65, 0}));
}

TEST_F(BadInput, ScoreFileEmptyOneByteFfFfAndFiveBytes) {
  const std::pair<Bytes, Bytes> rows[] = {{{}, {65, 0}},
                                          {{42}, {65, 0}},
                                          {{0x7f}, {0x7f}},  // 127 is not beaten
                                          {{0xff, 0xff}, {65, 0}},
                                          {{0x14, 0x00, 0xaa, 0xbb, 0xcc}, {65, 0, 0xaa, 0xbb, 0xcc}}};
  for (const auto& [before, after] : rows) {
    put(hi, before);
    const Played p = play();
    EXPECT_EQ(p.err, "");
    EXPECT_EQ(p.exit, 0);
    EXPECT_EQ(p.seen, before == Bytes{0x7f} ? "Hiscore: 127 | Punkte: 65 | Status: Ladännche!" : kResult65);
    EXPECT_EQ(bytesOf(hi), after) << "from " << before.size() << " bytes";
  }
}

TEST_F(BadInput, ScoreFileADirectory) {
  std::filesystem::create_directory(hi);
  const Played p = play();
  EXPECT_EQ(p.seen, kResult65) << "kept in memory";
  EXPECT_EQ(p.exit, 0);
  EXPECT_EQ(p.err, "knuffelhatz: cannot read the best score in \"" + hi.string() + "\": it is a directory\n"
                   "knuffelhatz: cannot store the best score in \"" + hi.string() + "\": it is a directory\n")
      << "each trouble once, though the file is read again at the round's end";
  EXPECT_TRUE(std::filesystem::is_directory(hi));
}

// Runs `fn` in a child process (for what the test process itself must not change: its user,
// its mounts) and returns what it reported; 77 from the child means "cannot be set up here".
std::optional<std::string> inChild(const std::function<std::string()>& fn) {
  int fds[2];
  if (pipe(fds) != 0) return std::nullopt;
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    const std::string report = fn();
    (void)!write(fds[1], report.data(), report.size());
    _exit(0);
  }
  close(fds[1]);
  std::string report;
  char buf[512];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) report.append(buf, std::size_t(n));
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return report;
}

std::string summary(const Played& p, const std::filesystem::path& hi) {
  const Bytes b = bytesOf(hi);
  return p.seen + "\n" + std::to_string(p.exit) + "\n" + p.err + "bytes" +
         std::accumulate(b.begin(), b.end(), std::string(), [](std::string a, int v) { return a + " " + std::to_string(v); }) + "\n";
}

TEST_F(BadInput, ScoreFileUnreadable) {
  put(hi, {0x14, 0});
  std::filesystem::permissions(hi, std::filesystem::perms::none);
  // As root every file is readable: the child plays as nobody.
  const auto report = inChild([&] {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(77);
    const Played p = play();
    return p.seen + "\n" + std::to_string(p.exit) + "\n" + p.err;
  });
  if (!report) GTEST_SKIP() << "cannot play as another user here";
  std::filesystem::permissions(hi, std::filesystem::perms::owner_read);
  EXPECT_EQ(*report, std::string(kResult65) + "\n0\nknuffelhatz: cannot read the best score in \"" + hi.string() +
                         "\": Permission denied\nknuffelhatz: cannot store the best score in \"" + hi.string() +
                         "\": Permission denied\n");
  EXPECT_EQ(bytesOf(hi), (Bytes{0x14, 0}));
}

TEST_F(BadInput, ScoreFileOnAReadOnlyFilesystem) {
  // In a mount namespace of its own, the child plays on a read-only copy of the folder.
  const auto ro = dir / "ro";
  std::filesystem::create_directory(ro);
  const auto report = inChild([&] {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", ro.c_str(), "tmpfs", 0, nullptr) != 0)
      _exit(77);
    hi = ro / "Hi.wbh";
    put(hi, {0x14, 0});
    if (mount(nullptr, ro.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) _exit(77);
    return summary(play(), hi);
  });
  if (!report) GTEST_SKIP() << "no mount namespace here";
  EXPECT_EQ(*report, std::string(kResult65) + "\n0\nknuffelhatz: cannot store the best score in \"" +
                         (ro / "Hi.wbh").string() + "\": Read-only file system\nbytes 20 0\n");
}

TEST_F(BadInput, ScoreFileALinkToDevFull) {
  std::filesystem::create_symlink("/dev/full", hi);
  const Played p = play();
  EXPECT_EQ(p.seen, kResult65);
  EXPECT_EQ(p.exit, 0);
  EXPECT_EQ(p.err, "knuffelhatz: cannot read the best score in \"" + hi.string() + "\": it is a device, not a file\n"
                   "knuffelhatz: cannot store the best score in \"" + hi.string() + "\": it is a device, not a file\n");
}

TEST_F(BadInput, ScoreFileASparseGigabyte) {
  put(hi, {});
  std::filesystem::resize_file(hi, 1u << 30);
  const Played p = play();
  EXPECT_EQ(p.seen, kResult65) << "two zero bytes read as 0";
  EXPECT_EQ(p.err, "");
  EXPECT_EQ(std::filesystem::file_size(hi), 1u << 30);
  std::ifstream in(hi, std::ios::binary);
  char b[3] = {};
  in.read(b, 3);
  EXPECT_EQ(Bytes(b, b + 3), (Bytes{65, 0, 0}));
}

TEST_F(BadInput, ScoreFileAFifoOrASocketNeverBlocks) {
  for (const bool fifo : {true, false}) {
    std::filesystem::remove_all(hi);
    if (fifo) {
      ASSERT_EQ(mkfifo(hi.c_str(), 0600), 0);
    } else {
      const int s = socket(AF_UNIX, SOCK_STREAM, 0);
      sockaddr_un a{};
      a.sun_family = AF_UNIX;
      ASSERT_LT(hi.string().size(), sizeof a.sun_path);
      std::strcpy(a.sun_path, hi.c_str());
      ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
      close(s);
    }
    const Played p = play();
    EXPECT_EQ(p.prompt, "Bitte Taste drücken") << "the title came at once";
    EXPECT_EQ(p.seen, kResult65);
    const std::string what = fifo ? "it is a FIFO, not a file" : "it is a socket, not a file";
    EXPECT_EQ(p.err, "knuffelhatz: cannot read the best score in \"" + hi.string() + "\": " + what + "\n" +
                         "knuffelhatz: cannot store the best score in \"" + hi.string() + "\": " + what + "\n");
  }
}

TEST_F(BadInput, ScoreFileALinkToAMissingFileCreatesNothing) {
  const auto elsewhere = dir / "elsewhere" / "target";
  std::filesystem::create_directory(dir / "elsewhere");
  std::filesystem::create_symlink(elsewhere, hi);
  const Played p = play();
  EXPECT_EQ(p.seen, kResult65);
  EXPECT_EQ(p.exit, 0);
  EXPECT_FALSE(std::filesystem::exists(elsewhere)) << "nothing is written anywhere else";
  EXPECT_EQ(p.err, "knuffelhatz: cannot read the best score in \"" + hi.string() + "\": it is a link to a missing file\n"
                   "knuffelhatz: cannot store the best score in \"" + hi.string() + "\": it is a link to a missing file\n");
}

TEST_F(BadInput, ScoreFileWriteIsOneCallOldOrNewNeverAMix) {
  // A child stores two scores in turn as fast as it can; killed at random moments, it always
  // leaves one of them whole.
  for (int round = 0; round < 40; ++round) {
    put(hi, {0x11, 0x11, 0x77});
    const pid_t child = fork();
    if (child == 0) {
      BestScore f(std::make_unique<HighScoreFile>(hi));
      for (std::uint16_t v = 0;; ++v) f.write(std::int16_t(v % 2 ? 0x2222 : 0x1111));
    }
    usleep(useconds_t(200 + round * 97 % 1500));
    kill(child, round % 2 ? SIGTERM : SIGINT);
    int status = 0;
    waitpid(child, &status, 0);
    const Bytes b = bytesOf(hi);
    ASSERT_TRUE(b == (Bytes{0x11, 0x11, 0x77}) || b == (Bytes{0x22, 0x22, 0x77})) << "round " << round;
  }
}

TEST_F(BadInput, ScoreFileTwoCopiesEndingTogetherNeverLowerTheBest) {
  // Another copy is storing 740: it holds the file's lock, looks, and writes a while later.
  // This copy's 140, stored meanwhile, waits for it, and then sees it has nothing to store.
  put(hi, {});
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t other = fork();
  if (other == 0) {
    const int fd = open(hi.c_str(), O_RDWR);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    if (fd < 0 || fcntl(fd, F_SETLKW, &lock) != 0) _exit(2);
    (void)!write(ready[1], "x", 1);
    usleep(300000);
    unsigned char b[2] = {1, 1};
    const bool untouched = pread(fd, b, 2, 0) == 0;
    const unsigned char score[2] = {0xe4, 0x02};  // 740
    _exit(pwrite(fd, score, 2, 0) == 2 && untouched ? 0 : 1);
  }
  char x;
  ASSERT_EQ(read(ready[0], &x, 1), 1);
  close(ready[0]), close(ready[1]);
  BestScore mine(std::make_unique<HighScoreFile>(hi));
  EXPECT_TRUE(mine.write(140));
  int status = 0;
  waitpid(other, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the file changed while the other copy held it";
  EXPECT_EQ(bytesOf(hi), (Bytes{0xe4, 0x02}));
  EXPECT_TRUE(BestScore(std::make_unique<HighScoreFile>(hi)).write(140)) << "a lower score is no failure";
  EXPECT_EQ(bytesOf(hi), (Bytes{0xe4, 0x02}));
}

// ---- The sounds ----

TEST_F(BadInput, SoundMissing) {
  std::filesystem::remove(dir / "Treffer2.wbs");
  silentSound("Treffer2.wbs", "cannot open it: No such file or directory");
}

TEST_F(BadInput, SoundEmpty) {
  put(dir / "Leer.wbs", {});
  silentSound("Leer.wbs", "the file is empty");
}

TEST_F(BadInput, SoundRandomBytes) {
  Bytes junk(3000);
  for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = std::uint8_t(i * 2654435761u >> 13);
  put(dir / "Schuss.wbs", junk);
  silentSound("Schuss.wbs", "not wave audio: no RIFF/WAVE header");
}

TEST_F(BadInput, SoundTinyOrOddHeader) {
  Bytes odd = wave(100);
  odd[20] = 0x55;  // an unknown encoding
  put(dir / "Treffer1.wbs", odd);
  const Played p = play();
  EXPECT_EQ(p.seen, kResult65);
  EXPECT_EQ(lines(p.err), 1);
  EXPECT_NE(p.err.find("\"Treffer1.wbs\" stays silent: not playable wave audio"), std::string::npos) << p.err;
  put(dir / "Treffer1.wbs", Bytes(odd.begin(), odd.begin() + 16));
  silentSound("Treffer1.wbs", "not wave audio: no format chunk");
}

TEST_F(BadInput, SoundADirectoryMidRoundAtTheTitleOrAtStart) {
  for (const char* name : {"Treffer1.wbs", "Leer.wbs", "Schuss.wbs"}) {
    std::filesystem::remove(dir / name);
    std::filesystem::create_directory(dir / name);
    silentSound(name, "it is a directory");
    std::filesystem::remove(dir / name);
    put(dir / name, wave(2205));
  }
}

TEST_F(BadInput, SoundAnInputOutputError) {
  std::filesystem::remove(dir / "Treffer1.wbs");
  std::filesystem::create_symlink("/proc/self/mem", dir / "Treffer1.wbs");  // reading offset 0 fails
  silentSound("Treffer1.wbs", "cannot read it: Input/output error");
}

TEST_F(BadInput, SoundAnAbsurdHeaderOf1Hz) {
  for (const int frames : {2048, 7000, 600000}) {  // about 4 KB, 14 KB and 1.2 MB
    put(dir / "Treffer1.wbs", wave(frames, 1));
    std::ostringstream why;
    why << "it lasts " << std::setprecision(3) << double(frames) << " s, longer than 5 s";
    silentSound("Treffer1.wbs", why.str());
  }
}

TEST_F(BadInput, SoundOf300MegabytesIsNotRead) {
  put(dir / "Schuss.wbs", wave(1000));
  std::filesystem::resize_file(dir / "Schuss.wbs", 300u << 20);
  silentSound("Schuss.wbs", "it is larger than 16 MB");
}

TEST_F(BadInput, SoundAFifoNeverBlocks) {
  for (const char* name : {"Schuss.wbs", "Leer.wbs"}) {
    std::filesystem::remove(dir / name);
    ASSERT_EQ(mkfifo((dir / name).c_str(), 0600), 0);
    silentSound(name, "it is a FIFO, not a file");
    std::filesystem::remove(dir / name);
    put(dir / name, wave(2205));
  }
}

TEST_F(BadInput, SoundAHeaderWithoutSamples) {
  const Bytes whole = wave(2205);
  put(dir / "Leer.wbs", Bytes(whole.begin(), whole.begin() + 44));
  silentSound("Leer.wbs", "it holds no samples");
}

TEST_F(BadInput, NoAudioDevice) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  const Played p = play();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_EQ(p.seen, kResult65);
  EXPECT_EQ(p.exit, 0);
  EXPECT_EQ(lines(p.err), 1);
  EXPECT_EQ(p.err.rfind("knuffelhatz: no sound: ", 0), 0u) << p.err;
}

// ---- The player's hands ----

// Clicks nested in one another: each DoEvents gathers one click, and the shot it fires waits
// in a DoEvents of its own for the next. Start it from a DoEvents.
void nestClicks(HeadlessBackend& be, WindowId w, int& left, bool armed = true) {
  be.onPoll = [&be, w, &left, armed] {
    if (left <= 0) return;
    if (!armed) return nestClicks(be, w, left, be.queue.empty());
    --left;
    be.mouse(InputEvent::Type::MouseDown, w, 110, 40);
    nestClicks(be, w, left, false);
  };
}

TEST_F(BadInput, ABurstOfTenNestedClicksFiresFiveAndShowsNachladen) {
  std::vector<std::string> labels;
  const Played p = play([&](AudibleBackend& be, Game& g) {
    g.form1.shots = 5;
    g.form1.Label3.setCaption("Schuss: 5");
    g.form1.state().posX = 900;  // nothing to hit
    be.recorder.writes.clear();
    be.recorder.onWrite = [&](const MciWrite&) { labels.push_back(g.form1.Label3.Caption()); };
    int left = 10;
    nestClicks(be, *g.form1.window(), left);
    App& app = g.form1.app();
    app.DoEvents();
    app.run(be.clock);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(g.form1.Label3.Caption(), "Nachladen...");
    EXPECT_EQ(g.form1.shots, -1);
    int fired = 0;
    for (const auto& w : be.recorder.writes) fired += w == MciWrite{MMControl::kFileName, std::string("Schuss.wbs")};
    EXPECT_EQ(fired, 5);
    be.recorder.onWrite = nullptr;
  });
  for (const auto& l : labels) EXPECT_TRUE(l == "Nachladen..." || (l >= "Schuss: 1" && l <= "Schuss: 5")) << l;
  EXPECT_EQ(p.seen, kResult65);
  EXPECT_EQ(p.err, "");
}

TEST_F(BadInput, AThousandClicksInAThirdOfASecond) {
  int over = 0, fired = 0;
  const Played p = play([&](AudibleBackend& be, Game& g) {
    be.recorder.onWrite = [&](const MciWrite& w) {
      if (w == MciWrite{MMControl::kProperty25, true}) ++fired;
      if (w == MciWrite{MMControl::kFileName, std::string("Leer.wbs")}) fired = 0;
      over += fired > 5 || g.form1.Label3.Caption().starts_with("Schuss: -") || g.form1.Label3.Caption() == "Schuss: 0";
    };
    const WindowId w = *g.form1.window();
    int left = 0;
    for (int i = 0; i < 1000; ++i) {
      if (i % 3 == 0) be.clock += 1000;  // 1000 clicks within 333 ms
      be.mouse(InputEvent::Type::MouseDown, w, float(20 + i % 380), float(40 + i % 240));
      be.mouse(InputEvent::Type::MouseUp, w, float(20 + i % 380), float(40 + i % 240));
      if (i % 7 == 0) {
        left = 3;
        nestClicks(be, w, left);
        g.form1.app().DoEvents();
      }
      g.form1.app().run(be.clock);
    }
    be.onPoll = nullptr;
  });
  EXPECT_EQ(over, 0) << "never more than 5 shots a fill, never a count below 1";
  EXPECT_EQ(p.seen.rfind("Hiscore: ", 0), 0u) << p.seen;
  EXPECT_EQ(p.err, "");
  EXPECT_EQ(p.exit, 0);
}

TEST_F(BadInput, TwoThousandFourHundredKeysOnTheTitle) {
  HeadlessBackend be;
  App app(be.platform, be.options());
  Game g(app, pictures(), std::make_unique<HighScoreFile>(hi));
  g.splash.Show();
  int begun = 0;
  for (int i = 0; i < 2400; ++i) {
    if (g.splash.Loaded()) be.key(*g.splash.window(), i % 256);
    be.clock += 1000;  // 2.4 s of keys: before and after the prompt
    const bool was = g.form1.Visible();
    app.run(be.clock);
    begun += !was && g.form1.Visible();
  }
  EXPECT_EQ(begun, 1) << "one round starts, the first key after the prompt";
  EXPECT_TRUE(g.form1.Visible());
  EXPECT_EQ(g.form1.tme, 90);
  EXPECT_EQ(bytesOf(hi), Bytes{});
}

TEST_F(BadInput, ClosingEitherWindowEndsTheProgramCleanly) {
  for (const bool titleWindow : {true, false}) {
    put(hi, {0x14, 0});
    const Played p = play([&](AudibleBackend& be, Game& g) {
      if (titleWindow) {
        g.form1.punkte = 10;
        g.form1.tme = 1;
        for (int i = 0; i < 3 && !g.splash.Visible(); ++i) {
          be.clock += 1000000;
          g.form1.app().run(be.clock);
        }
        be.close(*g.splash.window());
      } else {
        be.close(*g.form1.window());
      }
      g.form1.app().run(be.clock);
      EXPECT_FALSE(g.form1.app().running());
      EXPECT_FALSE(g.form1.Loaded() || g.splash.Loaded()) << "no window lingers";
    });
    EXPECT_EQ(p.seen, "");
    EXPECT_EQ(p.err, "");
    EXPECT_EQ(p.exit, 0);
    EXPECT_EQ(bytesOf(hi), (Bytes{0x14, 0})) << "10 does not beat 20; a closed round stores nothing";
  }
}

}  // namespace
}  // namespace kh::test
