#include "SoundLoader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>

namespace kh {

namespace {

Sound refused(std::string why) { return Sound{nullptr, std::move(why)}; }

std::uint16_t le16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
std::uint32_t le32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }

// The first format and data chunks. No length in a header can make anything read or allocate
// more than the file holds: a file whose format or samples are cut short (a copy or a download
// that stopped) is refused rather than played in part; one cut after its header holds no
// samples.
bool findChunks(std::span<const std::uint8_t> b, std::span<const std::uint8_t>& fmt,
                std::span<const std::uint8_t>& data, std::string& why) {
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0) {
    why = "not wave audio: no RIFF/WAVE header";
    return false;
  }
  bool haveFmt = false, haveData = false;
  for (std::size_t pos = 12; pos + 8 <= b.size();) {
    const std::uint8_t* id = b.data() + pos;
    const std::uint32_t claimed = le32(id + 4);
    const std::size_t n = std::min<std::size_t>(claimed, b.size() - pos - 8);
    const bool isFmt = !haveFmt && std::memcmp(id, "fmt ", 4) == 0, isData = !haveData && std::memcmp(id, "data", 4) == 0;
    if ((isFmt || (isData && n > 0)) && n < claimed) {
      why = std::string("it is cut short: its ") + (isFmt ? "format" : "data") + " chunk claims " + std::to_string(claimed) +
            " bytes, " + std::to_string(n) + " are there";
      return false;
    }
    if (isFmt) fmt = b.subspan(pos + 8, n), haveFmt = true;
    else if (isData) data = b.subspan(pos + 8, n), haveData = true;
    pos += 8 + n + (n & 1);
  }
  if (!haveFmt) {
    why = "not wave audio: no format chunk";
    return false;
  }
  if (data.empty()) {
    why = "it holds no samples";
    return false;
  }
  return true;
}

// What the samples are.
struct Encoding {
  bool floats = false;
  std::size_t bytes = 0;  // per sample
  std::size_t channels = 0;
  std::uint32_t rate = 0;
};

bool readFormat(std::span<const std::uint8_t> fmt, Encoding& e, std::string& why) {
  why = "not playable wave audio: ";
  if (fmt.size() < 16) {
    why += "the format chunk is too short";
    return false;
  }
  std::uint16_t tag = le16(fmt.data());
  const std::uint16_t bits = le16(fmt.data() + 14);
  if (tag == 0xfffe) {
    // The extensible format names the real encoding in a GUID whose tail is fixed.
    static constexpr std::uint8_t kTail[14] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xaa, 0, 0x38, 0x9b, 0x71};
    if (fmt.size() < 40 || std::memcmp(fmt.data() + 26, kTail, sizeof kTail) != 0) {
      why += "an unknown extensible format";
      return false;
    }
    tag = le16(fmt.data() + 24);
  }
  if (tag != 1 && tag != 3) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%#x", unsigned(tag));
    why += std::string("unknown encoding ") + hex;
    return false;
  }
  e.floats = tag == 3;
  if (e.floats ? bits != 32 && bits != 64 : bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    why += std::to_string(bits) + "-bit " + (e.floats ? "floating-point " : "") + "samples";
    return false;
  }
  e.bytes = bits / 8;
  e.channels = le16(fmt.data() + 2);
  e.rate = le32(fmt.data() + 4);
  if (e.channels == 0) {
    why += "no channels";
    return false;
  }
  why.clear();
  return true;
}

// One sample as a number from -1 to 1.
double sampleAt(const std::uint8_t* p, const Encoding& e) {
  double v = 0;
  if (e.floats && e.bytes == 4) {
    float f;
    std::memcpy(&f, p, 4);
    v = f;
  } else if (e.floats) {
    std::memcpy(&v, p, 8);
  } else if (e.bytes == 1) {
    v = (p[0] - 128) / 128.0;
  } else if (e.bytes == 2) {
    v = std::int16_t(le16(p)) / 32768.0;
  } else if (e.bytes == 3) {
    v = std::int32_t(std::uint32_t(p[0] << 8 | p[1] << 16 | std::uint32_t(p[2]) << 24)) / 2147483648.0;
  } else {
    v = std::int32_t(le32(p)) / 2147483648.0;
  }
  if (std::isnan(v)) return 0;  // a float file may hold anything
  return std::clamp(v, -1.0, 1.0);
}

