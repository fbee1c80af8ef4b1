#include "compare/report_printing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/recording_user_interface.h"

namespace korvane {
namespace {

using testing::RecordingUserInterface;

class FakePrintDevice : public PrintDevice {
 public:
  bool HasDefaultPrinter() const override { return has_printer; }
  bool PrintOnDefaultPrinter(std::string_view document_name) override {
    printed.emplace_back(document_name);
    return printer_accepts;
  }
  bool SaveAsPdf(const std::filesystem::path& file, std::string_view document_name) override {
    pdfs.push_back(file.string() + " " + std::string(document_name));
    return pdf_written;
  }
  bool has_printer = true;
  bool printer_accepts = true;
  bool pdf_written = true;
  std::vector<std::string> printed;
  std::vector<std::string> pdfs;
};

TEST(PrintOrOfferPdfTest, DefaultPrinterPrintsWithoutAsking) {
  FakePrintDevice device;
  RecordingUserInterface ui;
  EXPECT_TRUE(PrintOrOfferPdf(device, ui, false, "Korvane Report", "/data"));
  EXPECT_EQ(device.printed, std::vector<std::string>{"Korvane Report"});
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(device.pdfs.empty());
}

TEST(PrintOrOfferPdfTest, RefusedPrintIsNotReportedAsPrinted) {
  for (bool unattended : {false, true}) {
    FakePrintDevice device;
    device.printer_accepts = false;
    RecordingUserInterface ui;
    EXPECT_FALSE(PrintOrOfferPdf(device, ui, unattended, "Korvane Report", "/data"));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kPrintFailedNotPrinted);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::kExclamation);
    EXPECT_FALSE(ui.messages[0].is_question);
  }
}

TEST(PrintOrOfferPdfTest, UnattendedWithoutPrinterSaysSoAndAsksNothing) {
  FakePrintDevice device;
  device.has_printer = false;
  RecordingUserInterface ui;
  EXPECT_FALSE(PrintOrOfferPdf(device, ui, true, "Korvane Report", "/data"));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "There is no default printer, so the report was not printed.");
  EXPECT_EQ(ui.messages[0].title, "Print");
  EXPECT_FALSE(ui.messages[0].is_question);
  EXPECT_TRUE(ui.file_requests.empty());
  EXPECT_TRUE(device.printed.empty());
  EXPECT_TRUE(device.pdfs.empty());
}

TEST(PrintOrOfferPdfTest, InteractiveWithoutPrinterOffersAPdf) {
  FakePrintDevice device;
  device.has_printer = false;
  RecordingUserInterface ui;
  ui.answers = {Answer::kYes};
  ui.file_choices = {std::filesystem::path("/out/r.pdf")};
  // Saved as a PDF is still not printed.
  EXPECT_FALSE(PrintOrOfferPdf(device, ui, false, "Korvane Report", "/data"));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_TRUE(ui.messages[0].is_question);
  EXPECT_EQ(ui.messages[0].text,
            "There is no default printer, so the report was not printed.\r\n\r\n"
            "Do you want to save the report as a PDF file instead?");
  ASSERT_EQ(ui.file_requests.size(), 1u);
  EXPECT_EQ(ui.file_requests[0].proposed_name, "Report.pdf");
  EXPECT_EQ(ui.file_requests[0].initial_folder, "/data");
  EXPECT_EQ(ui.file_requests[0].filter, "PDF files|*.pdf");
  EXPECT_EQ(device.pdfs, std::vector<std::string>{"/out/r.pdf Korvane Report"});
  EXPECT_TRUE(device.printed.empty());
}

TEST(PrintOrOfferPdfTest, DeclinedOrCancelledPdfWritesNothing) {
  FakePrintDevice device;
  device.has_printer = false;
  RecordingUserInterface ui;
  ui.answers = {Answer::kNo};
  EXPECT_FALSE(PrintOrOfferPdf(device, ui, false, "Korvane Report", "/data"));
  EXPECT_TRUE(ui.file_requests.empty());

  ui.answers = {Answer::kYes};  // then the file dialog is cancelled
  EXPECT_FALSE(PrintOrOfferPdf(device, ui, false, "Korvane Report", "/data"));
  EXPECT_EQ(ui.file_requests.size(), 1u);
  EXPECT_TRUE(device.pdfs.empty());
}

TEST(PrintOrOfferPdfTest, UnwrittenPdfIsReported) {
  FakePrintDevice device;
  device.has_printer = false;
  device.pdf_written = false;
  RecordingUserInterface ui;
  ui.answers = {Answer::kYes};
  ui.file_choices = {std::filesystem::path("/nowhere/r.pdf")};
  EXPECT_FALSE(PrintOrOfferPdf(device, ui, false, "Korvane Report", "/data"));
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].text, kPdfNotWritten);
  EXPECT_EQ(ui.messages[1].icon, MessageIcon::kExclamation);
}

}  // namespace
}  // namespace korvane
