#include "createdialog/Form2.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "controls/Accessibility.h"
#include "controls/Colours.h"
#include "controls/Fonts.h"
#include "controls/SecretEdit.h"
#include "controls/Twips.h"
#include "createdialog/NewVault.h"
#include "runtime/Clipboard.h"
#include "runtime/Files.h"
#include "runtime/MessageBox.h"
#include "store/Module1.h"
#include "store/Vault.h"

namespace {

constexpr int kClientWidth = 7545;
constexpr int kFullOuterHeight = 7425;  // all seven title fields shown
constexpr int kFramePitch = 630;
constexpr int kDummy = 12;
constexpr int kFontPoints = 12;

constexpr int kKeyEnter = 13;
constexpr int kKeyTab = 9;

const std::string kSaveCaption = "Save/ Create Vantry";

// Captions by label index; the login and edit labels are 3 and 2.
const std::array<const char *, 12> kLabelCaptions = {
    "行数（パスワードの数）（Max32）：",
    "列数（Ｍａｘ7）：",
    "編集パスワード：",
    "ログインパスワード：",
    "パスワード連想言葉",
    "第１列項目名：",
    "第２列項目名：",
    "第３列項目名：",
    "第４列項目名：",
    "第５列項目名：",
    "第６列項目名：",
    "第７列項目名：",
};

const std::array<const char *, 13> kDefaults = {
    "7", "5", "", "", "", "User Name", "Login", "Confirm", "Kouza No", "Card Password", "Phone No",
    "Aux", "Dummy",
};

// The label of frame k (1 to 10), which holds field k + 1.
int LabelOfFrame(int k) {
  if (k == 1) return 3;
  if (k == 2) return 2;
  return k + 1;
}

std::string TextOf(const QLineEdit *field) { return field->text().toStdString(); }

// The widget's own visible flag, whatever its containers show.
bool OwnVisible(const QWidget *widget) { return widget->isVisibleTo(widget->parentWidget()); }

QString Name(const char *base, int index) {
  return QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(index);
}

}  // namespace

