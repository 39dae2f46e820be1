#include <gtest/gtest.h>

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

constexpr const char* kSettings = R"([users]
ADM =
Jean = secret

[base BASEAFA]
directory = D:\BASES CLIENTS\BASE AFA

[base BASE B]
directory = \\127.0.0.1\UNIDATA\BASES\BASE B
refuse = 0x80040006 for ADM
)";

TEST(Server, ConnectRefusesUnknownUsersAndWrongPasswords) {
  Sandbox sandbox;
  auto server = sandbox.Open(kSettings);
  ASSERT_TRUE(server);
  auto factory = MakeFactory(server);

  std::shared_ptr<maj::CClient> client;
  EXPECT_EQ(factory->CreateClient("DBA.Other", client), kClassNotRegistered);
  EXPECT_FALSE(client);
  ASSERT_EQ(factory->CreateClient("dba.cclient", client), maj::kOk);

  std::int16_t result = 7;
  EXPECT_EQ(client->Connect("Jean", "SECRET", "", result), kLoginRefused);
  EXPECT_EQ(client->Connect("PAUL", "", "", result), kLoginRefused);
  EXPECT_EQ(result, 7);  // written only on success
  std::shared_ptr<maj::Database> database;
  EXPECT_EQ(client->OpenDatabase("MERIDOXAN", "BASEAFA", database), kDefaultNotConnected);
  EXPECT_FALSE(database);

  EXPECT_EQ(client->Connect("JEAN", "secret", "", result), maj::kOk);  // names without case
  EXPECT_EQ(result, -1);
  EXPECT_EQ(client->OpenDatabase("MERIDOXAN", "BASEAFA", database), maj::kOk);
  EXPECT_EQ(client->Disconnect(), maj::kOk);
  EXPECT_EQ(client->Disconnect(), maj::kOk);
  // A refused login after a good one leaves the client logged out.
  EXPECT_EQ(client->Connect("ADM", "", "", result), maj::kOk);
  EXPECT_EQ(client->Connect("ADM", "x", "", result), kLoginRefused);
  EXPECT_EQ(client->OpenDatabase("MERIDOXAN", "BASEAFA", database), kDefaultNotConnected);

  EXPECT_EQ(server->Journal(),
            (std::vector<std::string>{
                "client 1: Create() -> 0",
                "client 1: Connect(user=\"Jean\", password=\"***\", third=\"\") -> 0x80040201 "
                "-- wrong password",
                "client 1: Connect(user=\"PAUL\", password=\"\", third=\"\") -> 0x80040201 "
                "-- unknown user",
                "client 1: OpenDatabase(name=\"MERIDOXAN\", entry=\"BASEAFA\") -> 0x80040019 "
                "-- not connected",
                "client 1: Connect(user=\"JEAN\", password=\"***\", third=\"\") -> 0",
                "client 1: OpenDatabase(name=\"MERIDOXAN\", entry=\"BASEAFA\") -> 0",
                "client 1: Disconnect() -> 0",
                "client 1: Disconnect() -> 0 -- was not connected",
                "client 1: Connect(user=\"ADM\", password=\"\", third=\"\") -> 0",
                "client 1: Connect(user=\"ADM\", password=\"***\", third=\"\") -> 0x80040201 "
                "-- wrong password",
                "client 1: OpenDatabase(name=\"MERIDOXAN\", entry=\"BASEAFA\") -> 0x80040019 "
                "-- not connected",
            }));
}

