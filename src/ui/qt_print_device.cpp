#include "ui/qt_print_device.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>

#include "base/text.h"
#include "ui/qt_text.h"

namespace korvane {
namespace {

// All pages, one copy, in a fixed-pitch font so the report's tab columns line up.
bool PrintTo(QPrinter& printer, const QString& text, std::string_view document_name) {
  printer.setDocName(ToQString(document_name));
  printer.setCopyCount(1);
  printer.setPrintRange(QPrinter::AllPages);
  if (!printer.isValid())
    return false;
  QTextDocument document;
  document.setDefaultFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  document.setPlainText(text);
  document.print(&printer);
  return printer.printerState() != QPrinter::Error && printer.printerState() != QPrinter::Aborted;
}

}  // namespace

QtPrintDevice::QtPrintDevice(std::string_view text)
    : text_(ToQString(ReplaceAll(text, "\r\n", "\n"))) {}

bool QtPrintDevice::HasDefaultPrinter() const {
  return !QPrinterInfo::defaultPrinter().isNull();
}

bool QtPrintDevice::PrintOnDefaultPrinter(std::string_view document_name) {
  const QPrinterInfo default_printer = QPrinterInfo::defaultPrinter();
  if (default_printer.isNull())
    return false;
  QPrinter printer(default_printer);
  return PrintTo(printer, text_, document_name);
}

bool QtPrintDevice::SaveAsPdf(const std::filesystem::path& file, std::string_view document_name) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  const QString name = ToQString(file.string());
  printer.setOutputFileName(name);
  if (!PrintTo(printer, text_, document_name))
    return false;
  const QFileInfo written(name);
  return written.exists() && written.size() > 0;
}

}  // namespace korvane
