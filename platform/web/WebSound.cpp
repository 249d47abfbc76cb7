#include "WebSound.h"

#include <emscripten.h>

#include "Report.h"

namespace kh {

namespace {

// The page's audio starts with the first key or click (a browser's rule) and rests while
// the page is hidden.
EM_JS(int, kh_web_audio_init, (), {
  const AC = window.AudioContext || window.webkitAudioContext;
  const kh = Module.kh;
  kh.audio = { ctx: null, buffers: new Map(), source: null };
  if (!AC) return 0;
  // A running context costs the browser's audio threads their time even in silence: it
  // rests after a few quiet seconds and wakes for the next sound.
  kh.audio.rest = () => {
    const a = kh.audio;
    clearTimeout(a.restTimer);
    a.restTimer = setTimeout(() => { if (a.ctx && !a.source) a.ctx.suspend().catch(() => {}); }, 5000);
  };
  const unlock = () => {
    const a = kh.audio;
    if (!a.ctx) { try { a.ctx = new AC(); } catch (e) { return; } a.rest(); }
  };
  for (const type of ['keydown', 'mousedown', 'touchend']) window.addEventListener(type, unlock, true);
  const before = kh.onVisible;
  kh.onVisible = (shown) => {
    if (before) before(shown);
    const a = kh.audio;
    if (a.ctx && !shown) a.ctx.suspend().catch(() => {});
    if (a.ctx && shown && a.source) a.ctx.resume().catch(() => {});
  };
  return 1;
});

EM_JS(void, kh_web_audio_buffer, (int id, const void* data, int bytes, int rate, int channels), {
  const frames = Math.floor(bytes / 2 / channels);
  if (frames <= 0) return;
  const b = new AudioBuffer({ length: frames, numberOfChannels: channels, sampleRate: rate });
  const s = new Int16Array(HEAPU8.buffer, data, frames * channels);
  for (let c = 0; c < channels; ++c) {
    const out = b.getChannelData(c);
    for (let i = 0; i < frames; ++i) out[i] = s[i * channels + c] / 32768;
  }
  Module.kh.audio.buffers.set(id, b);
});

EM_JS(void, kh_web_audio_play, (int id), {
  const a = Module.kh.audio;
  if (a.source) { a.source.onended = null; try { a.source.stop(); } catch (e) {} a.source = null; }
  const b = a.buffers.get(id);
  // Before the first key or click there is nothing to play on: that sound stays unheard.
  if (!b || !a.ctx || a.ctx.state === 'closed') return;
  if (a.ctx.state === 'suspended' && !document.hidden) a.ctx.resume().catch(() => {});
  const source = a.source = a.ctx.createBufferSource();
  source.buffer = b;
  source.connect(a.ctx.destination);
  source.onended = () => { if (a.source === source) { a.source = null; a.rest(); } };
  source.start();
});

// -1 when the page has no such file, with the reason in `why` (at most 200 bytes).
EM_JS(double, kh_web_file_size, (const char* name, char* why), {
  const n = UTF8ToString(name);
  const f = Module.khFiles && Module.khFiles[n];
  if (f instanceof Uint8Array) return f.length;
  const reason = (Module.khFileErrors && Module.khFileErrors[n]) || 'not among the files the page fetched';
  stringToUTF8(reason, why, 200);
  return -1;
});

EM_JS(void, kh_web_file_read, (const char* name, void* out), {
  HEAPU8.set(Module.khFiles[UTF8ToString(name)], out);
});

EM_JS(int, kh_web_file_index, (const char* name), {
  return Object.keys(Module.khFiles || {}).indexOf(UTF8ToString(name)) + 1;
});

constexpr DeviceFormat kFormat{44100, 2};

}  // namespace

WebSound::WebSound() : audio_(kh_web_audio_init() != 0) {
  if (!audio_) reportProblem("this browser has no Web Audio; the game stays silent");
}

std::optional<DeviceFormat> WebSound::format() const {
  if (!audio_) return std::nullopt;
  // Web Audio takes samples at any rate and converts them itself.
  return kFormat;
}

void WebSound::hold(Pcm pcm) {
  held_ = 0;
  if (!pcm || pcm->empty() || !audio_) return;
  for (const auto& [p, id] : buffers_)
    if (p == pcm) {
      held_ = id;
      return;
    }
  held_ = int(buffers_.size()) + 1;
  buffers_.emplace_back(pcm, held_);
  kh_web_audio_buffer(held_, pcm->data(), int(pcm->size()), kFormat.rate, kFormat.channels);
}

void WebSound::play() {
  if (audio_) kh_web_audio_play(held_);
}

std::optional<FileStamp> WebSound::stamp(const std::string& name, std::string& why) {
  char reason[256] = {};
  const double size = kh_web_file_size(name.c_str(), reason);
  if (size < 0) {
    why = reason;
    return std::nullopt;
  }
  // The page's files never change while it runs.
  return FileStamp{std::uint64_t(kh_web_file_index(name.c_str())), std::uint64_t(size), 0};
}

std::optional<std::vector<std::uint8_t>> WebSound::read(const std::string& name, std::size_t limit,
                                                        std::string& why) {
  char reason[256] = {};
  const double size = kh_web_file_size(name.c_str(), reason);
  if (size < 0) {
    why = reason;
    return std::nullopt;
  }
  if (size > double(limit)) {
    why = "larger than " + std::to_string(limit) + " bytes";
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (!bytes.empty()) kh_web_file_read(name.c_str(), bytes.data());
  return bytes;
}

}  // namespace kh