TEST(Server, OpenDatabaseRefusesAsTheSettingsSay) {
  Sandbox sandbox;
  auto server = sandbox.Open(std::string("[server]\nnot-connected = 0x80040006\n") + kSettings);
  ASSERT_TRUE(server);
  auto factory = MakeFactory(server);

  std::shared_ptr<maj::CClient> never;
  ASSERT_EQ(factory->CreateClient("DBA.CClient", never), maj::kOk);
  std::shared_ptr<maj::Database> database;
  EXPECT_EQ(never->OpenDatabase("MERIDOXAN", "BASEAFA", database), 0x80040006u);

  auto adm = LoggedIn(*factory, "ADM", "");
  EXPECT_EQ(adm->OpenDatabase("MERIDOXAN", "BASE B", database), 0x80040006u);
  EXPECT_EQ(adm->OpenDatabase("MERIDOXAN", "BASEX", database), kNoSuchBase);
  EXPECT_EQ(adm->OpenDatabase("MERIDOXAN", "", database), kNoSuchBase);
  EXPECT_EQ(adm->OpenDatabase("AUTRE", "BASEAFA", database), kNoSuchBase);
  EXPECT_EQ(adm->OpenDatabase("MERIDOXAN", "BASEAFA ", database), kNoSuchBase);
  EXPECT_FALSE(database);
  EXPECT_EQ(adm->OpenDatabase("meridoxan", "baseafa", database), maj::kOk);

  auto jean = LoggedIn(*factory, "Jean", "secret");
  EXPECT_TRUE(Opened(*jean, "BASE B"));

  EXPECT_EQ(JournalFrom(*server, 4),
            (std::vector<std::string>{
                "client 2: OpenDatabase(name=\"MERIDOXAN\", entry=\"BASE B\") -> 0x80040006 "
                "-- refused to ADM",
                "client 2: OpenDatabase(name=\"MERIDOXAN\", entry=\"BASEX\") -> 0x80040202 "
                "-- unknown base entry",
                "client 2: OpenDatabase(name=\"MERIDOXAN\", entry=\"\") -> 0x80040202 "
                "-- unknown base entry",
                "client 2: OpenDatabase(name=\"AUTRE\", entry=\"BASEAFA\") -> 0x80040202 "
                "-- unknown database name",
                "client 2: OpenDatabase(name=\"MERIDOXAN\", entry=\"BASEAFA \") -> 0x80040202 "
                "-- unknown base entry",
                "client 2: OpenDatabase(name=\"meridoxan\", entry=\"baseafa\") -> 0",
                "client 3: Create() -> 0",
                "client 3: Connect(user=\"Jean\", password=\"***\", third=\"\") -> 0",
                "client 3: OpenDatabase(name=\"MERIDOXAN\", entry=\"BASE B\") -> 0",
            }));
}

TEST(Server, FilesRecordsAndQui) {
  Sandbox sandbox;
  Sandbox::Write(sandbox.Data() / "bases/BASE B/CLIENTS.txt",
                 "# hand-written\n711 = a|b\n\n712 =\n711 = c| d \n");
  auto server = sandbox.Open(kSettings);
  ASSERT_TRUE(server);
  auto factory = MakeFactory(server);
  auto client = LoggedIn(*factory, "Jean", "secret");
  auto database = Opened(*client, "BASE B");
  ASSERT_TRUE(database);

  std::shared_ptr<maj::DynArray> answer;
  std::int32_t status = 99;
  ASSERT_EQ(database->Execute("P\x1EQUI", "", status, answer), maj::kOk);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Field(*answer, 1), "\\\\127.0.0.1\\UNIDATA\\BASES\\BASE B");

  std::shared_ptr<maj::DbaFile> file;
  EXPECT_EQ(database->OpenFile("INSTALLMAJ", file), kNoSuchFile);  // the folder existed
  EXPECT_FALSE(file);
  ASSERT_EQ(database->OpenFile("clients", file), maj::kOk);
  std::shared_ptr<maj::DynArray> record;
  EXPECT_EQ(file->Read("713", record), maj::kDbaKeyNotFound);
  EXPECT_FALSE(record);
  ASSERT_EQ(file->Read("711", record), maj::kOk);  // the last line of a key wins
  std::int32_t count = 0;
  ASSERT_EQ(record->DCount(count), maj::kOk);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(Field(*record, 2), " d");
  ASSERT_EQ(file->Read("712", record), maj::kOk);
  ASSERT_EQ(record->DCount(count), maj::kOk);
  EXPECT_EQ(count, 0);

  // A new base gets an empty INSTALLMAJ file of its own.
  auto afa = Opened(*client, "BASEAFA");
  ASSERT_EQ(afa->OpenFile("INSTALLMAJ", file), maj::kOk);
  EXPECT_EQ(file->Read("712", record), maj::kDbaKeyNotFound);
  EXPECT_TRUE(fs::is_regular_file(sandbox.Data() / "bases/BASEAFA/INSTALLMAJ.txt"));

  // Once the client is logged out its objects answer as a logged-out client.
  ASSERT_EQ(client->Disconnect(), maj::kOk);
  EXPECT_EQ(file->Read("712", record), kDefaultNotConnected);
  EXPECT_EQ(afa->OpenFile("INSTALLMAJ", file), kDefaultNotConnected);
  EXPECT_EQ(Command(*afa, "QUI", answer), kDefaultNotConnected);

  EXPECT_EQ(JournalFrom(*server, 3),
            (std::vector<std::string>{
                "base BASE B: Execute(command=[\"P\", \"QUI\"], argument=\"\") -> 0 "
                "answer=[\"\\\\127.0.0.1\\UNIDATA\\BASES\\BASE B\"]",
                "base BASE B: OpenFile(name=\"INSTALLMAJ\") -> 0x80040203 -- no such file",
                "base BASE B: OpenFile(name=\"clients\") -> 0",
                "base BASE B: Read(file=\"CLIENTS\", key=\"713\") -> 0x8004000B",
                "base BASE B: Read(file=\"CLIENTS\", key=\"711\") -> 0 record=[\"c\", \" d\"]",
                "base BASE B: Read(file=\"CLIENTS\", key=\"712\") -> 0 record=[]",
                "client 1: OpenDatabase(name=\"MERIDOXAN\", entry=\"BASEAFA\") -> 0",
                "base BASEAFA: OpenFile(name=\"INSTALLMAJ\") -> 0",
                "base BASEAFA: Read(file=\"INSTALLMAJ\", key=\"712\") -> 0x8004000B",
                "client 1: Disconnect() -> 0",
                "base BASEAFA: Read(file=\"INSTALLMAJ\", key=\"712\") -> 0x80040019 "
                "-- not connected",
                "base BASEAFA: OpenFile(name=\"INSTALLMAJ\") -> 0x80040019 -- not connected",
                "base BASEAFA: Execute(command=[\"P\", \"QUI\"], argument=\"\") -> 0x80040019 "
                "-- not connected",
            }));
}

