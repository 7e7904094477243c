#include "collection/collfile.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <string_view>
#include <vector>

#include "collection/paths.h"
#include "collection/run_options.h"
#include "collection/text.h"

namespace tavrin {

namespace {

// No field of a collection file written by this program comes near this size; a
// longer one means the file is no collection (or is damaged), and reading it is a
// read error. The cap keeps a broken file from taking unbounded memory.
inline constexpr std::size_t kMaxFieldBytes = std::size_t{1} << 20;

// Nor does a whole collection: 32,767 ordinary items take a few mebibytes. Reading
// beyond this many bytes is a read error, so that no file, however large (or sparse),
// makes the reader keep more than this.
inline constexpr std::size_t kMaxCollectionBytes = std::size_t{64} << 20;

// Hands out the bytes of a file a block at a time, or of bytes already in memory, at
// most kMaxCollectionBytes of them: reaching the end of those is a read error when the
// source holds more.
class ByteReader {
 public:
  explicit ByteReader(InFile& file) : file_(&file), buffer_(64 * 1024) {}
  explicit ByteReader(std::string_view bytes)
      : data_(bytes.data()),
        len_(std::min(bytes.size(), kMaxCollectionBytes)),
        done_(true),
        failed_(bytes.size() > kMaxCollectionBytes) {}
  ByteReader(const ByteReader&) = delete;
  ByteReader& operator=(const ByteReader&) = delete;

  // Passes over a UTF-8 byte-order mark at the very start, which editors on other
  // systems write; it belongs to no field.
  void SkipByteOrderMark() {
    static constexpr unsigned char kMark[] = {0xEF, 0xBB, 0xBF};
    if (pos_ == len_ && !Fill()) return;
    if (len_ - pos_ < sizeof kMark) return;  // a file that short holds no collection
    if (std::equal(std::begin(kMark), std::end(kMark),
                   reinterpret_cast<const unsigned char*>(data_ + pos_))) {
      pos_ += sizeof kMark;
    }
  }

  // The next byte, or -1 at the end and after a read error.
  int Get() {
    if (pos_ == len_ && !Fill()) return -1;
    const int c = static_cast<unsigned char>(data_[pos_++]);
    // CR LF, LF and CR each end one line.
    if (c == '\r' || (c == '\n' && !afterCr_)) ++lineEnds_;
    afterCr_ = c == '\r';
    return c;
  }
  int Peek() {
    if (pos_ == len_ && !Fill()) return -1;
    return static_cast<unsigned char>(data_[pos_]);
  }

  // True once reading failed (a folder, an I/O error, a source over the cap), as
  // opposed to a plain end. Only meaningful once the end has been reached.
  bool Failed() const { return failed_ && pos_ == len_; }

  // The number, from 1, of the line that the next byte stands on (a LF right after a
  // CR still counts to the line that CR ended).
  int Line() const { return lineEnds_ + 1; }

 private:
  bool Fill() {
    if (done_) return false;
    const long n = file_->Read(buffer_.data(), buffer_.size());
    data_ = buffer_.data();
    pos_ = 0;
    len_ = n > 0 ? static_cast<std::size_t>(n) : 0;
    if (len_ > kMaxCollectionBytes - total_) {
      // One byte beyond the cap is enough to know; the rest is never read.
      len_ = kMaxCollectionBytes - total_;
      done_ = true;
      failed_ = true;
    }
    total_ += len_;
    if (n <= 0) {
      done_ = true;
      failed_ = n < 0;
    }
    return len_ > 0;
  }

