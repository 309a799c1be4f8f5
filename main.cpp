#include <QApplication>

#include "createdialog/Form2.h"
#include "mainwindow/Form1.h"
#include "store/Vault.h"

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  if (!Main({ShowMainWindow, RunCreateDialog})) return 0;
  return QApplication::exec();
}
