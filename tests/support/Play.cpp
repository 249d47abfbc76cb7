#include "Play.h"

#include <cmath>
#include <deque>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <sstream>

#include "App.h"
#include "Catalogue.h"
#include "Design.h"
#include "Game.h"
#include "HeadlessBackend.h"
#include "TestPlatform.h"

namespace kh::play {

namespace {

const Catalogue& pictures() {
  static const Catalogue c;
  return c;
}

using WatchedBackend = HeadlessBackend;

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What the game reads from the file: none 0, one byte the low byte, else the first two.
std::int16_t decode(const std::vector<std::uint8_t>& b) {
  if (b.empty()) return 0;
  if (b.size() == 1) return b[0];
  return std::int16_t(std::uint16_t(b[0] | (b[1] << 8)));
}

}  // namespace

struct Player::Impl {
  std::filesystem::path file;
  std::optional<std::vector<std::uint8_t>> initial;
  // A display refreshing at 60 Hz, as real ones do: frames are held and drawn later as in play.
  WatchedBackend be{16'667};
  App app{be.platform, be.options()};
  Game game;
  Form1& f1 = game.form1;
  frmSplash& splash = game.splash;

  Stats stats;
  int titleLoads = 0;
  int bodyCues = 0, lanternCues = 0, shotsThisFill = 0;
  std::optional<std::int16_t> endPunkte;  // the result shown for the last round
  std::string endLabel3, endLabel5;
  std::set<std::int16_t> results;         // every result the title window has shown
  std::deque<std::string> trace;
  std::string failure;
  bool closes = true;

  Impl(const std::filesystem::path& dir, std::optional<std::vector<std::uint8_t>> start)
      : file(dir / "Hi.wbh"), initial(std::move(start)), game(app, pictures(), test::scoreFile(file)) {
    be.onCreate = [this](const WindowOptions& o) {
      if (o.titleBar) return;
      if (++titleLoads == 1) return;  // the start-up
      ++stats.roundsEnded;
      endPunkte.reset();
      if (stats.roundsEnded != stats.roundsBegun) fail("the title came back without a round to end");
    };
    be.onShow = [this](WindowId id, bool shown) {
      if (!shown || f1.window() != id) return;
      if (stats.roundsBegun != stats.roundsEnded) fail("a round began while the last one had not ended");
      ++stats.roundsBegun;
      bodyCues = lanternCues = shotsThisFill = 0;
      if (f1.tme != 90 || f1.shots != 5 || f1.punkte != 0) fail("a round began with tme/shots/punkte not 90/5/0");
    };
    be.recorder.onWrite = [this](const MciWrite& w) {
      if (w.dispId == MMControl::kProperty25 && w.value == std::variant<std::string, bool>(true)) {
        if (++shotsThisFill > 5) fail("more than 5 shots from one fill of the magazine");
      }
      if (w.dispId != MMControl::kFileName) return;
      const auto& name = std::get<std::string>(w.value);
      if (name == "Treffer1.wbs") ++bodyCues;
      if (name == "Treffer2.wbs") ++lanternCues;
      if (name == "Leer.wbs") shotsThisFill = 0;
      // A hit's score is raised before its sound starts.
      if (f1.punkte != 20 * f1.wibbels + 45 * f1.laternen) fail("at a cue the score is not 20 x body + 45 x lantern hits");
    };
  }

  void fail(const std::string& what) {
    if (!failure.empty()) return;
    std::ostringstream out;
    out << what << " (at " << be.clock / 1000 << " ms, step " << stats.steps << ", round " << stats.roundsBegun
        << "; punkte " << f1.punkte << ", wibbels " << f1.wibbels << ", laternen " << f1.laternen << ", tme "
        << f1.tme << ", shots " << (f1.shots ? std::to_string(*f1.shots) : "Empty") << ", scrollX "
        << f1.state().scrollX << ")\n  last steps:";
    for (const auto& t : trace) out << "\n    " << t;
    failure = out.str();
  }

  void note(std::string what) {
    trace.push_back(std::to_string(be.clock / 1000) + " ms: " + std::move(what));
    if (trace.size() > 40) trace.pop_front();
  }

  std::optional<WindowId> playWindow() const { return f1.Visible() ? f1.window() : std::nullopt; }

  void click(WindowId w, float x, float y, int button) {
    be.mouse(InputEvent::Type::MouseDown, w, x, y, button);
    be.mouse(InputEvent::Type::MouseUp, w, x, y, button);
  }

  // Clicks that arrive while the game is inside a DoEvents, each one nested one level deeper.
  void nestClicks(WindowId w, float x, float y, int depth) {
    be.onPoll = [this, w, x, y, depth] {
      if (!f1.window()) return;
      click(w, x, y, 1);
      if (depth > 0) nestClicks(w, x + 1, y, depth - 1);
    };
  }

  void runFor(Micros us, Micros& budget) {
    us = std::max<Micros>(0, std::min(us, budget));
    budget -= us;
    app.run(be.clock + us);
  }

  void act(Script& s, Micros& budget) {
    const int op = s.byte() % 16;
    const auto play = playWindow();
    const auto title = splash.window();
    const WindowId target = play ? *play : title.value_or(0);
    switch (op) {
      case 0: case 1: case 2: case 3: {  // the pointer moves, over the window, its margins or beside it
        const float x = float(s.word() % 460) - 20, y = float(s.word() % 380) - 30;
        be.mouse(InputEvent::Type::MouseMove, target, x, y, 0);
        note("move " + std::to_string(int(x)) + "," + std::to_string(int(y)));
        break;
      }
      case 4: case 5: {  // a click anywhere on the window
        const float x = float(s.word() % 425), y = float(s.word() % 325);
        const int button = 1 << (s.byte() % 3);
        click(target, x, y, button);
        note("click " + std::to_string(int(x)) + "," + std::to_string(int(y)) + " button " + std::to_string(button));
        break;
      }
      case 6: {  // clicks nested inside whatever DoEvents comes next
        const float x = float(s.word() % 397) + 10, y = float(s.word() % 245) + 34;
        const int depth = s.byte() % 12;
        if (play) nestClicks(*play, x, y, depth);
        note("nested clicks " + std::to_string(depth + 1) + " at " + std::to_string(int(x)) + "," + std::to_string(int(y)));
        break;
      }
      case 7: {  // a burst queued at once
        const int n = s.byte() % 24 + 1;
        const float x = float(s.word() % 397) + 10, y = float(s.word() % 245) + 34;
        for (int i = 0; i < n; ++i) click(target, x + float(i % 3), y, 1);
        note("burst of " + std::to_string(n) + " clicks at " + std::to_string(int(x)) + "," + std::to_string(int(y)));
        break;
      }
      case 8: {  // a key, to whichever window is shown
        const int ch = s.byte();
        be.key(target, ch);
        note("key " + std::to_string(ch));
        break;
      }
      case 9: {  // rarely, a window closed by the desktop
        const std::uint8_t b = s.byte();
        if (b < 8 && closes) {
          const auto w = (b & 1) && f1.window() ? f1.window() : title ? title : f1.window();
          if (w) be.close(*w);
          note(std::string("close the ") + (w == title ? "title" : "play") + " window");
        } else {
          runFor(Micros(b) * 1000, budget);
          note("run " + std::to_string(b) + " ms");
        }
        break;
      }
      case 10: case 11: case 12: {  // time runs, the frames with it
        const Micros ms = Micros(s.byte()) * 4;
        runFor(ms * 1000, budget);
        note("run " + std::to_string(ms) + " ms");
        break;
      }
      case 13: {  // the machine stalls: every timer ticks once, late
        const Micros ms = s.word() % 3000;
        be.clock += ms * 1000;
        note("stall " + std::to_string(ms) + " ms");
        break;
      }
      case 14: {  // a good player: a click at the creature
        const auto& st = f1.state();
        const float dx = float(int(s.byte() % 60) - 30), dy = float(int(s.byte() % 80) - 10);
        const float x = float(st.scrollX + st.posX) + (st.facing > 0 ? 25.f : -35.f) + dx / 2, y = float(st.posY) + dy;
        if (play) click(*play, x + 10, y + 34, 1);
        note("click at the creature " + std::to_string(int(x)) + "," + std::to_string(int(y)));
        break;
      }
      case 15: {  // up to just around the next clock tick
        const Micros toTick = 1000000 - be.clock % 1000000;
        const Micros us = toTick + (Micros(s.byte() % 5) - 2) * 1000;
        runFor(us, budget);
        note("run " + std::to_string(us / 1000) + " ms to about the next second");
        break;
      }
    }
    app.run(be.clock);  // what was queued is handled now
  }

  void check() {
    const auto& s = f1.state();
    auto expect = [this](bool ok, const std::string& what) {
      if (!ok) fail(what);
    };
    expect(f1.punkte == 20 * f1.wibbels + 45 * f1.laternen, "the score is not 20 x body + 45 x lantern hits");
    expect(f1.wibbels == bodyCues && f1.laternen == lanternCues, "the hit counts do not match the hit sounds");
    expect(f1.punkte >= 0, "a negative score");
    expect(s.scrollX <= 0 && s.scrollX >= -400, "the view offset left 0 ... -400");
    expect(s.wingPhase >= 0 && s.wingPhase < 6, "the sail index is out of range");
    expect(s.hitState >= 0 && s.hitState <= 2, "hitState is out of range");
    expect(s.fallStep >= 0, "the lantern's fall index is negative");
    expect(!f1.shots || *f1.shots == -1 || (*f1.shots >= 1 && *f1.shots <= 5), "the magazine holds an impossible count");
    const bool running = app.running();
    if (running) expect(f1.Visible() != splash.Loaded(), "not exactly one of the two windows is up");
    if (f1.Visible()) {
      expect(f1.tme >= 1 && f1.tme <= 90, "a round runs with its clock outside 1 ... 90");
      expect(stats.roundsBegun == stats.roundsEnded + 1, "the play window shows without a round");
      expect(f1.Label1.Caption() == pointsCaption(f1.punkte), "the score label does not show the score");
      expect(f1.Label3.Caption() == (f1.shots == -1 ? std::string("Nachladen...") : shotsCaption(f1.shots.value_or(0))),
             "the magazine label does not show the magazine");
      expect(f1.Label2.Caption() == (f1.tme == 90 ? std::string() : joinNumber("Zeit:", f1.tme)),
             "the clock label does not show the clock");
    }
    if (splash.Loaded()) {
      expect(stats.roundsBegun == stats.roundsEnded, "the title is up while a round runs");
      expect(splash.Label1.Caption() == joinNumber("Hiscore: ", splash.HiScore), "the best-score label is not HiScore");
      if (stats.roundsEnded == 0) {
        expect(splash.Label3.Caption() == (f1.GoIt ? "Bitte Taste drücken" : "bite warten..."),
               "the start prompt does not match the permission");
      } else {
        if (!endPunkte) {
          endPunkte = f1.punkte;
          endLabel3 = splash.Label3.Caption();
          endLabel5 = splash.Label5.Caption();
          results.insert(f1.punkte);
          const auto index = std::min<long>(long(std::floor(f1.punkte / 100.0)), 10);
          expect(endLabel3 == pointsCaption(f1.punkte), "the result does not show the score");
          expect(endLabel5 == "Status: " + s.ratings[std::size_t(index)], "the rating does not match the score");
        }
        expect(f1.punkte == *endPunkte && splash.Label3.Caption() == endLabel3 && splash.Label5.Caption() == endLabel5,
               "a result changed after it was shown");
        expect(splash.HiScore >= *endPunkte, "the best score is below the last result");
      }
    }
    // The score file: created at start, then only ever a shown result, its later bytes kept.
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return fail("Hi.wbh is gone");
    const auto now = fileBytes(file);
    if (splash.Loaded()) expect(decode(now) == splash.HiScore, "Hi.wbh does not hold the best score shown");
    const std::vector<std::uint8_t> was = initial.value_or(std::vector<std::uint8_t>{});
    if (now != was) {
      expect(now.size() >= 2 && results.count(decode(now)), "Hi.wbh holds a score that was never shown");
      expect(now.size() == std::max<std::size_t>(2, was.size()) &&
                 std::equal(now.begin() + 2, now.end(), was.begin() + std::min<std::size_t>(2, was.size())),
             "Hi.wbh's later bytes changed");
    }
  }
};

Player::Player(const std::filesystem::path& dir, std::optional<std::vector<std::uint8_t>> initialScore,
               bool closes) {
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  if (initialScore) {
    std::ofstream out(dir / "Hi.wbh", std::ios::binary);
    out.write(reinterpret_cast<const char*>(initialScore->data()), std::streamsize(initialScore->size()));
  }
  impl_ = std::make_unique<Impl>(dir, std::move(initialScore));
  impl_->closes = closes;
  impl_->splash.Show();
  impl_->check();
}

Player::~Player() = default;

bool Player::step(Script& s, Micros& runBudgetUs) {
  Impl& p = *impl_;
  if (!p.failure.empty() || !p.app.running()) return false;
  try {
    p.act(s, runBudgetUs);
  } catch (const std::exception& e) {
    p.fail(std::string("the game threw: ") + e.what());
  }
  ++p.stats.steps;
  p.stats.virtualTime = p.be.clock;
  p.be.recorder.writes.clear();  // counted as they came
  p.check();
  if (!p.app.running() && p.failure.empty()) {
    // Closed: everything is gone, nothing lingers.
    if (p.f1.Loaded() || p.splash.Loaded()) p.fail("a window outlived the end of the program");
  }
  return p.failure.empty() && p.app.running();
}

const std::string& Player::failure() const { return impl_->failure; }
const Stats& Player::stats() const { return impl_->stats; }

std::string playScript(std::span<const std::uint8_t> bytes, const std::filesystem::path& dir, Micros runBudgetUs,
                       Stats* stats) {
  Script s(bytes);
  std::optional<std::vector<std::uint8_t>> start;
  switch (s.byte() % 6) {
    case 0: break;
    case 1: start.emplace(); break;
    case 2: start = std::vector<std::uint8_t>{s.byte()}; break;
    case 3: start = std::vector<std::uint8_t>{0xff, 0xff}; break;
    case 4: start = std::vector<std::uint8_t>{s.byte(), std::uint8_t(s.byte() & 0x83)}; break;
    default: start = std::vector<std::uint8_t>{s.byte(), std::uint8_t(s.byte() & 0x03), 0xaa, 0xbb, 0xcc}; break;
  }
  Player p(dir, start);
  while (!s.done() && p.step(s, runBudgetUs)) {
  }
  if (stats) *stats = p.stats();
  return p.failure();
}

}  // namespace kh::play
