#include "cli/batch.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "fits/platform_file.h"

namespace cli {

std::size_t RunInOrder(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& work,
                       const std::function<void(std::size_t)>& report, const std::function<void()>& idle) {
  enum : char { kPending, kRun, kNotStarted };
  std::atomic<std::size_t> next{0};
  std::mutex mutex;
  std::condition_variable finished;
  std::vector<char> done(count, kPending);
  const auto worker = [&] {
    for (std::size_t i = next++; i < count; i = next++) {
      // Once a stop is asked no file is begun; one already begun is finished.
      const bool run = fits::platform::StopSignal() == 0;
      if (run) work(i);
      const std::lock_guard lock(mutex);
      done[i] = run ? kRun : kNotStarted;
      finished.notify_one();
    }
  };
  std::vector<std::thread> threads;
  const std::size_t threadCount = std::min<std::size_t>(jobs, count);
  for (std::size_t t = 0; t < threadCount; ++t) threads.emplace_back(worker);
  std::size_t notStarted = 0;
  for (std::size_t i = 0; i < count; ++i) {
    std::unique_lock lock(mutex);
    while (done[i] == kPending) {
      if (!finished.wait_for(lock, std::chrono::milliseconds(200), [&] { return done[i] != kPending; })) {
        lock.unlock();
        idle();
        lock.lock();
      }
    }
    const bool run = done[i] == kRun;
    lock.unlock();
    // A file finished after the stop is still reported: it was written.
    if (run) report(i);
    notStarted += !run;
  }
  for (std::thread& thread : threads) thread.join();
  return notStarted;
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
