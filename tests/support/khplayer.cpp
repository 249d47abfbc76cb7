// khplayer: plays one game of Knuffelhatz through the real play window, the way a person
// does: look at the screen, find the creature, point at where it will be, click.
//
//   khplayer --window ID --origin X,Y [--seconds N] [--clock-rate R] [--log FILE]
//       ID: the play window's X id; X,Y: its client area's top-left corner on the screen.
//       N: how long to play, in the game's seconds; R: how many times faster than real time
//       the game's clock runs (the game started with --test-clock-rate R).
//       Looks with `import -window ID`, points and clicks through one `xdotool -` process.
//   khplayer --detect FILE.ppm
//       Prints what it finds in one screenshot of the play window (for checking by hand).
//
// The creature is found by its colours: the flying pose and the two hit poses are drawn
// with their own palettes, so every screen pixel whose colour belongs to one pose only
// votes for the places where the pose would have to be drawn to put that colour there.
// Everything behind the landscape's clear part passes through its (248, 248, 248)
// background, which clears the three lowest bits of each channel, so each colour is
// looked for both as drawn and with those bits cleared.
// The sprite shapes used for voting are drawn by the game's own drawing code from the
// pictures baked into the game, so they match the screen pixel for pixel.
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "Catalogue.h"
#include "Layout.h"

namespace {

using kh::Pixel;
using kh::Rop;
using kh::Surface;
using Clock = std::chrono::steady_clock;
namespace layout = kh::layout;

// Where the play area's client area lies in the play window's client area, and its size.
constexpr int kAreaX = layout::kPlayArea.x, kAreaY = layout::kPlayArea.y;
constexpr int kAreaW = layout::kPlayArea.w, kAreaH = layout::kPlayArea.h;
// The creature is drawn 65 pixels wide; its pictures are 83 rows high (the zone map 82).
constexpr int kBoxW = 65, kBoxH = 89;
// Columns of the play area in which the pointer does not scroll the view, and the wider
// band in which a shot may be fired (the scroll speed there stays below 0.3 px per tick,
// and the pointer is back in the dead zone a few ticks later).
constexpr int kDeadLo = layout::kDeadLo, kDeadHi = layout::kDeadHi, kShootLo = 72, kShootHi = 328;
// The arc's base: the creature's top row when it touches the ground.
constexpr int kBaseTop = int(layout::kArcBase);

// Voting space for the sprite's top-left corner.
constexpr int kMinL = -kBoxW, kMaxL = kAreaW, kMinT = -kBoxH, kMaxT = kAreaH;
constexpr int kAccW = kMaxL - kMinL, kAccH = kMaxT - kMinT;

enum Pose { Flying = 0, HitBody = 1, HitLantern = 2, kPoses = 3 };
const char* const kPoseName[kPoses] = {"flying", "hit", "lantern-lost"};

// What the landscape's background leaves of a colour behind it.
constexpr Pixel kBehindLand = 0xf8f8f8;

bool nearWhite(Pixel p) {
  return ((p >> 16) & 0xff) >= 230 && ((p >> 8) & 0xff) >= 230 && (p & 0xff) >= 230;
}

struct Image {
  int w = 0, h = 0;
  std::vector<Pixel> px;
  Pixel at(int x, int y) const { return px[std::size_t(y) * std::size_t(w) + std::size_t(x)]; }
};

// Reads one binary PPM (8 or 16 bits per sample).
bool readPpm(std::FILE* f, Image& img) {
  auto token = [f](long& v) {
    int c = std::fgetc(f);
    for (;;) {
      if (c == '#') {
        while (c != '\n' && c != EOF) c = std::fgetc(f);
      } else if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
        c = std::fgetc(f);
      } else {
        break;
      }
    }
    if (c < '0' || c > '9') return false;
    v = 0;
    while (c >= '0' && c <= '9') {
      v = v * 10 + (c - '0');
      c = std::fgetc(f);
    }
    return true;  // the one whitespace after the number is consumed
  };
  if (std::fgetc(f) != 'P' || std::fgetc(f) != '6') return false;
  long w = 0, h = 0, maxv = 0;
  if (!token(w) || !token(h) || !token(maxv) || w <= 0 || h <= 0 || w > 8192 || h > 8192) return false;
  const int bytes = maxv > 255 ? 2 : 1;
  std::vector<unsigned char> raw(std::size_t(w) * std::size_t(h) * 3 * std::size_t(bytes));
  if (std::fread(raw.data(), 1, raw.size(), f) != raw.size()) return false;
  img.w = int(w);
  img.h = int(h);
  img.px.resize(std::size_t(w) * std::size_t(h));
  for (std::size_t i = 0; i < img.px.size(); ++i) {
    int c[3];
    for (int k = 0; k < 3; ++k) {
      const std::size_t at = (i * 3 + std::size_t(k)) * std::size_t(bytes);
      const int v = bytes == 2 ? (raw[at] << 8 | raw[at + 1]) : raw[at];
      c[k] = int(std::lround(double(v) * 255.0 / double(maxv)));
    }
    img.px[i] = kh::rgb(c[0], c[1], c[2]);
  }
  return true;
}

