// Printing a text on the default printer, and what happens when there is none: an interactive
// Print says so and offers to save the text as a PDF file instead; an unattended print (a
// saved process being re-run) says that nothing was printed and asks nothing. Text that did
// not reach a printer is never reported as printed.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace korvane {

class UserInterface;

inline constexpr std::string_view kPrintTitle = "Print";
inline constexpr std::string_view kNoPrinterNotPrinted =
    "There is no default printer, so the report was not printed.";
inline constexpr std::string_view kOfferPdfQuestion =
    "Do you want to save the report as a PDF file instead?";
inline constexpr std::string_view kPrintFailedNotPrinted =
    "The printer did not accept the report, so it was not printed.";
inline constexpr std::string_view kSaveAsPdfTitle = "Save Report as PDF";
inline constexpr std::string_view kPdfFileFilter = "PDF files|*.pdf";
inline constexpr std::string_view kProposedPdfName = "Report.pdf";
inline constexpr std::string_view kPdfNotWritten = "The PDF file could not be written.";

// Where a text goes: the system's default printer or a PDF file. The device knows its text.
class PrintDevice {
 public:
  virtual ~PrintDevice() = default;
  virtual bool HasDefaultPrinter() const = 0;
  // All pages, one copy, under the document name; false when the printer did not take it.
  virtual bool PrintOnDefaultPrinter(std::string_view document_name) = 0;
  // False when the file could not be written.
  virtual bool SaveAsPdf(const std::filesystem::path& file, std::string_view document_name) = 0;
};

// "There is no default printer, so the report was not printed." CR LF CR LF + the PDF offer.
std::string NoPrinterQuestion();

// Prints through `device`. True only when the default printer took the text. Without a
// printer: unattended, the message kNoPrinterNotPrinted (information icon); interactive, the
// question whether to save a PDF instead and, on Yes, a save dialog proposing
// `pdf_folder`/Report.pdf. A printer that refuses the text gives kPrintFailedNotPrinted
// (exclamation icon) in both modes.
bool PrintOrOfferPdf(PrintDevice& device, UserInterface& ui, bool unattended,
                     std::string_view document_name, const std::filesystem::path& pdf_folder);

}  // namespace korvane
