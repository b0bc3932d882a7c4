// The process-wide set of live slide-access objects and the agent's stop callback over it.
// Created on first use; lives until process exit.
#include "LiveObjectRegistry.h"

#include "DicomZorvelImpl.h"

LiveObjectRegistry& LiveObjectRegistry::Instance() {
  static LiveObjectRegistry registry;
  return registry;
}

void LiveObjectRegistry::Insert(CDicomZorvelImpl* object) {
  std::lock_guard lock(m_mutex);
  m_objects.insert(object);
}

void LiveObjectRegistry::Erase(CDicomZorvelImpl* object) {
  std::lock_guard lock(m_mutex);
  m_objects.erase(object);
}

int LiveObjectRegistry::MarkAllAborted() {
  std::lock_guard lock(m_mutex);
  for (const CDicomZorvelImpl* object : m_objects) const_cast<CDicomZorvelImpl*>(object)->MarkAborted();
  return 0;
}

bool LiveObjectRegistry::Contains(const CDicomZorvelImpl* object) {
  std::lock_guard lock(m_mutex);
  return m_objects.count(object) != 0;
}
