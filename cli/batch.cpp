#include "cli/batch.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "fits/platform_file.h"

namespace cli {

void RunInOrder(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& work,
                const std::function<void(std::size_t)>& report, const std::function<void()>& idle) {
  std::atomic<std::size_t> next{0};
  std::mutex mutex;
  std::condition_variable finished;
  std::vector<char> done(count, 0);
  const auto worker = [&] {
    for (std::size_t i = next++; i < count; i = next++) {
      work(i);
      const std::lock_guard lock(mutex);
      done[i] = 1;
      finished.notify_one();
    }
  };
  std::vector<std::thread> threads;
  const std::size_t threadCount = std::min<std::size_t>(jobs, count);
  for (std::size_t t = 0; t < threadCount; ++t) threads.emplace_back(worker);
  for (std::size_t i = 0; i < count; ++i) {
    std::unique_lock lock(mutex);
    while (!done[i]) {
      if (!finished.wait_for(lock, std::chrono::milliseconds(200), [&] { return done[i] != 0; })) {
        lock.unlock();
        idle();
        lock.lock();
      }
    }
    lock.unlock();
    report(i);
  }
  for (std::thread& thread : threads) thread.join();
}

std::vector<std::optional<std::size_t>> EarlierNamesOfSameFile(const std::vector<std::string>& files) {
  std::vector<std::optional<std::size_t>> earlier(files.size());
  std::map<std::pair<std::uint64_t, std::uint64_t>, std::size_t> first;
  for (std::size_t i = 0; i < files.size(); ++i) {
    fits::platform::FileIdentity identity;
    std::string error;
    if (!fits::platform::IdentityOf(files[i], identity, error)) continue;
    const auto [at, inserted] = first.emplace(std::pair{identity.device, identity.inode}, i);
    if (!inserted) earlier[i] = at->second;
  }
  return earlier;
}

}  // namespace cli
