#include "ui/qt_user_interface.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include "base/error_report.h"
#include "base/text.h"
#include "ui/error_report_dialog.h"
#include "ui/qt_print_device.h"

namespace korvane {
namespace {

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon QtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kInformation:
      return QMessageBox::Information;
    case MessageIcon::kExclamation:
      return QMessageBox::Warning;
    case MessageIcon::kCritical:
      return QMessageBox::Critical;
    case MessageIcon::kQuestion:
      return QMessageBox::Question;
    case MessageIcon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

// Message texts use CR LF; Qt's labels want plain line feeds.
QString MessageText(std::string_view text) {
  return Q(ReplaceAll(text, "\r\n", "\n"));
}

std::filesystem::path ToPath(const QString& file) {
  return std::filesystem::path(file.toUtf8().toStdString());
}

QString StartPath(const FileRequest& request) {
  const QString folder = Q(request.initial_folder.string());
  if (request.proposed_name.empty())
    return folder;
  return folder.isEmpty() ? Q(request.proposed_name) : folder + "/" + Q(request.proposed_name);
}

}  // namespace

QString QtFileFilter(std::string_view filter) {
  const std::vector<std::string> parts = Split(filter, "|");
  QStringList entries;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    entries << Q(parts[i]) + " (" + Q(ReplaceAll(parts[i + 1], ";", " ")) + ")";
  }
  return entries.join(";;");
}

void QtUserInterface::ShowMessage(std::string_view text, MessageIcon icon, std::string_view title) {
  QMessageBox box(QtIcon(icon), Q(title), MessageText(text), QMessageBox::Ok, parent_);
  box.exec();
}

std::unique_ptr<QMessageBox> BuildQuestionBox(std::string_view text, std::string_view title,
                                              Answer default_answer, MessageIcon icon,
                                              QWidget* parent) {
  auto box = std::make_unique<QMessageBox>(QtIcon(icon), Q(title), MessageText(text),
                                           QMessageBox::Yes | QMessageBox::No, parent);
  box->setDefaultButton(default_answer == Answer::kYes ? QMessageBox::Yes : QMessageBox::No);
  box->setEscapeButton(QMessageBox::No);
  return box;
}

Answer QtUserInterface::Ask(std::string_view text, std::string_view title, Answer default_answer,
                            MessageIcon icon) {
  const std::unique_ptr<QMessageBox> box =
      BuildQuestionBox(text, title, default_answer, icon, parent_);
  return box->exec() == QMessageBox::Yes ? Answer::kYes : Answer::kNo;
}

std::optional<std::filesystem::path> QtUserInterface::RequestSaveFile(const FileRequest& request) {
  const QString file = QFileDialog::getSaveFileName(
      parent_, Q(request.title), StartPath(request), QtFileFilter(request.filter), nullptr,
      request.overwrite_prompt ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite);
  if (file.isEmpty())
    return std::nullopt;
  return ToPath(file);
}

std::optional<std::filesystem::path> QtUserInterface::RequestOpenFile(const FileRequest& request) {
  const QString file = QFileDialog::getOpenFileName(parent_, Q(request.title), StartPath(request),
                                                    QtFileFilter(request.filter));
  if (file.isEmpty())
    return std::nullopt;
  return ToPath(file);
}

void QtUserInterface::SetBusy(bool busy) {
  if (busy) {
    if (busy_depth_++ == 0)
      QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (busy_depth_ > 0) {
    if (--busy_depth_ == 0)
      QApplication::restoreOverrideCursor();
  }
}

void QtUserInterface::ProcessPendingEvents() {
  QApplication::processEvents();
}

void QtUserInterface::SetClipboardText(std::string_view text) {
  QApplication::clipboard()->setText(Q(text));
}

int QtUserInterface::OpenWithDefaultProgram(std::string_view file_or_address) {
  const QString target = Q(file_or_address);
  const QUrl url = target.contains("://") ? QUrl(target) : QUrl::fromLocalFile(target);
  return QDesktopServices::openUrl(url) ? 0 : 1;
}

bool QtUserInterface::PrintText(std::string_view document_name, std::string_view text) {
  // True only when the default printer took the text; without one the person may keep a PDF.
  QtPrintDevice device(text);
  return PrintOrOfferPdf(device, *this, false, document_name, {});
}

void QtUserInterface::ShowErrorReport(const ErrorReport& report) {
  ErrorReportDialog dialog(report, *this, parent_);
  dialog.exec();
}

}  // namespace korvane
