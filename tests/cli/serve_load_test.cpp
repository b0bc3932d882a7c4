// Load on zorvel serve over loopback: 16 clients fetch random Deep Zoom tiles for 20 seconds
// (ZORVEL_LOAD_SECONDS overrides); prints requests per second and p50 / p99 latency, and checks
// that no request failed and that the server's peak resident memory stayed within its cache cap
// plus 64 MiB.
#include <httplib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "cli_runner.h"
#include "server_process.h"

namespace cli_test {
namespace {

constexpr int kClients = 16;
constexpr long kCacheMib = 128;

long PeakResidentMib(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6)) / 1024;
  }
  return -1;
}

TEST(ServeLoadTest, SixteenClientsFetchRandomTiles) {
  const std::filesystem::path slide = MakeSlide("load/slide", "--width 8192 --height 6144 --levels 0,1,2,3,4,5");
  ASSERT_FALSE(slide.empty());
  ServerProcess server(slide.parent_path().string(), {"--threads", "8", "--cache-mib", std::to_string(kCacheMib)});
  ASSERT_GT(server.Port(), 0);
  const char* seconds = std::getenv("ZORVEL_LOAD_SECONDS");
  const auto duration = std::chrono::seconds(seconds ? std::atoi(seconds) : 20);

  std::atomic<long> failures{0};
  std::vector<std::vector<double>> latencies(kClients);
  const auto end = std::chrono::steady_clock::now() + duration;
  std::vector<std::thread> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&, c] {
      httplib::Client client("127.0.0.1", server.Port());
      client.set_read_timeout(30, 0);
      std::mt19937 random(static_cast<unsigned>(c + 1));
      while (std::chrono::steady_clock::now() < end) {
        const int level = 11 + static_cast<int>(random() % 3);  // Deep Zoom level 13 is full resolution
        const int shift = 13 - level;
        const bool overlap = random() % 2 != 0;
        const long tile = overlap ? 254 : 256;
        const long columns = ((8192 >> shift) + tile - 1) / tile, rows = ((6144 >> shift) + tile - 1) / tile;
        const std::string path = "/dz/slide_files/" + std::to_string(level) + "/" + std::to_string(random() % columns) +
                                 "_" + std::to_string(random() % rows) + ".jpeg" + (overlap ? "" : "?overlap=0");
        const auto start = std::chrono::steady_clock::now();
        const auto response = client.Get(path);
        latencies[c].push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (!response || response->status != 200 || response->body.empty()) ++failures;
      }
    });
  }
  for (std::thread& client : clients) client.join();
  std::vector<double> all;
  for (const auto& one : latencies) all.insert(all.end(), one.begin(), one.end());
  std::sort(all.begin(), all.end());
  ASSERT_FALSE(all.empty());
  const long peak = PeakResidentMib(server.Pid());
  std::printf("serve load: %d clients, %.0f requests/s, p50 %.1f ms, p99 %.1f ms, %ld failed, peak resident %ld MiB\n",
              kClients, all.size() / std::chrono::duration<double>(duration).count(), all[all.size() / 2],
              all[all.size() * 99 / 100], failures.load(), peak);
  EXPECT_EQ(failures.load(), 0);
  EXPECT_GT(peak, 0);
  EXPECT_LE(peak, kCacheMib + 64) << "peak resident memory beyond the cache cap + 64 MiB";
}

}  // namespace
}  // namespace cli_test