bool loadPpmFile(const std::string& path, Image& img) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  const bool ok = readPpm(f, img);
  std::fclose(f);
  return ok;
}

struct Vote {
  std::uint8_t pose, facing;
  std::int8_t dx, dy;
};

struct Detection {
  int pose = -1, facing = 0, left = 0, top = 0, votes = 0;
};

// What the player knows about the pictures.
class Eye {
 public:
  explicit Eye(const kh::Catalogue& pics) {
    const char* img[kPoses] = {"Wibbel", "Wibbel3", "Wibbel4"};
    const char* msk[kPoses] = {"WibbelMsk", "WibbelMsk", "Wibbel2Msk"};
    // Colours of the scenery, the crosshair and the falling lantern never identify a pose.
    std::unordered_map<Pixel, int> scenery;
    for (const std::string& n : pics.names()) {
      if (n.starts_with("Wibbel") || n == "Title" || n == "Icon") continue;
      for (Pixel p : pics.get(n).pixels()) scenery[p] = scenery[p & kBehindLand] = 1;
    }
    std::array<std::unordered_map<Pixel, std::vector<std::pair<int, std::pair<int, int>>>>, kPoses> seen;
    for (int p = 0; p < kPoses; ++p)
      for (int f = 0; f < 2; ++f) {
        const Surface onWhite = draw(pics.get(msk[p]), pics.get(img[p]), f, kh::kWhite);
        const Surface onBlack = draw(pics.get(msk[p]), pics.get(img[p]), f, kh::kBlack);
        for (int dy = 0; dy < kBoxH; ++dy)
          for (int dx = 0; dx < kBoxW; ++dx) {
            const Pixel a = onWhite.at(kPad + dx, kPad + dy);
            if (a != onBlack.at(kPad + dx, kPad + dy)) continue;  // not fully opaque
            if (nearWhite(a)) continue;
            for (const Pixel c : {a, a & kBehindLand}) {
              if (scenery.count(c)) continue;
              auto& list = seen[std::size_t(p)][c];
              if (list.empty() || list.back() != std::pair{f, std::pair{dx, dy}}) list.push_back({f, {dx, dy}});
            }
          }
      }
    for (int p = 0; p < kPoses; ++p)
      for (const auto& [colour, where] : seen[std::size_t(p)]) {
        bool shared = false;
        for (int q = 0; q < kPoses; ++q)
          if (q != p && seen[std::size_t(q)].count(colour)) shared = true;
        if (shared) continue;
        for (const auto& [f, d] : where) {
          votes_[colour].push_back(Vote{std::uint8_t(p), std::uint8_t(f), std::int8_t(d.first), std::int8_t(d.second)});
          ++poseShare_[std::size_t(p)][std::size_t(f)];
        }
      }
    candidate_.assign(std::size_t(1) << 24, false);
    for (const auto& [colour, list] : votes_) candidate_[colour & 0xffffff] = true;
    // The hit zones of the flying creature, as the game draws them into its hit surface.
    for (int f = 0; f < 2; ++f) {
      Surface z(kCanvas, kCanvas, kh::kWhite);
      z.paint(pics.get("WibbelPts"), x1(f), float(kPad), width(f), Rop::SrcCopy);
      for (int dy = 0; dy < kBoxH; ++dy)
        for (int dx = 0; dx < kBoxW; ++dx) {
          const Pixel q = z.at(kPad + dx, kPad + dy);
          zone_[std::size_t(f)][std::size_t(dy)][std::size_t(dx)] = q == kh::kWhite ? 0 : q == kh::rgb(255, 0, 0) ? 2 : 1;
        }
    }
    // Colours that only the landscape has: where they show, the landscape hides the creature.
    std::unordered_map<Pixel, int> back;
    for (Pixel p : pics.get("Back").pixels()) back[p] = back[p & kBehindLand] = 1;
    for (Pixel p : pics.get("Land").pixels())
      if (!back.count(p) && !votes_.count(p) && !nearWhite(p)) land_[p] = 1;
  }

