#include <gtest/gtest.h>

#include <chrono>
#include <regex>

#include "Sandbox.h"
#include "standin/DynArray.h"
#include "standin/StandIn.h"
#include "standin/StandInErrors.h"

namespace standin {
namespace {

using testing::Command;
using testing::Field;
using testing::JournalFrom;
using testing::LoggedIn;
using testing::Opened;
namespace fs = std::filesystem;
using testing::Sandbox;

constexpr const char* kBases = R"([users]
ADM =

[base A]
directory = D:\A

[base B]
directory = D:\B
)";

TEST(Faults, CountedFaultsHitOnlyTheFirstCalls) {
  Sandbox sandbox;
  auto server = sandbox.Open(std::string(kBases) + R"(
[fault]
call = Create
error = 0x80040154
times = 1

[fault]
call = Connect
error = 0x80040201
times = 2

[fault]
call = QUI
base = A
answer = empty
times = 2

[fault]
call = OpenDatabase
base = b
error = 0x80040019
times = 1
)");
  ASSERT_TRUE(server);
  auto factory = MakeFactory(server);
  std::shared_ptr<maj::CClient> client;
  EXPECT_EQ(factory->CreateClient("DBA.CClient", client), 0x80040154u);
  EXPECT_FALSE(client);
  ASSERT_EQ(factory->CreateClient("DBA.CClient", client), maj::kOk);
  std::int16_t result = 0;
  EXPECT_EQ(client->Connect("ADM", "", "", result), 0x80040201u);
  EXPECT_EQ(client->Connect("ADM", "", "", result), 0x80040201u);
  EXPECT_EQ(client->Connect("ADM", "", "", result), maj::kOk);

  std::shared_ptr<maj::Database> b;
  EXPECT_EQ(client->OpenDatabase("MERIDOXAN", "B", b), 0x80040019u);
  auto a = Opened(*client, "A");  // the fault is for base B only
  b = Opened(*client, "B");
  ASSERT_TRUE(a && b);

  std::shared_ptr<maj::DynArray> answer;
  ASSERT_EQ(Command(*b, "QUI", answer), maj::kOk);
  EXPECT_EQ(Field(*answer, 1), "D:\\B");
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(Command(*a, "QUI", answer), maj::kOk);
    std::int32_t count = -1;
    ASSERT_EQ(answer->DCount(count), maj::kOk);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(Field(*answer, 1), "");
  }
  ASSERT_EQ(Command(*a, "QUI", answer), maj::kOk);
  EXPECT_EQ(Field(*answer, 1), "D:\\A");

  EXPECT_EQ(server->Journal(),
            (std::vector<std::string>{
                "client 1: Create() -> 0x80040154 -- injected",
                "client 2: Create() -> 0",
                "client 2: Connect(user=\"ADM\", password=\"\", third=\"\") -> 0x80040201 "
                "-- injected",
                "client 2: Connect(user=\"ADM\", password=\"\", third=\"\") -> 0x80040201 "
                "-- injected",
                "client 2: Connect(user=\"ADM\", password=\"\", third=\"\") -> 0",
                "client 2: OpenDatabase(name=\"MERIDOXAN\", entry=\"B\") -> 0x80040019 "
                "-- injected",
                "client 2: OpenDatabase(name=\"MERIDOXAN\", entry=\"A\") -> 0",
                "client 2: OpenDatabase(name=\"MERIDOXAN\", entry=\"B\") -> 0",
                "base B: Execute(command=[\"P\", \"QUI\"], argument=\"\") -> 0 "
                "answer=[\"D:\\B\"]",
                "base A: Execute(command=[\"P\", \"QUI\"], argument=\"\") -> 0 answer=[] "
                "-- injected empty answer",
                "base A: Execute(command=[\"P\", \"QUI\"], argument=\"\") -> 0 answer=[] "
                "-- injected empty answer",
                "base A: Execute(command=[\"P\", \"QUI\"], argument=\"\") -> 0 "
                "answer=[\"D:\\A\"]",
            }));
}

