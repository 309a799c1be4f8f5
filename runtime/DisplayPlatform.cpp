#include "runtime/DisplayPlatform.h"

#include <QByteArray>
#include <QtGlobal>

namespace runtime {

void ChooseDisplayPlatform() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
}

}  // namespace runtime