  // Finds the pose and place that the most pixels agree on.
  Detection find(const Image& shot) {
    acc_.assign(std::size_t(kPoses) * 2 * std::size_t(kAccW) * std::size_t(kAccH), 0);
    Detection best;
    for (int y = 0; y < kAreaH && kAreaY + y < shot.h; ++y)
      for (int x = 0; x < kAreaW && kAreaX + x < shot.w; ++x) {
        const Pixel c = shot.at(kAreaX + x, kAreaY + y);
        if (!candidate_[c & 0xffffff]) continue;
        const auto it = votes_.find(c);
        if (it == votes_.end()) continue;
        for (const Vote& v : it->second) {
          const int l = x - v.dx - kMinL, t = y - v.dy - kMinT;
          if (l < 0 || t < 0 || l >= kAccW || t >= kAccH) continue;
          const std::size_t at = ((std::size_t(v.pose) * 2 + v.facing) * std::size_t(kAccH) + std::size_t(t)) * std::size_t(kAccW) + std::size_t(l);
          const int n = ++acc_[at];
          if (n > best.votes) best = Detection{v.pose, v.facing, l + kMinL, t + kMinT, n};
        }
      }
    return best;
  }

  // True where the landscape covers the play area's pixel.
  bool hidden(const Image& shot, int x, int y) const {
    return land_.count(shot.at(kAreaX + x, kAreaY + y)) != 0;
  }

  // 0 nothing, 1 body, 2 lantern, in the sprite's box.
  int zone(int facing, int dx, int dy) const {
    if (dx < 0 || dy < 0 || dx >= kBoxW || dy >= kBoxH) return 0;
    return zone_[std::size_t(facing)][std::size_t(dy)][std::size_t(dx)];
  }

  int share(int pose, int facing) const { return poseShare_[std::size_t(pose)][std::size_t(facing)]; }

 private:
  static constexpr int kPad = 80, kCanvas = 260;
  // Facing 0: drawn with width +65; facing 1: mirrored, width -65. Either way the box's
  // left edge ends up at kPad.
  static float x1(int f) { return float(f == 0 ? kPad : kPad + kBoxW); }
  static float width(int f) { return f == 0 ? float(kBoxW) : -float(kBoxW); }
  static Surface draw(const Surface& mask, const Surface& image, int f, Pixel ground) {
    Surface s(kCanvas, kCanvas, ground);
    s.paint(mask, x1(f), float(kPad), width(f), Rop::MergePaint);
    s.paint(image, x1(f), float(kPad), width(f), Rop::SrcAnd);
    return s;
  }

  std::unordered_map<Pixel, std::vector<Vote>> votes_;
  std::vector<bool> candidate_;  // quick test: may this colour vote at all?
  std::unordered_map<Pixel, int> land_;
  std::array<std::array<int, 2>, kPoses> poseShare_{};
  std::array<std::array<std::array<std::uint8_t, kBoxW>, kBoxH>, 2> zone_{};
  std::vector<std::uint16_t> acc_;
};

