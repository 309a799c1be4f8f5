#include "store/Messages.h"

#include "runtime/ErrorLine.h"
#include "runtime/MessageBox.h"
#include "store/CipherLibrary.h"

namespace store {
namespace {
// The message box keeps its line breaks; standard error gets one line.
std::string OneLine(const std::string &text) {
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "\r\n") == 0) {
      line.push_back(' ');
      ++i;
    } else {
      line.push_back(text[i]);
    }
  }
  return line;
}
}  // namespace

void ShowCanNotOpen(const std::string &path, const std::string &why) {
  runtime::ErrorLine(path, "cannot open", why);
  runtime::MsgBox(kCanNotOpen, runtime::kStyleExclamationModal, kCaptionError);
}

void ShowLibraryMissing(const std::string &path, const std::string &why) {
  runtime::ErrorLine(CipherLibraryPath(), "cannot load the cipher to read " + path, why);
  runtime::MsgBox("   Can not read Vantry.csv !    \r\nThe library libQuenta.so could not be loaded:\r\n" + why,
                  runtime::kStyleCritical, kCaptionRead);
}

void ShowCorrupted(const std::string &path, const std::string &why) {
  runtime::ErrorLine(path, "damaged", why);
  runtime::MsgBox(kCorrupted, runtime::kStyleCritical, kCaptionRead);
}

void ReportNothingToOpen(const std::string &path, const std::string &why) {
  runtime::ErrorLine(path, "nothing to open", why);
}

void ShowSaveRefused(const std::string &path, const std::string &why) {
  runtime::ErrorLine(path, "not saved", OneLine(why));
  runtime::MsgBox("   Can not save Vantry.csv !    \r\n" + why, runtime::kStyleExclamationModal, kCaptionError);
}

void ShowSaveFailed(const std::string &path, const std::string &why) {
  runtime::ErrorLine(path, "cannot save", why);
  runtime::MsgBox(kCanNotOpen, runtime::kStyleExclamationModal, kCaptionError);
}
bool AskSaveOverChanged(const std::string &path) {
  const std::string text = path +
                           "\r\nhas changed since Vantry read it or last saved it (another copy of Vantry, a sync "
                           "tool, or a backup put back by hand).\r\n\r\nSave anyway? The file as it is now "
                           "becomes the backup Vantry1.csv.";
  if (runtime::MsgBox(text, runtime::kStyleQuestionOkCancel, kCaptionSave) == runtime::kAnswerOk) return true;
  runtime::ErrorLine(path, "not saved", "the file changed since it was read, and the owner kept it");
  return false;
}
}  // namespace store
