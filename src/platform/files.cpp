#include "platform/files.h"

#include "platform/traits.h"

namespace tavrin {

std::string SavedCopyPath(const std::string& target) {
  const std::size_t slash = target.find_last_of(kWindowsRules ? "\\/" : "/");
  const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
  return target.substr(0, name) + "." + target.substr(name) + ".saved-copy";
}

namespace {

// Writes `bytes` complete as the file `to`, through a temporary file beside `target`.
bool WriteBeside(FileSystem& files, const std::string& target, const std::string& to,
                 std::string_view bytes) {
  std::string tempPath;
  std::unique_ptr<OutFile> out = files.CreateTempBeside(target, tempPath);
  if (!out) return false;
  bool ok = out->Write(bytes) && out->Flush();
  ok = out->Close() && ok;
  out.reset();
  if (ok) ok = files.Rename(tempPath, to);
  if (!ok) files.Remove(tempPath);
  return ok;
}

// Rewrites the file in place. A rewrite that is cut short (killed, the power gone) would
// leave old and new bytes mixed, so a complete copy of the new bytes is put beside it
// first (SavedCopyPath) and removed once the file is whole again; the next load offers
// it. Where the folder takes no file, the file is rewritten without one.
bool RewriteKeepingACopy(FileSystem& files, const std::string& path, const std::string& target,
                         std::string_view bytes) {
  const std::string copy = SavedCopyPath(target);
  const bool copied = WriteBeside(files, target, copy, bytes);
  if (!copied) {
    // The copy's steps end the plan: the file is planned again, as it stands now.
    const SavePlan again = files.PlanSave(path);
    if (again.way != SaveWay::kInPlace || again.target != target) return false;
  }
  if (!files.RewriteInPlace(target, bytes)) return false;
  if (copied) files.Remove(copy);
  return true;
}

}  // namespace

bool SaveWholeFile(FileSystem& files, const std::string& path, std::string_view bytes) {
  const SavePlan plan = files.PlanSave(path);
  switch (plan.way) {
    case SaveWay::kRefused:
      return false;
    case SaveWay::kInPlace:
      return RewriteKeepingACopy(files, path, plan.target, bytes);
    case SaveWay::kReplace:
      break;
  }
  // The new content replaces the target only once it is complete, so a failure leaves
  // the old file as it was.
  std::string tempPath;
  std::unique_ptr<OutFile> out = files.CreateTempBeside(plan.target, tempPath);
  if (!out) return false;
  bool ok = out->Write(bytes) && out->Flush();
  ok = out->Close() && ok;
  out.reset();
  if (ok) ok = files.Rename(tempPath, plan.target);
  if (!ok) files.Remove(tempPath);
  return ok;
}

}  // namespace tavrin