// The game's time since the player started, in seconds: real time times the rate at which
// the game's clock runs. Every time the player keeps is the game's; the delays of the tools
// it drives are real and converted with game().
class GameClock {
 public:
  explicit GameClock(double rate) : rate_(rate) {}
  double now() const { return std::chrono::duration<double>(Clock::now() - t0_).count() * rate_; }
  double game(double realSeconds) const { return realSeconds * rate_; }

 private:
  Clock::time_point t0_ = Clock::now();
  double rate_;
};

struct Obs {
  double t;  // when the frame was on screen, in seconds since the start
  Detection d;
};

// Least-squares line through the flight's left edges: left(t) = a + b t.
std::pair<double, double> fitLine(const std::vector<Obs>& v) {
  if (v.size() == 1) return {double(v[0].d.left), 0};
  double st = 0, sx = 0, stt = 0, stx = 0;
  const double n = double(v.size());
  for (const Obs& o : v) {
    st += o.t;
    sx += o.d.left;
    stt += o.t * o.t;
    stx += o.t * o.d.left;
  }
  const double den = n * stt - st * st;
  if (std::abs(den) < 1e-9) return {sx / n, 0};
  const double b = (n * stx - st * sx) / den;
  return {(sx - b * st) / n, b};
}

struct Aim {
  double chance = 0;  // share of the arc's phases in which the shot hits
  int x = 0, y = 0;   // play-area client pixel
  int zoneHit = 0;
};

// The best point to shoot at, for a creature of this facing whose box will have its left
// edge at `left` and hops with arc height `height`. The vertical phase at the moment of
// the click is not known well enough, so pick the point that the creature covers for the
// largest share of its arc; among equals, the one that stays covered if the creature is
// further off sideways than expected.
Aim chooseAim(const Eye& eye, const Image& shot, int facing, double left, double height) {
  constexpr int kPhases = 90;
  std::array<int, kBoxH + kAreaH + 1> weight{};  // how many phases put the box's top at row T
  int topLo = kAreaH, topHi = 0;
  for (int i = 0; i < kPhases; ++i) {
    const double th = (i + 0.5) / kPhases * 3.14;
    const int top = std::clamp(int(std::floor(kBaseTop - std::sin(th) * height + 0.5)), 0, kAreaH);
    ++weight[std::size_t(top)];
    topLo = std::min(topLo, top);
    topHi = std::max(topHi, top);
  }
  constexpr std::array<int, 5> kSlack = {3, 6, 9, 12, 16};
  Aim best;
  double bestScore = 0;
  const int l = int(std::lround(left));
  for (int dx = 2; dx < kBoxW - 2; ++dx) {
    const int x = l + dx;
    if (x < kShootLo || x > kShootHi) continue;
    // Per sideways slack: the rows of this column that are hittable even if the creature is
    // that many pixels off to either side (2 = lantern throughout).
    std::array<std::array<int, kBoxH>, kSlack.size()> solid{};
    for (std::size_t k = 0; k < kSlack.size(); ++k)
      for (int dy = 0; dy < kBoxH; ++dy) {
        int z = 3;
        for (int j = -kSlack[k]; j <= kSlack[k]; ++j) z = std::min(z, eye.zone(facing, dx + j, dy));
        solid[k][std::size_t(dy)] = z;
      }
    for (int y = std::max(2, topLo); y < std::min(kAreaH - 2, topHi + kBoxH); ++y) {
      if (eye.hidden(shot, x, y)) continue;
      std::array<int, kSlack.size()> hits{};
      int lantern = 0;
      for (int top = topLo; top <= topHi; ++top) {
        const int w = weight[std::size_t(top)], dy = y - top;
        if (!w || dy < 0 || dy >= kBoxH) continue;
        for (std::size_t k = 0; k < kSlack.size(); ++k)
          if (solid[k][std::size_t(dy)]) hits[k] += w;
        if (solid[0][std::size_t(dy)] == 2) lantern += w;
      }
      const double chance = double(hits[0]) / kPhases;
      double score = 0;
      for (int h : hits) score += h;
      if (chance > best.chance + 0.05 || (chance > best.chance - 0.05 && score > bestScore)) {
        best = Aim{chance, x, y, lantern * 2 > hits[0] ? 2 : 1};
        bestScore = score;
      }
    }
  }
  return best;
}

