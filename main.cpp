#include <QApplication>

#include "createdialog/Form2.h"
#include "store/Vault.h"

#if __has_include("mainwindow/Form1.h")
#include "mainwindow/Form1.h"
#define VANTRY_HAS_FORM1 1
#endif

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  StartupWindows windows;
  windows.runCreateDialog = RunCreateDialog;
#ifdef VANTRY_HAS_FORM1
  windows.showMainWindow = ShowMainWindow;
#endif
  if (!Main(windows)) return 0;
  return QApplication::exec();
}
