#include "forms/details.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "collection/paths.h"
#include "collection/run_options.h"
#include "collection/text.h"
#include "platform/system.h"
#include "platform/text_encoding.h"

namespace tavrin {
namespace {

// The first character in upper case, all others in lower case (letters A to Z).
std::string Capitalised(std::string text) {
  text = LowerAscii(std::move(text));
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 32);
  return text;
}

// "2 s" for whole seconds, "1500 ms" otherwise.
std::string Duration(long milliseconds) {
  if (milliseconds % 1000 == 0) return std::to_string(milliseconds / 1000) + " s";
  return std::to_string(milliseconds) + " ms";
}

// "1 variable", "2 variables".
std::string Counted(std::size_t count, const char* what) {
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

}  // namespace

std::string OptionsSummary(const CollItem& item) {
  if (item.Options.empty()) return "";
  RunOptions options;
  if (std::string wrong = ReadRunOptions(item, options); !wrong.empty()) return wrong;
  std::vector<std::string> parts;
  if (options.delay > 0) parts.push_back("delay " + Duration(options.delay));
  if (options.ready != RunOptions::Ready::kNone) {
    parts.push_back("ready " + options.readySpec);
    if (options.timeout != kDefaultTimeout) parts.push_back("timeout " + Duration(options.timeout));
  }
  if (options.skipIfRunning) parts.push_back("skip if running");
  if (options.stopOnFailure) parts.push_back("stop on failure");
  if (!options.env.empty()) parts.push_back(Counted(options.env.size(), "variable"));
  if (!options.workDir.empty()) parts.push_back("folder " + options.workDir);
  if (options.place) {
    const WindowRect& r = *options.place;
    parts.push_back("place " + std::to_string(r.x) + "," + std::to_string(r.y) + "," +
                    std::to_string(r.width) + "," + std::to_string(r.height));
  }
  if (options.desktop > 0) parts.push_back("workspace " + std::to_string(options.desktop));
  const auto unknown = std::count_if(item.Options.begin(), item.Options.end(), [](const auto& o) {
    const std::string key = CanonicalOptionKey(o.Key);
    return std::find(kKnownOptionKeys.begin(), kKnownOptionKeys.end(), key) ==
           kKnownOptionKeys.end();
  });
  if (unknown > 0) parts.push_back(Counted(static_cast<std::size_t>(unknown), "other key"));
  std::string summary;
  for (const std::string& part : parts) summary += (summary.empty() ? "" : ", ") + part;
  return summary;
}

std::string RetWinStyle(int16_t WinStyle) {
  switch (WinStyle) {
    case 0:
      return "Hidden";
    case 1:
      return "Normal";
    case 2:
      return "Minimized";
    case 3:
      return "Maximized";
    case 4:
      return "Normal no focus";
    case 5:
      return "Minimized no focus";
    default:
      return "";
  }
}

std::string TypeText(const std::string& description) {
  const auto first = description.find_first_not_of(' ');
  if (first == std::string::npos) return "<File not found>";
  if (DisplayWidth(description.substr(first)) > 25) return ShortenText(description, 25);
  return description;
}

std::string DetailsText(const CollItem& item, int ItemIndex, const std::string& typeDescription,
                        const std::string& folder, SystemInfo& system) {
  // A value is shown with what would hide or reorder its characters escaped, then cut
  // to the room of its line.
  const auto shown = [](const std::string& value, std::size_t room) {
    return ShortenText(WindowText(value), room);
  };
  std::string text;
  text += shown(item.ItemName, 31) + "\n";
  text += std::string(31, '-') + "\n";
  text += "File: " + system.PathCase(shown(FilePart(item.File), 25)) + "\n";
  text += "Parameters: " + shown(item.Params, 19) + "\n";
  text += "Folder: \n";
  text += system.PathCase(shown(folder, 31)) + "\n";
  text += std::string("Wait until finished: ") + (item.Wait != 0 ? "Yes" : "No") + "\n";
  text += "Type: " + Capitalised(TypeText(typeDescription)) + "\n";
  text += "Style: " + RetWinStyle(item.WinStyle) + "\n";
  text += "Position: " + std::to_string(ItemIndex + 1);
  if (const std::string options = OptionsSummary(item); !options.empty()) {
    text += "\nOptions: " + shown(options, 22);
  }
  return text;
}

bool CountsAsProgram(const std::string& text, bool isProgramFile) {
  const std::string last = LowerAscii(text.size() >= 3 ? text.substr(text.size() - 3) : text);
  return last == "exe" || last == "bat" || last == "com" || isProgramFile;
}

std::string GetAppVersion(int major, int minor, int revision) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d.%02d.%02d", major, minor, revision);
  return buf;
}

}  // namespace tavrin