Form2::Form2(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form2"));
  controls::SetAccessibleRole(this, QAccessible::Dialog);
  // Dark text on the button face, whatever colours the desktop uses.
  setPalette(controls::FixedPalette(controls::ButtonFace()));
  setWindowTitle(QStringLiteral("Create Vantry"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  const qreal dpi = controls::ScreenDpi(this);
  setFixedWidth(controls::TwipsToPixels(kClientWidth, dpi));
  setFont(controls::UiFont(kFontPoints));

  auto makeField = [this](int index, QWidget *container) {
    auto *field = new QLineEdit(QString::fromUtf8(kDefaults[index]), container);
    field->setObjectName(Name("Text1", index));
    field->setFont(controls::UiFont(kFontPoints));
    controls::GuardSecretEdit(field);  // passwords are typed in clear here
    field->installEventFilter(this);
    Text1[index] = field;
    return field;
  };
  auto makeLabel = [this](int index, QWidget *container) {
    auto *label = new QLabel(QString::fromUtf8(kLabelCaptions[index]), container);
    label->setObjectName(Name("Label1", index));
    label->setFont(controls::UiFont(kFontPoints));
    label->setTextFormat(Qt::PlainText);
    Label1[index] = label;
    return label;
  };

  for (int k = 0; k <= 10; ++k) {
    auto *frame = new controls::SSFrame(this);
    frame->setObjectName(Name("SSFrame1", k));
    SSFrame1[k] = frame;
    if (k == 0) {
      controls::PlaceInTwips(frame, 60, 60, 7365, 585);
      controls::PlaceInTwips(makeLabel(0, frame), 150, 150, 3525, 285);
      controls::PlaceInTwips(makeField(0, frame), 3840, 120, 555, 345);
      controls::PlaceInTwips(makeLabel(1, frame), 4920, 150, 1545, 285);
      controls::PlaceInTwips(makeField(1, frame), 6510, 120, 555, 360);
      Label1[0]->setBuddy(Text1[0]);
      Label1[1]->setBuddy(Text1[1]);
    } else {
      controls::PlaceInTwips(frame, 60, 60 + kFramePitch * k, 5565, 585);
      controls::PlaceInTwips(makeLabel(LabelOfFrame(k), frame), 150, 150, 2625, 285);
      controls::PlaceInTwips(makeField(k + 1, frame), 2820, 120, 2535, 360);
      Label1[LabelOfFrame(k)]->setBuddy(Text1[k + 1]);  // screen readers name the field by it
    }
  }
  controls::PlaceInTwips(makeField(kDummy, this), 6060, 3300, 1065, 360);
  Text1[kDummy]->setFocusPolicy(Qt::NoFocus);
  Text1[kDummy]->setVisible(false);
  controls::HideFromAccessibility(Text1[kDummy]);

  SSPanel2 = new controls::SSPanel(this);
  SSPanel2->setObjectName(QStringLiteral("SSPanel2"));
  controls::PlaceInTwips(SSPanel2, 5760, 690, 1665, 1335);
  SSCommand1 = new controls::SSCommand(QStringLiteral("Save"), SSPanel2);
  SSCommand1->setObjectName(QStringLiteral("SSCommand1"));
  SSCommand1->setFont(controls::UiFont(kFontPoints, true));
  controls::PlaceInTwips(SSCommand1, 150, 150, 1335, 495);
  SSCommand2 = new controls::SSCommand(QStringLiteral("Close"), SSPanel2);
  SSCommand2->setObjectName(QStringLiteral("SSCommand2"));
  SSCommand2->setFont(controls::UiFont(kFontPoints, true));
  controls::PlaceInTwips(SSCommand2, 150, 690, 1335, 495);
  connect(SSCommand1, &QAbstractButton::clicked, this, [this] { SSCommand1_Click(); });
  connect(SSCommand2, &QAbstractButton::clicked, this, [this] { SSCommand2_Click(); });

  // The fields in index order, then "Close", then "Save".
  for (int i = 0; i < 11; ++i) setTabOrder(Text1[i], Text1[i + 1]);
  setTabOrder(Text1[11], SSCommand2);
  setTabOrder(SSCommand2, SSCommand1);
  Text1[0]->setFocus();

  ApplyColumnCount();
}

void Form2::ApplyColumnCount() {
  ConfirmCountField(1);
  const int n = createdialog::ConfirmedCount(TextOf(Text1[1]), createdialog::kColumnLimits);
  for (int i = 0; i <= 11; ++i) Text1[i]->setVisible(i < n + 5);
  for (int i = 0; i <= 10; ++i) SSFrame1[i]->setVisible(i < n + 4);
  outerHeightTwips_ = kFullOuterHeight - (7 - n) * kFramePitch;
  FitOuterHeight();
}

void Form2::ShowSaveError(const std::string &first, const std::string &second) {
  runtime::MsgBox(first + "\r\n" + second, runtime::kStyleCritical, kSaveCaption);
}

int Form2::OuterHeightTwips() const {
  return controls::PixelsToTwips(frameGeometry().height(), controls::ScreenDpi(this));
}

// The outer height is what was designed; the client gets what the window
// manager's title bar and borders leave of it, known only once shown.
void Form2::FitOuterHeight() {
  const int frameExtra = std::max(0, frameGeometry().height() - geometry().height());
  fittedFrameExtra_ = frameExtra;
  const int outer = controls::TwipsToPixels(outerHeightTwips_, controls::ScreenDpi(this));
  setFixedHeight(std::max(1, outer - frameExtra));
}

bool Form2::event(QEvent *event) {
  const bool handled = QDialog::event(event);
  switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
      if (std::max(0, frameGeometry().height() - geometry().height()) != fittedFrameExtra_)
        FitOuterHeight();
      break;
    default:
      break;
  }
  return handled;
}

// Escape does not end the dialog: only "Save", "Close" and the window's own
// close do.
void Form2::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

// Enter and Tab confirm a field; the confirmation then moves the focus.
bool Form2::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::KeyPress) {
    const auto *key = static_cast<QKeyEvent *>(event);
    const auto it = std::find(Text1.begin(), Text1.end(), watched);
    const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (it != Text1.end() && plain) {
      const int index = static_cast<int>(it - Text1.begin());
      if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        Text1_KeyPress(index, kKeyEnter);
        return false;  // the field sees its Enter as ever
      }
      if (key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier)) {
        Text1_KeyPress(index, kKeyTab);
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

void Form2::ConfirmCountField(int index) {
  const createdialog::CountLimits limits =
      index == 0 ? createdialog::kRowLimits : createdialog::kColumnLimits;
  const std::string text = TextOf(Text1[index]);
  const std::string confirmed = createdialog::ConfirmedCountText(text, limits);
  if (confirmed != text) Text1[index]->setText(QString::fromStdString(confirmed));
}

void Form2::Text1_KeyPress(int index, int keyAscii) {
  if (keyAscii != kKeyEnter && keyAscii != kKeyTab) return;
  if (index == 0 || index == 1) {
    ConfirmCountField(index);
    ApplyColumnCount();
  }
  // Tab goes on by the dialog's tab order, which after the last shown field
  // reaches "Close" and "Save"; Enter steps through the fields only.
  if (keyAscii == kKeyTab) {
    focusNextChild();
    return;
  }
  // On to the next field while one is shown, else back to the row field.
  if (index + 1 <= kDummy && OwnVisible(Text1[index + 1]))
    Text1[index + 1]->setFocus(Qt::TabFocusReason);
  else
    Text1[0]->setFocus(Qt::TabFocusReason);
}

void Form2::SSCommand1_Click() {
  using namespace Module1;
  LoginPasswordText = createdialog::TrimBlanks(TextOf(Text1[2]));
  EditPasswordText = createdialog::TrimBlanks(TextOf(Text1[3]));
  HintText = createdialog::TrimBlanks(TextOf(Text1[4]));
  if (auto refusal = createdialog::CredentialsRefusal(LoginPasswordText, EditPasswordText, HintText)) {
    ShowSaveError(refusal->first, refusal->second);
    return;
  }

  // Counts typed but never confirmed count as confirmed; the fields stay as
  // typed until the vault is written, so a refusal or a failed write leaves
  // the owner everything to correct and try again. The title fields up to
  // the count are read whether shown or not.
  createdialog::NewVault vault;
  vault.rows = createdialog::ConfirmedCount(TextOf(Text1[0]), createdialog::kRowLimits);
  vault.columns = createdialog::ConfirmedCount(TextOf(Text1[1]), createdialog::kColumnLimits);
  vault.login = LoginPasswordText;
  vault.edit = EditPasswordText;
  vault.hint = HintText;
  for (int c = 1; c <= vault.columns; ++c) vault.titles.push_back(createdialog::TrimBlanks(TextOf(Text1[c + 4])));
  if (auto refusal = createdialog::StorageRefusal(vault)) {
    ShowSaveError(refusal->first, refusal->second);
    return;
  }
  if (!ConfirmReplacingArchive()) return;

  createdialog::BuildNewVault(vault);
  if (!WriteVault()) return;  // it told the owner; the dialog stays as typed
  accept();
}

// Started from another folder, the program may not have seen the archive in
// its own folder: the owner decides before it becomes a backup.
bool Form2::ConfirmReplacingArchive() {
  const std::string archive = VaultPath();
  if (!runtime::FileExists(archive)) return true;
  return runtime::MsgBox(createdialog::ReplacingArchiveQuestion(archive), runtime::kStyleQuestionOkCancel,
                         kSaveCaption) == runtime::kAnswerOk;
}

void Form2::SSCommand2_Click() { reject(); }

void RunCreateDialog() {
  Form2 dialog;
  dialog.exec();
  // A password copied out of a field does not outlive the dialog.
  runtime::ClearClipboardIfOurs();
  runtime::ClearSelectionIfOurs();
}
