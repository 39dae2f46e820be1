#include "standin/Settings.h"

#include <gtest/gtest.h>

#include "Sandbox.h"
#include "standin/StandIn.h"
#include "standin/Text.h"

namespace standin {
namespace {

namespace fs = std::filesystem;
using testing::Sandbox;

TEST(Settings, TheExampleDataFolderLoads) {
  Sandbox sandbox;
  fs::copy(STANDIN_EXAMPLE_DATA, sandbox.Data(), fs::copy_options::recursive);
  std::string text = Sandbox::Read(sandbox.Data() / "settings.txt");
  Settings settings;
  std::string error;
  ASSERT_TRUE(ParseSettings(text, "settings.txt", settings, error)) << error;
  EXPECT_EQ(settings.databaseName, "MERIDOXAN");
  EXPECT_EQ(settings.notConnected, 0x80040019u);
  ASSERT_EQ(settings.users.size(), 2u);
  EXPECT_EQ(settings.users[0].name, "ADM");
  EXPECT_EQ(settings.users[0].password, "");
  EXPECT_EQ(settings.users[1].password, "s3cret");
  ASSERT_EQ(settings.bases.size(), 3u);
  EXPECT_EQ(settings.bases[1].entry, "BASE CLIENTS");
  EXPECT_EQ(settings.bases[1].directory, "D:\\BASES CLIENTS\\BASE 2");
  EXPECT_EQ(settings.bases[1].store, "BASE CLIENTS");
  ASSERT_EQ(settings.bases[1].refusals.size(), 1u);
  EXPECT_EQ(settings.bases[1].refusals[0].number, 0x80040006u);
  EXPECT_EQ(settings.bases[1].refusals[0].users, std::vector<std::string>{"ADM"});
  EXPECT_EQ(settings.bases[2].entry, "\\\\SRV\\BASE3");
  EXPECT_EQ(settings.bases[2].store, "BASE3");
  ASSERT_EQ(settings.faults.size(), 2u);
  EXPECT_EQ(settings.faults[0].kind, FaultKind::Delay);
  EXPECT_EQ(settings.faults[0].delayMilliseconds, 300u);
  EXPECT_FALSE(settings.faults[0].times);
  EXPECT_EQ(settings.faults[1].operation, Operation::Qui);
  EXPECT_EQ(settings.faults[1].kind, FaultKind::EmptyAnswer);
  EXPECT_EQ(settings.faults[1].base, "BASEAFA");
  EXPECT_EQ(settings.faults[1].times, 1u);

  EXPECT_TRUE(sandbox.Reopen(error)) << error;
}

TEST(Settings, WindowsLineEndsCommentsAndBlanksAreAccepted) {
  Settings settings;
  std::string error;
  ASSERT_TRUE(ParseSettings(
      "\xEF\xBB\xBF; comment\r\n\r\n  [ USERS ]  \r\n\tJean Dupont =  mot de passe \r\n"
      "[Base  BASE É]\r\nDirectory=D:\\BASES\\É\r\nREFUSE = 2147745817 for jean dupont\r\n",
      "s.txt", settings, error))
      << error;
  ASSERT_EQ(settings.users.size(), 1u);
  EXPECT_EQ(settings.users[0].name, "Jean Dupont");
  EXPECT_EQ(settings.users[0].password, "mot de passe");
  ASSERT_EQ(settings.bases.size(), 1u);
  EXPECT_EQ(settings.bases[0].entry, "BASE É");
  EXPECT_EQ(settings.bases[0].directory, "D:\\BASES\\É");
  EXPECT_EQ(settings.bases[0].refusals[0].number, 0x80040019u);  // given in decimal
  EXPECT_TRUE(settings.FindBase("base é"));
}

TEST(Settings, TimingAndCensusAreOffUnlessTurnedOn) {
  Settings settings;
  std::string error;
  ASSERT_TRUE(ParseSettings("[server]\ndatabase = M\n", "s.txt", settings, error)) << error;
  EXPECT_FALSE(settings.timing);
  EXPECT_FALSE(settings.census);
  ASSERT_TRUE(ParseSettings("[server]\nTiming = ON\ncensus = on\n", "s.txt", settings, error))
      << error;
  EXPECT_TRUE(settings.timing);
  EXPECT_TRUE(settings.census);
  ASSERT_TRUE(ParseSettings("[server]\ntiming = off\n", "s.txt", settings, error)) << error;
  EXPECT_FALSE(settings.timing);
}

TEST(Settings, EachMalformedFileGivesOneErrorWithFileAndLine) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"[users]\nADM\n", "s.txt:2: expected key = value, found \"ADM\""},
      {"\n\nADM =\n", "s.txt:3: \"ADM\" comes before any [section]"},
      {"[users\n", "s.txt:1: a section line must end with ]"},
      {"[]\n", "s.txt:1: empty section title []"},
      {"[user]\n",
       "s.txt:1: unknown section [user] (expected [server], [users], [base ENTRY] or [fault])"},
      {"[server]\nport = 1\n",
       "s.txt:2: unknown key \"port\" in [server] (database, not-connected, timing, census)"},
      {"[server]\ntiming = yes\n", "s.txt:2: expected on or off, found \"yes\""},
      {"[server]\ncensus = on\ncensus = off\n", "s.txt:3: \"census\" is given twice"},
      {"[server]\ndatabase =\n", "s.txt:2: the database name is empty"},
      {"[server]\nnot-connected = 0x40019\n",
       "s.txt:2: expected an error number from 0x80000000 to 0xFFFFFFFF (a failure HRESULT), "
       "found \"0x40019\""},
      {"[server]\ndatabase = A\ndatabase = B\n", "s.txt:3: \"database\" is given twice"},
      {"[users]\nADM =\nadm = x\n", "s.txt:3: user \"adm\" is given twice"},
      {"[base]\n", "s.txt:1: [base] needs an entry name: [base ENTRY]"},
      {"[base A]\nstore = A\n", "s.txt:1: [base A] has no directory = line"},
      {"[base A]\ndirectory = D:\\A\n[base a]\ndirectory = D:\\B\n",
       "s.txt:3: base \"a\" is already given on line 1"},
      {"[base A]\ndirectory = D:\\A\ndirectory = D:\\B\n", "s.txt:3: \"directory\" is given twice"},
      {"[base A]\ndirectory = D:\\A\npath = x\n",
       "s.txt:3: unknown key \"path\" in [base A] (directory, store, refuse)"},
      {"[base A:B]\ndirectory = D:\\A\n",
       "s.txt:1: [base A:B]: the entry is not a plain folder name; give store = NAME"},
      {"[base A]\ndirectory = D:\\A\nstore = ..\\x\n",
       "s.txt:3: store \"..\\x\" is not a plain folder name (letters, digits, blanks, . _ -)"},
      {"[base A]\ndirectory = D:\\A\n[base B]\ndirectory = D:\\B\nstore = a\n",
       "s.txt:3: [base B] uses the store \"a\" of line 1"},
      {"[base NUL]\ndirectory = D:\\A\n",
       "s.txt:1: [base NUL]: the entry is not a plain folder name; give store = NAME"},
      {"[base A]\ndirectory = D:\\A\nrefuse = 0x80040006 to ADM\n",
       "s.txt:3: expected \"for USER, USER...\" after the number, found \"to ADM\""},
      {"[base A]\ndirectory = D:\\A\nrefuse = 0x80040006 for ADM,\n",
       "s.txt:3: empty user name in the refuse list"},
      {"[base A]\ndirectory = D:\\A\nrefuse = 6\n",
       "s.txt:3: expected an error number from 0x80000000 to 0xFFFFFFFF (a failure HRESULT), "
       "found \"6\""},
      {"[users]\nADM =\n[base A]\ndirectory = D:\\A\nrefuse = 0x80040006 for ADM, PAUL\n",
       "s.txt:5: user \"PAUL\" is not in [users]"},
      {"[fault]\nerror = 0x80004005\n", "s.txt:1: [fault] has no call = line"},
      {"[fault]\ncall = Open\n",
       "s.txt:2: unknown call \"Open\" (Create, Connect, Disconnect, OpenDatabase, OpenFile, "
       "Execute, Read, QUI, LANCEMAJCD)"},
      {"[fault]\ncall = Read\n",
       "s.txt:1: [fault] needs exactly one of error =, delay =, answer = empty"},
      {"[fault]\ncall = Read\nerror = 0x80004005\ndelay = 10\n",
       "s.txt:1: [fault] needs exactly one of error =, delay =, answer = empty"},
      {"[fault]\ncall = Read\nanswer = empty\n", "s.txt:1: answer = empty is only for call = QUI"},
      {"[fault]\ncall = QUI\nanswer = none\n",
       "s.txt:3: the only answer a fault can give is \"empty\", found \"none\""},
      {"[fault]\ncall = Read\ndelay = 600001\n",
       "s.txt:3: expected a delay in milliseconds from 0 to 600000, found \"600001\""},
      {"[fault]\ncall = Read\ndelay = 5\ntimes = 0\n",
       "s.txt:4: expected a number of calls from 1 up, found \"0\""},
      {"[fault]\ncall = Read\ndelay = 5\ntimes = 2\ntimes = 3\n",
       "s.txt:5: \"times\" is given twice"},
      {"[fault]\ncall = Connect\nbase = A\nerror = 0x80004005\n",
       "s.txt:3: call = Connect concerns no base; remove base ="},
      {"[fault]\ncall = Read\nbase = A\nerror = 0x80004005\n",
       "s.txt:3: base \"A\" has no [base] section"},
      {"[fault]\ncall = Read\nerror = 0x80004005\nmode = x\n",
       "s.txt:4: unknown key \"mode\" in [fault] (call, base, error, delay, answer, times)"},
  };
  for (const auto& c : cases) {
    Settings settings;
    settings.databaseName = "untouched";
    std::string error;
    EXPECT_FALSE(ParseSettings(c.text, "s.txt", settings, error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_EQ(settings.databaseName, "untouched");
  }
}

TEST(Settings, LoadErrorsNameTheFile) {
  Sandbox sandbox;
  std::string error;
  const std::string data = Utf8FromPath(sandbox.Data());

  EXPECT_FALSE(OpenServer(sandbox.Data() / "missing", FolderMapper("/"), error));
  EXPECT_EQ(error, data + "/missing: the data folder does not exist");

  EXPECT_FALSE(sandbox.Reopen(error));
  EXPECT_EQ(error, data + "/settings.txt: cannot be read");

  Sandbox::Write(sandbox.Data() / "settings.txt", "[users]\nADM =\n[oops\n");
  EXPECT_FALSE(sandbox.Reopen(error));
  EXPECT_EQ(error, data + "/settings.txt:3: a section line must end with ]");

  // A record file is read at load as well, not at the first call.
  Sandbox::Write(sandbox.Data() / "settings.txt", "[base A]\ndirectory = D:\\A\n");
  Sandbox::Write(sandbox.Data() / "bases/A/INSTALLMAJ.txt", "# records\n711 = x\n712\n");
  EXPECT_FALSE(sandbox.Reopen(error));
  EXPECT_EQ(error, data + "/bases/A/INSTALLMAJ.txt:3: expected key = value, found \"712\"");
}

TEST(Settings, DataFolderBesideTheDllUnlessDbaIniNamesAnother) {
  fs::path found;
  std::string error;
  ASSERT_TRUE(LocateDataFolder("/opt/dba", "", "DBA.ini", found, error));
  EXPECT_EQ(found, fs::path("/opt/dba/DBA-data"));
  ASSERT_TRUE(
      LocateDataFolder("/opt/dba", "# moved\r\nDATA = rehearsal 2\r\n", "DBA.ini", found, error));
  EXPECT_EQ(found, fs::path("/opt/dba/rehearsal 2"));
  ASSERT_TRUE(LocateDataFolder("/opt/dba", "data = /srv/dba data", "DBA.ini", found, error));
  EXPECT_EQ(found, fs::path("/srv/dba data"));

  found = "kept";
  EXPECT_FALSE(LocateDataFolder("/opt/dba", "[DBA]\ndata = x\n", "DBA.ini", found, error));
  EXPECT_EQ(error, "DBA.ini:1: expected only a line data = FOLDER");
  EXPECT_FALSE(LocateDataFolder("/opt/dba", "data = x\ndata = y\n", "DBA.ini", found, error));
  EXPECT_EQ(error, "DBA.ini:2: data is given twice");
  EXPECT_FALSE(LocateDataFolder("/opt/dba", "data =\n", "DBA.ini", found, error));
  EXPECT_EQ(error, "DBA.ini:1: the data folder is empty");
  EXPECT_EQ(found, fs::path("kept"));
}

TEST(Settings, FolderMapperPlacesDrivesAndSharesUnderItsRoot) {
  const PathMapper map = FolderMapper("/r");
  EXPECT_EQ(map("D:\\BASES CLIENTS\\BASE A"), fs::path("/r/D/BASES CLIENTS/BASE A"));
  EXPECT_EQ(map("d:\\x\\\\INSTALLMAJ"), fs::path("/r/D/x/INSTALLMAJ"));
  EXPECT_EQ(map("\\\\127.0.0.1\\UNIDATA\\BASES.TXT"), fs::path("/r/127.0.0.1/UNIDATA/BASES.TXT"));
  EXPECT_EQ(map("C:\\"), fs::path("/r/C"));
  for (const char* outside : {"", "OK", "D:x", "\\x", "\\\\host", "\\\\host\\", "/etc/passwd",
                              "D:\\..\\..\\etc", "D:\\a/../../b"}) {
    EXPECT_EQ(map(outside), fs::path()) << outside;
  }
}

}  // namespace
}  // namespace standin