TEST(Faults, PermanentFaultsPerBaseOrAnyBase) {
  Sandbox sandbox;
  auto server = sandbox.Open(std::string(kBases) + R"(
[fault]
call = Read
error = 0x80004005

[fault]
call = LANCEMAJCD
base = A
error = 0x80040209

[fault]
call = OpenFile
base = B
error = 0x80070005

[fault]
call = Disconnect
error = 0x8001010E

[fault]
call = Execute
base = B
error = 0x80040300
)");
  ASSERT_TRUE(server);
  auto client = LoggedIn(*MakeFactory(server), "ADM", "");
  auto a = Opened(*client, "A");
  auto b = Opened(*client, "B");
  ASSERT_TRUE(a && b);
  Sandbox::Write(sandbox.Host("C:\\APP\\INSTALLMAJ\\X"), "x");
  Sandbox::Write(sandbox.Host("D:\\A\\INSTALLMAJ\\X"), "x");

  std::shared_ptr<maj::DynArray> answer;
  std::shared_ptr<maj::DbaFile> file;
  std::shared_ptr<maj::DynArray> record;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Command(*a, "LANCEMAJCD C:\\APP D VIDE D:\\A", answer), 0x80040209u);
    EXPECT_EQ(Command(*b, "QUI", answer), 0x80040300u);  // every command of B
    EXPECT_EQ(b->OpenFile("INSTALLMAJ", file), 0x80070005u);
    ASSERT_EQ(a->OpenFile("INSTALLMAJ", file), maj::kOk);
    EXPECT_EQ(file->Read("712", record), 0x80004005u);  // the injected error, not "no key"
    EXPECT_EQ(client->Disconnect(), 0x8001010Eu);
  }
  EXPECT_FALSE(answer);
  EXPECT_FALSE(record);
  ASSERT_EQ(Command(*a, "QUI", answer), maj::kOk);  // the LANCEMAJCD fault spares QUI
  // The injected LANCEMAJCD failure did not write the version record.
  EXPECT_EQ(Sandbox::Read(sandbox.Data() / "bases/A/INSTALLMAJ.txt").find("712"),
            std::string::npos);
  const std::vector<std::string> round = {
      "base A: Execute(command=[\"P\", \"LANCEMAJCD C:\\APP D VIDE D:\\A\"], argument=\"\") "
      "-> 0x80040209 -- injected",
      "base B: Execute(command=[\"P\", \"QUI\"], argument=\"\") -> 0x80040300 -- injected",
      "base B: OpenFile(name=\"INSTALLMAJ\") -> 0x80070005 -- injected",
      "base A: OpenFile(name=\"INSTALLMAJ\") -> 0",
      "base A: Read(file=\"INSTALLMAJ\", key=\"712\") -> 0x80004005 -- injected",
      "client 1: Disconnect() -> 0x8001010E -- injected",
  };
  std::vector<std::string> expected;
  for (int i = 0; i < 3; ++i) expected.insert(expected.end(), round.begin(), round.end());
  expected.push_back(
      "base A: Execute(command=[\"P\", \"QUI\"], argument=\"\") -> 0 answer=[\"D:\\A\"]");
  EXPECT_EQ(JournalFrom(*server, 4), expected);
}

