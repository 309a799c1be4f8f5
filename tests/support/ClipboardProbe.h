// The clipboard as the widget tests read it back.
#pragma once
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "runtime/Clipboard.h"

inline QClipboard *Board() { return QGuiApplication::clipboard(); }

// True when the clipboard's data carries both marks that keep it out of the
// clipboard managers' history.
inline bool MarkedSecret() {
  const QMimeData *data = Board()->mimeData(QClipboard::Clipboard);
  return data != nullptr && data->data(QString::fromLatin1(runtime::kPasswordManagerHint)) == "secret" &&
         data->data(QString::fromLatin1(runtime::kCopyQHidden)) == "1";
}
