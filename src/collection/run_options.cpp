#include "collection/run_options.h"

#include <algorithm>
#include <optional>

#include "platform/ascii.h"

namespace tavrin {

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// A whole number from `least` to `most` written with digits only.
std::optional<long> WholeNumber(std::string_view text, long least, long most) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < least || value > most) return std::nullopt;
  return value;
}

// `text` after `prefix` (letter case of the prefix ignored), or nothing.
std::optional<std::string_view> After(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size() || !SameIgnoringCase(text.substr(0, prefix.size()), prefix)) {
    return std::nullopt;
  }
  return text.substr(prefix.size());
}

// Reads a WaitReady value: tcp:HOST:PORT (an IPv6 host in brackets), file:PATH or
// window:TEXT.
bool ReadReady(std::string_view value, RunOptions& out) {
  if (const auto tcp = After(value, "tcp:")) {
    const std::size_t colon = tcp->rfind(':');
    if (colon == std::string_view::npos) return false;
    std::string_view host = tcp->substr(0, colon);
    // An IPv6 address in brackets, or a name or IPv4 address as long as a name may be.
    const bool bracketed = host.size() >= 2 && host.front() == '[' && host.back() == ']';
    if (bracketed) host = host.substr(1, host.size() - 2);
    constexpr std::string_view kName =
        "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-._:%";
    const std::string_view allowed = bracketed ? kName : kName.substr(0, kName.size() - 2);
    if (host.find_first_not_of(allowed) != std::string_view::npos || host.size() > 253 ||
        (bracketed && host.find(':') == std::string_view::npos)) {
      return false;
    }
    const auto port = WholeNumber(tcp->substr(colon + 1), 1, 65535);
    if (host.empty() || !port) return false;
    out.ready = RunOptions::Ready::kTcp;
    out.readyHost = std::string(host);
    out.readyPort = static_cast<int>(*port);
    return true;
  }
  const auto file = After(value, "file:");
  const auto window = file ? std::nullopt : After(value, "window:");
  const auto text = file ? file : window;
  if (!text || text->empty()) return false;
  out.ready = file ? RunOptions::Ready::kFile : RunOptions::Ready::kWindow;
  out.readyText = std::string(*text);
  return true;
}

// A whole number, with a minus sign before it where `least` is below 0.
std::optional<long> SignedNumber(std::string_view text, long least, long most) {
  const bool negative = !text.empty() && text.front() == '-';
  const auto size = WholeNumber(negative ? text.substr(1) : text, 0, std::max(-least, most));
  if (!size) return std::nullopt;
  const long value = negative ? -*size : *size;
  if (value < least || value > most) return std::nullopt;
  return value;
}

// Reads a Place value: X,Y,W,H in whole pixels, the size from 1.
std::optional<WindowRect> ReadPlace(std::string_view value) {
  long parts[4] = {};
  for (int i = 0; i < 4; ++i) {
    const std::size_t comma = i < 3 ? value.find(',') : value.size();
    if (comma == std::string_view::npos) return std::nullopt;
    const long least = i < 2 ? -kMostPixels : 1;
    const auto number = SignedNumber(value.substr(0, comma), least, kMostPixels);
    if (!number) return std::nullopt;
    parts[i] = *number;
    value.remove_prefix(std::min(value.size(), comma + 1));
  }
  return WindowRect{static_cast<int>(parts[0]), static_cast<int>(parts[1]),
                    static_cast<int>(parts[2]), static_cast<int>(parts[3])};
}

bool ReadFlag(std::string_view value, bool& flag) {
  if (value != "0" && value != "1") return false;
  flag = value == "1";
  return true;
}

}  // namespace

std::string CanonicalOptionKey(std::string_view key) {
  for (std::string_view known : kKnownOptionKeys) {
    if (SameIgnoringCase(key, known)) return std::string(known);
  }
  return std::string(key);
}

std::string ReadRunOptions(const CollItem& item, RunOptions& out) {
  out = RunOptions{};
  std::vector<std::string> seen;
  for (const ItemOption& option : item.Options) {
    const std::string key = CanonicalOptionKey(option.Key);
    const std::string_view value = option.Value;
    const auto wrong = [&](const std::string& why) {
      return key + " \"" + option.Value + "\" " + why;
    };
    if (key == "Env") {
      const std::size_t equals = value.find('=');
      if (equals == 0 || equals == std::string_view::npos) return wrong("is no NAME=VALUE");
      out.env.emplace_back(value.substr(0, equals), value.substr(equals + 1));
      continue;
    }
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
    seen.push_back(key);
    if (key == "Delay") {
      const auto delay = WholeNumber(value, 0, kMostMilliseconds);
      if (!delay) return wrong("is no number of milliseconds from 0 to 3600000");
      out.delay = *delay;
    } else if (key == "Timeout") {
      const auto timeout = WholeNumber(value, 1, kMostMilliseconds);
      if (!timeout) return wrong("is no number of milliseconds from 1 to 3600000");
      out.timeout = *timeout;
    } else if (key == "WaitReady") {
      if (!ReadReady(value, out)) return wrong("is none of tcp:HOST:PORT, file:PATH, window:TEXT");
      out.readySpec = option.Value;
    } else if (key == "SkipIfRunning") {
      if (!ReadFlag(value, out.skipIfRunning)) return wrong("is neither 1 nor 0");
    } else if (key == "StopOnFailure") {
      if (!ReadFlag(value, out.stopOnFailure)) return wrong("is neither 1 nor 0");
    } else if (key == "WorkDir") {
      if (value.empty()) return wrong("names no folder");
      out.workDir = option.Value;
    } else if (key == "Place") {
      out.place = ReadPlace(value);
      if (!out.place) return wrong("is no X,Y,WIDTH,HEIGHT in whole pixels");
    } else if (key == "Desktop") {
      const auto desktop = WholeNumber(value, 1, kMostDesktop);
      if (!desktop) return wrong("is no workspace number from 1 to 1000");
      out.desktop = static_cast<int>(*desktop);
    }
  }
  return "";
}

}  // namespace tavrin
