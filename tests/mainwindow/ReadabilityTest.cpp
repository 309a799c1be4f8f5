// The main window as a screen reader and a dark colour scheme meet it: the
// accessible names and roles, what masked cells and the password box give
// away, and text colours chosen for the light cyan background.
#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyleFactory>
#include <QTest>

#include "controls/Colours.h"
#include "controls/ThreeD.h"
#include "tests/mainwindow/Session.h"
#include "tests/support/Palettes.h"

namespace {

QAccessibleInterface *Accessible(QObject *object) { return QAccessible::queryAccessibleInterface(object); }

// Colour of a role as the widget draws it.
QColor Colour(const QWidget *w, QPalette::ColorRole role) { return w->palette().color(QPalette::Active, role); }

}  // namespace

class ReadabilityTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    UseBuiltCipher();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  }
  void cleanup() { QApplication::setPalette(QPalette()); }

  void accessibleNamesAndRoles();
  void maskedValuesStayMasked();
  void textColoursUnderADarkScheme_data();
  void textColoursUnderADarkScheme();
  void looksTheSameUnderAnyScheme();
};

void ReadabilityTest::accessibleNamesAndRoles() {
  OPEN_SESSION(session);
  QCOMPARE(Accessible(&form)->role(), QAccessible::Window);
  QCOMPARE(Accessible(form.Text1)->text(QAccessible::Name), QStringLiteral("Password"));
  QCOMPARE(Accessible(form.SSCommand1)->role(), QAccessible::Button);
  QCOMPARE(Accessible(form.SSCommand1)->text(QAccessible::Name), QStringLiteral("Display"));
  // The box is named by whatever its label reads.
  Type(form, kLogin);
  Type(form, kEdit);
  QTest::mouseClick(form.SSCommand1, Qt::LeftButton);
  QTest::mouseClick(form.SSCommand1, Qt::LeftButton);
  QTest::mouseClick(form.SSCommand3, Qt::LeftButton);
  QCOMPARE(Accessible(form.Text1)->text(QAccessible::Name), QStringLiteral("Item Name"));
}

void ReadabilityTest::maskedValuesStayMasked() {
  OPEN_SESSION(session);
  Type(form, kLogin);
  QAccessibleTableInterface *table = Accessible(form.vaSpread1)->tableInterface();
  QVERIFY(table != nullptr);
  for (int r = 0; r < form.vaSpread1->maxRows(); ++r)
    for (int c = 0; c < form.vaSpread1->maxCols(); ++c)
      QCOMPARE(table->cellAt(r, c)->text(QAccessible::Name), QStringLiteral("********"));
  // The password box reads as stars, its text interface gives nothing.
  form.Text1->setText(kEdit);
  QAccessibleInterface *box = Accessible(form.Text1);
  QCOMPARE(box->text(QAccessible::Value), QString(kEdit.size(), QLatin1Char('*')));
  QVERIFY(box->textInterface() == nullptr || !box->textInterface()->text(0, kEdit.size()).contains(kEdit));
}

void ReadabilityTest::textColoursUnderADarkScheme_data() {
  QTest::addColumn<bool>("darkFirst");  // the scheme set before the window opens, or while it is open
  QTest::newRow("dark before") << true;
  QTest::newRow("dark while open") << false;
}

void ReadabilityTest::textColoursUnderADarkScheme() {
  QFETCH(bool, darkFirst);
  if (darkFirst) QApplication::setPalette(DarkPalette());
  OPEN_SESSION(session);
  Type(form, kLogin);
  if (!darkFirst) QApplication::setPalette(DarkPalette());
  QCOMPARE(Colour(&form, QPalette::Window), kLightCyan);
  const struct {
    const char *what;
    const QWidget *text;
    QPalette::ColorRole fore;
    const QWidget *ground;
    QPalette::ColorRole back;
  } texts[] = {
      {"Label1 on the window", form.Label1, form.Label1->foregroundRole(), &form, QPalette::Window},
      {"password box", form.Text1, QPalette::Text, form.Text1, QPalette::Base},
      {"grid cells", form.vaSpread1, QPalette::Text, form.vaSpread1, QPalette::Base},
      {"item names", form.vaSpread1->verticalHeader(), QPalette::ButtonText, form.vaSpread1->verticalHeader(),
       QPalette::Button},
      {"grid panel", form.SSPanel1, QPalette::WindowText, form.SSPanel1, QPalette::Window},
      {"command bar", form.SSPanel2, QPalette::WindowText, form.SSPanel2, QPalette::Window},
  };
  for (const auto &t : texts) {
    const double ratio = controls::ContrastRatio(Colour(t.text, t.fore), Colour(t.ground, t.back));
    QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1: contrast %2").arg(QLatin1String(t.what)).arg(ratio)));
  }
}

// Only the desktop's scheme changes between the two pictures.
void ReadabilityTest::looksTheSameUnderAnyScheme() {
  OPEN_SESSION(session);
  Type(form, kLogin);
  Type(form, kEdit);
  QTest::mouseClick(form.SSCommand1, Qt::LeftButton);
  form.setFocus();  // no blinking text cursor in the pictures
  const QWidget *parts[] = {form.Label1, form.SSPanel1, form.SSPanel2, form.SSCommand1, form.SSCommand4};
  QList<QImage> light;
  for (const QWidget *w : parts) light << const_cast<QWidget *>(w)->grab().toImage();
  QApplication::setPalette(DarkPalette());
  for (int i = 0; i < int(std::size(parts)); ++i)
    QVERIFY2(const_cast<QWidget *>(parts[i])->grab().toImage() == light[i], qPrintable(parts[i]->objectName()));
}

QTEST_MAIN(ReadabilityTest)
#include "ReadabilityTest.moc"
