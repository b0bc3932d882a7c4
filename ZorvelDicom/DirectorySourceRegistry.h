// The process-wide registry of the slide library's directory sources, shared by every slide-access
// object that opened the same path and closed by the last of them.
// Thread-safe: one mutex, taken inside the object's own locks and never while waiting for another.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

class CDirectorySource;

class DirectorySourceRegistry {
 public:
  static DirectorySourceRegistry& Instance();

  // The source registered for path with one more user, or null when there is none.
  std::shared_ptr<CDirectorySource> Share(const std::u16string& path);
  // Registers source for path with one user. When another object registered the path meanwhile,
  // that source gets one more user and is returned instead, so the path keeps a single source.
  std::shared_ptr<CDirectorySource> Register(const std::u16string& path, std::shared_ptr<CDirectorySource> source);
  // One user of source leaves; true when it was the last (the path is then unregistered) or when
  // source was never registered for path: the caller closes it.
  bool Leave(const std::u16string& path, const CDirectorySource* source);
  long UserCount(const std::u16string& path);

 private:
  struct Record {
    std::shared_ptr<CDirectorySource> source;
    long users = 0;
  };
  std::mutex m_mutex;
  std::map<std::u16string, Record> m_sources;
};
