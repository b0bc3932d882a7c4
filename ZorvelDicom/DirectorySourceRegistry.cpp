// Directory sources shared by path, counted by their users.
// Created on first use; lives until process exit.
#include "DirectorySourceRegistry.h"

DirectorySourceRegistry& DirectorySourceRegistry::Instance() {
  static DirectorySourceRegistry registry;
  return registry;
}

std::shared_ptr<CDirectorySource> DirectorySourceRegistry::Share(const std::u16string& path) {
  std::lock_guard lock(m_mutex);
  auto it = m_sources.find(path);
  if (it == m_sources.end()) return nullptr;
  ++it->second.users;
  return it->second.source;
}

std::shared_ptr<CDirectorySource> DirectorySourceRegistry::Register(const std::u16string& path,
                                                                    std::shared_ptr<CDirectorySource> source) {
  std::lock_guard lock(m_mutex);
  auto [it, inserted] = m_sources.try_emplace(path, Record{source, 1});
  if (!inserted) ++it->second.users;
  return it->second.source;
}

bool DirectorySourceRegistry::Leave(const std::u16string& path, const CDirectorySource* source) {
  std::lock_guard lock(m_mutex);
  auto it = m_sources.find(path);
  if (it == m_sources.end() || it->second.source.get() != source) return true;
  if (--it->second.users > 0) return false;
  m_sources.erase(it);
  return true;
}

long DirectorySourceRegistry::UserCount(const std::u16string& path) {
  std::lock_guard lock(m_mutex);
  auto it = m_sources.find(path);
  return it == m_sources.end() ? 0 : it->second.users;
}
