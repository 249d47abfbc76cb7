#include "Program.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "App.h"
#include "Catalogue.h"
#include "Game.h"
#include "Report.h"

namespace kh {

void reportFatal(Host& host, std::string_view message) {
  reportProblem(message);
  host.showFatal(message);
}

int runProgram(Host& host, const std::vector<std::string>& args) {
  const ParsedOptions parsed = parseOptions(args);
  if (!parsed.error.empty()) {
    host.say(parsed.error + "; " + usageLine(), true);
    return 2;
  }
  const Options& options = parsed.options;
  if (options.help) {
    host.say(helpText(host.scoreHome()), false);
    return 0;
  }
  if (options.version) {
    host.say(versionText(), false);
    return 0;
  }
  if (std::error_code ec; options.dataDir && !std::filesystem::is_directory(*options.dataDir, ec)) {
    const std::u8string dir = options.dataDir->u8string();
    host.say("option --data-dir needs an existing folder, not \"" + shortened(std::string(dir.begin(), dir.end())) +
                 "\"; " + usageLine(),
             true);
    return 2;
  }
  try {
    Platform& platform = host.open(options);
    AppOptions appOptions;
    appOptions.scale = options.scale;
    appOptions.clockRate = options.testClockRate;  // 1 unless a test asks
    App app(platform, appOptions);
    const Catalogue pictures;
    Game game(app, pictures, host.scoreBytes());
    game.splash.Show();
    app.run();
  } catch (const std::exception& e) {
    reportFatal(host, e.what());
    return 1;
  }
  return 0;
}

}  // namespace kh
