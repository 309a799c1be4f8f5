#include <QApplication>

#include "store/Vault.h"

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  StartupWindows windows;
  if (!Main(windows)) return 0;
  return QApplication::exec();
}