// The source's channels mixed down to the device's: each output channel the mean of the
// source channels that fall on it; fewer source channels are repeated.
void mixFrame(const std::uint8_t* frame, const Encoding& e, std::size_t out, std::vector<double>& mixed) {
  std::fill(mixed.begin(), mixed.end(), 0.0);
  if (e.channels <= out) {
    for (std::size_t c = 0; c < out; ++c) mixed[c] = sampleAt(frame + (c % e.channels) * e.bytes, e);
    return;
  }
  for (std::size_t c = 0; c < e.channels; ++c) mixed[c % out] += sampleAt(frame + c * e.bytes, e);
  for (std::size_t c = 0; c < out; ++c) mixed[c] /= double((e.channels - c + out - 1) / out);
}

std::int16_t toDevice(double v) { return std::int16_t(std::clamp(std::lround(v * 32768), -32768L, 32767L)); }

}  // namespace

Sound convertSound(std::span<const std::uint8_t> bytes, DeviceFormat device) {
  if (bytes.empty()) return refused("the file is empty");
  if (bytes.size() > kMaxSoundFileBytes) return refused("it is larger than " + std::to_string(kMaxSoundFileBytes >> 20) + " MB");
  if (device.rate <= 0 || device.channels <= 0 || device.channels > 8) return refused("the sound device is unusable");
  std::string why;
  std::span<const std::uint8_t> fmt, data;
  Encoding e;
  if (!findChunks(bytes, fmt, data, why) || !readFormat(fmt, e, why)) return refused(why);
  const std::size_t frameBytes = e.bytes * e.channels;
  const std::size_t frames = data.size() / frameBytes;
  if (frames == 0) return refused("it holds no samples");
  if (e.rate == 0) return refused("it has no sample rate");
  // Judge the length before converting: a tiny file can claim a rate of 1 Hz.
  const double seconds = double(frames) / e.rate;
  if (seconds > kMaxSoundSeconds) {
    std::ostringstream text;
    text.precision(3);
    text << "it lasts " << seconds << " s, longer than " << kMaxSoundSeconds << " s";
    return refused(text.str());
  }
  const auto out = std::size_t(device.channels);
  const auto rate = std::uint64_t(device.rate);
  const std::uint64_t outFrames = std::uint64_t(frames) * rate / e.rate;
  if (outFrames == 0) return refused("it holds no samples");
  if (outFrames * out * 2 > kMaxConversionBytes) return refused("converting it would take too much memory");

  // Linear interpolation between neighbouring source frames, each mixed once when first needed.
  auto pcm = std::make_shared<std::vector<std::uint8_t>>(std::size_t(outFrames) * out * 2);
  std::uint8_t* to = pcm->data();
  std::vector<double> a(out), b(out);
  std::size_t have = 0;  // the source frame now in `a`; `b` holds the one after it
  for (std::uint64_t j = 0; j < outFrames; ++j) {
    const std::uint64_t at = j * e.rate;
    const auto i = std::size_t(at / rate);
    const double frac = double(at % rate) / double(rate);
    if (j == 0 || i != have) {
      if (j > 0 && i == have + 1) a.swap(b);
      else mixFrame(data.data() + i * frameBytes, e, out, a);
      mixFrame(data.data() + std::min(i + 1, frames - 1) * frameBytes, e, out, b);
      have = i;
    }
    for (std::size_t c = 0; c < out; ++c, to += 2) {
      const std::int16_t v = toDevice(a[c] + (b[c] - a[c]) * frac);
      std::memcpy(to, &v, 2);
    }
  }
  return Sound{std::move(pcm), {}};
}

Sound SoundCache::get(const std::string& name, DeviceFormat device) {
  std::string why;
  const std::optional<FileStamp> stamp = files_.stamp(name, why);
  if (!stamp) return refused(why);
  Entry& e = entries_[name];
  if ((e.sound.pcm || !e.sound.why.empty()) && e.stamp == *stamp && e.device == device) return e.sound;
  const auto bytes = files_.read(name, kMaxSoundFileBytes, why);
  e = Entry{*stamp, device, bytes ? convertSound(*bytes, device) : refused(why)};
  return e.sound;
}

}  // namespace kh
