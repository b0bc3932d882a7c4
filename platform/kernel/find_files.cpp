// Directory enumeration: FindFirstFileW / FindNextFileW / FindClose over opendir/readdir.
// The pattern's directory part is split at the last '/' or '\'; its name part may hold '*' and
// '?', matched without regard to ASCII case. One find handle is used by one thread at a time.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

#include "kernel_object.h"
#include "wide_text.h"

namespace zplatform::kernel {

// Wildcard match of a whole name: '*' any run, '?' one character (iterative, with backtracking
// to the last star, so it runs in linear-times-stars time).
bool MatchesWildcard(std::u16string_view pattern, std::u16string_view name) {
  size_t p = 0, n = 0, starP = std::u16string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == u'?' || FoldCase(pattern[p]) == FoldCase(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      starP = p++;
      starN = n;
    } else if (starP != std::u16string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

namespace {

FILETIME ToFileTime(const struct timespec& t) {
  constexpr ULONGLONG kEpochDifference = 116444736000000000ull;  // 1601-01-01 to 1970-01-01, 100 ns
  const ULONGLONG ticks = kEpochDifference + static_cast<ULONGLONG>(t.tv_sec) * 10000000ull + t.tv_nsec / 100;
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

class FindObject final : public KernelObject {
 public:
  FindObject(DIR* dir, std::string directory, std::u16string pattern)
      : dir_(dir), directory_(std::move(directory)), pattern_(std::move(pattern)) {}
  ~FindObject() override { ::closedir(dir_); }

  // The next matching entry; false with ERROR_NO_MORE_FILES at the end.
  bool Next(WIN32_FIND_DATAW& data) {
    std::lock_guard lock(mutex_);
    while (const dirent* entry = ::readdir(dir_)) {
      std::u16string name = Utf8ToUtf16(entry->d_name);
      if (name.size() >= MAX_PATH || !MatchesWildcard(pattern_, name)) continue;
      Fill(data, entry->d_name, name);
      return true;
    }
    SetLastError(ERROR_NO_MORE_FILES);
    return false;
  }

 private:
  void Fill(WIN32_FIND_DATAW& data, const char* nativeName, const std::u16string& name) const {
    data = WIN32_FIND_DATAW{};
    struct stat info {};
    if (::stat((directory_ + "/" + nativeName).c_str(), &info) == 0) {
      const bool isDirectory = S_ISDIR(info.st_mode);
      data.dwFileAttributes = isDirectory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
      if (!(info.st_mode & S_IWUSR)) data.dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
      const auto size = isDirectory ? 0ull : static_cast<ULONGLONG>(info.st_size);
      data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
      data.nFileSizeLow = static_cast<DWORD>(size);
      data.ftCreationTime = ToFileTime(info.st_ctim);
      data.ftLastAccessTime = ToFileTime(info.st_atim);
      data.ftLastWriteTime = ToFileTime(info.st_mtim);
    } else {
      data.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;  // a dangling link: listed, nothing known
    }
    std::copy(name.begin(), name.end(), data.cFileName);
  }

  std::mutex mutex_;
  DIR* dir_;
  std::string directory_;
  std::u16string pattern_;
};

}  // namespace
}  // namespace zplatform::kernel

using namespace zplatform::kernel;

extern "C" ZPLATFORM_API HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData) {
  const std::u16string_view request = View(lpFileName);
  if (request.empty() || lpFindFileData == nullptr) {
    SetLastError(request.empty() ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const size_t cut = request.find_last_of(u"/\\");
  std::u16string pattern(cut == std::u16string_view::npos ? request : request.substr(cut + 1));
  if (pattern == u"*.*") pattern.assign(1, u'*');
  std::string directory = cut == std::u16string_view::npos ? "." : cut == 0 ? "/" : NativePath(request.substr(0, cut));
  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr) {
    SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ZPlatformWin32ErrorFromErrno(errno));
    return INVALID_HANDLE_VALUE;
  }
  auto find = std::make_shared<FindObject>(dir, std::move(directory), std::move(pattern));
  if (!find->Next(*lpFindFileData)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  return RegisterHandle(std::move(find));
}

extern "C" ZPLATFORM_API BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData) {
  auto find = LookupHandleAs<FindObject>(hFindFile);
  if (!find) return FALSE;
  if (lpFindFileData == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  return find->Next(*lpFindFileData) ? TRUE : FALSE;
}

extern "C" ZPLATFORM_API BOOL FindClose(HANDLE hFindFile) {
  if (!LookupHandleAs<FindObject>(hFindFile)) return FALSE;
  return CloseHandle(hFindFile);
}
