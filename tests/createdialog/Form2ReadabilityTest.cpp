// The creation dialog as a screen reader and a dark colour scheme meet it:
// every field named by its label, the never-shown field left out, the
// dialog's role, and dark text on the dialog whatever the desktop's scheme.
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStyleFactory>
#include <QTest>
#include <functional>

#include "controls/Colours.h"
#include "createdialog/Form2.h"
#include "tests/support/Palettes.h"
#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/TempFolder.h"

namespace {

QAccessibleInterface *Accessible(QObject *object) { return QAccessible::queryAccessibleInterface(object); }

// Every interface below root, depth first.
void Walk(QAccessibleInterface *root, const std::function<void(QAccessibleInterface *)> &visit) {
  for (int i = 0; i < root->childCount(); ++i) {
    QAccessibleInterface *child = root->child(i);
    if (child == nullptr) continue;
    visit(child);
    Walk(child, visit);
  }
}

}  // namespace

class Form2ReadabilityTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion"))); }
  void cleanup() { QApplication::setPalette(QPalette()); }

  void fieldsAreNamedByTheirLabels() {
    TempFolder folder;
    Form2 dialog;
    QCOMPARE(Accessible(&dialog)->role(), QAccessible::Dialog);
    QCOMPARE(Accessible(&dialog)->text(QAccessible::Name), QStringLiteral("Create Vantry"));
    // Field by field: the label beside it, the login field's label 3 and the edit field's label 2.
    const int labelOf[12] = {0, 1, 3, 2, 4, 5, 6, 7, 8, 9, 10, 11};
    for (int i = 0; i <= 11; ++i)
      QCOMPARE(Accessible(dialog.Text1[i])->text(QAccessible::Name), dialog.Label1[labelOf[i]]->text());
    QCOMPARE(Accessible(dialog.SSCommand1)->text(QAccessible::Name), QStringLiteral("Save"));
    QCOMPARE(Accessible(dialog.SSCommand1)->role(), QAccessible::Button);
  }

  void dummyFieldIsNotInTheTree() {
    TempFolder folder;
    Form2 dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    int fields = 0;
    Walk(Accessible(&dialog), [&](QAccessibleInterface *iface) {
      QVERIFY(iface->object() != dialog.Text1[12]);
      QVERIFY(iface->text(QAccessible::Value) != QStringLiteral("Dummy"));
      if (qobject_cast<QLineEdit *>(iface->object()) != nullptr) ++fields;
      // Every child knows its place under its parent.
      QCOMPARE(iface->parent()->indexOfChild(iface) >= 0, true);
    });
    QCOMPARE(fields, 12);
  }

  void darkTextOnTheDialog_data() {
    QTest::addColumn<bool>("darkFirst");
    QTest::newRow("dark before") << true;
    QTest::newRow("dark while open") << false;
  }

  void darkTextOnTheDialog() {
    QFETCH(bool, darkFirst);
    TempFolder folder;
    if (darkFirst) QApplication::setPalette(DarkPalette());
    Form2 dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    if (!darkFirst) QApplication::setPalette(DarkPalette());
    const QColor ground = dialog.palette().color(QPalette::Window);
    for (const QLabel *label : dialog.Label1) {
      const double ratio = controls::ContrastRatio(label->palette().color(label->foregroundRole()), ground);
      QVERIFY2(ratio >= 4.5, qPrintable(label->text()));
    }
    for (const QLineEdit *field : dialog.Text1)
      QVERIFY(controls::ContrastRatio(field->palette().color(QPalette::Text), field->palette().color(QPalette::Base)) >=
              4.5);
  }
};

QTEST_MAIN(Form2ReadabilityTest)
#include "Form2ReadabilityTest.moc"
