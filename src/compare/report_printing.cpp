#include "compare/report_printing.h"

#include <string>

#include "base/text.h"
#include "base/user_interface.h"

namespace korvane {

std::string NoPrinterQuestion() {
  std::string text(kNoPrinterNotPrinted);
  text += kCrLf;
  text += kCrLf;
  text += kOfferPdfQuestion;
  return text;
}

bool PrintOrOfferPdf(PrintDevice& device, UserInterface& ui, bool unattended,
                     std::string_view document_name, const std::filesystem::path& pdf_folder) {
  if (device.HasDefaultPrinter()) {
    if (device.PrintOnDefaultPrinter(document_name))
      return true;
    ui.ShowMessage(kPrintFailedNotPrinted, MessageIcon::kExclamation, kPrintTitle);
    return false;
  }
  if (unattended) {
    ui.ShowMessage(kNoPrinterNotPrinted, MessageIcon::kInformation, kPrintTitle);
    return false;
  }
  if (ui.Ask(NoPrinterQuestion(), kPrintTitle, Answer::kNo) != Answer::kYes)
    return false;
  FileRequest request;
  request.title = kSaveAsPdfTitle;
  request.filter = kPdfFileFilter;
  request.proposed_name = kProposedPdfName;
  request.initial_folder = pdf_folder;
  request.overwrite_prompt = true;
  const std::optional<std::filesystem::path> file = ui.RequestSaveFile(request);
  if (file && !file->empty() && !device.SaveAsPdf(*file, document_name))
    ui.ShowMessage(kPdfNotWritten, MessageIcon::kExclamation, kPrintTitle);
  return false;
}

}  // namespace korvane
