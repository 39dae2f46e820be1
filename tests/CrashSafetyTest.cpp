// The marker file survives a crash of the program at any point of its rewrite:
// a rewriting process is killed (SIGKILL) at many moments, and the file must
// then hold either its complete old bytes or its complete new bytes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>

#include "app/VersionFile.h"
#include "state/RunState.h"
#include "tests/support/TestPlatform.h"

namespace maj {
namespace {

using Clock = std::chrono::steady_clock;

// Runs one version file step in a child process and kills it after `delay`
// (or lets it finish when the delay is longer than the step).
void RewriteAndKill(test::TestPlatform& platform, std::chrono::microseconds delay) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    _exit(VersionFileStep(platform, platform, platform) == kOk ? 0 : 1);
  }
  // Waits for the child to end on its own, or kills it when the moment comes.
  const auto deadline = Clock::now() + delay;
  int status = 0;
  pid_t done = 0;
  while ((done = waitpid(child, &status, WNOHANG)) == 0 && Clock::now() < deadline) {
    std::this_thread::yield();
  }
  if (done == 0) {
    kill(child, SIGKILL);
    done = waitpid(child, &status, 0);
  }
  ASSERT_EQ(done, child);
}

TEST(CrashSafetyTest, AKilledRewriteLeavesTheOldOrTheNewFileWhole) {
  test::TestPlatform platform;
  // Large enough that the write itself takes a while, so kills land inside it.
  std::string oldBytes;
  for (int i = 0; i < 3000; ++i) oldBytes += "712 ligne " + std::to_string(i) + "\r\n";
  const std::string newBytes = "\r\n" + oldBytes;
  platform.WriteFile(kVersionFilePath, oldBytes);

  // How long an undisturbed rewrite takes here (the quickest of a few, as
  // other work on the machine only ever makes it slower).
  auto full = std::chrono::microseconds::max();
  for (int i = 0; i < 5; ++i) {
    platform.WriteFile(kVersionFilePath, oldBytes);
    const auto start = Clock::now();
    RewriteAndKill(platform, std::chrono::seconds(5));
    full =
        std::min(full, std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start));
    ASSERT_EQ(platform.ReadFile(kVersionFilePath), newBytes);
  }

  std::mt19937 random(20261207);
  std::uniform_int_distribution<long> moment(0, full.count() + full.count() / 4);
  int sawOld = 0, sawNew = 0;
  constexpr int kTrials = 1000;
  for (int trial = 0; trial < kTrials; ++trial) {
    platform.WriteFile(kVersionFilePath, oldBytes);
    RewriteAndKill(platform, std::chrono::microseconds(moment(random)));
    const std::string now = platform.ReadFile(kVersionFilePath);
    if (now == oldBytes) {
      ++sawOld;
    } else if (now == newBytes) {
      ++sawNew;
    } else {
      FAIL() << "trial " << trial << ": the file holds " << now.size() << " bytes, neither the "
             << oldBytes.size() << " old ones nor the " << newBytes.size() << " new ones";
    }
  }
  // Both outcomes must have been met, or the kills did not land inside the rewrite.
  EXPECT_GT(sawOld, 0);
  EXPECT_GT(sawNew, 0);
  RecordProperty("old", sawOld);
  RecordProperty("new", sawNew);
  std::printf("%d kills: %d left the old file, %d the new one (rewrite takes %lld us)\n", kTrials,
              sawOld, sawNew, static_cast<long long>(full.count()));
}

}  // namespace
}  // namespace maj