  InFile* file_ = nullptr;
  std::vector<char> buffer_;
  const char* data_ = nullptr;
  std::size_t pos_ = 0;
  std::size_t len_ = 0;
  std::size_t total_ = 0;  // bytes taken from the file so far
  bool done_ = false;
  bool failed_ = false;
  int lineEnds_ = 0;
  bool afterCr_ = false;
};

bool IsBlank(int c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(int c) { return c == '\r' || c == '\n'; }
bool EndsField(int c) { return c < 0 || c == ',' || IsLineEnd(c); }

// Takes a file apart into fields. A comma or a line end (CR LF, LF or CR) ends a
// field; where the line ends does not matter otherwise. Blanks before a field are
// skipped. A field that begins with a double quote runs to the next double quote,
// commas and line ends inside it included; two double quotes in a row inside it
// stand for one, and whatever follows the closing quote up to the end of the field
// is dropped. Any other field runs to the next comma or line end, without its
// trailing blanks.
//
// A NUL byte ends the text of its field: what follows it up to the field's end is
// read and dropped. Every use of a field (the window, a listing, the start, which
// hands the system a string that ends at the first NUL) then sees the same text.
class FieldReader {
 public:
  explicit FieldReader(ByteReader& in) : in_(in) {}

  // Reads the next field into `text`. False on a read error: the file ended before
  // the field began or inside its quotes, the field is longer than the cap, or the
  // file could not be read.
  bool Next(std::string& text) {
    text.clear();
    cut_ = false;
    endedLine_ = true;
    int c = in_.Get();
    while (IsBlank(c)) c = in_.Get();
    if (c < 0) return false;
    if (c == '"') {
      for (;;) {
        c = in_.Get();
        if (c < 0) return false;
        if (c == '"') {
          if (in_.Peek() != '"') break;
          in_.Get();
        }
        if (!Append(text, c)) return false;
      }
      do {
        c = in_.Get();
      } while (!EndsField(c));
    } else {
      for (; !EndsField(c); c = in_.Get()) {
        if (!Append(text, c)) return false;
      }
      while (!text.empty() && IsBlank(text.back())) text.pop_back();
    }
    if (c == '\r' && in_.Peek() == '\n') in_.Get();
    endedLine_ = c != ',';
    return !in_.Failed();
  }

  // Whether the field read last ended its line (or the file) rather than at a comma.
  bool EndedLine() const { return endedLine_; }

 private:
  bool Append(std::string& text, int c) {
    if (c == '\0') cut_ = true;
    if (cut_) return true;
    if (text.size() >= kMaxFieldBytes) return false;
    text.push_back(static_cast<char>(c));
    return true;
  }

  ByteReader& in_;
  bool cut_ = false;  // a NUL has ended the text of the field being read
  bool endedLine_ = true;
};

// A decimal number with optional sign and fraction, rounded to the nearest whole
// number (halves to the even neighbour); nothing when the text is no such number
// or the result lies outside -32768 to 32767.
std::optional<int16_t> ToInt16(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const auto isDigit = [&](std::size_t k) {
    return k < text.size() && text[k] >= '0' && text[k] <= '9';
  };
  // Anything above this is out of range whatever the sign and the rounding.
  constexpr long kBeyond = 100000;
  long value = 0;
  bool anyDigit = false;
  for (; isDigit(i); ++i) {
    anyDigit = true;
    if (value < kBeyond) value = value * 10 + (text[i] - '0');
  }
  int firstDecimal = 0;
  bool restNonZero = false;
  if (i < text.size() && text[i] == '.') {
    ++i;
    for (bool first = true; isDigit(i); ++i, first = false) {
      anyDigit = true;
      if (first) {
        firstDecimal = text[i] - '0';
      } else if (text[i] != '0') {
        restNonZero = true;
      }
    }
  }
  if (!anyDigit || i != text.size()) return std::nullopt;
  if (firstDecimal > 5 || (firstDecimal == 5 && (restNonZero || value % 2 != 0))) ++value;
  if (negative) value = -value;
  if (value < -32768 || value > 32767) return std::nullopt;
  return static_cast<int16_t>(value);
}

std::optional<int16_t> ToBoolean(const std::string& text) {
  const std::string lower = LowerAscii(text);
  if (lower == "#true#") return kTrue;
  if (lower == "#false#") return kFalse;
  return std::nullopt;
}

// A whole number without sign or fraction (or -1 where `minusOne` allows it), at most
// `largest`; nothing for any other text.
std::optional<long> ToCount(std::string_view text, long largest, bool minusOne) {
  if (minusOne && text == "-1") return -1;
  if (text.empty()) return std::nullopt;
  long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > largest) return std::nullopt;
  }
  return value;
}

enum class Version { k10, k11, k12 };

bool ReadInt16(FieldReader& fields, std::string& text, int16_t& out) {
  if (!fields.Next(text)) return false;
  const auto value = ToInt16(text);
  if (!value) return false;
  out = *value;
  return true;
}

// Reads the fields of one record, in the version's order, straight into `item`.
bool ReadRecord(FieldReader& fields, Version version, CollItem& item) {
  std::string text;
  if (!fields.Next(item.ItemName)) return false;
  if (!fields.Next(item.File)) return false;
  if (version == Version::k10) {
    item.Params.clear();
    return ReadInt16(fields, text, item.WinStyle);
  }
  if (!fields.Next(item.Params)) return false;
  if (!ReadInt16(fields, text, item.WinStyle)) return false;
  if (version == Version::k11) return true;
  if (!fields.Next(text)) return false;
  const auto wait = ToBoolean(text);
  if (!wait) return false;
  item.Wait = *wait;
  return true;
}

// A string field as the file holds it: in double quotes, a double quote inside
// doubled.
std::string QuoteField(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted.push_back('"');
    quoted.push_back(c);
  }
  quoted.push_back('"');
  return quoted;
}

