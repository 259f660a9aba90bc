// What every unit test starts from: a fresh fake platform and a closed
// report output.
#ifndef HOTFIXES_TESTS_TEST_SUPPORT_H_
#define HOTFIXES_TESTS_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include "output/program_end.h"
#include "output/report_output.h"
#include "platform/platform-fake.h"

class FakePlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    ReportOutput = TReportOutput();
  }
  void TearDown() override { platform::InstallFaultHandler(nullptr); }

  fake::State& Platform() { return fake::Get(); }

  // Runs the program with `report` as its body; returns the exit code.
  static UINT RunProgramWith(void (*report)()) {
    try {
      RunProgram(report);
    } catch (const fake::ProcessExit& exit) {
      return exit.code;
    }
    ADD_FAILURE() << "the program ended without ExitProcess";
    return 0xFFFFFFFF;
  }
};

#endif  // HOTFIXES_TESTS_TEST_SUPPORT_H_
