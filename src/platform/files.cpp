#include "platform/files.h"

namespace tavrin {

bool SaveWholeFile(FileSystem& files, const std::string& path, std::string_view bytes) {
  const SavePlan plan = files.PlanSave(path);
  switch (plan.way) {
    case SaveWay::kRefused:
      return false;
    case SaveWay::kInPlace:
      return files.RewriteInPlace(plan.target, bytes);
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