// Reads the run options section that may follow the records: its header, the index of
// its last line, then one line per option, `item index,"Key","Value"`. Anything else
// after the records is no section and is passed over, as it always was. A section that
// cannot be read from some line on keeps the options before that line; the line is
// noted in the state. Known keys take their own spelling.
void ReadOptions(FieldReader& fields, ByteReader& in, CollectionState& state) {
  std::string text;
  if (!fields.Next(text) || text != kOptionsHeader || !fields.EndedLine()) return;
  int line = in.Line();
  const auto damagedAt = [&state](int at) { state.OptionsBadLine = at; };
  // No section written by this program comes near this many lines; the cap only keeps
  // the count in range.
  constexpr long kMostLines = 1L << 30;
  const auto last =
      fields.Next(text) && fields.EndedLine() ? ToCount(text, kMostLines, true) : std::nullopt;
  if (!last) return damagedAt(line);
  const long largestItem = state.UpperBound();
  for (long i = 0; i <= *last; ++i) {
    line = in.Line();
    std::string key;
    std::string value;
    if (!fields.Next(text) || fields.EndedLine()) return damagedAt(line);
    const auto item = ToCount(text, largestItem, false);
    if (!item || !fields.Next(key) || fields.EndedLine() || key.empty() || !fields.Next(value) ||
        !fields.EndedLine()) {
      return damagedAt(line);
    }
    state.Items[static_cast<std::size_t>(*item)].Options.push_back(
        {CanonicalOptionKey(key), std::move(value)});
  }
  // A section of no lines is never written (a collection without options has none): lines
  // after a count of -1 are options it lost, said as any damage is. Blank lines are none.
  if (*last >= 0) return;
  for (line = in.Line(); fields.Next(text); line = in.Line()) {
    if (!text.empty() || !fields.EndedLine()) return damagedAt(line);
  }
}

std::string RecordLine(const CollItem& item) {
  return QuoteField(item.ItemName) + "," + QuoteField(item.File) + "," + QuoteField(item.Params) +
         "," + std::to_string(item.WinStyle) + "," + (item.Wait != kFalse ? "#TRUE#" : "#FALSE#") +
         "\r\n";
}