class Hand {
 public:
  Hand() : pipe_(popen("xdotool -", "w")) {
    if (!pipe_) throw std::runtime_error("cannot start xdotool");
  }
  ~Hand() {
    if (pipe_) pclose(pipe_);
  }
  void send(const std::string& line) {
    std::fputs((line + "\n").c_str(), pipe_);
    std::fflush(pipe_);
  }

 private:
  std::FILE* pipe_;
};

int detectOnly(const std::string& path) {
  const kh::Catalogue pics;
  Eye eye(pics);
  Image img;
  if (!loadPpmFile(path, img)) {
    std::cerr << "khplayer: cannot read " << path << "\n";
    return 2;
  }
  const Detection d = eye.find(img);
  if (d.pose < 0) {
    std::cout << "nothing\n";
    return 1;
  }
  std::cout << kPoseName[d.pose] << " facing " << (d.facing ? "left" : "right") << " box " << d.left << "," << d.top
            << " votes " << d.votes << " of " << eye.share(d.pose, d.facing) << "\n";
  return 0;
}

int play(const std::string& window, int originX, int originY, double seconds, double rate, const std::string& logPath) {
  const kh::Catalogue pics;
  Eye eye(pics);
  std::ofstream log(logPath.empty() ? "/dev/null" : logPath);
  Hand hand;
  const std::string grab = "import -window " + window + " -depth 8 ppm:- 2>/dev/null";
  auto screen = [&](int x, int y) {
    return std::to_string(originX + kAreaX + x) + " " + std::to_string(originY + kAreaY + y);
  };

  const GameClock clock(rate);
  std::vector<Obs> flight;
  int shotsLeft = 5, shots = 0, hits = 0, points = 0, frames = 0, seenFrames = 0, failures = 0;
  double reloadUntil = 0, lastShot = -10;
  int lastShotPoseCounted = 1;  // the result of the last shot has been seen
  int pointerX = 200;
  bool buttonDown = false;
  constexpr int kVotesNeeded = 24;

  while (clock.now() < seconds) {
    const double before = clock.now();
    std::FILE* in = popen(grab.c_str(), "r");
    Image img;
    const bool ok = in && readPpm(in, img);
    if (in) pclose(in);
    const double after = clock.now();
    if (buttonDown) {
      hand.send("mouseup 1");
      buttonDown = false;
    }
    if (!ok || img.w < kAreaX + kAreaW || img.h < kAreaY + kAreaH) {
      // The window is gone (the game is over) or the screenshot failed.
      if (++failures >= 10) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      continue;
    }
    failures = 0;
    ++frames;
    // import spends most of its time starting up; it reads the window at the end, and the
    // frame it gets was composed up to one frame earlier.
    const double seen = after - clock.game(0.012);
    const Detection d = eye.find(img);
    std::ostringstream line;
    line.setf(std::ios::fixed);
    line.precision(3);
    line << seen << " grab " << int((after - before) / rate * 1000) << "ms look " << int((clock.now() - after) / rate * 1000)
         << "ms";
    if (d.votes < kVotesNeeded) {
      line << " none(" << d.votes << ")";
      if (!flight.empty() && seen - flight.back().t > 0.6) flight.clear();
    } else {
      ++seenFrames;
      line << " " << kPoseName[d.pose] << (d.facing ? " <" : " >") << " box " << d.left << "," << d.top << " votes "
           << d.votes;
      if (d.pose != Flying) {
        flight.clear();
        if (!lastShotPoseCounted && seen - lastShot < 0.5) {
          ++hits;
          points += d.pose == HitLantern ? 45 : 20;
          lastShotPoseCounted = 1;
          line << " HIT";
        }
      } else {
        if (!flight.empty()) {
          const auto [a, b] = fitLine(flight);
          const double predicted = a + b * seen;
          if (flight.back().d.facing != d.facing || std::abs(predicted - d.left) > 30 || seen - flight.back().t > 0.6)
            flight.clear();
        }
        flight.push_back(Obs{seen, d});
        if (flight.size() > 12) flight.erase(flight.begin());
      }
    }
    if (seen - lastShot > 0.5) lastShotPoseCounted = 1;

    // Decide whether to shoot.
    const double now = clock.now();
    if (shotsLeft == 0 && now >= reloadUntil) shotsLeft = 5;
    bool fired = false;
    if (!flight.empty() && flight.back().t == seen && flight.size() >= 2 && shotsLeft > 0 && now - lastShot > clock.game(0.06) &&
        flight.back().t - flight.front().t >= 0.05) {
      const auto [a, vx] = fitLine(flight);
      int minTop = kBaseTop;
      for (const Obs& o : flight) minTop = std::min(minTop, o.d.top);
      const double g = layout::driftFactor(points);
      const double fromDrift = std::clamp(20.0 * std::abs(vx) / 100.0 / g, 20.0, 70.0);
      const double height = std::max(double(kBaseTop - minTop), fromDrift);
      // The click reaches the game a few milliseconds after it is sent.
      const double when = now + clock.game(0.004);
      const double left = a + vx * when;
      const Aim aim = chooseAim(eye, img, d.facing, left, height);
      line << " vx " << int(vx) << " H " << int(height) << "(" << (kBaseTop - minTop) << "/" << int(fromDrift) << ")"
           << " aim " << aim.x << "," << aim.y << " p " << aim.chance;
      const double needed = flight.size() >= 4 ? 0.55 : 0.8;
      if (aim.chance >= needed) {
        hand.send("mousemove " + screen(aim.x, aim.y));
        hand.send("mousedown 1");
        buttonDown = true;
        pointerX = aim.x;
        fired = true;
        ++shots;
        lastShot = clock.now();
        lastShotPoseCounted = 0;
        if (--shotsLeft == 0) reloadUntil = lastShot + 2.1;  // refilled by the clock two ticks later
        line << " SHOT" << (aim.zoneHit == 2 ? " (lantern)" : "");
      }
    }
    if (!fired && !buttonDown && (pointerX < kDeadLo || pointerX > kDeadHi)) {
      pointerX = std::clamp(pointerX, kDeadLo + 5, kDeadHi - 5);
      hand.send("mousemove " + screen(pointerX, 120));
      line << " back to the middle";
    }
    if (fired) {
      // Let the game take the click before anything else moves the pointer.
      std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
    log << line.str() << "\n";
  }
  if (buttonDown) hand.send("mouseup 1");
  std::cout << "khplayer: " << frames << " screenshots, creature seen in " << seenFrames << ", " << shots
            << " shots, " << hits << " hits seen (" << points << " points)\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    std::string window, logPath, detect;
    int ox = 0, oy = 0;
    double seconds = 88, rate = 1;
    for (int i = 1; i < argc; ++i) {
      const std::string a = argv[i];
      auto next = [&]() -> std::string {
        if (i + 1 >= argc) throw std::runtime_error("missing value after " + a);
        return argv[++i];
      };
      if (a == "--window") window = next();
      else if (a == "--origin") {
        const std::string v = next();
        if (std::sscanf(v.c_str(), "%d,%d", &ox, &oy) != 2) throw std::runtime_error("--origin wants X,Y");
      } else if (a == "--seconds") seconds = std::stod(next());
      else if (a == "--clock-rate") {
        rate = std::stod(next());
        if (!(rate >= 1 && rate <= 100)) throw std::runtime_error("--clock-rate wants a number from 1 to 100");
      }
      else if (a == "--log") logPath = next();
      else if (a == "--detect") detect = next();
      else throw std::runtime_error("unknown argument " + a);
    }
    if (!detect.empty()) return detectOnly(detect);
    if (window.empty()) throw std::runtime_error("usage: khplayer --window ID --origin X,Y [--seconds N] [--clock-rate R] [--log FILE]");
    return play(window, ox, oy, seconds, rate, logPath);
  } catch (const std::exception& e) {
    std::cerr << "khplayer: " << e.what() << "\n";
    return 2;
  }
}
