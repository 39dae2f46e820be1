// A whole run on the test platform against the in-process stand-in server:
// a test writes the server's settings, the base list and the package, runs
// the main window's load handler, then reads what the operator saw, what the
// server received and what the files hold.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/ExitCode.h"
#include "contract/Dba.h"
#include "standin/StandIn.h"
#include "state/RunState.h"
#include "tests/support/TestPlatform.h"

namespace maj::test {

class RunFixture : public ::testing::Test {
 protected:
  // Loads the server from these settings (the stand-in's text format).
  void Server(const std::string& settings);
  // The base list file, one entry per line, CR LF after each.
  void Bases(const std::vector<std::string>& entries);
  // Package files beside the program, and base folders on the server.
  void Package(const std::vector<std::string>& names);
  void Folders(const std::vector<std::string>& windowsPaths);

  // The upgrade run, or the pre-check, watched or not (`silent`); its exit
  // code goes to `exitCode`.
  void Run(RunMode mode = RunMode::Upgrade);

  // The journal lines of the calls whose name starts with one of the prefixes.
  std::vector<std::string> Journal(const std::vector<std::string>& prefixes = {}) const;
  // Texts of the boxes shown.
  std::vector<std::string> BoxTexts() const;

  void TearDown() override;

  TestPlatform platform;
  RunState state;
  std::shared_ptr<standin::Server> server;
  std::unique_ptr<DbaFactory> dba;
  ExitCode exitCode = ExitCode::Unexpected;
  bool silent = false;
};

}  // namespace maj::test
