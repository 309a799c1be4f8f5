// The whole start-up without an archive: the creation dialog through Main,
// then the next start finding the new archive. The program's folder is the
// folder of this test program, which it has to itself.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "createdialog/Form2.h"
#include "runtime/AppPath.h"
#include "store/Module1.h"
#include "store/Vault.h"
#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// Acts on the dialog once exec has shown it.
void WhenDialogShows(std::function<void(Form2 &)> act) {
  QTimer::singleShot(0, [act] {
    auto *dialog = qobject_cast<Form2 *>(QApplication::activeModalWidget());
    if (dialog == nullptr) {
      QFAIL("the creation dialog is not showing");
      return;
    }
    act(*dialog);
  });
}

struct Start {
  int dialogs = 0;
  int mainWindows = 0;
  bool goesOn = false;
};

Start RunMain(std::function<void(Form2 &)> act) {
  Start start;
  Module1::Reset();  // every start is a fresh program
  StartupWindows windows;
  windows.showMainWindow = [&] { ++start.mainWindows; };
  windows.runCreateDialog = [&] {
    ++start.dialogs;
    WhenDialogShows(act);
    RunCreateDialog();
  };
  start.goesOn = Main(windows);
  return start;
}

void RemoveArchives() {
  for (const char *name : {"Vantry.csv", "Vantry1.csv", "Vantry2.csv", "Vantry3.csv"})
    fs::remove(fs::path(runtime::AppPath()) / name);
}

}  // namespace

class Form2LifeTest : public QObject {
  Q_OBJECT

  QTemporaryDir lockFolder_;
  QString previousFolder_;

 private slots:
  void initTestCase() {
    UseBuiltCipher();
    // The single-instance lock of this run, apart from any running program.
    QVERIFY(lockFolder_.isValid());
    qputenv("XDG_RUNTIME_DIR", lockFolder_.path().toUtf8());
    previousFolder_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(QString::fromStdString(runtime::AppPath())));
    RemoveArchives();
  }

  void cleanupTestCase() {
    RemoveArchives();
    QDir::setCurrent(previousFolder_);
  }

  void init() { RemoveArchives(); }

  void closeLeavesNoArchiveAndTheDialogComesBack() {
    ScriptedMessageBox box;
    for (int run = 0; run < 2; ++run) {
      const Start start = RunMain([](Form2 &dialog) { dialog.SSCommand2->click(); });
      QCOMPARE(start.dialogs, 1);
      QCOMPARE(start.mainWindows, 0);
      QVERIFY(!start.goesOn);
    }
    QVERIFY(!fs::exists(fs::path(runtime::AppPath()) / "Vantry.csv"));
    QVERIFY(box.Shown().empty());
  }

  void createThenOpen() {
    ScriptedMessageBox box;
    const Start created = RunMain([](Form2 &dialog) {
      dialog.Text1[0]->setText(QStringLiteral("10"));
      QTest::keyClick(dialog.Text1[0], Qt::Key_Return);
      dialog.Text1[2]->setText(QStringLiteral("ひらけごま"));
      dialog.Text1[3]->setText(QStringLiteral("edit me"));
      dialog.Text1[4]->setText(QStringLiteral("sesame"));
      dialog.SSCommand1->click();
    });
    QCOMPARE(created.dialogs, 1);
    QCOMPARE(created.mainWindows, 0);
    QVERIFY(!created.goesOn);  // the program ends after creating
    QVERIFY(box.Shown().empty());

    const Start opened = RunMain([](Form2 &dialog) { dialog.SSCommand2->click(); });
    QCOMPARE(opened.dialogs, 0);
    QCOMPARE(opened.mainWindows, 1);
    QVERIFY(opened.goesOn);
    // What the main window's password box will compare with.
    QCOMPARE(Module1::LoginPasswordText, std::string("ひらけごま"));
    QCOMPARE(Module1::EditPasswordText, std::string("edit me"));
    QCOMPARE(Module1::HintText, std::string("sesame"));
    QCOMPARE(int(Module1::RowCount), 10);
    QCOMPARE(int(Module1::ColumnCount), 5);
    QCOMPARE(Module1::VaultTable[8][0], std::string("LoginPassword"));
    QVERIFY(box.Shown().empty());
  }
};

QTEST_MAIN(Form2LifeTest)
#include "Form2LifeTest.moc"
