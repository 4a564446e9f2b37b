#include "tbx/TBXListenerList.h"

#include <algorithm>

namespace tbx {

void TListenerList::Add(TObject* Listener) {
  objects_.push_back(Listener);
  serials_.push_back(nextSerial_++);
}

void TListenerList::Remove(TObject* Listener) {
  auto found = std::find(objects_.begin(), objects_.end(), Listener);
  if (found == objects_.end()) return;
  serials_.erase(serials_.begin() + (found - objects_.begin()));
  objects_.erase(found);
}

bool TListenerList::Contains(const TObject* Listener) const {
  return std::find(objects_.begin(), objects_.end(), Listener) != objects_.end();
}

void TListenerList::Clear() {
  objects_.clear();
  serials_.clear();
}

void TListenerList::Broadcast(TMessage& Message) {
  const std::vector<uint64_t> snapshot = serials_;
  for (uint64_t serial : snapshot) {
    auto found = std::find(serials_.begin(), serials_.end(), serial);
    if (found == serials_.end()) continue;
    objects_[static_cast<size_t>(found - serials_.begin())]->Dispatch(Message);
  }
}

}  // namespace tbx