TEST(Server, LancemajcdWritesTheVersionOnlyOnceThePackageIsInPlace) {
  Sandbox sandbox;
  auto server = sandbox.Open(kSettings);
  ASSERT_TRUE(server);
  auto factory = MakeFactory(server);
  auto database = Opened(*LoggedIn(*factory, "ADM", ""), "BASEAFA");
  ASSERT_TRUE(database);
  const std::string upgrade = "LANCEMAJCD C:\\Mon Appli D VIDE D:\\BASES CLIENTS\\BASE AFA";
  const fs::path package = sandbox.Host("C:\\Mon Appli\\INSTALLMAJ");
  const fs::path target = sandbox.Host("D:\\BASES CLIENTS\\BASE AFA\\INSTALLMAJ");
  std::shared_ptr<maj::DynArray> answer;
  std::shared_ptr<maj::DbaFile> file;
  std::shared_ptr<maj::DynArray> record;
  ASSERT_EQ(database->OpenFile("INSTALLMAJ", file), maj::kOk);

  EXPECT_EQ(Command(*database, upgrade, answer), kPackageUnreadable);
  Sandbox::Write(package / "A.DAT", "aaa");
  Sandbox::Write(package / "B.DAT", "bbb");
  Sandbox::Write(target / "A.DAT", "aaa");
  EXPECT_EQ(Command(*database, upgrade, answer), kPackageNotInPlace);
  EXPECT_FALSE(answer);
  EXPECT_EQ(file->Read("712", record), maj::kDbaKeyNotFound);

  Sandbox::Write(target / "B.DAT", "bbb");
  ASSERT_EQ(Command(*database, upgrade, answer), maj::kOk);
  EXPECT_EQ(Field(*answer, 1), "OK");
  ASSERT_EQ(file->Read("712", record), maj::kOk);
  EXPECT_EQ(Field(*record, 1), "C:\\Mon Appli");
  EXPECT_EQ(Field(*record, 3), "D:\\BASES CLIENTS\\BASE AFA");

  EXPECT_EQ(JournalFrom(*server, 4),
            (std::vector<std::string>{
                "base BASEAFA: Execute(command=[\"P\", \"LANCEMAJCD C:\\Mon Appli D VIDE "
                "D:\\BASES CLIENTS\\BASE AFA\"], argument=\"\") -> 0x80040207 -- the package "
                "folder C:\\Mon Appli\\INSTALLMAJ cannot be listed",
                "base BASEAFA: Execute(command=[\"P\", \"LANCEMAJCD C:\\Mon Appli D VIDE "
                "D:\\BASES CLIENTS\\BASE AFA\"], argument=\"\") -> 0x80040208 -- B.DAT is "
                "missing from D:\\BASES CLIENTS\\BASE AFA\\INSTALLMAJ",
                "base BASEAFA: Read(file=\"INSTALLMAJ\", key=\"712\") -> 0x8004000B",
                "base BASEAFA: Execute(command=[\"P\", \"LANCEMAJCD C:\\Mon Appli D VIDE "
                "D:\\BASES CLIENTS\\BASE AFA\"], argument=\"\") -> 0 answer=[\"OK\"]",
                "base BASEAFA: Read(file=\"INSTALLMAJ\", key=\"712\") -> 0 record=[\"C:\\Mon "
                "Appli\", \"D\", \"D:\\BASES CLIENTS\\BASE AFA\"]",
            }));

  // The record is in the data folder: a later server (a later process) sees it.
  const std::string records = Sandbox::Read(sandbox.Data() / "bases/BASEAFA/INSTALLMAJ.txt");
  EXPECT_TRUE(records.ends_with("\n712 = C:\\Mon Appli|D|D:\\BASES CLIENTS\\BASE AFA\n"))
      << records;
  std::string error;
  auto later = sandbox.Reopen(error);
  ASSERT_TRUE(later) << error;
  auto again = Opened(*LoggedIn(*MakeFactory(later), "ADM", ""), "BASEAFA");
  ASSERT_EQ(again->OpenFile("INSTALLMAJ", file), maj::kOk);
  EXPECT_EQ(file->Read("712", record), maj::kOk);

  // Without an INSTALLMAJ file the upgrade has nowhere to write.
  fs::remove(sandbox.Data() / "bases/BASEAFA/INSTALLMAJ.txt");
  later = sandbox.Reopen(error);
  ASSERT_TRUE(later) << error;
  again = Opened(*LoggedIn(*MakeFactory(later), "ADM", ""), "BASEAFA");
  EXPECT_EQ(Command(*again, upgrade, answer), kNoSuchFile);
  EXPECT_EQ(later->Journal().back(),
            "base BASEAFA: Execute(command=[\"P\", \"LANCEMAJCD C:\\Mon Appli D VIDE "
            "D:\\BASES CLIENTS\\BASE AFA\"], argument=\"\") -> 0x80040203 -- the base has no "
            "INSTALLMAJ file");
}

