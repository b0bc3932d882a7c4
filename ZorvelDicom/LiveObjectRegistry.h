// The process-wide set of live slide-access objects, so that a failing directory-source agent can
// mark every one of them aborted.
// Thread-safe: one mutex, never held while another lock of the slide-access object is taken.
#pragma once

#include <mutex>
#include <set>

class CDicomZorvelImpl;

class LiveObjectRegistry {
 public:
  static LiveObjectRegistry& Instance();

  void Insert(CDicomZorvelImpl* object);
  void Erase(CDicomZorvelImpl* object);
  // The agent's stop callback: marks every live object aborted; returns 0.
  int MarkAllAborted();
  bool Contains(const CDicomZorvelImpl* object);

 private:
  std::mutex m_mutex;
  std::set<const CDicomZorvelImpl*> m_objects;
};
