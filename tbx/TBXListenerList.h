#pragma once
// The listeners of the theme manager and the switchers of the theme holder: objects told of a
// change by a message dispatched to each of them. A handler may add or remove listeners, free
// one or switch the theme while a broadcast runs.
#include "classlib/Types.h"

#include <cstdint>
#include <vector>

namespace tbx {

// Objects in the order they were added. A broadcast goes over the list as it was when it began:
// an object removed meanwhile is skipped (it may be gone), even when another one now lives at
// its address; an object added meanwhile hears only later broadcasts.
class TListenerList {
 public:
  // Adding an object twice makes it hear every broadcast twice.
  void Add(TObject* Listener);
  // Its first occurrence; nothing when it is not there.
  void Remove(TObject* Listener);
  bool Contains(const TObject* Listener) const;
  const std::vector<TObject*>& Items() const { return objects_; }
  bool Empty() const { return objects_.empty(); }
  void Clear();
  // Dispatches the one record to each listener in turn; the result is shared.
  void Broadcast(TMessage& Message);

 private:
  std::vector<TObject*> objects_;
  std::vector<uint64_t> serials_;  // which addition each entry came from
  uint64_t nextSerial_ = 0;
};

}  // namespace tbx