// The whole file of the current version, prepared before anything is written.
std::string CollectionBytes(const CollectionState& state) {
  std::string bytes =
      QuoteField(kHeaderCurrent) + "\r\n" + std::to_string(state.UpperBound()) + "\r\n";
  std::size_t options = 0;
  for (const CollItem& item : state.Items) {
    bytes += RecordLine(item);
    options += item.Options.size();
  }
  // A collection without run options is written exactly as before they existed.
  if (options == 0) return bytes;
  bytes += QuoteField(kOptionsHeader) + "\r\n" + std::to_string(options - 1) + "\r\n";
  for (std::size_t i = 0; i < state.Items.size(); ++i) {
    for (const ItemOption& option : state.Items[i].Options) {
      bytes += std::to_string(i) + "," + QuoteField(option.Key) + "," + QuoteField(option.Value) +
               "\r\n";
    }
  }
  return bytes;
}

// Reads a collection from `in`, whose source is open.
LoadResult ReadCollection(CollectionState& state, ByteReader& in) {
  state.OptionsBadLine = 0;
  in.SkipByteOrderMark();
  FieldReader fields(in);

  std::string header;
  if (!fields.Next(header)) return LoadFailed;
  Version version;
  if (header == kHeaderCurrent) {
    version = Version::k12;
  } else if (header == kHeaderV11) {
    version = Version::k11;
  } else if (header == kHeaderV10) {
    version = Version::k10;
  } else {
    return LoadNotCollection;
  }

  // At start-up the state has just been reset.
  if (!state.StartingUp) state.ResetItems();

  std::string text;
  int16_t last = 0;
  if (!ReadInt16(fields, text, last)) return LoadFailed;
  // Items grows one record at a time, so a count that the file does not back up
  // fails at the end of the file instead of reserving memory up front.
  for (int i = 0; i <= last; ++i) {
    state.Items.resize(static_cast<std::size_t>(i));
    state.Items.emplace_back();
    if (!ReadRecord(fields, version, state.Items.back())) return LoadFailed;
  }
  ReadOptions(fields, in, state);
  return version == Version::k12 ? LoadOk : LoadOldVersion;
}

}  // namespace

// A file read under another name gets its upgrade beside it; a name typed in Save As
// without the extension is saved with it.
bool MayWriteOver(const std::string& path, const std::string& name, Platform& platform) {
  const std::string target = ForceCollExt(path);
  if (target == path || !platform.files.Exists(target)) return true;
  return AskToReplace(ForceCollExt(name), platform);
}

bool AskToReplace(const std::string& name, Platform& platform) {
  const int answer =
      platform.toolkit.MsgBox(name + "\n\nThis file already exists.\nDo you want to replace it?",
                              kStyleQuestionYesNo + kStyleDefaultButton2, kQuestionCaption);
  return answer == kAnswerYes;
}

LoadResult ReadCollectionFile(CollectionState& state, const std::string& path, FileSystem& files) {
  try {
    const std::unique_ptr<InFile> file = files.OpenForReading(path);
    if (!file) return LoadFailed;
    ByteReader in(*file);
    return ReadCollection(state, in);
  } catch (const std::bad_alloc&) {
    // Memory ran out while reading: the collection cannot be loaded, like any other
    // that cannot be read.
    return LoadFailed;
  }
}

LoadResult ReadCollectionBytes(CollectionState& state, std::string_view bytes) {
  try {
    ByteReader in(bytes);
    return ReadCollection(state, in);
  } catch (const std::bad_alloc&) {
    return LoadFailed;
  }
}

bool SaveCollectionFile(const CollectionState& state, const std::string& path, FileSystem& files) {
  const std::string bytes = CollectionBytes(state);
  // Never written is what the next load would refuse (too large, a field too long): the
  // save fails and the file stays as it was.
  CollectionState check;
  if (bytes.size() > kMaxCollectionBytes || ReadCollectionBytes(check, bytes) != LoadOk) {
    return true;
  }
  return !SaveWholeFile(files, ForceCollExt(path), bytes);
}

