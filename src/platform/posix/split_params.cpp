// Parameters into arguments: one rule, with no expansion and no character lost.
#include "platform/posix/posix_shell.h"

#include <algorithm>
#include <string_view>

namespace tavrin::posix {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// What a backslash may stand before to be taken away: a quote, a blank or another
// backslash. Before anything else it stays as typed.
bool IsEscapable(char c) { return c == '"' || c == '\'' || c == '\\' || IsBlank(c); }

// The text cut at its blanks, every character kept as typed.
std::vector<std::string> SplitAtBlanks(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  for (const char c : text) {
    if (IsBlank(c)) {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(std::move(word));
  return words;
}

}  // namespace

std::vector<std::string> SplitParams(const std::string& params) {
  std::vector<std::string> args;
  std::string arg;
  bool inArg = false;  // an argument has begun (it may still be empty: "")
  char quote = 0;      // the quote that is open, or 0
  for (std::size_t i = 0; i < params.size(); ++i) {
    const char c = params[i];
    if (quote == '\'') {
      // Inside single quotes every character is itself, up to the closing quote.
      if (c == '\'') {
        quote = 0;
      } else {
        arg += c;
      }
      continue;
    }
    if (c == '\\' && i + 1 < params.size() && IsEscapable(params[i + 1])) {
      arg += params[++i];
      inArg = true;
      continue;
    }
    if (quote == '"') {
      if (c == '"') {
        quote = 0;
      } else {
        arg += c;
      }
      continue;
    }
    if (IsBlank(c)) {
      if (inArg) args.push_back(std::move(arg));
      arg.clear();
      inArg = false;
      continue;
    }
    inArg = true;
    if (c == '"' || c == '\'') {
      quote = c;
    } else {
      arg += c;
    }
  }
  // Quotes that do not balance: nothing of the text is taken for quoting.
  if (quote != 0) return SplitAtBlanks(params);
  if (inArg) args.push_back(std::move(arg));
  return args;
}

std::string QuoteParams(const std::vector<std::string>& args) {
  const auto plain = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("-_./=:,+@%").find(c) != std::string_view::npos;
  };
  std::string params;
  for (const std::string& arg : args) {
    if (!params.empty()) params += ' ';
    if (!arg.empty() && std::all_of(arg.begin(), arg.end(), plain)) {
      params += arg;
      continue;
    }
    params += '\'';
    for (const char c : arg) params += c == '\'' ? std::string("'\\''") : std::string(1, c);
    params += '\'';
  }
  return params;
}

}  // namespace tavrin::posix
