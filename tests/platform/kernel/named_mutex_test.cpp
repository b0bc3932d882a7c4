// Named mutexes: exclusion across processes (fork) and threads, abandonment by a holder that
// ended, recursion, ownership checks, time-outs and name lookup.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "kernel_test_support.h"

using kerneltest::ScratchDir;
using kerneltest::Wide;

namespace {

std::u16string UniqueName(const char* what) {
  return Wide("Mutex_Test_" + std::string(what) + "_" + std::to_string(getpid()));
}

int WaitChild(pid_t child) {
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Read-modify-write of a counter in a file, slow enough that unserialised writers lose updates.
void IncrementSlowly(int fd) {
  int value = 0;
  if (pread(fd, &value, sizeof value, 0) != sizeof value) value = 0;
  usleep(200);
  ++value;
  EXPECT_EQ(pwrite(fd, &value, sizeof value, 0), static_cast<ssize_t>(sizeof value));
}

TEST(NamedMutex, SerialisesTwoProcesses) {
  ScratchDir dir;
  const std::string counterPath = dir.File("counter");
  const std::u16string name = UniqueName("serialise");
  constexpr int kRounds = 60;
  auto run = [&] {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    int fd = open(counterPath.c_str(), O_RDWR | O_CREAT, 0600);
    for (int i = 0; i < kRounds; ++i) {
      if (WaitForSingleObject(mutex, INFINITE) != WAIT_OBJECT_0) return false;
      IncrementSlowly(fd);
      ReleaseMutex(mutex);
    }
    close(fd);
    return CloseHandle(mutex) == TRUE;
  };
  const pid_t child = fork();
  if (child == 0) _exit(run() ? 0 : 1);
  EXPECT_TRUE(run());
  EXPECT_EQ(WaitChild(child), 0);
  int fd = open(counterPath.c_str(), O_RDONLY), total = 0;
  ASSERT_EQ(pread(fd, &total, sizeof total, 0), static_cast<ssize_t>(sizeof total));
  close(fd);
  EXPECT_EQ(total, 2 * kRounds);
}

TEST(NamedMutex, HolderProcessThatDiedReadsAsAbandonedThenNormal) {
  const std::u16string name = UniqueName("died");
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  ASSERT_NE(mutex, nullptr);
  const pid_t child = fork();
  if (child == 0) {
    HANDLE own = CreateMutexW(nullptr, FALSE, name.c_str());
    _exit(WaitForSingleObject(own, INFINITE) == WAIT_OBJECT_0 ? 0 : 1);  // dies holding it
  }
  ASSERT_EQ(WaitChild(child), 0);
  EXPECT_EQ(WaitForSingleObject(mutex, 1000), WAIT_ABANDONED);
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_EQ(WaitForSingleObject(mutex, 1000), WAIT_OBJECT_0);
  EXPECT_TRUE(ReleaseMutex(mutex));
  CloseHandle(mutex);
}

TEST(NamedMutex, WaitTimesOutWhileAnotherProcessHoldsIt) {
  const std::u16string name = UniqueName("timeout");
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  if (child == 0) {
    HANDLE own = CreateMutexW(nullptr, TRUE, name.c_str());
    char signal = 1;
    [[maybe_unused]] auto n = write(ready[1], &signal, 1);
    usleep(400000);
    ReleaseMutex(own);
    _exit(0);
  }
  char signal = 0;
  ASSERT_EQ(read(ready[0], &signal, 1), 1);
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(WaitForSingleObject(mutex, 30), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0);  // released, not abandoned
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_EQ(WaitChild(child), 0);
  CloseHandle(mutex);
  close(ready[0]);
  close(ready[1]);
}

class MutexKinds : public ::testing::TestWithParam<bool> {
 protected:
  HANDLE Make() { return CreateMutexW(nullptr, FALSE, GetParam() ? UniqueName("threads").c_str() : nullptr); }
};

TEST_P(MutexKinds, ThreadEndingWhileHoldingAbandonsIt) {
  HANDLE mutex = Make();
  std::thread([&] { EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0); }).join();
  EXPECT_EQ(WaitForSingleObject(mutex, 1000), WAIT_ABANDONED);
  EXPECT_TRUE(ReleaseMutex(mutex));
  CloseHandle(mutex);
}

TEST_P(MutexKinds, RecursiveForTheOwnerAndRefusedToOthers) {
  HANDLE mutex = Make();
  ASSERT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0);
  ASSERT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
  std::thread([&] {
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
    EXPECT_EQ(WaitForSingleObject(mutex, 20), WAIT_TIMEOUT);
  }).join();
  EXPECT_TRUE(ReleaseMutex(mutex));
  std::thread([&] { EXPECT_EQ(WaitForSingleObject(mutex, 20), WAIT_TIMEOUT); }).join();  // still held once
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_FALSE(ReleaseMutex(mutex));
  std::thread([&] {
    EXPECT_EQ(WaitForSingleObject(mutex, 20), WAIT_OBJECT_0);
    EXPECT_TRUE(ReleaseMutex(mutex));
  }).join();
  CloseHandle(mutex);
}

INSTANTIATE_TEST_SUITE_P(NamedAndUnnamed, MutexKinds, ::testing::Bool());

TEST(NamedMutex, OpenFindsOnlyExistingNames) {
  const std::u16string name = UniqueName("open");
  EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, name.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  HANDLE created = CreateMutexW(nullptr, FALSE, name.c_str());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  HANDLE opened = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
  ASSERT_NE(opened, nullptr);
  ASSERT_EQ(WaitForSingleObject(created, 0), WAIT_OBJECT_0);
  std::thread([&] { EXPECT_EQ(WaitForSingleObject(opened, 0), WAIT_TIMEOUT); }).join();
  EXPECT_TRUE(ReleaseMutex(opened));  // same mutex through another handle
  CloseHandle(created);
  CloseHandle(opened);
  EXPECT_FALSE(CloseHandle(opened));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Event, AutoResetReleasesOneWaitManualResetStays) {
  HANDLE autoReset = CreateEventW(nullptr, FALSE, TRUE, nullptr);
  EXPECT_EQ(WaitForSingleObject(autoReset, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(autoReset, 0), WAIT_TIMEOUT);
  HANDLE manual = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread setter([&] { SetEvent(manual); });
  EXPECT_EQ(WaitForSingleObject(manual, INFINITE), WAIT_OBJECT_0);
  setter.join();
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  ResetEvent(manual);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
  CloseHandle(autoReset);
  CloseHandle(manual);
}

}  // namespace
