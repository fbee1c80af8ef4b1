// Printing a plain text through Qt PrintSupport: the system's default printer, or a PDF file.
#pragma once

#include <QString>
#include <string_view>

#include "compare/report_printing.h"

namespace korvane {

class QtPrintDevice final : public PrintDevice {
 public:
  explicit QtPrintDevice(std::string_view text);

  bool HasDefaultPrinter() const override;
  bool PrintOnDefaultPrinter(std::string_view document_name) override;
  bool SaveAsPdf(const std::filesystem::path& file, std::string_view document_name) override;

 private:
  QString text_;
};

}  // namespace korvane
