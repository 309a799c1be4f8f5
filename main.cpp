#include <QApplication>
#include <QIcon>

#include "controls/Fonts.h"
#include "createdialog/Form2.h"
#include "mainwindow/Form1.h"
#include "runtime/AppPath.h"
#include "runtime/DisplayPlatform.h"
#include "runtime/ProcessGuard.h"
#include "store/Vault.h"

int main(int argc, char **argv) {
  runtime::ProtectProcess();
  runtime::ChooseDisplayPlatform();
  QApplication app(argc, argv);
  runtime::EndOnSignals();
  app.setWindowIcon(QIcon(QStringLiteral(":/Vantry.png")));
  controls::AddFolderFont(QString::fromStdString(runtime::AppPath()));
  if (!Main({ShowMainWindow, RunCreateDialog})) return 0;
  return QApplication::exec();
}