TEST(Server, AHandWrittenRecordFileWithoutLastLineEndStaysReadable) {
  Sandbox sandbox;
  Sandbox::Write(sandbox.Data() / "bases/BASEAFA/INSTALLMAJ.txt", "711 = old");
  auto server = sandbox.Open(kSettings);
  ASSERT_TRUE(server);
  auto database = Opened(*LoggedIn(*MakeFactory(server), "ADM", ""), "BASEAFA");
  Sandbox::Write(sandbox.Host("C:\\APP\\INSTALLMAJ\\X"), "x");
  Sandbox::Write(sandbox.Host("D:\\B\\INSTALLMAJ\\X"), "x");
  std::shared_ptr<maj::DynArray> answer;
  ASSERT_EQ(Command(*database, "LANCEMAJCD C:\\APP D VIDE D:\\B", answer), maj::kOk);
  EXPECT_EQ(Sandbox::Read(sandbox.Data() / "bases/BASEAFA/INSTALLMAJ.txt"),
            "711 = old\n712 = C:\\APP|D|D:\\B\n");
}

TEST(Server, MalformedCommandsFailWithTheirNumbers) {
  Sandbox sandbox;
  auto server = sandbox.Open(kSettings);
  ASSERT_TRUE(server);
  auto database = Opened(*LoggedIn(*MakeFactory(server), "ADM", ""), "BASEAFA");
  ASSERT_TRUE(database);
  const struct {
    std::string command;
    ErrorNumber number;
    const char* journal;
  } cases[] = {
      {"", kBadCommandForm,
       "Execute(command=[], argument=\"\") -> 0x80040204 -- expected two fields: \"P\" and the "
       "command line"},
      {"QUI", kBadCommandForm, nullptr},
      {"Q\x1EQUI", kBadCommandForm, nullptr},
      {"P\x1EQUI\x1E", kBadCommandForm, nullptr},
      {"P\x1EQUIT", kUnknownCommand,
       "Execute(command=[\"P\", \"QUIT\"], argument=\"\") -> 0x80040205 -- unknown command "
       "\"QUIT\""},
      {"P\x1E", kUnknownCommand, nullptr},
      {"P\x1Equi", kUnknownCommand, nullptr},
      {"P\x1E QUI", kUnknownCommand, nullptr},
      {"P\x1EQUI D:\\X", kBadCommandWords,
       "Execute(command=[\"P\", \"QUI D:\\X\"], argument=\"\") -> 0x80040206 -- QUI takes no "
       "words"},
      {"P\x1EQUI ", kBadCommandWords, nullptr},
      {"P\x1ELANCEMAJCD", kBadCommandWords,
       "Execute(command=[\"P\", \"LANCEMAJCD\"], argument=\"\") -> 0x80040206 -- expected "
       "LANCEMAJCD <appdir> <drive> VIDE <basedir>"},
      {"P\x1ELANCEMAJCD C:\\APP D VIDE", kBadCommandWords, nullptr},
      {"P\x1ELANCEMAJCD C:\\APP D:\\B", kBadCommandWords, nullptr},
      {"P\x1ELANCEMAJCD C:\\APP DD VIDE D:\\B", kBadCommandWords, nullptr},
      {"P\x1ELANCEMAJCD  D VIDE D:\\B", kBadCommandWords, nullptr},
      {"P\x1ELANCEMAJCD C:\\A D VIDE X E VIDE D:\\B", kBadCommandWords, nullptr},
  };
  for (const auto& c : cases) {
    std::int32_t status = 99;
    std::shared_ptr<maj::DynArray> answer;
    EXPECT_EQ(database->Execute(c.command, "", status, answer), c.number) << c.command;
    EXPECT_EQ(status, 99);
    EXPECT_FALSE(answer);
    if (c.journal) {
      EXPECT_EQ(server->Journal().back(), std::string("base BASEAFA: ") + c.journal);
    }
  }
  // The argument is journaled as given, control characters by name.
  std::int32_t status = 0;
  std::shared_ptr<maj::DynArray> answer;
  ASSERT_EQ(database->Execute("P\x1EQUI", "a \"b\"\r\n", status, answer), maj::kOk);
  EXPECT_EQ(server->Journal().back(),
            "base BASEAFA: Execute(command=[\"P\", \"QUI\"], argument=\"a \"\"b\"\"<CR><LF>\") "
            "-> 0 answer=[\"D:\\BASES CLIENTS\\BASE AFA\"]");
}

TEST(Server, TheJournalFileHoldsTheLinesOfEveryServerInTurn) {
  Sandbox sandbox;
  auto first = sandbox.Open(kSettings);
  ASSERT_TRUE(first);
  auto client = LoggedIn(*MakeFactory(first), "ADM", "");
  std::string error;
  auto second = sandbox.Reopen(error);
  ASSERT_TRUE(second) << error;
  std::shared_ptr<maj::CClient> other;
  ASSERT_EQ(MakeFactory(second)->CreateClient("DBA.CClient", other), maj::kOk);
  ASSERT_EQ(client->Disconnect(), maj::kOk);

  EXPECT_EQ(second->Journal(), std::vector<std::string>{"client 1: Create() -> 0"});
  EXPECT_EQ(Sandbox::Read(sandbox.Data() / "journal.txt"),
            "client 1: Create() -> 0\n"
            "client 1: Connect(user=\"ADM\", password=\"\", third=\"\") -> 0\n"
            "client 1: Create() -> 0\n"
            "client 1: Disconnect() -> 0\n");
}

}  // namespace
}  // namespace standin
