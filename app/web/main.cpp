// The game in a web page: no command line and no folders; the page holds the sounds and
// its local storage the best score.
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Program.h"
#include "Report.h"
#include "WebBackend.h"
#include "WebScoreStore.h"

namespace {

class WebHost : public kh::Host {
 public:
  // Lines for the browser's console.
  void say(std::string_view text, bool error) override {
    if (error) kh::reportProblem(text);
    else std::cout << text << std::flush;
  }
  void showFatal(std::string_view message) override { kh::showFatalOnPage(message); }
  std::string scoreHome() const override { return "the page's storage"; }
  kh::Platform& open(const kh::Options&) override {
    page_.emplace();
    return page_->platform;
  }
  std::unique_ptr<kh::ScoreBytes> scoreBytes() override { return std::make_unique<kh::WebScoreStore>(); }

 private:
  std::optional<kh::WebBackend> page_;
};

}  // namespace

int main() {
  WebHost host;
  // A test's faster clock (the page's ?speed=N) as the desktop's tests ask for it.
  std::vector<std::string> args;
  if (const int rate = kh::WebBackend::testClockRate(); rate > 1) args = {"--test-clock-rate", std::to_string(rate)};
  return kh::runProgram(host, args);
}
