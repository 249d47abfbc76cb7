#include "WaveOutput.h"

#include <string>

#include "Report.h"

namespace kh::win32 {

namespace {

std::string waveError(MMRESULT r) {
  wchar_t text[MAXERRORLENGTH] = {};
  if (waveOutGetErrorTextW(r, text, MAXERRORLENGTH) != MMSYSERR_NOERROR || !text[0]) return "error " + std::to_string(r);
  std::string out;
  for (const wchar_t* p = text; *p; ++p) out += *p < 0x80 ? char(*p) : '?';
  while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.pop_back();
  return out;
}

}  // namespace

WaveOutput::WaveOutput() {
  WAVEFORMATEX f{};
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = WORD(format_.channels);
  f.nSamplesPerSec = DWORD(format_.rate);
  f.wBitsPerSample = 16;
  f.nBlockAlign = WORD(f.nChannels * 2);
  f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
  const MMRESULT r = waveOutOpen(&out_, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL);
  if (r != MMSYSERR_NOERROR) {
    out_ = nullptr;
    reportProblem("no sound device (" + waveError(r) + "); the game stays silent");
  }
}

WaveOutput::~WaveOutput() {
  if (!out_) return;
  stop();
  waveOutClose(out_);
}

std::optional<DeviceFormat> WaveOutput::format() const {
  if (!out_) return std::nullopt;
  return format_;
}

void WaveOutput::stop() {
  if (!out_) return;
  waveOutReset(out_);  // every buffer handed back at once, marked done
  if (prepared_) waveOutUnprepareHeader(out_, &header_, sizeof header_);
  prepared_ = false;
  playing_.reset();
}

void WaveOutput::hold(Pcm pcm) {
  stop();
  held_ = std::move(pcm);
}

void WaveOutput::play() {
  stop();
  if (!out_ || !held_ || held_->empty()) return;
  playing_ = held_;
  header_ = WAVEHDR{};
  // waveOut only reads the samples; the buffer stays ours and alive while it plays.
  header_.lpData = reinterpret_cast<LPSTR>(const_cast<std::uint8_t*>(playing_->data()));
  header_.dwBufferLength = DWORD(playing_->size());
  MMRESULT r = waveOutPrepareHeader(out_, &header_, sizeof header_);
  if (r == MMSYSERR_NOERROR) {
    prepared_ = true;
    r = waveOutWrite(out_, &header_, sizeof header_);
  }
  if (r != MMSYSERR_NOERROR && !warned_) {
    warned_ = true;
    reportProblem("a sound cannot be played (" + waveError(r) + ")");
  }
}

}  // namespace kh::win32
