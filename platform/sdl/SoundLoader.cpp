#include "SoundLoader.h"

#include <SDL.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sstream>

#include "PosixFile.h"

namespace kh {

namespace {

Sound refused(std::string why) { return Sound{nullptr, std::move(why)}; }

std::string tooLarge() { return "it is larger than " + std::to_string(kMaxSoundFileBytes >> 20) + " MB"; }

std::uint32_t le32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }

void putChunk(std::vector<std::uint8_t>& out, const char* id, std::span<const std::uint8_t> body) {
  out.insert(out.end(), id, id + 4);
  const auto n = std::uint32_t(body.size());
  for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(n >> (8 * i)));
  out.insert(out.end(), body.begin(), body.end());
  if (n & 1) out.push_back(0);
}

// The file rebuilt with only the chunks SDL needs, each cut to the bytes really there, so
// that no length in a header makes the decoder allocate more than the file holds.
std::vector<std::uint8_t> trustedWave(std::span<const std::uint8_t> b, std::string& why) {
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0) {
    why = "not wave audio: no RIFF/WAVE header";
    return {};
  }
  std::span<const std::uint8_t> fmt, fact, data;
  bool haveFmt = false, haveFact = false, haveData = false;
  for (std::size_t pos = 12; pos + 8 <= b.size();) {
    const std::uint8_t* id = b.data() + pos;
    const std::size_t n = std::min<std::size_t>(le32(id + 4), b.size() - pos - 8);
    const auto body = b.subspan(pos + 8, n);
    if (!haveFmt && std::memcmp(id, "fmt ", 4) == 0) fmt = body, haveFmt = true;
    else if (!haveFact && std::memcmp(id, "fact", 4) == 0) fact = body, haveFact = true;
    else if (!haveData && std::memcmp(id, "data", 4) == 0) data = body, haveData = true;
    pos += 8 + n + (n & 1);
  }
  if (!haveFmt) {
    why = "not wave audio: no format chunk";
    return {};
  }
  if (data.empty()) {
    why = "it holds no samples";
    return {};
  }
  std::vector<std::uint8_t> out{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  out.reserve(fmt.size() + fact.size() + data.size() + 40);
  putChunk(out, "fmt ", fmt);
  if (haveFact) putChunk(out, "fact", fact);
  putChunk(out, "data", data);
  const auto riff = std::uint32_t(out.size() - 8);
  for (int i = 0; i < 4; ++i) out[4 + std::size_t(i)] = std::uint8_t(riff >> (8 * i));
  return out;
}

}  // namespace