namespace {

// The whole content of a file as the reader may take it; nothing when it cannot.
std::optional<std::string> ReadWhole(const std::string& path, FileSystem& files) {
  const std::unique_ptr<InFile> in = files.OpenForReading(path);
  if (!in) return std::nullopt;
  std::string bytes;
  char buffer[64 * 1024];
  for (long n; (n = in->Read(buffer, sizeof buffer)) != 0;) {
    if (n < 0 || bytes.size() + static_cast<std::size_t>(n) > kMaxCollectionBytes) {
      return std::nullopt;
    }
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

}  // namespace

void OfferSavedCopy(const std::string& path, const std::string& name, Platform& platform) {
  FileSystem& files = platform.files;
  const std::string target = files.SavedPath(path);
  const std::string copy = SavedCopyPath(target.empty() ? path : target);
  if (!files.Exists(copy)) return;
  // Only a file that a save rewrites in place gets such a copy (one with a second name,
  // in a folder nobody else may write): one found beside any other file was not left by a
  // save, and may have been put there by someone else.
  if (files.PlanSave(path).way != SaveWay::kInPlace) return;
  const std::optional<std::string> saved = ReadWhole(copy, files);
  CollectionState check;
  if (!saved || ReadCollectionBytes(check, *saved) == LoadFailed) return;
  // The save went through to its end and only the copy's removal was lost.
  if (ReadWhole(path, files) == saved) {
    files.Remove(copy);
    return;
  }
  const int answer = platform.toolkit.MsgBox(
      name +
          "\n\nA save of this Collection was cut short. A complete copy of what it saved "
          "was kept beside it:\n" +
          copy + "\n\nDo you want to load that copy? (No loads the file as it is.)",
      kStyleQuestionYesNo, kQuestionCaption);
  if (answer != kAnswerYes) return;
  if (!SaveWholeFile(files, path, *saved)) {
    platform.toolkit.MsgBox(name + "\n\nThe Tavrin was unable to save this file!!",
                            kStyleCriticalOk, kErrorCaption);
    return;
  }
  files.Remove(copy);
}

std::string LoadFailureText(int16_t code) {
  switch (code) {
    case LoadNotCollection:
      return "This file is not a Tavrin Collection!!";
    case LoadFailed:
      return "The Tavrin was unable to load the Collection!!";
    default:
      return "";
  }
}

std::string DamagedOptionsText(const CollectionState& state) {
  if (state.OptionsBadLine == 0) return "";
  return "The run options could not be read from line " + std::to_string(state.OptionsBadLine) +
         " and are left out.";
}

void ReportDamagedOptions(const CollectionState& state, const std::string& name,
                          Platform& platform) {
  const std::string why = DamagedOptionsText(state);
  if (!why.empty()) platform.toolkit.MsgBox(name + "\n\n" + why, kStyleCriticalOk, kErrorCaption);
}

bool ReportLoadResult(int16_t code, const std::string& name, const CollectionState& state,
                      Platform& platform, const std::string& upgradePath) {
  const std::string subject = name + "\n\n";
  switch (code) {
    case LoadNotCollection:
      platform.toolkit.MsgBox(subject + LoadFailureText(code), kStyleCriticalOk, kErrorCaption);
      return false;
    case LoadOldVersion: {
      const int answer = platform.toolkit.MsgBox(
          subject + "This Tavrin Collections in of an old version.\nDo you want to upgrade it?",
          kStyleQuestionYesNo, kQuestionCaption);
      const std::string target = upgradePath.empty() ? name : upgradePath;
      if (answer == kAnswerYes && MayWriteOver(target, name, platform) &&
          SaveCollectionFile(state, target, platform.files)) {
        platform.toolkit.MsgBox(subject + "The Tavrin was unable to save this file!!",
                                kStyleCriticalOk, kErrorCaption);
      }
      return true;
    }
    case LoadFailed:
      platform.toolkit.MsgBox(subject + LoadFailureText(code), kStyleCriticalOk, kErrorCaption);
      return false;
    default:
      return false;
  }
}

}  // namespace tavrin
