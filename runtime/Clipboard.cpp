#include "runtime/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace runtime {

void SetClipboardSecret(const std::string &text) {
  QClipboard *clipboard = QGuiApplication::clipboard();
  clipboard->clear(QClipboard::Clipboard);
  auto *data = new QMimeData;
  data->setText(QString::fromStdString(text));
  data->setData(QString::fromLatin1(kPasswordManagerHint), QByteArrayLiteral("secret"));
  // Only the clipboard: the X11 selection would hand the value to any
  // middle click.
  clipboard->setMimeData(data, QClipboard::Clipboard);
}

void ClearClipboard() { QGuiApplication::clipboard()->clear(QClipboard::Clipboard); }

}  // namespace runtime