Sound convertSound(std::span<const std::uint8_t> bytes, DeviceFormat device) {
  if (bytes.empty()) return refused("the file is empty");
  if (bytes.size() > kMaxSoundFileBytes) return refused(tooLarge());
  if (device.rate <= 0 || device.channels <= 0 || device.channels > 8) return refused("the sound device is unusable");
  std::string why;
  const std::vector<std::uint8_t> wave = trustedWave(bytes, why);
  if (wave.empty()) return refused(why);
  SDL_AudioSpec wav{};
  Uint8* buf = nullptr;
  Uint32 len = 0;
  if (!SDL_LoadWAV_RW(SDL_RWFromConstMem(wave.data(), int(wave.size())), 1, &wav, &buf, &len))
    return refused(std::string("not playable wave audio: ") + SDL_GetError());
  const std::unique_ptr<Uint8, decltype(&SDL_FreeWAV)> samples(buf, &SDL_FreeWAV);
  const std::size_t frameBytes = std::size_t(SDL_AUDIO_BITSIZE(wav.format) / 8) * wav.channels;
  if (!buf || frameBytes == 0 || len < frameBytes) return refused("it holds no samples");
  if (wav.freq <= 0) return refused("it has no sample rate");
  // Judge the length before converting: a tiny file can claim a rate of 1 Hz.
  const double seconds = double(len / frameBytes) / wav.freq;
  if (seconds > kMaxSoundSeconds) {
    std::ostringstream why;
    why.precision(3);
    why << "it lasts " << seconds << " s, longer than " << kMaxSoundSeconds << " s";
    return refused(why.str());
  }
  SDL_AudioCVT cvt;
  if (SDL_BuildAudioCVT(&cvt, wav.format, wav.channels, wav.freq, AUDIO_S16SYS, Uint8(device.channels),
                        device.rate) < 0)
    return refused(std::string("cannot convert it: ") + SDL_GetError());
  const std::uint64_t need = std::uint64_t(len) * std::uint64_t(std::max(cvt.len_mult, 1));
  if (need > kMaxConversionBytes) return refused("converting it would take too much memory");
  auto data = std::make_shared<std::vector<std::uint8_t>>(std::size_t(need));
  std::memcpy(data->data(), buf, len);
  if (cvt.needed) {
    cvt.buf = data->data();
    cvt.len = int(len);
    if (SDL_ConvertAudio(&cvt) != 0) return refused(std::string("cannot convert it: ") + SDL_GetError());
    data->resize(std::size_t(std::max(cvt.len_cvt, 0)));
  } else {
    data->resize(len);
  }
  // Whole device frames only: the player counts what it hands out in frames.
  const std::size_t deviceFrame = 2 * std::size_t(device.channels);
  data->resize(data->size() - data->size() % deviceFrame);
  if (data->empty()) return refused("it holds no samples");
  data->shrink_to_fit();
  return Sound{std::move(data), {}};
}

std::vector<std::uint8_t> readSoundFile(const std::filesystem::path& path, std::string& why) {
  why.clear();
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    why = "cannot open it: " + errnoText(errno);
    return {};
  }
  // Never open what could block: a FIFO waits for a writer, a device for who knows what.
  if (!S_ISREG(st.st_mode)) {
    why = notRegularFile(st.st_mode);
    return {};
  }
  if (std::uint64_t(st.st_size) > kMaxSoundFileBytes) {
    why = tooLarge();
    return {};
  }
  // Non-blocking, in case the name was swapped for a FIFO since the look above.
  const UniqueFd f(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (f.fd < 0) {
    why = "cannot open it: " + errnoText(errno);
    return {};
  }
  if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    why = notRegularFile(st.st_mode);
    return {};
  }
  // Read to the end rather than trusting the size: some files report 0 and hold more.
  std::vector<std::uint8_t> bytes(std::min<std::size_t>(std::size_t(st.st_size), kMaxSoundFileBytes) + 1);
  std::size_t have = 0;
  for (;;) {
    if (have == bytes.size()) {
      if (have > kMaxSoundFileBytes) {
        why = tooLarge();
        return {};
      }
      bytes.resize(std::min(kMaxSoundFileBytes + 1, bytes.size() * 2 + 4096));
    }
    const ssize_t n = ::read(f.fd, bytes.data() + have, bytes.size() - have);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      why = "cannot read it: " + errnoText(errno);
      return {};
    }
    if (n == 0) break;
    have += std::size_t(n);
  }
  bytes.resize(have);
  return bytes;
}

Sound SoundCache::get(const std::filesystem::path& path, DeviceFormat device) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return refused("cannot open it: " + errnoText(errno));
  if (!S_ISREG(st.st_mode)) return refused(notRegularFile(st.st_mode));
  const std::int64_t mtimeNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  Entry& e = entries_[path.string()];
  if (e.sound.pcm || !e.sound.why.empty()) {
    if (e.dev == std::uint64_t(st.st_dev) && e.ino == std::uint64_t(st.st_ino) &&
        e.size == std::uint64_t(st.st_size) && e.mtimeNs == mtimeNs && e.device == device)
      return e.sound;
  }
  std::string why;
  const std::vector<std::uint8_t> bytes = readSoundFile(path, why);
  Sound s = why.empty() ? convertSound(bytes, device) : refused(why);
  e = Entry{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), std::uint64_t(st.st_size), mtimeNs, device, s};
  return s;
}

}  // namespace kh
