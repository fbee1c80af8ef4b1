#include "base/error_report.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "support/recording_user_interface.h"

namespace korvane {
namespace {

ErrorReport SampleReport(std::string_view extra = "") {
  return MakeErrorReport(91, "Object variable not set", "mdlQueryCode", "GetTableStructure", extra);
}

TEST(ErrorReportTest, RecordCarriesThisProgramsVersionAndBuild) {
  const ErrorReport report = SampleReport();
  EXPECT_EQ(report.program_version, "1.3");
  EXPECT_EQ(report.build_number, 172);
}

TEST(ErrorReportTest, ReportTextWithAndWithoutExtraDescription) {
  EXPECT_EQ(ErrorReportText(SampleReport()),
            "1.3 172 Error 91 (mdlQueryCode:GetTableStructure)\r\n\r\nObject variable not set");
  EXPECT_EQ(ErrorReportText(SampleReport("Error occured while attempting to get the structure")),
            "1.3 172 Error 91 (mdlQueryCode:GetTableStructure)\r\n\r\nObject variable not set"
            "\r\n\r\nError occured while attempting to get the structure");
}

TEST(ErrorReportTest, IntroductionText) {
  EXPECT_EQ(ErrorReportIntroduction(),
            "Regrettably, an problem has occurred in Korvane.\r\n\r\n"
            "Korvane may continue to function after this, but if you have further problems you "
            "should restart the program.\r\n\r\n"
            "We'd like to fix this problem quickly, but we need your help.  Can Korvane submit a "
            "bug report on your behalf to the Korvane project?  And, can you please take just a "
            "moment to jot down what steps we should take to reproduce the problem?\r\n\r\n"
            "Your report is confidential, and only the information you see below is included in "
            "the report.");
}

TEST(ErrorReportTest, FormEncodingLeavesOnlyUnreservedCharacters) {
  EXPECT_EQ(FormEncode("three word comment"), "three+word+comment");
  EXPECT_EQ(FormEncode("a&b=c+d"), "a%26b%3Dc%2Bd");
  EXPECT_EQ(FormEncode("line\r\nbreak"), "line%0D%0Abreak");
  EXPECT_EQ(FormEncode("-_.~AZaz09"), "-_.~AZaz09");
  EXPECT_EQ(FormEncode("\xC3\xA9"), "%C3%A9");
}

TEST(ErrorReportTest, AddressHasEveryFieldInOrder) {
  const std::string address = ErrorReportAddress("https://example.test", SampleReport("extra text"),
                                                 "  my steps  ", " me@example.test ");
  EXPECT_EQ(address,
            "https://example.test/error.php?ErrNum=91&ErrDesc=Object+variable+not+set"
            "&ProgVer=1.3&BuildNum=172&ModuleName=mdlQueryCode&ProcName=GetTableStructure"
            "&Comments=my+steps&Email=me%40example.test&ExtraDesc=extra+text");
}

TEST(ErrorReportTest, NoValueCanForgeAnotherField) {
  const std::string address = ErrorReportAddress("https://example.test", SampleReport("a\r\nb"),
                                                 "x&Email=forged@evil.test", "");
  EXPECT_EQ(address.find("&Email=forged"), std::string::npos);
  EXPECT_NE(address.find("&Comments=x%26Email%3Dforged%40evil.test&Email=&"), std::string::npos);
  EXPECT_EQ(address.find('\r'), std::string::npos);
}

TEST(ErrorReportTest, SendOpensTheAddressAndReportsALaunchFailure) {
  testing::RecordingUserInterface ui;
  SendErrorReport(ui, kErrorReportBaseAddress, SampleReport(), "steps", "");
  ASSERT_EQ(ui.opened.size(), 1u);
  EXPECT_TRUE(
      ui.opened[0].starts_with(std::string(kErrorReportBaseAddress) + "/error.php?ErrNum=91&"));
  EXPECT_TRUE(ui.messages.empty());

  ui.open_result = 5;
  SendErrorReport(ui, kErrorReportBaseAddress, SampleReport(), "", "");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Error on launching URL: 5");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::kNone);
}

TEST(ErrorReportTest, CaughtFailuresAreDescribedAndReported) {
  const auto caught = [](auto&& thrower) {
    try {
      thrower();
    } catch (...) {
      return std::current_exception();
    }
    return std::exception_ptr();
  };
  const FailureDescription memory = DescribeFailure(caught([] { throw std::bad_alloc(); }));
  EXPECT_EQ(memory.number, 7);
  EXPECT_EQ(memory.description, "Out of memory");
  const FailureDescription own =
      DescribeFailure(caught([] { throw std::runtime_error("disk gone"); }));
  EXPECT_EQ(own.number, 5);
  EXPECT_EQ(own.description, "disk gone");
  // Neither an exception without a text nor a thrown number leave the description empty.
  EXPECT_EQ(DescribeFailure(caught([] { throw std::runtime_error(""); })).description,
            "Unexpected failure");
  EXPECT_EQ(DescribeFailure(caught([] { throw 42; })).description, "Unexpected failure");

  testing::RecordingUserInterface ui;
  ReportUnexpectedFailure(ui, caught([] { throw std::logic_error("bad state"); }), "modX", "Run",
                          "Line num: 3");
  ASSERT_EQ(ui.error_reports.size(), 1u);
  EXPECT_EQ(ui.error_reports[0].error_number, 5);
  EXPECT_EQ(ui.error_reports[0].error_description, "bad state");
  EXPECT_EQ(ui.error_reports[0].module_name, "modX");
  EXPECT_EQ(ui.error_reports[0].procedure_name, "Run");
  EXPECT_EQ(ui.error_reports[0].extra_description, "Line num: 3");
}

}  // namespace
}  // namespace korvane
