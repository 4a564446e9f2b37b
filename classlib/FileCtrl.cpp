#include "classlib/FileCtrl.h"

#include "classlib/FileUtils.h"

#include <algorithm>
#include <vector>

namespace {

bool HasWildcards(const String& name) { return name.find_first_of(L"*?") != String::npos; }

std::vector<String> SplitMasks(const String& masks) {
  std::vector<String> parts;
  size_t start = 0;
  while (start <= masks.size()) {
    size_t end = masks.find(L';', start);
    if (end == String::npos) end = masks.size();
    if (end > start) parts.push_back(masks.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

}  // namespace

TFileListBox::TFileListBox(TComponent* AOwner) : TComponent(AOwner), directory_(GetCurrentDir()) {}

void TFileListBox::SetMask(const String& mask) {
  if (mask == mask_) return;
  mask_ = mask;
  Update();
}

void TFileListBox::SetDirectory(const String& folder) {
  // A folder that cannot be entered still names the list's folder (and lists as empty).
  directory_ = SetCurrentDir(folder) ? GetCurrentDir() : folder;
  Update();
}

void TFileListBox::ApplyFilePath(const String& path) {
  String folder = ExtractFilePath(path);
  String name = ExtractFileName(path);
  if (!name.empty() && !HasWildcards(name) && DirectoryExists(path)) {
    folder = path;
    name.clear();
  }
  if (HasWildcards(name)) mask_ = name;
  if (!folder.empty()) SetDirectory(folder);
  else Update();
}

void TFileListBox::Update() {
  std::vector<String> names;
  for (const String& mask : SplitMasks(mask_)) {
    std::vector<String> found = ListFiles(directory_, mask);
    names.insert(names.end(), found.begin(), found.end());
  }
  std::sort(names.begin(), names.end(),
            [](const String& a, const String& b) { return AnsiCompareFileName(a, b) < 0; });
  names.erase(std::unique(names.begin(), names.end(),
                          [](const String& a, const String& b) { return AnsiCompareFileName(a, b) == 0; }),
              names.end());
  items_.BeginUpdate();
  items_.Clear();
  for (const String& name : names) items_.Add(name);
  items_.EndUpdate();
}