TEST(Faults, DelaysBlockTheCallAndAddUp) {
  Sandbox sandbox;
  auto server = sandbox.Open(std::string(kBases) + R"(
[fault]
call = Execute
delay = 120

[fault]
call = QUI
base = A
delay = 80
times = 1

[fault]
call = QUI
error = 0x80004005
times = 1
)");
  ASSERT_TRUE(server);
  auto a = Opened(*LoggedIn(*MakeFactory(server), "ADM", ""), "A");
  ASSERT_TRUE(a);
  std::shared_ptr<maj::DynArray> answer;
  const auto timed = [&](ErrorNumber expected) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Command(*a, "QUI", answer), expected);
    return std::chrono::steady_clock::now() - start;
  };
  EXPECT_GE(timed(0x80004005), std::chrono::milliseconds(200));
  EXPECT_GE(timed(maj::kOk), std::chrono::milliseconds(120));
  EXPECT_EQ(JournalFrom(*server, 3),
            (std::vector<std::string>{
                "base A: Execute(command=[\"P\", \"QUI\"], argument=\"\") -> 0x80004005 "
                "-- delayed 120 ms, delayed 80 ms, injected",
                "base A: Execute(command=[\"P\", \"QUI\"], argument=\"\") -> 0 "
                "answer=[\"D:\\A\"] -- delayed 120 ms",
            }));
}

// The time a call took, as a timed journal line gives it; -1 when it has none.
double TookMs(const std::string& line) {
  const std::regex timing(R"( \[at=(\d+\.\d{6})s took=(\d+\.\d{3})ms\]$)");
  std::smatch found;
  return std::regex_search(line, found, timing) ? std::stod(found[2]) : -1;
}

TEST(Faults, TimedLinesTellHowLongEachCallTookDelaysIncluded) {
  Sandbox sandbox;
  auto server = sandbox.Open(std::string("[server]\ntiming = on\n") + kBases + R"(
[fault]
call = QUI
delay = 60
)");
  ASSERT_TRUE(server);
  auto a = Opened(*LoggedIn(*MakeFactory(server), "ADM", ""), "A");
  ASSERT_TRUE(a);
  std::shared_ptr<maj::DynArray> answer;
  ASSERT_EQ(Command(*a, "QUI", answer), maj::kOk);

  const std::vector<std::string> lines = server->Journal();
  ASSERT_EQ(lines.size(), 4u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_GE(TookMs(lines[i]), 0) << lines[i];
    EXPECT_LT(TookMs(lines[i]), 60) << lines[i];
  }
  EXPECT_GE(TookMs(lines[3]), 60) << lines[3];
  // The timing comes last, after the notes, and the file has the same lines.
  EXPECT_TRUE(
      lines[3].starts_with("base A: Execute(command=[\"P\", \"QUI\"], argument=\"\") -> 0 "
                           "answer=[\"D:\\A\"] -- delayed 60 ms [at="))
      << lines[3];
  EXPECT_EQ(Sandbox::Read(sandbox.Data() / "journal.txt"),
            lines[0] + "\n" + lines[1] + "\n" + lines[2] + "\n" + lines[3] + "\n");
}

TEST(Faults, TheCensusOfTheHostEndsEachLineWhenAskedFor) {
  Sandbox sandbox;
  auto server = sandbox.Open(std::string("[server]\ncensus = on\n") + kBases);
  ASSERT_TRUE(server);
  int calls = 0;
  server->SetCensus([&calls] { return "objects=" + std::to_string(++calls); });
  auto client = LoggedIn(*MakeFactory(server), "ADM", "");
  ASSERT_TRUE(client);
  EXPECT_EQ(server->Journal(),
            (std::vector<std::string>{
                "client 1: Create() -> 0 [objects=1]",
                "client 1: Connect(user=\"ADM\", password=\"\", third=\"\") -> 0 [objects=2]"}));

  // Without census = on, a host's census is not asked for.
  Sandbox plain;
  auto quiet = plain.Open(kBases);
  ASSERT_TRUE(quiet);
  quiet->SetCensus([&calls] { return "objects=" + std::to_string(++calls); });
  ASSERT_TRUE(LoggedIn(*MakeFactory(quiet), "ADM", ""));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(quiet->Journal().back(),
            "client 1: Connect(user=\"ADM\", password=\"\", third=\"\") -> 0");
}

}  // namespace
}  // namespace standin
