#include "launch/capture.h"

#include "collection/paths.h"
#include "collection/text.h"

namespace tavrin {
namespace {

constexpr std::size_t kNameColumns = 60;

// What a title's character becomes in a name: a control character or a line separator
// a blank, a direction control nothing (it would reorder what the list shows).
enum class Kind { kKept, kBlank, kDropped };

Kind KindOf(std::string_view text, std::size_t pos, std::size_t len, TextEncoding enc) {
  const auto byte = static_cast<unsigned char>(text[pos]);
  if (byte < 0x20 || byte == 0x7F) return Kind::kBlank;
  if (enc != TextEncoding::kUtf8 || len == 1) return Kind::kKept;
  const char32_t c = CodePointAt(text, pos, len);
  if ((c >= 0x80 && c <= 0x9F) || c == 0x2028 || c == 0x2029) return Kind::kBlank;
  if (c == 0x200E || c == 0x200F || c == 0x061C || (c >= 0x202A && c <= 0x202E) ||
      (c >= 0x2066 && c <= 0x2069)) {
    return Kind::kDropped;
  }
  return Kind::kKept;
}

std::string PlaceValue(const WindowRect& r) {
  return std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.width) + "," +
         std::to_string(r.height);
}

}  // namespace

std::string CapturedName(const std::string& title, TextEncoding enc) {
  std::string name;
  bool blank = false;
  for (std::size_t pos = 0; pos < title.size();) {
    const std::size_t len = CharLength(title, pos, enc);
    const Kind kind = KindOf(title, pos, len, enc);
    if (kind == Kind::kBlank || title[pos] == ' ') {
      blank = !name.empty();
    } else if (kind == Kind::kKept) {
      if (blank) name += ' ';
      blank = false;
      name.append(title, pos, len);
    }
    pos += len;
  }
  return ShortenText(name, kNameColumns, enc);
}

Capture CaptureOpenWindows(ProgramWindows& windows) {
  Capture capture;
  const std::optional<std::vector<OpenWindow>> open = windows.OpenWindows();
  if (!open) return capture;
  capture.listed = true;
  for (const OpenWindow& window : *open) {
    std::string name = CapturedName(window.title);
    if (!window.note.empty()) {
      capture.notes.push_back("window \"" + name + "\" (process " + std::to_string(window.pid) +
                              "): " + window.note);
      continue;
    }
    if (name.empty()) name = BaseName(window.program);
    CollItem item;
    item.File = window.program;
    item.ItemName = name;
    item.Params = window.params;
    item.WinStyle = static_cast<int16_t>(window.style);
    if (!window.workDir.empty()) item.Options.push_back({"WorkDir", window.workDir});
    if (window.place && window.place->width > 0 && window.place->height > 0) {
      item.Options.push_back({"Place", PlaceValue(*window.place)});
    }
    if (window.desktop > 0) item.Options.push_back({"Desktop", std::to_string(window.desktop)});
    capture.items.push_back(std::move(item));
  }
  return capture;
}

}  // namespace tavrin
